#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

#include "render/BoxFilter.h"
#include "tests/support/BitmapPixels.h"

namespace {

using TPattern = std::function<uint32_t(int32_t X, int32_t Y)>;

TDecodedBitmap MakeBitmap(int32_t Width, int32_t Height, const TPattern& Colour)
{
    TDecodedBitmap Bitmap;
    EXPECT_TRUE(Bitmap.Allocate(Width, Height, 24, nullptr, 0));
    for (int32_t Y = 0; Y < Height; ++Y)
        for (int32_t X = 0; X < Width; ++X) {
            const uint32_t C = Colour(X, Y);
            uint8_t* P = Bitmap.Row(Y) + static_cast<size_t>(X) * 3;
            P[0] = static_cast<uint8_t>(C), P[1] = static_cast<uint8_t>(C >> 8), P[2] = static_cast<uint8_t>(C >> 16);
        }
    return Bitmap;
}

// The exact area average of the source under target pixel (X, Y), for one
// channel, computed from the overlap of real intervals.
double ReferenceAverage(const TPattern& Colour, int32_t SourceWidth, int32_t SourceHeight, int32_t Width,
                        int32_t Height, int32_t X, int32_t Y, int Shift)
{
    const double X0 = static_cast<double>(X) * SourceWidth / Width, X1 = static_cast<double>(X + 1) * SourceWidth / Width;
    const double Y0 = static_cast<double>(Y) * SourceHeight / Height,
                 Y1 = static_cast<double>(Y + 1) * SourceHeight / Height;
    double Sum = 0, Area = 0;
    for (int32_t SY = static_cast<int32_t>(Y0); SY < SourceHeight && SY < Y1; ++SY) {
        const double H = std::min<double>(SY + 1, Y1) - std::max<double>(SY, Y0);
        for (int32_t SX = static_cast<int32_t>(X0); SX < SourceWidth && SX < X1; ++SX) {
            const double W = std::min<double>(SX + 1, X1) - std::max<double>(SX, X0);
            Sum += W * H * (Colour(SX, SY) >> Shift & 0xFF);
            Area += W * H;
        }
    }
    return Sum / Area;
}

struct TPatternCase {
    const char* Name;
    TPattern Colour;
};

std::vector<TPatternCase> Patterns()
{
    auto Noise = std::make_shared<std::vector<uint32_t>>();
    std::mt19937 Random(12345);
    for (int I = 0; I < 400 * 400; ++I)
        Noise->push_back(Random() & 0xFFFFFF);
    return {
        {"vertical stripes", [](int32_t X, int32_t) { return X % 2 ? 0xFFFFFFu : 0u; }},
        {"horizontal stripes", [](int32_t, int32_t Y) { return Y % 2 ? 0xFF8000u : 0x0080FFu; }},
        {"checkerboard", [](int32_t X, int32_t Y) { return (X + Y) % 2 ? 0xFFFFFFu : 0u; }},
        {"3-pixel checkerboard", [](int32_t X, int32_t Y) { return (X / 3 + Y / 3) % 2 ? 0xC0FF40u : 0x102030u; }},
        {"noise", [Noise](int32_t X, int32_t Y) { return (*Noise)[static_cast<size_t>(Y * 400 + X)]; }},
    };
}

struct TSizeCase {
    int32_t SourceWidth, SourceHeight, Width, Height;
};

TEST(BoxFilter, MatchesTheAreaAverageWithinOneLevel)
{
    const TSizeCase Sizes[] = {
        {384, 256, 96, 64},  // by 4
        {200, 150, 100, 75}, // by 2
        {200, 150, 96, 72},  // by 2.083
        {97, 50, 96, 49},    // barely
        {300, 100, 60, 20},  // by 5
        {333, 331, 95, 17},  // fractional, unequal factors
        {17, 400, 1, 23},    // one column
        {250, 250, 250, 1},  // one row, width unchanged
    };
    for (const TPatternCase& Pattern : Patterns()) {
        for (const TSizeCase& Size : Sizes) {
            const TDecodedBitmap Source = MakeBitmap(Size.SourceWidth, Size.SourceHeight, Pattern.Colour);
            const std::optional<TDecodedBitmap> Target = ReduceBoxFilter(Source, Size.Width, Size.Height);
            ASSERT_TRUE(Target);
            ASSERT_EQ(Target->BitCount(), 24);
            ASSERT_EQ(Target->Width(), Size.Width);
            ASSERT_EQ(Target->Height(), Size.Height);
            double Worst = 0;
            for (int32_t Y = 0; Y < Size.Height; ++Y)
                for (int32_t X = 0; X < Size.Width; ++X)
                    for (int Shift : {0, 8, 16}) {
                        const double Want = ReferenceAverage(Pattern.Colour, Size.SourceWidth, Size.SourceHeight,
                                                             Size.Width, Size.Height, X, Y, Shift);
                        Worst = std::max(Worst, std::fabs(Want - (PixelAt(*Target, X, Y) >> Shift & 0xFF)));
                    }
            EXPECT_LE(Worst, 1.0) << Pattern.Name << " " << Size.SourceWidth << "x" << Size.SourceHeight << " to "
                                  << Size.Width << "x" << Size.Height;
        }
    }
}

TEST(BoxFilter, OnePixelStripesShrunkByFourAreGrey)
{
    const TDecodedBitmap Source = MakeBitmap(64, 64, [](int32_t X, int32_t) { return X % 2 ? 0xFFFFFFu : 0u; });
    const std::optional<TDecodedBitmap> Target = ReduceBoxFilter(Source, 16, 16);
    ASSERT_TRUE(Target);
    for (int32_t Y = 0; Y < 16; ++Y)
        for (int32_t X = 0; X < 16; ++X)
            EXPECT_EQ(PixelAt(*Target, X, Y), 0x808080u);
}

// Every source depth reads as its colours: the reduction of an indexed or
// 32-bit picture equals that of the same picture in 24 bits.
TEST(BoxFilter, EverySourceDepthIsRead)
{
    const uint32_t Colours[16] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xABCDEF, 0x808080,
                                  0x400000, 0x004000, 0x000040, 0xF0F0F0, 0x0F0F0F, 0x777777, 0x314159, 0x271828};
    const int32_t Width = 37, Height = 29;
    auto Index = [](int32_t X, int32_t Y, int Bits) { return static_cast<uint32_t>(X * 7 + Y * 3 + X * Y) % (1u << Bits) % 16; };
    for (int Bits : {1, 4, 8, 32}) {
        TDecodedBitmap Source;
        ASSERT_TRUE(Source.Allocate(Width, Height, Bits, Colours, Bits <= 8 ? std::min(16, 1 << Bits) : 0));
        for (int32_t Y = 0; Y < Height; ++Y) {
            uint8_t* Row = Source.Row(Y);
            for (int32_t X = 0; X < Width; ++X) {
                const uint32_t I = Index(X, Y, Bits == 32 ? 4 : Bits);
                const size_t Column = static_cast<size_t>(X);
                if (Bits == 32) {
                    Row[Column * 4] = static_cast<uint8_t>(Colours[I]);
                    Row[Column * 4 + 1] = static_cast<uint8_t>(Colours[I] >> 8);
                    Row[Column * 4 + 2] = static_cast<uint8_t>(Colours[I] >> 16);
                    Row[Column * 4 + 3] = 0x99;
                } else {
                    const size_t Bit = Column * static_cast<size_t>(Bits);
                    Row[Bit / 8] |= static_cast<uint8_t>(I << (8 - Bits - Bit % 8));
                }
            }
        }
        const TDecodedBitmap Reference = MakeBitmap(Width, Height, [&](int32_t X, int32_t Y) {
            return Colours[Index(X, Y, Bits == 32 ? 4 : Bits)];
        });
        const std::optional<TDecodedBitmap> Got = ReduceBoxFilter(Source, 11, 8);
        const std::optional<TDecodedBitmap> Want = ReduceBoxFilter(Reference, 11, 8);
        ASSERT_TRUE(Got && Want);
        int Wrong = 0;
        for (int32_t Y = 0; Y < 8; ++Y)
            for (int32_t X = 0; X < 11; ++X)
                Wrong += PixelAt(*Got, X, Y) != PixelAt(*Want, X, Y);
        EXPECT_EQ(Wrong, 0) << Bits << " bits";
    }
}

