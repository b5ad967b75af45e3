#pragma once

#include <cstdint>

#include "core/Stream.h"
#include "render/JpegLibrary.h"

// Makes the library read a picture from Stream, from its position, in
// pieces, so a picture that lies in a file is never held whole. The library
// sees what jpeg_mem_src would show it of the same bytes: the picture, then
// its warning of a premature end and endless end-of-image markers. A read
// that raises ends the decode by the library's error exit.
void UseStreamSource(jpeg_decompress_struct& Info, TStream& Stream);
// How many of the stream's bytes the library has taken so far.
uint64_t StreamBytesTaken(const jpeg_decompress_struct& Info);
