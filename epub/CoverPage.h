#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The pictures an XHTML or SVG page shows, as written (UTF-8 hrefs, relative
// to the page): the src of every <img> and the xlink:href (or plain href) of
// every SVG <image>, in document order, elements matched by local name. Empty
// when the bytes are no well-formed page whose root is <html> or <svg>. The
// walk ends after 16 picture elements: no cover page shows that many.
std::vector<std::string> PagePictureHrefs(const uint8_t* Data, size_t Size);
