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
    template <typename TSum>
    struct TSums {
        std::vector<TSum> Row;           // the source row's weighted sums, 3 a target column
        std::vector<TSum> Current, Next; // the target rows being summed
        void Start(size_t Samples);
    };
    // The source columns a target column falls on: part of First, the whole of
    // those between, part of Last (the same as First when it holds it all).
    struct TColumn {
        uint32_t First, Last;
        uint32_t FirstWeight, LastWeight;
    };

    template <typename TSum, int Step>
    void SumRow(const uint8_t* Row, TSum* RowSums) const;
    template <typename TSum>
    void Accumulate(TSums<TSum>& Sums);
    template <typename TSum>
    void AddRowWith(const uint8_t* Row, TSums<TSum>& Sums);

    TDecodedBitmap* FTarget = nullptr;
    const uint32_t* FColours = nullptr;
    int FBitCount = 0;
    bool FBottomUp = false;
    bool FWideSums = false;
    int32_t FSourceWidth = 0;
    int32_t FSourceHeight = 0;
    int32_t FRowsAdded = 0;
    bool FFreshRow = true; // the next row is the first of a target row
    uint64_t FTotal = 0;
    std::vector<TColumn> FColumns;
    std::vector<uint8_t> FExpanded; // an indexed row looked up, 4 bytes a pixel
    TSums<uint32_t> FSums32;
    TSums<uint64_t> FSums64;
};

// Shrinks a whole Source to Width x Height (each at least 1 and at most the
// source's side) into a new 24-bit bitmap with TBoxReducer. nullopt when the
// sizes are out of range or the bitmap cannot be made.
std::optional<TDecodedBitmap> ReduceBoxFilter(const TDecodedBitmap& Source, int32_t Width, int32_t Height);
