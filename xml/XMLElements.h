#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "xml/XMLDocument.h"

// Elements of the documents that a book's package points to (pages, SVG
// pictures, side files), which books write loosely.

// The document parsed with doLenient from Size bytes at Data, the encoding
// by byte-order mark or XML declaration; none when the bytes are no document
// or hold more nodes than the parser's budget.
IXMLDocument ParseLenientXML(const uint8_t* Data, size_t Size);

// The first top-level element named exactly Name (prefix included); none
// when Document is none.
IXMLNode DocumentChildElement(const IXMLDocument& Document, std::u16string_view Name);
// The first child element of Parent named exactly Name; none when Parent is none.
IXMLNode ChildElement(const IXMLNode& Parent, std::u16string_view Name);
// Visit(child) for every child element of Parent named exactly Name (with an
// empty Name, every child element), in document order; nothing when Parent
// is none.
void ForEachChildElement(const IXMLNode& Parent, std::u16string_view Name,
                         const std::function<void(const IXMLNode&)>& Visit);

// Whether Node, an element or attribute, is named Name after its prefix,
// whatever prefix a book chose.
bool HasLocalName(const IXMLNode& Node, std::u16string_view Name);

// Whether List, tokens separated by XML whitespace (as in an attribute such
// as properties or epub:type), holds Token.
bool HasToken(std::string_view List, std::string_view Token);
