#pragma once

#include <string>

#include "xml/XMLDocument.h"

// The cover picture's bytes of a FictionBook document, or an empty string.
// Takes the caller's reference to the document and drops it before the
// picture is decoded from base64.
std::string ExtractFB2Cover(IXMLDocument Document);
