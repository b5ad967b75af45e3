#pragma once

#include <string>
#include <vector>

#include "core/Types.h"

// A photograph-like JPEG: smooth gradients with noise, so that its
// entropy-coded data are of a realistic size.
TBytes PhotoJpeg(int32_t Width, int32_t Height);

struct TBenchBook {
    std::string Name;
    std::string Path;
    TBytes Cover;          // the encoded cover picture inside the book
    bool CoverIsPng = false;
    bool CoverIsBase64 = false; // FictionBook: the cover is carried as base64 text
};

// The fixed set of books of the benchmarks, written into Folder.
std::vector<TBenchBook> WriteBenchBooks(const std::string& Folder);
