#include "fb2/XMLDocument.h"

// Placeholder until the XML service lands: documents cannot be made.
IXMLDocument NewXMLDocument() { return nullptr; }
IXMLDocument OpenXMLDocument(const std::u16string&) { return nullptr; }
void SetXMLTextFromStream(const IXMLDocument&, TStream&) {}
