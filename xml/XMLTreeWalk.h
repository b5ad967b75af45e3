#pragma once

#include <pugixml.hpp>

// The one walk over a parsed tree. Enter(node) for every node below Parent
// in document order, Leave(node) once everything below that node was
// visited. The walk ends early, returning false, when Enter returns false.
// Iterative, so deep nesting costs no stack.
template <typename TEnter, typename TLeave>
bool WalkDescendants(pugi::xml_node Parent, TEnter&& Enter, TLeave&& Leave)
{
    pugi::xml_node Node = Parent.first_child();
    while (Node) {
        if (!Enter(Node))
            return false;
        if (pugi::xml_node Child = Node.first_child()) {
            Node = Child;
            continue;
        }
        for (;;) {
            Leave(Node);
            if (pugi::xml_node Next = Node.next_sibling()) {
                Node = Next;
                break;
            }
            Node = Node.parent();
            if (Node == Parent)
                return true;
        }
    }
    return true;
}
