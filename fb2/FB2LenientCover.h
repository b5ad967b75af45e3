#pragma once

#include <string_view>

#include "core/CoverCandidate.h"
#include "core/Stream.h"
#include "xml/XMLBuffer.h"

// The cover of a FictionBook text that the document service refuses (an
// undeclared entity or prefix, tags that do not match in the body, a file
// cut short after its cover), read from the tags alone. It is found only
// where the exact or the namespaced lookup would find it in a well-formed
// book: the root "FictionBook"; its first "description" child; that one's
// first "title-info" (or, when that path holds no image, "src-title-info"),
// first "coverpage", first "image"; and the first child "binary" of the root
// whose id is the image's link (its href attribute, whatever the prefix,
// else its first attribute that declares no namespace). Every element on the
// way is in the root's namespace and, unless that is FictionBook's, has
// exactly the name given; where the first element of a name fails that, the
// lookup gives nothing. The binary holds text and nothing else, closed by
// its end tag, without references. Links and ids holding references are not
// followed.
//
// An end tag closes the nearest open element of its name within a few
// levels, or nothing; that is how the body's unmatched tags are passed.
// Empty when there is no such cover.
std::string_view FindLenientFB2CoverText(std::string_view Text);

// Reads the text of Book from its position to its end as the document
// service reads text (bounded alike), finds its cover as above and offers
// the decoded picture to Take.
bool OfferLenientFB2Cover(TStream& Book, const TCoverCandidateTaker& Take);
// The same for a text already read and decoded (UTF-8), which is freed
// before the picture is offered.
bool OfferLenientFB2Cover(TXMLBuffer Text, const TCoverCandidateTaker& Take);
