#pragma once

#include <string>

#include "core/MemoryStream.h"
#include "xml/XMLDocument.h"

// A document whose text is set from Bytes (parsed when first used).
inline IXMLDocument DocumentFromText(const std::string& Bytes)
{
    IXMLDocument Document = NewXMLDocument();
    TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
    SetXMLTextFromStream(Document, Stream);
    return Document;
}

// A document loaded from Bytes as from a file.
inline IXMLDocument DocumentFromFileBytes(const std::string& Bytes)
{
    IXMLDocument Document = NewXMLDocument();
    TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
    Document->LoadFromStream(Stream);
    return Document;
}
