#include "xml/XMLStreamedElision.h"

#include <algorithm>
#include <cstring>

#include <pugixml.hpp>

#include "core/Exceptions.h"
#include "core/Limits.h"
#include "xml/XMLRunFinder.h"

namespace {

// Each read lands in memory that the reads before it used already: a window
// this size stays in the cache while it is looked at.
constexpr size_t WindowBytes = 256 * 1024;

constexpr char Placeholder = 'x';

// Reads up to Want more bytes of Stream onto the end of Buffer, growing it
// when it is full, to Expected bytes at once; false at the end of the stream.
bool ReadMore(TStream& Stream, TXMLBuffer& Buffer, size_t Want, size_t Expected, size_t& TextBytes)
{
    const size_t Size = Buffer.Size();
    if (Size == Buffer.Capacity()) {
        // A full buffer may hold the whole stream: probe before growing.
        char Probe;
        if (Stream.Read(&Probe, 1) <= 0)
            return false;
        if (TextBytes >= Limits::XMLTextBytes)
            throw EReadError(SReadError);
        // The buffer holds no more than the text read.
        Buffer.Reserve(std::min(std::max(Buffer.Capacity() * 2, Expected), Limits::XMLTextBytes));
        Buffer.Data()[Size] = Probe;
        Buffer.SetSize(Size + 1);
        ++TextBytes;
        return true;
    }
    const int64_t Got = Stream.Read(Buffer.Data() + Size, static_cast<int64_t>(std::min(Want, Buffer.Capacity() - Size)));
    if (Got <= 0)
        return false;
    TextBytes += static_cast<size_t>(Got);
    if (TextBytes > Limits::XMLTextBytes)
        throw EReadError(SReadError);
    Buffer.SetSize(Size + static_cast<size_t>(Got));
    return true;
}

}

TStreamedElision ElideLongRunsFromStream(TStream& Stream, size_t MinRun, TRunElision& Elision, size_t& TextBytes)
{
    // The skeleton is the buffer the text is read into: its bytes up to
    // Scanned are final, those after are text not yet looked at, the first
    // of them the text's byte at Offset. A run's bytes are written over by
    // the reads after it.
    const int64_t Claimed = Stream.Size() - Stream.Position();
    const size_t Expected = Claimed <= 0 ? 0 : static_cast<size_t>(std::min<uint64_t>(Claimed, Limits::XMLTrustedBytes));
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
        Last = !ReadMore(Stream, Skeleton, std::max(WindowBytes, Pending), Expected, TextBytes);
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
                Data[Write++] = Placeholder;
            }
            Elision.Runs.push_back({Slot, Run.Offset, Run.Length, Run.Length, false});
            Read = InWindow(Run.Offset + Run.Length);
            Intact = false;
        }
        if (Finder.InLongRun()) {
            if (Finder.LongRunOffset() >= Offset) {
                Keep(InWindow(Finder.LongRunOffset()));
                LongRunSlot = Write;
                Data[Write++] = Placeholder;
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
