#pragma once

#include "xml/XMLBuffer.h"

// The text of an XML document given as bytes, as UTF-8: by byte-order mark
// UTF-8, UTF-16LE or UTF-16BE (the mark dropped), else the ANSI code page;
// the text ends at its first NUL character. Malformed input is replaced as
// the code-page conversion does, so the result is well-formed UTF-8.
// Pure ASCII keeps its block.
TXMLBuffer DecodeXMLText(TXMLBuffer Bytes);

// The text of the XML document in Stream, from its position on, decoded as
// DecodeXMLText does; bytes after a NUL that ends the text are not read.
TXMLBuffer ReadXMLText(TStream& Stream);
