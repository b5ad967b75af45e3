#include "fb2/FB2LenientCover.h"

#include <array>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "fb2/Base64.h"
#include "fb2/FB2CoverFallbacks.h"
#include "xml/XMLTagScan.h"
#include "xml/XMLText.h"

namespace {

// Deeper than any book's markup; a deeper text is given up on.
constexpr size_t DepthLimit = 1024;
// How many open elements an end tag looks through for its start tag.
constexpr size_t EndTagReach = 64;
// Root, description, title-info, coverpage, image: the levels whose
// namespace declarations count.
constexpr size_t LookupLevels = 5;

constexpr std::string_view XMLNamespace = "http://www.w3.org/XML/1998/namespace";

// The FictionBook namespace in UTF-8, as the scanned text holds it; nothing
// allocated, so that no request leaves memory behind.
constexpr std::string_view FictionBookNamespaceText = "http://www.gribuser.ru/xml/fictionbook/2.0";
static_assert([] {
    const std::u16string_view Wide = FictionBookNamespace;
    if (Wide.size() != FictionBookNamespaceText.size())
        return false;
    for (size_t I = 0; I < Wide.size(); ++I)
        if (Wide[I] != static_cast<char16_t>(FictionBookNamespaceText[I]))
            return false;
    return true;
}());

bool HoldsReference(std::string_view Value) { return Value.find_first_of("&<") != std::string_view::npos; }

bool DeclaresNamespace(std::string_view Name) { return Name == "xmlns" || XMLPrefix(Name) == "xmlns"; }

// The open elements of the text, one tag at a time, with the namespace
// declarations of the upper levels.
class TOpenElements {
public:
    explicit TOpenElements(std::string_view Text) : FScanner(Text) {}

    // The next start or empty tag, its level (0 for the root) in Level; the
    // end tags between are applied. False at the end of the text, past the
    // root, or too deep.
    bool NextElement(TXMLTag& Tag, size_t& Level)
    {
        while (FScanner.Next(Tag)) {
            if (Tag.Kind == TXMLTagKind::End) {
                Close(Tag.Name);
                if (FRootDone)
                    return false;
                continue;
            }
            if (FRootDone || FNames.size() == DepthLimit)
                return false;
            Level = FNames.size();
            if (Level < LookupLevels) {
                // Clearing costs the table's size, once grown: only when used.
                if (!FDeclared[Level].empty())
                    FDeclared[Level] = {};
                ForEachXMLAttribute(Tag.Attributes, [&](std::string_view Name, std::string_view Value) {
                    if (DeclaresNamespace(Name))
                        FDeclared[Level].emplace(Name == "xmlns" ? std::string_view() : XMLLocalName(Name), Value);
                    return true;
                });
            }
            if (Tag.Kind == TXMLTagKind::Start)
                FNames.push_back(Tag.Name);
            else if (Level == 0)
                FRootDone = true;
            return true;
        }
        return false;
    }

    // The namespace of an element at Level (below LookupLevels) just
    // returned; nullopt for a prefix that nothing declares.
    std::optional<std::string_view> NamespaceOf(std::string_view Name, size_t Level) const
    {
        const std::string_view Prefix = XMLPrefix(Name);
        for (size_t At = Level + 1; At-- > 0;) {
            const auto Found = FDeclared[At].find(Prefix);
            if (Found != FDeclared[At].end())
                return Found->second;
        }
        if (Prefix.empty())
            return std::string_view();
        if (Prefix == "xml")
            return XMLNamespace;
        return std::nullopt;
    }

    // The number of open elements.
    size_t Depth() const { return FNames.size(); }
    std::string_view DocTypeName() const { return FScanner.DocTypeName(); }

private:
    void Close(std::string_view Name)
    {
        const size_t Reach = FNames.size() < EndTagReach ? FNames.size() : EndTagReach;
        for (size_t Back = 1; Back <= Reach; ++Back) {
            if (FNames[FNames.size() - Back] == Name) {
                FNames.resize(FNames.size() - Back);
                FRootDone = FNames.empty();
                return;
            }
        }
    }

