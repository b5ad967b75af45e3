#include "xml/XMLRunFinder.h"

#include <cstring>
#include <string_view>

namespace {

// Text is looked into a piece at a time, so that every check of a piece
// finds it in the cache: the pictures of a book are larger than any cache.
constexpr size_t PieceBytes = 16 * 1024;

// More '=' than this in a run leaves it to the parser; base64 holds at most
// two at its end.
constexpr size_t MaxRunEquals = 64;

// The longest markup opening told apart ("<![CDATA[", "<!DOCTYPE"): a window
// that ends closer than this after a '<' leaves its kind open.
constexpr size_t LongestOpening = 9;

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
// quoted values may hold '>'. End when the text ends first, none when a
// character of Doubts comes first outside quotes.
const char* MarkupEnd(const char* From, const char* End, std::string_view Doubts = {})
{
    for (const char* At = From; At < End; ++At) {
        const char C = *At;
        if (C == '>')
            return At;
        if (Doubts.find(C) != std::string_view::npos)
            return nullptr;
        if ((C == '"' || C == '\'') && !(At = Find(At + 1, End, C)))
            return End;
    }
    return End;
}

// The '<' that ends element content going on at From, of which Seen bytes
// came before (none when the window ends first); content shorter than MinRun
// is not looked into.
const char* ContentEnd(const char* From, const char* End, size_t Seen, size_t MinRun, TRunFinder::TCheck& Check)
{
    for (const char* At = From; At < End;) {
        const char* Stop = static_cast<size_t>(End - At) > PieceBytes ? At + PieceBytes : End;
        const char* Open = Find(At, Stop, '<');
        if (Open && Seen + static_cast<size_t>(Open - From) < MinRun)
            return Open;
        Check.Look(At, Open ? Open : Stop);
        if (Open)
            return Open;
        At = Stop;
    }
    return nullptr;
}

}

void TRunFinder::TCheck::Look(const char* From, const char* To)
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

size_t TRunFinder::Look(const char* Window, size_t Size, size_t Base, bool Last)
{
    const char* const End = Window + Size;
    const char* At = Window;
    const auto Done = [&](const char* Upto) { return static_cast<size_t>(Upto - Window); };
    // The scan ends for good; what follows is only text for the parser.
    const auto EndScan = [&] {
        FEnded = true;
        return Size;
    };
    if (FEnded)
        return Size;
    if (!FStarted) {
        if (Size < 3 && !Last)
            return 0;
        FStarted = true;
        if (StartsWith(At, End, "\xEF\xBB\xBF"))
            At += 3;
    }
    if (FLongRun) {
        const char* Open = ContentEnd(At, End, FMinRun, FMinRun, FLongRunCheck);
        if (!Open && FLongRunCheck.Elidable && !Last)
            return Size;
        FLongRun = false;
        if (!Open || !FLongRunCheck.NonBlank || !FLongRunCheck.Elidable) {
            FLost = true;
            return EndScan();
        }
        FRuns.push_back({FLongRunOffset, Base + Done(Open) - FLongRunOffset});
        FEquals += FLongRunCheck.Equals;
        At = Open;
    }
    while (At < End) {
        if (*At != '<') {
            // Text after the top-level nodes is no node.
            if (FDepth == 0) {
                At = Find(At, End, '<');
                if (!At)
                    return Size;
                continue;
            }
            TCheck Check;
            const char* Open = ContentEnd(At, End, 0, FMinRun, Check);
            const auto Length = static_cast<size_t>((Open ? Open : End) - At);
            if (!Open) {
                if (Last)
                    return EndScan();
                if (Length < FMinRun || !Check.Elidable)
                    return Done(At);
                // The run's bytes so far are not needed again: it is elided
                // whole, or it is lost.
                FLongRun = true;
                FLongRunOffset = Base + Done(At);
                FLongRunCheck = Check;
                return Size;
            }
            if (Length >= FMinRun && Check.Elidable && Check.NonBlank) {
                FRuns.push_back({Base + Done(At), Length});
                FEquals += Check.Equals;
            }
            At = Open;
            continue;
        }
        if (!Last && static_cast<size_t>(End - At) < LongestOpening)
            return Done(At);
        const char* Close;
        size_t Depth = FDepth;
        if (StartsWith(At, End, "</")) {
            if (Depth-- == 0) {
                FDoubt = true;
                return EndScan();
            }
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
            // A declaration left open at the end is one too.
            if (Depth > 0 || !StartsWith(At, End, "<!DOCTYPE") || !(Close = MarkupEnd(At + 9, End, "<[")) ||
                (Close == End && Last)) {
                FDoubt = true;
                return EndScan();
            }
        } else {
            Close = MarkupEnd(At + 1, End);
            if (Close != End && Close[-1] != '/')
                ++Depth;
        }
        if (!Close || Close == End)
            return Last ? EndScan() : Done(At);
        FDepth = Depth;
        At = Close + 1;
    }
    return Size;
}
