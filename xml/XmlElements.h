#pragma once

#include <cstring>

#include <pugixml.hpp>

// Element helpers for the pages and side files of an EPUB, read with pugixml
// directly and matched by local name, whatever prefix a book chose.

inline const char* LocalName(const char* QualifiedName)
{
    const char* Colon = std::strrchr(QualifiedName, ':');
    return Colon ? Colon + 1 : QualifiedName;
}

inline bool HasLocalName(const pugi::xml_node& Node, const char* Name)
{
    return std::strcmp(LocalName(Node.name()), Name) == 0;
}

// Visit(element) for Root and every element below it, in document order,
// until Visit returns false. Iterative, so deep nesting costs no stack.
template <typename TVisit>
void ForEachElement(const pugi::xml_node& Root, TVisit Visit)
{
    for (pugi::xml_node Node = Root; Node;) {
        if (Node.type() == pugi::node_element && !Visit(Node))
            return;
        if (Node.first_child()) {
            Node = Node.first_child();
            continue;
        }
        while (Node != Root && !Node.next_sibling())
            Node = Node.parent();
        Node = Node == Root ? pugi::xml_node() : Node.next_sibling();
    }
}
