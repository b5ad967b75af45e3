#include "render/BoxFilter.h"

#include <algorithm>

namespace {

// Blue, green and red of pixel X of a source row.
struct TFetch24 {
    void operator()(const uint8_t* Row, size_t X, uint32_t* Bgr) const
    {
        const uint8_t* P = Row + X * 3;
        Bgr[0] = P[0], Bgr[1] = P[1], Bgr[2] = P[2];
    }
};
struct TFetch32 {
    void operator()(const uint8_t* Row, size_t X, uint32_t* Bgr) const
    {
        const uint8_t* P = Row + X * 4;
        Bgr[0] = P[0], Bgr[1] = P[1], Bgr[2] = P[2];
    }
};
template <int Bits>
struct TFetchIndexed {
    const uint32_t* Colours;
    void operator()(const uint8_t* Row, size_t X, uint32_t* Bgr) const
    {
        constexpr size_t PerByte = 8 / Bits;
        const unsigned Shift = static_cast<unsigned>((PerByte - 1 - X % PerByte) * Bits);
        const uint32_t Colour = Colours[(Row[X / PerByte] >> Shift) & ((1u << Bits) - 1)];
        Bgr[0] = Colour & 0xFF, Bgr[1] = Colour >> 8 & 0xFF, Bgr[2] = Colour >> 16 & 0xFF;
    }
};

}

// Source and target are both measured in units of 1 / (source size x target
// size), so that each source pixel is Target units long and each target
// pixel Source units; a source pixel then falls on at most two target pixels.
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
    FSourceHeight = SourceHeight;
    FRowsAdded = 0;
    FTotal = static_cast<uint64_t>(SourceWidth) * static_cast<uint64_t>(SourceHeight);
    FColumns.resize(static_cast<size_t>(SourceWidth));
    const uint64_t S = static_cast<uint64_t>(SourceWidth), T = static_cast<uint64_t>(Width);
    for (uint64_t I = 0; I < S; ++I) {
        const uint64_t Begin = I * T, End = Begin + T;
        const uint64_t Index = Begin / S;
        const uint64_t Boundary = (Index + 1) * S;
        TSpan& Span = FColumns[static_cast<size_t>(I)];
        Span.Index = static_cast<uint32_t>(Index);
        Span.First = static_cast<uint32_t>(std::min(End, Boundary) - Begin);
        Span.Second = static_cast<uint32_t>(End > Boundary ? End - Boundary : 0);
    }
    const size_t Samples = static_cast<size_t>(Width) * 3;
    // A row's weighted sums stay below source width x 255: 32 bits for any
    // usual width, which keeps the inner loop cheap on the i686 build.
    FWideSums = S * 255 > UINT32_MAX;
    FRowSums32.assign(FWideSums ? 0 : Samples, 0);
    FRowSums64.assign(FWideSums ? Samples : 0, 0);
    // Sums of weight x level stay below source area x 255 < 2^34.
    FCurrent.assign(Samples, 0);
    FNext.assign(Samples, 0);
    return true;
}

template <typename TRowSum, typename TFetch>
void TBoxReducer::SumRow(const uint8_t* Row, TFetch Fetch, std::vector<TRowSum>& RowSums)
{
    std::fill(RowSums.begin(), RowSums.end(), 0);
    for (size_t X = 0; X < FColumns.size(); ++X) {
        uint32_t Bgr[3];
        Fetch(Row, X, Bgr);
        const TSpan& Span = FColumns[X];
        TRowSum* Sum = &RowSums[Span.Index * 3];
        const TRowSum First = Span.First, Second = Span.Second;
        Sum[0] += First * Bgr[0];
        Sum[1] += First * Bgr[1];
        Sum[2] += First * Bgr[2];
        if (Second) {
            Sum[3] += Second * Bgr[0];
            Sum[4] += Second * Bgr[1];
            Sum[5] += Second * Bgr[2];
        }
    }
}

// Rows count from the side they come from: taken from the bottom, the
// reduction is that of the picture upside down, written upside down.
template <typename TRowSum>
void TBoxReducer::Accumulate(const std::vector<TRowSum>& RowSums)
{
    const uint64_t S = static_cast<uint64_t>(FSourceHeight), T = static_cast<uint64_t>(FTarget->Height());
    const uint64_t Begin = static_cast<uint64_t>(FRowsAdded) * T, End = Begin + T;
    const uint64_t Index = Begin / S;
    const uint64_t Boundary = (Index + 1) * S;
    const uint64_t First = std::min(End, Boundary) - Begin;
    const uint64_t Second = End > Boundary ? End - Boundary : 0;
    const size_t Samples = FCurrent.size();
    for (size_t I = 0; I < Samples; ++I)
        FCurrent[I] += First * RowSums[I];
    if (Second)
        for (size_t I = 0; I < Samples; ++I)
            FNext[I] += Second * RowSums[I];
    ++FRowsAdded;
    const bool Completes = Second != 0 || FRowsAdded == FSourceHeight ||
                           static_cast<uint64_t>(FRowsAdded) * T / S != Index;
    if (!Completes)
        return;
    const int32_t Y = static_cast<int32_t>(FBottomUp ? T - 1 - Index : Index);
    uint8_t* Out = FTarget->Row(Y);
    for (size_t I = 0; I < Samples; ++I)
        Out[I] = static_cast<uint8_t>((FCurrent[I] + FTotal / 2) / FTotal);
    std::swap(FCurrent, FNext);
    std::fill(FNext.begin(), FNext.end(), 0);
}

template <typename TRowSum>
void TBoxReducer::AddRowWith(const uint8_t* Row, std::vector<TRowSum>& RowSums)
{
    switch (FBitCount) {
    case 1: SumRow(Row, TFetchIndexed<1>{FColours}, RowSums); break;
    case 4: SumRow(Row, TFetchIndexed<4>{FColours}, RowSums); break;
    case 8: SumRow(Row, TFetchIndexed<8>{FColours}, RowSums); break;
    case 24: SumRow(Row, TFetch24{}, RowSums); break;
    default: SumRow(Row, TFetch32{}, RowSums); break;
    }
    Accumulate(RowSums);
}

void TBoxReducer::AddRow(const uint8_t* Row)
{
    if (!FTarget || FRowsAdded >= FSourceHeight)
        return;
    if (FWideSums)
        AddRowWith(Row, FRowSums64);
    else
        AddRowWith(Row, FRowSums32);
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
