#include "xml/XMLTagScan.h"

using XMLTagScanDetail::IsSpace;

namespace {

bool StartsWith(std::string_view Text, size_t At, std::string_view Prefix)
{
    return Text.size() - At >= Prefix.size() && Text.compare(At, Prefix.size(), Prefix) == 0;
}

}

std::string_view XMLLocalName(std::string_view QualifiedName)
{
    const size_t Colon = QualifiedName.find(':');
    return Colon == std::string_view::npos ? QualifiedName : QualifiedName.substr(Colon + 1);
}

std::string_view XMLPrefix(std::string_view QualifiedName)
{
    const size_t Colon = QualifiedName.find(':');
    return Colon == std::string_view::npos ? std::string_view() : QualifiedName.substr(0, Colon);
}

void TXMLTagScanner::SkipTo(size_t Offset)
{
    if (Offset > FPosition)
        FPosition = Offset < FText.size() ? Offset : FText.size();
}

bool TXMLTagScanner::PassOver(size_t From, std::string_view Terminator)
{
    const size_t Found = FText.find(Terminator, From);
    if (Found == std::string_view::npos)
        return false;
    FPosition = Found + Terminator.size();
    return true;
}

// <!DOCTYPE name ... [ internal subset ]>: the subset may hold '>' in its
// declarations and quoted literals, so brackets and quotes are followed.
bool TXMLTagScanner::PassOverDocType(size_t From)
{
    if (StartsWith(FText, From, "DOCTYPE")) {
        size_t Name = From + 7;
        while (Name < FText.size() && IsSpace(FText[Name]))
            ++Name;
        size_t End = Name;
        while (End < FText.size() && !IsSpace(FText[End]) && FText[End] != '[' && FText[End] != '>')
            ++End;
        FDocTypeName = FText.substr(Name, End - Name);
    }
    bool InSubset = false;
    char Quote = 0;
    for (size_t At = From; At < FText.size(); ++At) {
        const char C = FText[At];
        if (Quote) {
            Quote = C == Quote ? 0 : Quote;
        } else if (C == '"' || C == '\'') {
            Quote = C;
        } else if (C == '[') {
            InSubset = true;
        } else if (C == ']') {
            InSubset = false;
        } else if (C == '>' && !InSubset) {
            FPosition = At + 1;
            return true;
        }
    }
    return false;
}

bool TXMLTagScanner::Next(TXMLTag& Tag)
{
    for (;;) {
        const size_t Open = FText.find('<', FPosition);
        if (Open == std::string_view::npos)
            return false;
        if (StartsWith(FText, Open, "<!--")) {
            if (!PassOver(Open + 4, "-->"))
                return false;
            continue;
        }
        if (StartsWith(FText, Open, "<![CDATA[")) {
            if (!PassOver(Open + 9, "]]>"))
                return false;
            continue;
        }
        if (StartsWith(FText, Open, "<?")) {
            if (!PassOver(Open + 2, "?>"))
                return false;
            continue;
        }
        if (StartsWith(FText, Open, "<!")) {
            if (!PassOverDocType(Open + 2))
                return false;
            continue;
        }
        const bool Closing = StartsWith(FText, Open, "</");
        size_t At = Open + (Closing ? 2 : 1);
        const size_t NameBegin = At;
        while (At < FText.size() && !IsSpace(FText[At]) && FText[At] != '>' && FText[At] != '/' && FText[At] != '<')
            ++At;
        // A quoted '>' does not end a tag.
        const size_t AttributesBegin = At;
        char Quote = 0;
        while (At < FText.size() && (Quote || FText[At] != '>')) {
            const char C = FText[At];
            if (Quote)
                Quote = C == Quote ? 0 : Quote;
            else if (C == '"' || C == '\'')
                Quote = C;
            ++At;
        }
        if (At == FText.size())
            return false;
        FPosition = At + 1;
        if (At == NameBegin)
            continue;  // "<>" or "< x": no tag
        Tag.Name = FText.substr(NameBegin, AttributesBegin - NameBegin);
        if (Tag.Name.empty())
            continue;
        const bool Empty = !Closing && FText[At - 1] == '/' && At - 1 >= AttributesBegin;
        Tag.Kind = Closing ? TXMLTagKind::End : Empty ? TXMLTagKind::Empty : TXMLTagKind::Start;
        Tag.Attributes = FText.substr(AttributesBegin, At - (Empty ? 1 : 0) - AttributesBegin);
        Tag.Begin = Open;
        Tag.End = At + 1;
        return true;
    }
}
