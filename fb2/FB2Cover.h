#pragma once

#include <string>

#include "xml/XMLDocument.h"

// The exact lookup's steps: the cover image by the paths below the root's
// first "description" (RootChildren receives the root's children), and the
// root's first "binary" child whose id is the reference ('#' dropped). None
// when there is none.
IXMLNode FindFB2CoverImage(const IXMLDocument& Document, IXMLNodeList& RootChildren);
IXMLNode FindFB2Binary(const IXMLNodeList& RootChildren, const std::u16string& Reference);
// The binary that the exact lookup takes: by the image's first attribute.
// An image without attributes raises the list's index error.
IXMLNode FindFB2CoverBinary(const IXMLDocument& Document);

// The cover picture's bytes of a FictionBook document, or an empty string.
// Takes the caller's reference to the document and drops it once the
// picture is decoded from base64.
std::string ExtractFB2Cover(IXMLDocument Document);