// The definition, summed the slow way: target pixel (X, Y) is the sum over
// the source pixels it overlaps of overlap area x level, in units of
// 1 / (source side x target side) each way, divided by its area rounded to
// the nearest level.
std::vector<uint8_t> ReferenceReduction(const TDecodedBitmap& Source, int32_t Width, int32_t Height)
{
    const int64_t SW = Source.Width(), SH = Source.Height();
    auto Overlap = [](int64_t SourcePixel, int64_t SourceSide, int64_t TargetPixel, int64_t TargetSide) {
        const int64_t Begin = std::max(SourcePixel * TargetSide, TargetPixel * SourceSide);
        const int64_t End = std::min((SourcePixel + 1) * TargetSide, (TargetPixel + 1) * SourceSide);
        return static_cast<uint64_t>(std::max<int64_t>(End - Begin, 0));
    };
    const uint64_t Area = static_cast<uint64_t>(SW * SH);
    std::vector<uint8_t> Out;
    for (int64_t Y = 0; Y < Height; ++Y)
        for (int64_t X = 0; X < Width; ++X) {
            uint64_t Sum[3] = {};
            for (int64_t SY = Y * SH / Height; SY < SH && SY * Height < (Y + 1) * SH; ++SY)
                for (int64_t SX = X * SW / Width; SX < SW && SX * Width < (X + 1) * SW; ++SX) {
                    const uint64_t Weight = Overlap(SX, SW, X, Width) * Overlap(SY, SH, Y, Height);
                    const uint32_t Colour = PixelAt(Source, static_cast<int32_t>(SX), static_cast<int32_t>(SY));
                    for (int C = 0; C < 3; ++C)
                        Sum[C] += Weight * (Colour >> (16 - 8 * C) & 0xFF);
                }
            for (uint64_t Channel : Sum)
                Out.push_back(static_cast<uint8_t>((Channel + Area / 2) / Area));
        }
    return Out;
}

