#pragma once

#include <string_view>

#include <pugixml.hpp>

// Finishes a document that pugixml parsed without expanding references, and
// refuses what a validating-free but namespace-aware parser refuses and
// pugixml lets through: references to undeclared entities, malformed
// character references, unbound or malformed namespace prefixes, duplicate
// attributes, and anything but one root element with at most one document
// type declaration before it. Raises EDOMParseError.
//
// The predefined entities and character references are expanded in text and
// attribute values. Entities that the internal subset declares are accepted
// and left as written, since no DTD is ever processed.
void CompleteParsedDocument(pugi::xml_document& Document);

// The name that a document type declaration declares, from the text pugixml
// gives for it (everything after "<!DOCTYPE").
std::string_view DocTypeName(const char* Value);
