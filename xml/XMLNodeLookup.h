#pragma once

#include <string>

#include "xml/XMLDocument.h"

// The first top-level node of Document (activated first, so pending text is
// parsed here) whose node name is exactly Name, or none. Every kind of node
// is a candidate, the document type declaration under its declared name.
IXMLNode FindDocumentChild(const IXMLDocument& Document, const std::u16string& Name);

// Walks a '/'-separated path of child names below Start; a segment that
// begins with '@' names an attribute. Each step takes the list's first match
// (IXMLNodeList::FindNode); a missing step gives none. With the document
// option doNodeAutoCreate a missing step is created instead. Start must be
// present.
IXMLNode SelectNodePath(const IXMLNode& Start, const std::u16string& Path);
