#include "xml/XMLWellFormed.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "xml/XMLDocument.h"
#include "xml/XMLTreeWalk.h"

namespace {

using TEntityNames = std::unordered_set<std::string_view>;

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

[[noreturn]] void Refuse(const std::string& Reason) { throw EDOMParseError(Reason); }

// General entities declared in the internal subset: <!ENTITY name ...>.
void CollectDeclaredEntities(const char* DocTypeValue, TEntityNames& Names)
{
    static constexpr std::string_view Keyword = "<!ENTITY";
    const std::string_view Text(DocTypeValue);
    for (size_t At = Text.find(Keyword); At != std::string_view::npos; At = Text.find(Keyword, At)) {
        At += Keyword.size();
        size_t Start = At;
        while (Start < Text.size() && IsBlank(Text[Start]))
            ++Start;
        if (Start < Text.size() && Text[Start] == '%')
            continue;
        size_t End = Start;
        while (End < Text.size() && !IsBlank(Text[End]))
            ++End;
        if (End > Start)
            Names.insert(Text.substr(Start, End - Start));
    }
}

bool IsXmlChar(uint32_t Code)
{
    return Code == 0x9 || Code == 0xA || Code == 0xD || (Code >= 0x20 && Code <= 0xD7FF) ||
           (Code >= 0xE000 && Code <= 0xFFFD) || (Code >= 0x10000 && Code <= 0x10FFFF);
}

void AppendUtf8(std::string& Out, uint32_t Code)
{
    if (Code < 0x80) {
        Out.push_back(static_cast<char>(Code));
    } else if (Code < 0x800) {
        Out.push_back(static_cast<char>(0xC0 | Code >> 6));
        Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
    } else if (Code < 0x10000) {
        Out.push_back(static_cast<char>(0xE0 | Code >> 12));
        Out.push_back(static_cast<char>(0x80 | (Code >> 6 & 0x3F)));
        Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
    } else {
        Out.push_back(static_cast<char>(0xF0 | Code >> 18));
        Out.push_back(static_cast<char>(0x80 | (Code >> 12 & 0x3F)));
        Out.push_back(static_cast<char>(0x80 | (Code >> 6 & 0x3F)));
        Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
    }
}

// "#65" or "#x41"; false when malformed or not a character XML allows.
bool DecodeCharacterReference(std::string_view Name, uint32_t& Code)
{
    const bool Hex = Name.size() > 1 && Name[1] == 'x';
    const size_t First = Hex ? 2 : 1;
    if (Name.size() <= First)
        return false;
    uint32_t Value = 0;
    for (size_t I = First; I < Name.size(); ++I) {
        const char C = Name[I];
        uint32_t Digit;
        if (C >= '0' && C <= '9')
            Digit = static_cast<uint32_t>(C - '0');
        else if (Hex && C >= 'a' && C <= 'f')
            Digit = static_cast<uint32_t>(C - 'a' + 10);
        else if (Hex && C >= 'A' && C <= 'F')
            Digit = static_cast<uint32_t>(C - 'A' + 10);
        else
            return false;
        Value = Value * (Hex ? 16 : 10) + Digit;
        if (Value > 0x10FFFF)
            return false;
    }
    Code = Value;
    return IsXmlChar(Code);
}

// Expands the references of one text or attribute value into Out.
void ExpandReferences(std::string_view Value, const TEntityNames& Declared, std::string& Out)
{
    static const struct {
        std::string_view Name;
        char Character;
    } Predefined[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    Out.clear();
    size_t At = 0;
    while (At < Value.size()) {
        const size_t Amp = Value.find('&', At);
        if (Amp == std::string_view::npos) {
            Out.append(Value.substr(At));
            break;
        }
        Out.append(Value.substr(At, Amp - At));
        const size_t Semicolon = Value.find(';', Amp + 1);
        if (Semicolon == std::string_view::npos)
            Refuse("A reference is not terminated by ';'");
        const std::string_view Name = Value.substr(Amp + 1, Semicolon - Amp - 1);
        At = Semicolon + 1;
        if (!Name.empty() && Name[0] == '#') {
            uint32_t Code;
            if (!DecodeCharacterReference(Name, Code))
                Refuse("Invalid character reference");
            AppendUtf8(Out, Code);
            continue;
        }
        bool Known = false;
        for (const auto& Entity : Predefined)
            if (Entity.Name == Name) {
                Out.push_back(Entity.Character);
                Known = true;
            }
        if (Known)
            continue;
        if (Declared.count(Name) == 0)
            Refuse("Reference to undefined entity '" + std::string(Name) + "'");
        Out.append(Value.substr(Amp, Semicolon + 1 - Amp));
    }
}

// A qualified name: Local, or Prefix ':' Local with both non-empty.
bool SplitQualifiedName(std::string_view Name, std::string_view& Prefix, std::string_view& Local)
{
    const size_t Colon = Name.find(':');
    if (Colon == std::string_view::npos) {
        Prefix = {};
        Local = Name;
        return !Name.empty();
    }
    Prefix = Name.substr(0, Colon);
    Local = Name.substr(Colon + 1);
    return !Prefix.empty() && !Local.empty() && Local.find(':') == std::string_view::npos;
}

class TCompletion {
public:
    explicit TCompletion(pugi::xml_document& Document) : FDocument(Document) {}

    void Run()
    {
        CheckTopLevel();
        WalkDescendants(
            FDocument,
            [this](pugi::xml_node Node) {
                Enter(Node);
                return true;
            },
            [this](pugi::xml_node Node) {
                if (Node.type() == pugi::node_element)
                    Leave();
            });
    }

private:
    void CheckTopLevel()
    {
        int Elements = 0, DocTypes = 0;
        for (pugi::xml_node Node : FDocument.children()) {
            if (Node.type() == pugi::node_element) {
                ++Elements;
            } else if (Node.type() == pugi::node_doctype) {
                if (Elements > 0 || ++DocTypes > 1)
                    Refuse("Misplaced document type declaration");
                if (DocTypeName(Node.value()).empty())
                    Refuse("Document type declaration without a name");
                CollectDeclaredEntities(Node.value(), FDeclared);
            }
        }
        if (Elements != 1)
            Refuse("Only one top level element is allowed in an XML document");
    }

    void Enter(pugi::xml_node Node)
    {
        if (Node.type() == pugi::node_pcdata)
            ExpandValue(Node);
        else if (Node.type() == pugi::node_element)
            EnterElement(Node);
    }

    void ExpandValue(pugi::xml_node Node)
    {
        if (std::strchr(Node.value(), '&') == nullptr)
            return;
        ExpandReferences(Node.value(), FDeclared, FScratch);
        Node.set_value(FScratch.c_str());
    }

    void EnterElement(pugi::xml_node Element)
    {
        size_t Declared = 0;
        for (pugi::xml_attribute Attribute : Element.attributes()) {
            const std::string_view Name = Attribute.name();
            if (Name.rfind("xmlns:", 0) == 0) {
                const std::string_view Prefix = Name.substr(6);
                if (Prefix.empty() || Prefix.find(':') != std::string_view::npos || *Attribute.value() == 0)
                    Refuse("Invalid namespace declaration '" + std::string(Name) + "'");
                ++FBound[Prefix];
                FScopes.push_back(Prefix);
                ++Declared;
            }
        }
        FScopeSizes.push_back(Declared);

        CheckPrefix(Element.name(), true);
        FAttributeNames.clear();
        for (pugi::xml_attribute Attribute : Element.attributes()) {
            CheckPrefix(Attribute.name(), false);
            FAttributeNames.push_back(Attribute.name());
            if (std::strchr(Attribute.value(), '&') != nullptr) {
                ExpandReferences(Attribute.value(), FDeclared, FScratch);
                Attribute.set_value(FScratch.c_str());
            }
        }
        CheckDuplicateAttributes();
    }

    void Leave()
    {
        for (size_t I = FScopeSizes.back(); I > 0; --I) {
            --FBound[FScopes.back()];
            FScopes.pop_back();
        }
        FScopeSizes.pop_back();
    }

    void CheckPrefix(std::string_view Name, bool IsElement)
    {
        std::string_view Prefix, Local;
        if (!SplitQualifiedName(Name, Prefix, Local))
            Refuse("Invalid name '" + std::string(Name) + "'");
        if (Prefix.empty() || Prefix == "xml")
            return;
        if (Prefix == "xmlns") {
            if (IsElement)
                Refuse("Elements cannot have the prefix 'xmlns'");
            return;
        }
        const auto Found = FBound.find(Prefix);
        if (Found == FBound.end() || Found->second == 0)
            Refuse("Reference to undeclared namespace prefix: '" + std::string(Prefix) + "'");
    }

    // Open addressing over a table of twice the names, rebuilt for each
    // element: linear in its attributes, whatever the elements before it held.
    void CheckDuplicateAttributes()
    {
        const size_t Count = FAttributeNames.size();
        if (Count < 2)
            return;
        size_t Size = 4;
        while (Size < 2 * Count)
            Size *= 2;
        FSlots.assign(Size, Empty);
        for (uint32_t Index = 0; Index < Count; ++Index) {
            const std::string_view Name = FAttributeNames[Index];
            size_t Slot = std::hash<std::string_view>()(Name) & (Size - 1);
            for (; FSlots[Slot] != Empty; Slot = (Slot + 1) & (Size - 1))
                if (FAttributeNames[FSlots[Slot]] == Name)
                    Refuse("Duplicate attribute '" + std::string(Name) + "'");
            FSlots[Slot] = Index;
        }
    }

    static constexpr uint32_t Empty = UINT32_MAX;

    pugi::xml_document& FDocument;
    TEntityNames FDeclared;
    // Prefixes declared by the open elements, innermost last, and how many
    // each element declared.
    std::vector<std::string_view> FScopes;
    std::vector<size_t> FScopeSizes;
    std::unordered_map<std::string_view, int> FBound;
    std::vector<std::string_view> FAttributeNames;
    std::vector<uint32_t> FSlots;
    std::string FScratch;
};

}

std::string_view DocTypeName(const char* Value)
{
    std::string_view Text(Value);
    size_t Start = 0;
    while (Start < Text.size() && IsBlank(Text[Start]))
        ++Start;
    size_t End = Start;
    while (End < Text.size() && !IsBlank(Text[End]) && Text[End] != '[' && Text[End] != '>')
        ++End;
    return Text.substr(Start, End - Start);
}

void CompleteParsedDocument(pugi::xml_document& Document)
{
    TCompletion(Document).Run();
}
