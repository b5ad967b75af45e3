#pragma once

#include <cstddef>
#include <cstdint>

#include "core/MemoryStream.h"
#include "xml/XMLDocument.h"

// A document made of fuzz bytes the two ways the routes make one: read as a
// file (parsed at once), or set as text (parsed on first use); runs of
// element content of ElidedRunBytes or more kept out of the parse (0: none).
inline IXMLDocument FuzzDocument(const uint8_t* Data, size_t Size, bool AsFile,
                                 size_t ElidedRunBytes = DefaultElidedRunBytes)
{
    IXMLDocument Document = NewXMLDocument();
    Document->SetElidedRunBytes(ElidedRunBytes);
    TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
    if (AsFile)
        Document->LoadFromStream(Stream);
    else
        SetXMLTextFromStream(Document, Stream);
    return Document;
}
