#pragma once

#include "core/CoverCandidate.h"
#include "zip/ZipFile.h"

// The other ways books mark their covers, for when the package's
// <meta name="cover"> chain gives no picture. Candidates are offered to Take
// in this order until it takes one:
//   1. manifest items whose properties hold the token "cover-image";
//   2. <meta name="cover"> whose content is an href rather than an id;
//   3. the single picture shown by the cover page: the manifest item that
//      <meta name="cover"> names, then the guide's reference of type "cover"
//      (an <img src>, or an SVG <image> with xlink:href or href);
//   4. manifest image items whose id or href contains "cover", ASCII case
//      ignored.
// Hrefs are resolved against the package's folder (a page's pictures against
// the page's), each entry is offered once, the <meta> chain's own entry not
// at all, and entries listed in META-INF/encryption.xml never. Every read is
// bounded, and the search as a whole draws a share of the request's Budget;
// an entry that is missing, too large or damaged is passed over.
// Returns whether a candidate was taken. Raises nothing of its own.
bool OfferEpubFallbackCovers(TZipFile& Zip, TReadBudget& Budget, const TCoverCandidateTaker& Take);
