#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What an entry's first bytes say it is: no markup (a picture, or anything
// else that is not XML), an SVG document, or other markup (a page).
enum TMarkup { mkNone, mkSvg, mkPage };
// Looks past a byte-order mark, blanks, the XML declaration, processing
// instructions, comments and a document type declaration to the root
// element's name, without parsing. UTF-16 text counts as a page.
TMarkup SniffMarkup(const uint8_t* Data, size_t Size);

enum TPageKind { pkNone, pkHtml, pkSvg };
struct TPagePictures {
    TPageKind Kind = pkNone;
    std::vector<std::string> Hrefs;
};
// The pictures an XHTML or SVG page shows, as written (UTF-8 hrefs, relative
// to the page, or data: URIs): the src of every <img> and the xlink:href (or
// plain href) of every SVG <image>, in document order, elements matched by
// local name. Kind pkNone, no pictures, when the bytes are no well-formed
// page whose root is <html> or <svg>. The walk ends after 16 picture
// elements: no cover page shows that many.
TPagePictures ReadPagePictures(const uint8_t* Data, size_t Size);
