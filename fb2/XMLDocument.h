#pragma once

#include <memory>
#include <string>

#include "core/Stream.h"

// The XML document service. A document is a reference-counted handle.
class TXMLDocument;
using IXMLDocument = std::shared_ptr<TXMLDocument>;

// A new empty document.
IXMLDocument NewXMLDocument();
// A document read and parsed from a file at once; raises when it cannot.
IXMLDocument OpenXMLDocument(const std::u16string& FileName);
// Sets a document's text from every byte of Stream from its position to its
// end, decoded by byte-order mark, else with the ANSI code page; parsed on
// first use.
void SetXMLTextFromStream(const IXMLDocument& Document, TStream& Stream);
