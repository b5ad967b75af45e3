#pragma once

#include "core/Types.h"

// Small covers of each picture format, made with the test builders, for
// inputs that are meant to be small.
TBytes SmallJpeg(int32_t Width = 8, int32_t Height = 8);
TBytes SmallPng(int32_t Width = 4, int32_t Height = 4);
TBytes SmallGif(int32_t Width = 4, int32_t Height = 4);
TBytes SmallBmp(int32_t Width = 4, int32_t Height = 4);
