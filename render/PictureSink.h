#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/Limits.h"
#include "render/BoxFilter.h"
#include "render/DecodedBitmap.h"

// A decoded picture's size and pixel format, as a decoder learns it from the
// header: BitCount 1, 4, 8, 24 or 32; for 1 to 8 bits, ColourCount entries of
// Colours (0x00RRGGBB), the rest of the table black.
struct TPictureShape {
    int32_t Width = 0;
    int32_t Height = 0;
    int BitCount = 0;
    const uint32_t* Colours = nullptr;
    int ColourCount = 0;
};

enum class TRowOrder { TopDown, BottomUp };

// What becomes of a picture whose data ends before its last row (a download
// cut short): no picture, or the rows that decoded with the rest mid-grey,
// as libjpeg leaves the blocks that a JPEG cut short does not hold.
enum TCutShort { csRefuse, csKeepRows };

// Where a decoder puts the rows it decodes. Without a box the whole picture
// is kept. With a box, a picture that fits it is kept as it is, and a larger
// one is reduced to the fitted size by area averaging as its rows come, so
// that only the thumbnail and one row are ever held: a picture the fit would
// refuse is refused from its header, before anything is allocated. Every
// member is noexcept, so that decoders may call it between setjmp and a C
// library.
class TPictureSink {
public:
    TPictureSink() = default;
    TPictureSink(int32_t BoxWidth, int32_t BoxHeight) : FBoxed(true), FBoxWidth(BoxWidth), FBoxHeight(BoxHeight) {}
    TPictureSink(const TPictureSink&) = delete;
    TPictureSink& operator=(const TPictureSink&) = delete;

    // Whether a picture of this size would be taken: what Start checks
    // before it allocates, for a decoder that must ask before its costly part.
    bool Accepts(int32_t Width, int32_t Height, int BitCount) const noexcept;
    // Starts a picture whose rows come one at a time, each once, in Order.
    // False when no bitmap would come of it: no pixels, above
    // Limits::PicturePixels, a fitted side below 1, or no memory.
    bool Start(const TPictureShape& Shape, TRowOrder Order) noexcept;
    // Starts a picture whose rows are filled in any order, and returns the
    // zero-filled bitmap to fill, or nullptr. A picture to be shrunk is then
    // held whole, up to Limits::HeldPixels.
    TDecodedBitmap* StartHeld(const TPictureShape& Shape) noexcept;

    // The next row in the Start order, zero-filled, to be filled and then
    // handed over with PutRow; at most the picture's height of them.
    uint8_t* NextRow() noexcept;
    void PutRow() noexcept;

    // The kept picture or the thumbnail; rows never put count as zero
    // bytes. nullopt when nothing was started.
    std::optional<TDecodedBitmap> Finish() noexcept;
    // Finish for a picture whose data ended early: the rows not put are
    // mid-grey (for 1 to 8 bits the table's colour nearest to it). nullopt
    // when no row was put or the rows came in any order (StartHeld).
    std::optional<TDecodedBitmap> FinishCutShort() noexcept;

    // Bytes of pixels held at the same time: bitmaps and the row buffer.
    uint64_t PeakBytes() const { return FPeakBytes; }

private:
    enum class TMode { None, Keep, Reduce, HoldAndReduce };

    bool ToShrink(int32_t Width, int32_t Height) const;
    bool Takes(const TPictureShape& Shape) const;
    bool Allocate(TDecodedBitmap& Bitmap, int32_t Width, int32_t Height, int BitCount, int ColourCount) noexcept;
    bool StartKept(const TPictureShape& Shape) noexcept;
    bool StartReduction(const TPictureShape& Shape, bool BottomUp) noexcept;

    bool FBoxed = false;
    int32_t FBoxWidth = 0;
    int32_t FBoxHeight = 0;
    TMode FMode = TMode::None;
    bool FBottomUp = false;
    int32_t FRowsPut = 0;
    int32_t FHeight = 0;
    int FBitCount = 0;
    int FColourCount = 0;
    uint64_t FPeakBytes = 0;
    std::array<uint32_t, 256> FColours{};
    TDecodedBitmap FBitmap; // the kept picture, or the thumbnail
    TDecodedBitmap FHeld;
    std::vector<uint8_t> FRow;
    TBoxReducer FReducer;
};
