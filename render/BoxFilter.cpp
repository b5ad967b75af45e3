#include "render/BoxFilter.h"

#include <algorithm>
#include <type_traits>

namespace {

// The source row as 24- or 32-bit pixels: indexed rows are first looked up
// into Expanded, 4 bytes a pixel.
template <int Bits>
void ExpandIndexed(const uint8_t* Row, size_t Width, const uint32_t* Colours, uint8_t* Expanded)
{
    constexpr size_t PerByte = 8 / Bits;
    for (size_t X = 0; X < Width; ++X, Expanded += 4) {
        const unsigned Shift = static_cast<unsigned>((PerByte - 1 - X % PerByte) * Bits);
        const uint32_t Colour = Colours[(Row[X / PerByte] >> Shift) & ((1u << Bits) - 1)];
        Expanded[0] = static_cast<uint8_t>(Colour);
        Expanded[1] = static_cast<uint8_t>(Colour >> 8);
        Expanded[2] = static_cast<uint8_t>(Colour >> 16);
    }
}

// Where one target pixel lies on a source line of SourceSide pixels reduced
// to TargetSide: both measured in units of 1 / (SourceSide x TargetSide), a
// source pixel is TargetSide units long and a target pixel SourceSide, so a
// target pixel covers part of source pixel First, the whole of those between,
// and part of Last (Last = First, Last weight 0, when it lies within one).
struct TLinePart {
    uint32_t First, Last;
    uint64_t FirstWeight, LastWeight;
};

TLinePart PartOfLine(uint64_t Target, uint64_t SourceSide, uint64_t TargetSide)
{
    const uint64_t Begin = Target * SourceSide, End = Begin + SourceSide;
    const uint64_t First = Begin / TargetSide, FirstEnd = (First + 1) * TargetSide;
    if (End <= FirstEnd)
        return {static_cast<uint32_t>(First), static_cast<uint32_t>(First), End - Begin, 0};
    // End falls within source pixel End / TargetSide, or exactly on its
    // beginning: then the last pixel is the one before, whole.
    uint64_t Last = End / TargetSide, LastWeight = End - Last * TargetSide;
    if (LastWeight == 0)
        --Last, LastWeight = TargetSide;
    return {static_cast<uint32_t>(First), static_cast<uint32_t>(Last), FirstEnd - Begin, LastWeight};
}

// Division of any 32-bit number by a divisor fixed in advance, exact, by a
// multiplication and shifts (Granlund and Montgomery's method): a division
// instruction for every byte of the thumbnail costs more than the sums.
struct TExactDivisor {
    uint32_t Multiplier;
    unsigned Shift1, Shift2;

    explicit TExactDivisor(uint32_t Divisor)
    {
        unsigned Log = 0; // the least with 2^Log >= Divisor
        while ((uint64_t{1} << Log) < Divisor)
            ++Log;
        Multiplier = static_cast<uint32_t>(((uint64_t{1} << 32) * ((uint64_t{1} << Log) - Divisor)) / Divisor + 1);
        Shift1 = Log < 1 ? Log : 1;
        Shift2 = Log < 1 ? 0 : Log - 1;
    }
    uint32_t Divide(uint32_t N) const
    {
        const uint32_t High = static_cast<uint32_t>((uint64_t{Multiplier} * N) >> 32);
        return (High + ((N - High) >> Shift1)) >> Shift2;
    }
};

}

// Every sum is of weight x level, each way's weights adding up to the source
// side: a row's sums stay below source width x 255 and a target pixel's below
// source area x 255, which is below 2^32 (with the half for rounding) for
// any picture of up to 2^24 pixels. Those are reduced in 32-bit sums, which
// keeps the loops cheap on the i686 build; larger ones in 64 bits.
bool TBoxReducer::Start(int32_t SourceWidth, int32_t SourceHeight, int BitCount, const uint32_t* Colours,
                        TDecodedBitmap& Target, bool BottomUp)
{
    const int32_t Width = Target.Width(), Height = Target.Height();
    if (Target.Empty() || Target.BitCount() != 24 || Width > SourceWidth || Height > SourceHeight)
        return false;
    if (BitCount != 1 && BitCount != 4 && BitCount != 8 && BitCount != 24 && BitCount != 32)
        return false;
    FTarget = &Target;
    FColours = Colours;
    FBitCount = BitCount;
    FBottomUp = BottomUp;
    FSourceWidth = SourceWidth;
    FSourceHeight = SourceHeight;
    FRowsAdded = 0;
    FFreshRow = true;
    FTotal = static_cast<uint64_t>(SourceWidth) * static_cast<uint64_t>(SourceHeight);
    FWideSums = FTotal > (uint64_t{1} << 24);
    FColumns.resize(static_cast<size_t>(Width));
    for (int32_t X = 0; X < Width; ++X) {
        const TLinePart Part = PartOfLine(static_cast<uint64_t>(X), static_cast<uint64_t>(SourceWidth),
                                          static_cast<uint64_t>(Width));
        FColumns[static_cast<size_t>(X)] = {Part.First, Part.Last, static_cast<uint32_t>(Part.FirstWeight),
                                            static_cast<uint32_t>(Part.LastWeight)};
    }
    FExpanded.resize(BitCount <= 8 ? static_cast<size_t>(SourceWidth) * 4 : 0);
    const size_t Samples = static_cast<size_t>(Width) * 3;
    if (FWideSums)
        FSums64.Start(Samples);
    else
        FSums32.Start(Samples);
    return true;
}

