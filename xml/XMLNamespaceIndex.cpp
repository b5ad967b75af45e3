#include "xml/XMLNamespaceIndex.h"

#include <algorithm>
#include <functional>

#include "xml/XMLTreeWalk.h"

namespace {

bool Before(const void* Element, std::string_view Prefix, const void* OtherElement, std::string_view OtherPrefix)
{
    if (Element != OtherElement)
        return std::less<const void*>()(Element, OtherElement);
    return Prefix < OtherPrefix;
}

}

TXMLNamespaceIndex::TXMLNamespaceIndex(pugi::xml_node Document)
{
    WalkDescendants(
        Document,
        [this](pugi::xml_node Node) {
            for (pugi::xml_attribute Attribute : Node.attributes()) {
                const std::string_view Name = Attribute.name();
                if (Name == "xmlns")
                    FDeclarations.push_back({Node.internal_object(), {}, Attribute.value()});
                else if (Name.rfind("xmlns:", 0) == 0)
                    FDeclarations.push_back({Node.internal_object(), Name.substr(6), Attribute.value()});
            }
            return true;
        },
        [](pugi::xml_node) {});
    // Of two declarations of one prefix on one element (a lenient document
    // may hold them) the first counts, as in a lookup by name. No stable
    // sort: it would work on quietly without memory for its buffer.
    std::sort(FDeclarations.begin(), FDeclarations.end(), [](const TDeclaration& A, const TDeclaration& B) {
        if (A.Element != B.Element || A.Prefix != B.Prefix)
            return Before(A.Element, A.Prefix, B.Element, B.Prefix);
        return A.Uri.data() < B.Uri.data();
    });
}

std::string_view TXMLNamespaceIndex::Resolve(pugi::xml_node Element, std::string_view Prefix) const
{
    if (FDeclarations.empty())
        return {};
    for (pugi::xml_node Scope = Element; Scope && Scope.type() == pugi::node_element; Scope = Scope.parent()) {
        const void* Key = Scope.internal_object();
        const auto Found = std::lower_bound(FDeclarations.begin(), FDeclarations.end(), Key,
                                            [Prefix](const TDeclaration& Declaration, const void* Wanted) {
                                                return Before(Declaration.Element, Declaration.Prefix, Wanted, Prefix);
                                            });
        if (Found != FDeclarations.end() && Found->Element == Key && Found->Prefix == Prefix)
            return Found->Uri;
    }
    return {};
}
