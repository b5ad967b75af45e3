#include "xml/XMLRunElision.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "xml/XMLRunFinder.h"

namespace {

// How far into a text the encoding's guess looks for the end of its declaration.
constexpr size_t DeclarationWindow = 512;

}

bool ElideLongRuns(const char* Text, size_t Size, size_t MinRun, size_t MaxSkeletonBytes, TRunElision& Elision)
{
    if (MinRun == 0)
        return false;
    TRunFinder Finder(MinRun);
    Finder.Look(Text, Size, 0, true);
    const std::vector<TRunFinder::TRun>& Found = Finder.Runs();
    if (Finder.Doubt() || Found.empty())
        return false;
    size_t Elided = 0;
    for (const TRunFinder::TRun& Run : Found)
        Elided += Run.Length - 1;
    if (Size - Elided > MaxSkeletonBytes)
        return false;
    Elision.Skeleton = TXMLBuffer(Size - Elided);
    Elision.Runs.clear();
    Elision.Runs.reserve(Found.size());
    Elision.Equals = Finder.Equals();
    char* Out = Elision.Skeleton.Data();
    size_t From = 0;
    for (const TRunFinder::TRun& Run : Found) {
        std::memcpy(Out, Text + From, Run.Offset - From);
        Out += Run.Offset - From;
        Elision.Runs.push_back({static_cast<size_t>(Out - Elision.Skeleton.Data()), Run.Offset, Run.Length, Run.Length, false});
        *Out++ = RunPlaceholder;
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
    const std::string_view Start(Data, std::min(Size, DeclarationWindow));
    if (Start.substr(0, 4) != "<?xm")
        return true;
    // pugixml reads the encoding from the declaration up to its first '?';
    // Latin-1 under either name is converted. A declaration that does not
    // end soon leaves a doubt.
    const size_t Question = Start.find('?', 5);
    if (Question == std::string_view::npos)
        return false;
    std::string Declaration(Start.substr(0, Question));
    for (char& C : Declaration)
        C = static_cast<char>(C >= 'A' && C <= 'Z' ? C - 'A' + 'a' : C);
    return Declaration.find("latin1") == std::string::npos && Declaration.find("8859-1") == std::string::npos;
}

bool EncodingGuessKnown(const char* Data, size_t Size)
{
    if (Size >= DeclarationWindow)
        return true;
    const std::string_view Start(Data, Size);
    return Size >= 4 && (Start.substr(0, 4) != "<?xm" || Start.find('?', 5) != std::string_view::npos);
}

TXMLElidedRuns::TXMLElidedRuns(TXMLBuffer Text, std::vector<TElidedRun> Runs, const char* Skeleton,
                               size_t SkeletonSize)
    : FText(std::move(Text)), FRuns(std::move(Runs)), FSkeleton(Skeleton), FSkeletonSize(SkeletonSize)
{
}

TXMLElidedRuns::TXMLElidedRuns(TStream& Text, std::vector<TElidedRun> Runs, const char* Skeleton, size_t SkeletonSize)
    : FStream(&Text), FReadRuns(Runs.size()), FRuns(std::move(Runs)), FSkeleton(Skeleton), FSkeletonSize(SkeletonSize)
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
    char* Text;
    if (FStream) {
        TXMLBuffer& Read = FReadRuns[static_cast<size_t>(Run - FRuns.begin())];
        if (!Run->LineEndsDone) {
            Read = TXMLBuffer(Run->Length);
            FStream->SetPosition(static_cast<int64_t>(Run->TextOffset));
            FStream->ReadBuffer(Read.Data(), static_cast<int64_t>(Run->Length));
        }
        Text = Read.Data();
    } else {
        Text = FText.Data() + Run->TextOffset;
    }
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
