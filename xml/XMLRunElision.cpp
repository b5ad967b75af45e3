#include "xml/XMLRunElision.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace {

// Text is looked into a piece at a time, so that every check of a piece
// finds it in the cache: the pictures of a book are larger than any cache.
constexpr size_t PieceBytes = 16 * 1024;

// More '=' than this in a run leaves it to the parser; base64 holds at most
// two at its end.
constexpr size_t MaxRunEquals = 64;

constexpr char Placeholder = 'x';

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

const char* Find(const char* From, const char* End, char C)
{
    return From < End ? static_cast<const char*>(std::memchr(From, C, static_cast<size_t>(End - From))) : nullptr;
}

bool StartsWith(const char* At, const char* End, std::string_view Prefix)
{
    return static_cast<size_t>(End - At) >= Prefix.size() && std::memcmp(At, Prefix.data(), Prefix.size()) == 0;
}

// The first '>' at or after From + Before.size() that Before precedes: the
// end of a comment ("--"), a CDATA section ("]]") or a processing
// instruction ("?") whose content starts at From.
const char* FindEnd(const char* From, const char* End, std::string_view Before)
{
    for (const char* At = From + Before.size(); (At = Find(At, End, '>')); ++At)
        if (std::memcmp(At - Before.size(), Before.data(), Before.size()) == 0)
            return At;
    return nullptr;
}

// The '>' that ends a tag or declaration whose content starts at From;
// quoted values may hold '>'. None when a character of Doubts comes first
// outside quotes.
const char* MarkupEnd(const char* From, const char* End, std::string_view Doubts = {})
{
    for (const char* At = From; At < End; ++At) {
        const char C = *At;
        if (C == '>')
            return At;
        if (Doubts.find(C) != std::string_view::npos)
            return nullptr;
        if ((C == '"' || C == '\'') && !(At = Find(At + 1, End, C)))
            return nullptr;
    }
    return nullptr;
}

struct TRunCheck {
    bool Elidable = true;
    bool NonBlank = false;
    size_t Equals = 0;

    void Look(const char* From, const char* To)
    {
        if (!Elidable)
            return;
        if (Find(From, To, '&') || Find(From, To, '>') || Find(From, To, '\0')) {
            Elidable = false;
            return;
        }
        for (const char* At = From; (At = Find(At, To, '=')); ++At)
            if (++Equals > MaxRunEquals) {
                Elidable = false;
                return;
            }
        for (const char* At = From; !NonBlank && At < To; ++At)
            NonBlank = !IsBlank(*At);
    }
};

// The '<' that ends element content starting at From (none when it runs to
// the end); a text shorter than MinRun is not looked into.
const char* ContentEnd(const char* From, const char* End, size_t MinRun, TRunCheck& Check)
{
    for (const char* At = From; At < End;) {
        const char* Stop = static_cast<size_t>(End - At) > PieceBytes ? At + PieceBytes : End;
        const char* Open = Find(At, Stop, '<');
        if (Open && static_cast<size_t>(Open - From) < MinRun)
            return Open;
        Check.Look(At, Open ? Open : Stop);
        if (Open)
            return Open;
        At = Stop;
    }
    return nullptr;
}

struct TFoundRun {
    size_t Offset;
    size_t Length;
};

// The runs to elide, in document order; false on a doubt. A construct left
// open at the end ends the scan: the parser refuses the text there.
bool FindRuns(const char* Text, size_t Size, size_t MinRun, std::vector<TFoundRun>& Runs, size_t& Equals)
{
    const char* const End = Text + Size;
    const char* At = StartsWith(Text, End, "\xEF\xBB\xBF") ? Text + 3 : Text;
    size_t Depth = 0;
    while (At < End) {
        if (*At != '<') {
            // Text after the top-level nodes is no node.
            if (Depth == 0) {
                At = Find(At, End, '<');
                if (!At)
                    break;
                continue;
            }
            TRunCheck Check;
            const char* Open = ContentEnd(At, End, MinRun, Check);
            if (!Open)
                break;
            const auto Length = static_cast<size_t>(Open - At);
            if (Length >= MinRun && Check.Elidable && Check.NonBlank) {
                Runs.push_back({static_cast<size_t>(At - Text), Length});
                Equals += Check.Equals;
            }
            At = Open;
            continue;
        }
        const char* Close;
        if (StartsWith(At, End, "</")) {
            if (Depth-- == 0)
                return false;
            Close = Find(At + 2, End, '>');
        } else if (StartsWith(At, End, "<?")) {
            Close = FindEnd(At + 2, End, "?");
        } else if (StartsWith(At, End, "<!--")) {
            Close = FindEnd(At + 4, End, "--");
        } else if (StartsWith(At, End, "<![CDATA[")) {
            Close = FindEnd(At + 9, End, "]]");
        } else if (StartsWith(At, End, "<!")) {
            // An internal subset, or anything else in angle brackets, is
            // read by the parser's rules of its own: a doubt.
            if (Depth > 0 || !StartsWith(At, End, "<!DOCTYPE") || !(Close = MarkupEnd(At + 9, End, "<[")))
                return false;
        } else {
            Close = MarkupEnd(At + 1, End);
            if (Close && Close[-1] != '/')
                ++Depth;
        }
        if (!Close)
            break;
        At = Close + 1;
    }
    return !Runs.empty();
}

}

