#include "xml/XMLStreamedElision.h"

#include <algorithm>
#include <cstring>

#include <pugixml.hpp>

#include "xml/XMLRunFinder.h"

namespace {

// Each read lands in memory that the reads before it used already: a window
// this size stays in the cache while it is looked at.
constexpr size_t WindowBytes = 256 * 1024;

}

TStreamedElision ElideLongRunsFromStream(TStream& Stream, size_t MinRun, TRunElision& Elision, size_t& TextBytes)
{
    // The skeleton is the buffer the text is read into: its bytes up to
    // Scanned are final, those after are text not yet looked at, the first
    // of them the text's byte at Offset. A run's bytes are written over by
    // the reads after it.
    const size_t Expected = ClaimedTextBytes(Stream);
    // The skeleton of a text with long runs is much smaller than the text:
    // room for the whole text is taken only once the skeleton needs more
    // than a few windows.
    TXMLBuffer& Skeleton = Elision.Skeleton;
    Skeleton = TXMLBuffer(std::clamp(Expected, size_t{4096}, 2 * WindowBytes));
    Elision.Runs.clear();
    TextBytes = 0;
    TRunFinder Finder(MinRun);
    size_t Scanned = 0, Offset = 0, LongRunSlot = 0;
    bool EncodingKnown = false, Looking = true, Intact = true, Last = false;
    while (!Last) {
        const size_t Pending = Skeleton.Size() - Scanned;
        // A construct that outgrows its window is read on at its own size, so
        // that looking at it again from its start costs no more than it does.
        Last = !ReadMoreOfStream(Stream, Skeleton, std::max(WindowBytes, Pending), Expected, TextBytes);
        if (!EncodingKnown) {
            if (!Last && !EncodingGuessKnown(Skeleton.Data(), Skeleton.Size()))
                continue;
            EncodingKnown = true;
            // Text the parser converts is read whole, as its values never point into it.
            Looking = ParsedInPlace(Skeleton.Data(), Skeleton.Size(), pugi::encoding_auto);
        }
        if (!Looking) {
            Scanned = Skeleton.Size();
            continue;
        }
        char* const Data = Skeleton.Data();
        const size_t Size = Skeleton.Size();
        const size_t Placed = Elision.Runs.size();
        const size_t Done = Scanned + Finder.Look(Data + Scanned, Size - Scanned, Offset, Last);
        if (Finder.Lost() || (Finder.Doubt() && !Intact))
            return TStreamedElision::ReadAgain;
        if (Finder.Doubt()) {
            // Nothing is elided from a text with a doubt: the rest is read whole.
            Looking = false;
            Scanned = Size;
            continue;
        }
        // Each run found in this window becomes its placeholder, and so does
        // a long run it ends in, at once; what follows moves up. A long run
        // that began in an earlier window has its placeholder already.
        size_t Write = Scanned, Read = Scanned;
        const auto Keep = [&](size_t Upto) {
            if (Write != Read)
                std::memmove(Data + Write, Data + Read, Upto - Read);
            Write += Upto - Read;
        };
        const auto InWindow = [&](size_t TextOffset) { return Scanned + (std::max(TextOffset, Offset) - Offset); };
        for (size_t Index = Placed; Index < Finder.Runs().size(); ++Index) {
            const TRunFinder::TRun& Run = Finder.Runs()[Index];
            size_t Slot = LongRunSlot;
            if (Run.Offset >= Offset) {
                Keep(InWindow(Run.Offset));
                Slot = Write;
                Data[Write++] = RunPlaceholder;
            }
            Elision.Runs.push_back({Slot, Run.Offset, Run.Length, Run.Length, false});
            Read = InWindow(Run.Offset + Run.Length);
            Intact = false;
        }
        if (Finder.InLongRun()) {
            if (Finder.LongRunOffset() >= Offset) {
                Keep(InWindow(Finder.LongRunOffset()));
                LongRunSlot = Write;
                Data[Write++] = RunPlaceholder;
            }
            Intact = false;
        } else {
            Keep(Done);
        }
        Read = Done;
        const size_t Unfinished = Size - Done;
        const size_t NewScanned = Write;
        Keep(Size);
        Offset += Done - Scanned;
        Scanned = NewScanned;
        Skeleton.SetSize(Scanned + Unfinished);
    }
    Elision.Equals = Finder.Equals();
    return Elision.Runs.empty() ? TStreamedElision::Whole : TStreamedElision::Elided;
}
