#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "render/DecodedBitmap.h"

// Shrinks a picture by area averaging: every target pixel is the mean of the
// source area it covers, partial pixels weighted by the part they cover,
// rounded to the nearest level. Integer arithmetic only. The source comes one
// row at a time, from the top or from the bottom, so that it never has to be
// held whole; the sums are the same either way, and so are the pixels. 1-,
// 4-, 8-, 24- and 32-bit rows are read as they are.
class TBoxReducer {
public:
    // Prepares the reduction of a SourceWidth x SourceHeight picture of
    // BitCount bits per pixel (Colours: its 256-entry table, for 1 to 8 bits)
    // into Target, a 24-bit bitmap of 1 to the source's side each, which the
    // caller keeps alive. False when a size or the depth is out of range.
    bool Start(int32_t SourceWidth, int32_t SourceHeight, int BitCount, const uint32_t* Colours,
               TDecodedBitmap& Target, bool BottomUp);
    // The next source row, of at least the source's padded stride; after
    // the last one the target is complete.
    void AddRow(const uint8_t* Row);
    int32_t RowsAdded() const { return FRowsAdded; }
    int32_t SourceHeight() const { return FSourceHeight; }

private:
    template <typename TRowSum, typename TFetch>
    void SumRow(const uint8_t* Row, TFetch Fetch, std::vector<TRowSum>& RowSums);
    template <typename TRowSum>
    void AddRowWith(const uint8_t* Row, std::vector<TRowSum>& RowSums);
    template <typename TRowSum>
    void Accumulate(const std::vector<TRowSum>& RowSums);

    // How one source column splits over the target: a part of weight First
    // in target column Index, the rest, Second, in Index + 1.
    struct TSpan {
        uint32_t Index;
        uint32_t First;
        uint32_t Second;
    };

    TDecodedBitmap* FTarget = nullptr;
    const uint32_t* FColours = nullptr;
    int FBitCount = 0;
    bool FBottomUp = false;
    bool FWideSums = false;
    int32_t FSourceHeight = 0;
    int32_t FRowsAdded = 0;
    uint64_t FTotal = 0;
    std::vector<TSpan> FColumns;
    std::vector<uint32_t> FRowSums32;
    std::vector<uint64_t> FRowSums64;
    std::vector<uint64_t> FCurrent, FNext;
};

// Shrinks a whole Source to Width x Height (each at least 1 and at most the
// source's side) into a new 24-bit bitmap with TBoxReducer. nullopt when the
// sizes are out of range or the bitmap cannot be made.
std::optional<TDecodedBitmap> ReduceBoxFilter(const TDecodedBitmap& Source, int32_t Width, int32_t Height);
