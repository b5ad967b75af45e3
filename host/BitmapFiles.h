#pragma once

#include <cstdint>
#include <vector>

#include "platform/HostModule.h"

using TBitmapData = platform::TLoadedModule::TBitmapData;

// Pixel (X, Y) of a bitmap, Y counted from the top, as 0x00RRGGBB.
uint32_t PixelRGB(const TBitmapData& Bitmap, int32_t X, int32_t Y);

// The bitmap as an RGB PNG file.
std::vector<uint8_t> EncodePng(const TBitmapData& Bitmap);
// The bitmap as a BMP file, in its own bit depth and colour table.
std::vector<uint8_t> EncodeBmp(const TBitmapData& Bitmap);
