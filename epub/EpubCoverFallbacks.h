#pragma once

#include "core/CoverCandidate.h"
#include "zip/ZipFile.h"

// The other ways books mark their covers, for when the package's
// <meta name="cover"> chain gives no picture. Candidates are offered to Take
// in this order, the book's own marks first and guesses last, until it
// takes one:
//   1. the <meta> chain's own item, when its media type is image/svg+xml;
//   2. manifest items whose properties hold the token "cover-image";
//   3. <meta name="cover"> whose content is an href rather than an id;
//   4. the cover page: the manifest item that <meta name="cover"> names,
//      then the guide's reference of type "cover";
//   5. the links of type cover in the landmarks of the navigation document
//      (the manifest item with the property "nav"), to a page or a picture;
//   6. manifest image items whose id or href contains "cover", ASCII case
//      ignored;
//   7. only when nothing marks a cover (no cover <meta>, cover-image item,
//      guide reference or landmark): the first item of the spine.
// Whatever a rule names is followed by what it holds: a picture is offered
// as it is; an SVG document (parsed only up to 16 MiB) offers the largest
// raster picture it holds (an <image> naming an entry or carrying a base64
// data: URI), never its vector parts and never another SVG; a page (parsed
// only under 1 MiB, where a rule names a page) offers its one picture (an <img src>, or an SVG <image> with
// xlink:href or href), when every picture it shows is the same.
// Hrefs are resolved against the folder of the document that holds them,
// each entry is read once, the <meta> chain's own entry never offered as it
// is, and entries listed in META-INF/encryption.xml never read. Every read
// is bounded, and the search as a whole draws a share of the request's
// Budget; an entry that is missing, too large or damaged is passed over.
// Returns whether a candidate was taken. Raises nothing of its own.
bool OfferEpubFallbackCovers(TZipFile& Zip, TReadBudget& Budget, const TCoverCandidateTaker& Take);
