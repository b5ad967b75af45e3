#pragma once

#include <string>

#include "core/CoverCandidate.h"
#include "xml/XMLDocument.h"
#include "zip/ZipFile.h"

// The namespace of FictionBook 2 elements.
inline constexpr char16_t FictionBookNamespace[] = u"http://www.gribuser.ru/xml/fictionbook/2.0";

// The cover's base64 text found as ExtractFB2Cover finds it, but with every
// element (root, description, title-info or src-title-info, coverpage,
// image, binary) matched by local name in the FictionBook namespace, so that
// books written <fb:FictionBook xmlns:fb="..."> give theirs too. The image's
// link is its href attribute, whatever the prefix, else its first attribute
// that declares no namespace. Empty when there is none.
std::u16string FindNamespacedFB2CoverText(const IXMLDocument& Document);

// The link of a cover image: its attribute whose local name is href,
// whatever its prefix or namespace (books misspell XLink's, or bind none),
// else its first attribute that declares no namespace; empty for none.
std::u16string FB2ImageLink(const IXMLNode& Image);

// The binary that the exact lookup's image leads to by FB2ImageLink, when
// that link is not the image's first attribute (which the exact lookup
// follows); none otherwise.
IXMLNode FindFB2BinaryByLink(const IXMLDocument& Document);

// Offers the covers of one document to Take: the exact lookup's, then the
// namespaced lookup's, then FindFB2BinaryByLink's, each binary once. They
// are decoded while the document lives, which is dropped before any is
// offered. A document that does not parse or whose lookups fail offers
// nothing.
bool OfferFB2DocumentCovers(IXMLDocument Document, const TCoverCandidateTaker& Take);

// Offers the covers of the archive's ".fb2" entries in central directory
// order: the first entry loaded as LoadFB2EntryDocument loads it, later ones
// only when the earlier give no cover, each read bounded; the later entries
// draw a share of the request's Budget.
bool OfferZippedFB2Covers(TZipFile& Zip, TReadBudget& Budget, const TCoverCandidateTaker& Take);