template <typename TSum>
void TBoxReducer::TSums<TSum>::Start(size_t Samples)
{
    Row.resize(Samples);
    Current.resize(Samples);
    Next.resize(Samples);
}

// Each target column: its first and last source pixels weighted, the whole
// ones between summed and weighted once.
template <typename TSum, int Step>
void TBoxReducer::SumRow(const uint8_t* Row, TSum* RowSums) const
{
    const TSum Whole = static_cast<TSum>(FTarget->Width());
    for (const TColumn& Column : FColumns) {
        const uint8_t* First = Row + size_t{Column.First} * Step;
        const uint8_t* Last = Row + size_t{Column.Last} * Step;
        TSum Blue = 0, Green = 0, Red = 0;
        for (const uint8_t* P = First + Step; P < Last; P += Step)
            Blue += P[0], Green += P[1], Red += P[2];
        const TSum FirstWeight = Column.FirstWeight, LastWeight = Column.LastWeight;
        RowSums[0] = FirstWeight * First[0] + Whole * Blue + LastWeight * Last[0];
        RowSums[1] = FirstWeight * First[1] + Whole * Green + LastWeight * Last[1];
        RowSums[2] = FirstWeight * First[2] + Whole * Red + LastWeight * Last[2];
        RowSums += 3;
    }
}

// Rows count from the side they come from: taken from the bottom, the
// reduction is that of the picture upside down, written upside down.
template <typename TSum>
void TBoxReducer::Accumulate(TSums<TSum>& Sums)
{
    const uint64_t S = static_cast<uint64_t>(FSourceHeight), T = static_cast<uint64_t>(FTarget->Height());
    const uint64_t Begin = static_cast<uint64_t>(FRowsAdded) * T, End = Begin + T;
    const uint64_t Index = Begin / S;
    const uint64_t Boundary = (Index + 1) * S;
    const TSum First = static_cast<TSum>(std::min(End, Boundary) - Begin);
    const TSum Second = static_cast<TSum>(End > Boundary ? End - Boundary : 0);
    const size_t Samples = Sums.Row.size();
    TSum* Current = Sums.Current.data();
    TSum* Next = Sums.Next.data();
    const TSum* RowSums = Sums.Row.data();
    // A target row's first source row sets its sums, later ones add to them;
    // the part of a row below a boundary starts the next target row.
    if (FFreshRow)
        for (size_t I = 0; I < Samples; ++I)
            Current[I] = First * RowSums[I];
    else
        for (size_t I = 0; I < Samples; ++I)
            Current[I] += First * RowSums[I];
    if (Second)
        for (size_t I = 0; I < Samples; ++I)
            Next[I] = Second * RowSums[I];
    ++FRowsAdded;
    const bool Completes = Second != 0 || FRowsAdded == FSourceHeight ||
                           static_cast<uint64_t>(FRowsAdded) * T / S != Index;
    FFreshRow = false;
    if (!Completes)
        return;
    const int32_t Y = static_cast<int32_t>(FBottomUp ? T - 1 - Index : Index);
    uint8_t* Out = FTarget->Row(Y);
    const TSum Total = static_cast<TSum>(FTotal), Half = static_cast<TSum>(FTotal / 2);
    if constexpr (std::is_same_v<TSum, uint32_t>) {
        const TExactDivisor Divisor(Total);
        for (size_t I = 0; I < Samples; ++I)
            Out[I] = static_cast<uint8_t>(Divisor.Divide(Current[I] + Half));
    } else {
        for (size_t I = 0; I < Samples; ++I)
            Out[I] = static_cast<uint8_t>((Current[I] + Half) / Total);
    }
    std::swap(Sums.Current, Sums.Next);
    FFreshRow = Second == 0;
}

template <typename TSum>
void TBoxReducer::AddRowWith(const uint8_t* Row, TSums<TSum>& Sums)
{
    const size_t Width = static_cast<size_t>(FSourceWidth);
    switch (FBitCount) {
    case 1: ExpandIndexed<1>(Row, Width, FColours, FExpanded.data()); break;
    case 4: ExpandIndexed<4>(Row, Width, FColours, FExpanded.data()); break;
    case 8: ExpandIndexed<8>(Row, Width, FColours, FExpanded.data()); break;
    default: break;
    }
    if (FBitCount == 24)
        SumRow<TSum, 3>(Row, Sums.Row.data());
    else
        SumRow<TSum, 4>(FBitCount == 32 ? Row : FExpanded.data(), Sums.Row.data());
    Accumulate(Sums);
}

void TBoxReducer::AddRow(const uint8_t* Row)
{
    if (!FTarget || FRowsAdded >= FSourceHeight)
        return;
    if (FWideSums)
        AddRowWith(Row, FSums64);
    else
        AddRowWith(Row, FSums32);
}

std::optional<TDecodedBitmap> ReduceBoxFilter(const TDecodedBitmap& Source, int32_t Width, int32_t Height)
{
    if (Source.Empty() || Width < 1 || Height < 1 || Width > Source.Width() || Height > Source.Height())
        return std::nullopt;
    TDecodedBitmap Target;
    if (!Target.Allocate(Width, Height, 24, nullptr, 0))
        return std::nullopt;
    TBoxReducer Reducer;
    if (!Reducer.Start(Source.Width(), Source.Height(), Source.BitCount(), Source.Colors().data(), Target, false))
        return std::nullopt;
    for (int32_t Y = 0; Y < Source.Height(); ++Y)
        Reducer.AddRow(Source.Row(Y));
    return Target;
}
