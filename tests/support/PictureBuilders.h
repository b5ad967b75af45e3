#pragma once

// Builders of picture files for the render tests: JPEG, PNG and GIF through
// the libraries' encoders, BMP written by hand.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/Types.h"

// Component values of pixel (X, Y), Y from the top.
using TSampleFunction = std::function<void(int32_t X, int32_t Y, uint8_t* Components)>;
// The colour of pixel (X, Y): 0x00RRGGBB, or an index into a colour table.
using TPixelFunction = std::function<uint32_t(int32_t X, int32_t Y)>;

struct TJpegSpec {
    int32_t Width = 16;
    int32_t Height = 16;
    int Components = 3; // 1 grey, 3 RGB (stored as YCbCr), 4 CMYK
    TSampleFunction Sample;
    int Quality = 95;
    bool Progressive = false;
    bool Arithmetic = false; // arithmetic coding: frame types SOF9 and SOF10
};
TBytes EncodeJpeg(const TJpegSpec& Spec);
// Jpeg with its last scan repeated until it has Scans scans in all: a
// decoder takes the repeats as a bogus progression and goes on.
TBytes JpegWithScans(const TBytes& Jpeg, size_t Scans);
// An RGB JPEG of the given quality.
TBytes JpegOf(int32_t Width, int32_t Height, TSampleFunction Rgb, int Quality = 95);

struct TPngSpec {
    int32_t Width = 4;
    int32_t Height = 4;
    int ColourType = 2; // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    int BitDepth = 8;
    bool Interlaced = false;
    // Width x Height x channels samples, rows top-down, each below 2^BitDepth.
    std::vector<uint16_t> Samples;
    std::vector<uint32_t> Palette; // 0x00RRGGBB
    std::vector<uint8_t> PaletteAlpha; // tRNS of a palette picture
    std::optional<uint16_t> KeyGrey; // tRNS of a grey picture
    std::optional<uint32_t> Gamma; // gAMA in units of 1/100000
};
TBytes EncodePng(const TPngSpec& Spec);
// Samples per pixel of a PNG colour type.
int PngChannels(int ColourType);
// Appends a chunk: length, type, data and the CRC of type and data.
void AppendPngChunk(TBytes& Png, const char* Type, const TBytes& Data);
// A PNG of zero samples written by hand, all of it really there, however
// large: every row is a zero filter byte and zero samples, so the image data
// are deflated zeros; Extra more zeros follow the last row in the same
// compressed stream.
TBytes ZeroPng(uint32_t Width, uint32_t Height, uint8_t ColourType = 0, uint8_t BitDepth = 8, bool Interlaced = false,
               uint64_t Extra = 0);
// An 8-bit PNG whose samples at (X, Y) come from Sample; palette and
// transparency are the caller's to add.
TPngSpec PngSpecOf(int32_t Width, int32_t Height, int ColourType,
                   const std::function<void(int32_t X, int32_t Y, uint16_t* Samples)>& Sample);

struct TGifFrameSpec {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Interlaced = false;
    std::vector<uint32_t> LocalColours; // none: the global table
    int TransparentIndex = -1;
    std::vector<uint8_t> Pixels; // Width x Height indexes, rows top-down
};
struct TGifSpec {
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    std::vector<uint32_t> GlobalColours; // none: no global table
    int BackgroundIndex = 0;
    std::vector<TGifFrameSpec> Frames;
};
TBytes EncodeGif(const TGifSpec& Spec);
// A GIF of one frame filling the screen, Index(X, Y) into the global Colours.
TBytes GifOf(int32_t Width, int32_t Height, std::vector<uint32_t> Colours, const TPixelFunction& Index);

enum class TBmpHeader { Core12, Info40, V4 };
struct TBmpSpec {
    TBmpHeader Header = TBmpHeader::Info40;
    int32_t Width = 4;
    int32_t Height = 4; // negative: rows top-down
    int BitCount = 24;
    uint32_t Compression = 0; // 0 RGB, 1 RLE8, 2 RLE4, 3 bit fields
    std::vector<uint32_t> Colours; // 0x00RRGGBB
    uint32_t Masks[3] = {0, 0, 0}; // red, green, blue, for bit fields
    TBytes Pixels; // as stored in the file
    uint32_t ImageSize = 0;
};
TBytes WriteBmp(const TBmpSpec& Spec);
// The stored rows of a picture: BitCount bits per pixel from Index(X, Y)
// (indexes) or Bgr(X, Y) (24/32 bits), rows padded to 4 bytes, bottom-up
// unless TopDown.
TBytes PackBmpRows(int32_t Width, int32_t Height, int BitCount, bool TopDown, const TPixelFunction& Value);
// A 24-bit bottom-up BMP of the colours Rgb gives.
TBytes BmpOf(int32_t Width, int32_t Height, const TSampleFunction& Rgb);
