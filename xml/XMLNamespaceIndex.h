#pragma once

#include <string_view>
#include <vector>

#include <pugixml.hpp>

// Every namespace declaration of a parsed tree, by element and prefix, so
// that resolving a prefix costs the element's depth and not the attributes
// of every element above it: an element may hold thousands of declarations.
// The names and URIs point into the tree, which must stay as it was.
class TXMLNamespaceIndex {
public:
    explicit TXMLNamespaceIndex(pugi::xml_node Document);

    // The URI bound to Prefix (empty: the default namespace) at Element, by
    // its own declarations or its ancestors'; empty when none binds it.
    std::string_view Resolve(pugi::xml_node Element, std::string_view Prefix) const;

private:
    struct TDeclaration {
        const void* Element;
        std::string_view Prefix;
        std::string_view Uri;
    };
    std::vector<TDeclaration> FDeclarations;
};