    TXMLTagScanner FScanner;
    std::vector<std::string_view> FNames;
    std::array<std::unordered_map<std::string_view, std::string_view>, LookupLevels> FDeclared;
    bool FRootDone = false;
};

// What makes an element count as a step of the lookup, once the root is known.
struct TFictionBookNames {
    std::string_view Namespace;
    bool ByLocalName = false;  // the FictionBook namespace: any prefix

    // Whether the element at Level is Step by this book's rules; nullopt
    // when its local name is another.
    std::optional<bool> Is(const TOpenElements& Elements, const TXMLTag& Tag, size_t Level, std::string_view Step) const
    {
        if (XMLLocalName(Tag.Name) != Step)
            return std::nullopt;
        const std::optional<std::string_view> Uri = Elements.NamespaceOf(Tag.Name, Level);
        return Uri && *Uri == Namespace && (ByLocalName || Tag.Name == Step);
    }
};

std::optional<TFictionBookNames> RootNames(const TOpenElements& Elements, const TXMLTag& Root)
{
    if (XMLLocalName(Root.Name) != "FictionBook" || Root.Kind != TXMLTagKind::Start)
        return std::nullopt;
    const std::optional<std::string_view> Uri = Elements.NamespaceOf(Root.Name, 0);
    if (!Uri)
        return std::nullopt;
    const bool FictionBook = *Uri == FictionBookNamespaceText;
    // The exact lookup takes a document type named "FictionBook" for the root.
    if (!FictionBook && (Root.Name != "FictionBook" || Elements.DocTypeName() == "FictionBook"))
        return std::nullopt;
    return TFictionBookNames{*Uri, FictionBook};
}

std::string_view ImageLink(std::string_view Attributes)
{
    std::optional<std::string_view> First, Href;
    ForEachXMLAttribute(Attributes, [&](std::string_view Name, std::string_view Value) {
        if (DeclaresNamespace(Name))
            return true;
        if (XMLLocalName(Name) == "href") {
            Href = Value;
            return false;
        }
        if (!First)
            First = Value;
        return true;
    });
    const std::string_view Link = Href ? *Href : First ? *First : std::string_view();
    return HoldsReference(Link) ? std::string_view() : Link;
}

// One of the two image paths below the description, followed as its
// elements come: the first element of each name under the one before.
struct TImagePath {
    enum TState { tsOpen, tsNone, tsRefused, tsFound };
    explicit TImagePath(std::string_view Info) : Steps{Info, "coverpage", "image"} {}

    std::array<std::string_view, 3> Steps;  // levels 2, 3 and 4
    size_t Reached = 1;                     // level of its deepest element still open
    TState State = tsOpen;
    std::string_view Link;

