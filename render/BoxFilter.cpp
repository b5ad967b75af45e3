#include "render/BoxFilter.h"

#include <algorithm>
#include <vector>

namespace {

// How one source column (or row) splits over the target: a part of weight
// First in target Index, the rest, Second, in Index + 1. Source and target
// are both measured in units of 1 / (source size x target size), so that
// each source pixel is Target units long and each target pixel Source units.
struct TSpan {
    uint32_t Index;
    uint32_t First;
    uint32_t Second;
};

std::vector<TSpan> Spans(int32_t SourceSize, int32_t TargetSize)
{
    std::vector<TSpan> Result(static_cast<size_t>(SourceSize));
    const uint64_t S = static_cast<uint64_t>(SourceSize), T = static_cast<uint64_t>(TargetSize);
    for (uint64_t I = 0; I < S; ++I) {
        const uint64_t Start = I * T, End = Start + T;
        const uint64_t Index = Start / S;
        const uint64_t Boundary = (Index + 1) * S;
        TSpan& Span = Result[static_cast<size_t>(I)];
        Span.Index = static_cast<uint32_t>(Index);
        Span.First = static_cast<uint32_t>(std::min(End, Boundary) - Start);
        Span.Second = static_cast<uint32_t>(End > Boundary ? End - Boundary : 0);
    }
    return Result;
}

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

// TRowSum holds a row's weighted sums, at most source width x 255: 32 bits
// for any usual width, which keeps the inner loop cheap on the i686 build.
template <typename TRowSum, typename TFetch>
void Reduce(const TDecodedBitmap& Source, TDecodedBitmap& Target, TFetch Fetch)
{
    const int32_t Width = Target.Width();
    const std::vector<TSpan> Columns = Spans(Source.Width(), Width);
    const std::vector<TSpan> Rows = Spans(Source.Height(), Target.Height());
    const size_t Samples = static_cast<size_t>(Width) * 3;
    // Sums of weight x level stay below source area x 255 < 2^34.
    std::vector<TRowSum> RowSums(Samples);
    std::vector<uint64_t> Current(Samples), Next(Samples);
    const uint64_t Total = static_cast<uint64_t>(Source.Width()) * static_cast<uint64_t>(Source.Height());

    for (int32_t Y = 0; Y < Source.Height(); ++Y) {
        std::fill(RowSums.begin(), RowSums.end(), 0);
        const uint8_t* Row = Source.Row(Y);
        for (size_t X = 0; X < Columns.size(); ++X) {
            uint32_t Bgr[3];
            Fetch(Row, X, Bgr);
            const TSpan& Span = Columns[X];
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
        const TSpan& Span = Rows[static_cast<size_t>(Y)];
        for (size_t I = 0; I < Samples; ++I) {
            Current[I] += uint64_t{Span.First} * RowSums[I];
            Next[I] += uint64_t{Span.Second} * RowSums[I];
        }
        const bool LastSourceRow = Y + 1 == Source.Height();
        const bool Completes = Span.Second != 0 || LastSourceRow ||
                               Rows[static_cast<size_t>(Y) + 1].Index != Span.Index;
        if (!Completes)
            continue;
        uint8_t* Out = Target.Row(static_cast<int32_t>(Span.Index));
        for (size_t I = 0; I < Samples; ++I)
            Out[I] = static_cast<uint8_t>((Current[I] + Total / 2) / Total);
        std::swap(Current, Next);
        std::fill(Next.begin(), Next.end(), 0);
    }
}

template <typename TRowSum>
std::optional<TDecodedBitmap> ReduceWith(const TDecodedBitmap& Source, TDecodedBitmap Target)
{
    const uint32_t* Colours = Source.Colors().data();
    switch (Source.BitCount()) {
    case 1: Reduce<TRowSum>(Source, Target, TFetchIndexed<1>{Colours}); break;
    case 4: Reduce<TRowSum>(Source, Target, TFetchIndexed<4>{Colours}); break;
    case 8: Reduce<TRowSum>(Source, Target, TFetchIndexed<8>{Colours}); break;
    case 24: Reduce<TRowSum>(Source, Target, TFetch24{}); break;
    case 32: Reduce<TRowSum>(Source, Target, TFetch32{}); break;
    default: return std::nullopt;
    }
    return Target;
}

}

std::optional<TDecodedBitmap> ReduceBoxFilter(const TDecodedBitmap& Source, int32_t Width, int32_t Height)
{
    if (Source.Empty() || Width < 1 || Height < 1 || Width > Source.Width() || Height > Source.Height())
        return std::nullopt;
    TDecodedBitmap Target;
    if (!Target.Allocate(Width, Height, 24, nullptr, 0))
        return std::nullopt;
    if (static_cast<uint64_t>(Source.Width()) * 255 <= UINT32_MAX)
        return ReduceWith<uint32_t>(Source, std::move(Target));
    return ReduceWith<uint64_t>(Source, std::move(Target));
}