// Bit for bit the definition, at every depth, over odd sizes, rows taken
// from either end, padding bytes that hold anything, and sizes whose sums
// need more than 32 bits (a row's above 16.8 million columns, a pixel's
// above 16.8 million source pixels).
TEST(BoxFilter, EqualsTheDefinitionBitForBit)
{
    struct TCase {
        int Bits;
        int32_t SourceWidth, SourceHeight, Width, Height;
        bool BottomUp;
    } const Cases[] = {
        {24, 401, 299, 256, 191, false}, {24, 37, 23, 36, 5, true},   {24, 13, 7, 1, 1, false},
        {24, 5, 9, 5, 2, true},          {32, 399, 301, 255, 193, false}, {32, 23, 31, 7, 31, true},
        {8, 211, 97, 100, 51, false},    {8, 19, 3, 6, 2, true},       {4, 123, 45, 61, 44, false},
        {4, 9, 11, 4, 3, true},          {1, 141, 59, 70, 13, false},  {1, 17, 5, 3, 5, true},
        {1, 16843010, 1, 3, 1, false},   {1, 4111, 4099, 7, 5, true},  {24, 1201, 1601, 170, 227, false},
    };
    std::mt19937 Random(2024);
    uint32_t Colours[256];
    for (uint32_t& Colour : Colours)
        Colour = Random() & 0xFFFFFF;
    for (const TCase& Case : Cases) {
        TDecodedBitmap Source, Target;
        ASSERT_TRUE(Source.Allocate(Case.SourceWidth, Case.SourceHeight, Case.Bits, Colours,
                                    Case.Bits <= 8 ? 1 << Case.Bits : 0));
        for (int32_t Y = 0; Y < Case.SourceHeight; ++Y)
            std::generate_n(Source.Row(Y), Source.Stride(), [&] { return static_cast<uint8_t>(Random()); });
        ASSERT_TRUE(Target.Allocate(Case.Width, Case.Height, 24, nullptr, 0));
        TBoxReducer Reducer;
        ASSERT_TRUE(Reducer.Start(Case.SourceWidth, Case.SourceHeight, Case.Bits, Source.Colors().data(), Target,
                                  Case.BottomUp));
        for (int32_t I = 0; I < Case.SourceHeight; ++I)
            Reducer.AddRow(Source.Row(Case.BottomUp ? Case.SourceHeight - 1 - I : I));
        std::vector<uint8_t> Got;
        for (int32_t Y = 0; Y < Case.Height; ++Y)
            for (int32_t X = 0; X < Case.Width; ++X)
                for (int Shift : {16, 8, 0})
                    Got.push_back(static_cast<uint8_t>(PixelAt(Target, X, Y) >> Shift));
        EXPECT_EQ(Got, ReferenceReduction(Source, Case.Width, Case.Height))
            << Case.Bits << " bits, " << Case.SourceWidth << "x" << Case.SourceHeight << " to " << Case.Width << "x"
            << Case.Height << (Case.BottomUp ? " bottom-up" : "");
    }
}

TEST(BoxFilter, RefusesSizesOutOfRange)
{
    const TDecodedBitmap Source = MakeBitmap(10, 10, [](int32_t, int32_t) { return 0u; });
    for (auto [Width, Height] : {std::pair{0, 5}, {5, 0}, {-1, 5}, {11, 5}, {5, 11}})
        EXPECT_FALSE(ReduceBoxFilter(Source, Width, Height)) << Width << " x " << Height;
    EXPECT_FALSE(ReduceBoxFilter(TDecodedBitmap(), 1, 1));
}

}