    void Take(const TOpenElements& Elements, const TFictionBookNames& Names, const TXMLTag& Tag, size_t Level)
    {
        if (State != tsOpen)
            return;
        // A new element at a level at or above the path's deepest one means
        // that one is closed without the next step.
        if (Level <= Reached) {
            State = tsNone;
            return;
        }
        if (Level != Reached + 1)
            return;
        const std::optional<bool> Is = Names.Is(Elements, Tag, Level, Steps[Level - 2]);
        if (!Is)
            return;
        if (!*Is) {
            State = tsRefused;
        } else if (Level == 4) {
            Link = ImageLink(Tag.Attributes);
            State = tsFound;
        } else if (Tag.Kind == TXMLTagKind::Empty) {
            State = tsNone;
        } else {
            Reached = Level;
        }
    }
};

// The image's link by the lookup's path, or nullopt when the book gives none.
std::optional<std::string_view> FindCoverLink(std::string_view Text)
{
    TOpenElements Elements(Text);
    TXMLTag Tag;
    size_t Level = 0;
    if (!Elements.NextElement(Tag, Level))
        return std::nullopt;
    const std::optional<TFictionBookNames> Names = RootNames(Elements, Tag);
    if (!Names)
        return std::nullopt;
    TImagePath Own("title-info");
    TImagePath Source("src-title-info");
    bool InDescription = false;
    bool DescriptionClosed = false;
    while (Elements.NextElement(Tag, Level)) {
        if (!InDescription) {
            if (Level != 1)
                continue;
            const std::optional<bool> Is = Names->Is(Elements, Tag, Level, "description");
            if (!Is)
                continue;
            if (!*Is || Tag.Kind == TXMLTagKind::Empty)
                return std::nullopt;
            InDescription = true;
            continue;
        }
        Own.Take(Elements, *Names, Tag, Level);
        Source.Take(Elements, *Names, Tag, Level);
        // The source's cover counts only when the book's own path holds no image.
        if (Own.State == TImagePath::tsFound)
            return Own.Link;
        if (Own.State == TImagePath::tsRefused)
            return std::nullopt;
        if (Own.State == TImagePath::tsNone && Source.State != TImagePath::tsOpen)
            break;
        if (Level <= 1) {
            DescriptionClosed = true;
            break;
        }
    }
    // A path still open where the text ends may have gone on in the book.
    DescriptionClosed = DescriptionClosed || Elements.Depth() <= 1;
    if (!InDescription || !(Own.State == TImagePath::tsNone || (Own.State == TImagePath::tsOpen && DescriptionClosed)))
        return std::nullopt;
    if (Source.State == TImagePath::tsFound)
        return Source.Link;
    return std::nullopt;
}

// The content of the root's first "binary" child with the id, when it is
// plain text closed by its end tag.
std::string_view FindBinaryText(std::string_view Text, std::string_view Id)
{
    TOpenElements Elements(Text);
    TXMLTag Tag;
    size_t Level = 0;
    if (!Elements.NextElement(Tag, Level))
        return std::string_view();
    const std::optional<TFictionBookNames> Names = RootNames(Elements, Tag);
    if (!Names)
        return std::string_view();
    while (Elements.NextElement(Tag, Level)) {
        if (Level != 1)
            continue;
        const std::optional<bool> Is = Names->Is(Elements, Tag, Level, "binary");
        if (!Is || !*Is)
            continue;
        std::optional<std::string_view> BinaryId;
        ForEachXMLAttribute(Tag.Attributes, [&](std::string_view Name, std::string_view Value) {
            if (Name == "id")
                BinaryId = Value;
            return !BinaryId;
        });
        if (BinaryId.value_or(std::string_view()) != Id || HoldsReference(BinaryId.value_or(std::string_view())))
            continue;
        if (Tag.Kind == TXMLTagKind::Empty)
            return std::string_view();
        const std::string_view Rest = Text.substr(Tag.End);
        const size_t Open = Rest.find('<');
        if (Open == std::string_view::npos)
            return std::string_view();
        const std::string_view Content = Rest.substr(0, Open);
        TXMLTagScanner After(Rest.substr(Open));
        TXMLTag End;
        const bool Closed = After.Next(End) && End.Begin == 0 && End.Kind == TXMLTagKind::End && End.Name == Tag.Name;
        if (!Closed || Content.find('&') != std::string_view::npos)
            return std::string_view();
        return Content;
    }
    return std::string_view();
}

}

std::string_view FindLenientFB2CoverText(std::string_view Text)
{
    const std::optional<std::string_view> Link = FindCoverLink(Text);
    if (!Link || Link->empty())
        return std::string_view();
    return FindBinaryText(Text, Link->front() == '#' ? Link->substr(1) : *Link);
}

bool OfferLenientFB2Cover(TStream& Book, const TCoverCandidateTaker& Take)
{
    return OfferLenientFB2Cover(ReadXMLText(Book), Take);
}

bool OfferLenientFB2Cover(TXMLBuffer Text, const TCoverCandidateTaker& Take)
{
    const std::string Picture = DecodeFB2Picture(FindLenientFB2CoverText(std::string_view(Text.Data(), Text.Size())));
    // The text goes before the picture is offered.
    Text = TXMLBuffer();
    return !Picture.empty() && Take(reinterpret_cast<const uint8_t*>(Picture.data()), Picture.size());
}