bool ElideLongRuns(const char* Text, size_t Size, size_t MinRun, size_t MaxSkeletonBytes, TRunElision& Elision)
{
    std::vector<TFoundRun> Found;
    size_t Equals = 0;
    if (MinRun == 0 || !FindRuns(Text, Size, MinRun, Found, Equals))
        return false;
    size_t Elided = 0;
    for (const TFoundRun& Run : Found)
        Elided += Run.Length - 1;
    if (Size - Elided > MaxSkeletonBytes)
        return false;
    Elision.Skeleton = TXMLBuffer(Size - Elided);
    Elision.Runs.clear();
    Elision.Runs.reserve(Found.size());
    Elision.Equals = Equals;
    char* Out = Elision.Skeleton.Data();
    size_t From = 0;
    for (const TFoundRun& Run : Found) {
        std::memcpy(Out, Text + From, Run.Offset - From);
        Out += Run.Offset - From;
        Elision.Runs.push_back({static_cast<size_t>(Out - Elision.Skeleton.Data()), Run.Offset, Run.Length, Run.Length, false});
        *Out++ = Placeholder;
        From = Run.Offset + Run.Length;
    }
    std::memcpy(Out, Text + From, Size - From);
    Elision.Skeleton.SetSize(Size - Elided);
    return true;
}

bool ParsedInPlace(const char* Data, size_t Size, pugi::xml_encoding Encoding)
{
    if (Encoding == pugi::encoding_utf8)
        return true;
    if (Encoding != pugi::encoding_auto || Size < 4)
        return false;
    const auto* Bytes = reinterpret_cast<const unsigned char*>(Data);
    if (Bytes[0] == 0xEF && Bytes[1] == 0xBB && Bytes[2] == 0xBF)
        return true;
    // Every UTF-16 and UTF-32 mark or pattern pugixml looks for.
    if (Bytes[0] == 0 || Bytes[0] == 0xFE || Bytes[0] == 0xFF || Bytes[1] == 0)
        return false;
    if (!StartsWith(Data, Data + Size, "<?xm"))
        return true;
    // pugixml reads the encoding from the declaration up to its first '?';
    // Latin-1 under either name is converted. A declaration that does not
    // end soon leaves a doubt.
    constexpr size_t Window = 512;
    const char* Question = Find(Data + 5, Data + std::min(Size, Window), '?');
    if (!Question)
        return false;
    std::string Declaration(Data, Question);
    for (char& C : Declaration)
        C = static_cast<char>(C >= 'A' && C <= 'Z' ? C - 'A' + 'a' : C);
    return Declaration.find("latin1") == std::string::npos && Declaration.find("8859-1") == std::string::npos;
}

TXMLElidedRuns::TXMLElidedRuns(TXMLBuffer Text, std::vector<TElidedRun> Runs, const char* Skeleton,
                               size_t SkeletonSize)
    : FText(std::move(Text)), FRuns(std::move(Runs)), FSkeleton(Skeleton), FSkeletonSize(SkeletonSize)
{
}

namespace {

// pugixml's end-of-line handling: "\r\n" and a lone "\r" become "\n".
size_t NormaliseLineEnds(char* Text, size_t Length)
{
    char* const End = Text + Length;
    char* Out = static_cast<char*>(std::memchr(Text, '\r', Length));
    if (!Out)
        return Length;
    for (const char* In = Out; In < End; ++In) {
        if (*In != '\r') {
            *Out++ = *In;
            continue;
        }
        *Out++ = '\n';
        if (In + 1 < End && In[1] == '\n')
            ++In;
    }
    return static_cast<size_t>(Out - Text);
}

}

std::string_view TXMLElidedRuns::Value(const char* Value)
{
    const auto Address = reinterpret_cast<uintptr_t>(Value), Base = reinterpret_cast<uintptr_t>(FSkeleton);
    if (FRuns.empty() || Address < Base || Address - Base >= FSkeletonSize)
        return Value;
    const size_t Offset = Address - Base;
    const auto Run = std::lower_bound(FRuns.begin(), FRuns.end(), Offset,
                                      [](const TElidedRun& Run, size_t Wanted) { return Run.SkeletonOffset < Wanted; });
    if (Run == FRuns.end() || Run->SkeletonOffset != Offset)
        return Value;
    char* Text = FText.Data() + Run->TextOffset;
    if (!Run->LineEndsDone) {
        Run->ValueLength = NormaliseLineEnds(Text, Run->Length);
        Run->LineEndsDone = true;
    }
    return std::string_view(Text, Run->ValueLength);
}

size_t TXMLElidedRuns::TextOffset(size_t SkeletonOffset) const
{
    // Each run before the offset took one byte of the skeleton for its length.
    const auto Next = std::upper_bound(FRuns.begin(), FRuns.end(), SkeletonOffset,
                                       [](size_t Wanted, const TElidedRun& Run) { return Wanted < Run.SkeletonOffset; });
    if (Next == FRuns.begin())
        return SkeletonOffset;
    const TElidedRun& Last = *(Next - 1);
    if (SkeletonOffset == Last.SkeletonOffset)
        return Last.TextOffset;
    return Last.TextOffset + Last.Length + (SkeletonOffset - Last.SkeletonOffset - 1);
}
