#pragma once

#include <string>
#include <vector>

#include "core/Types.h"

// The box every benchmark fits its thumbnails into, as `brisleaf-thumb -s 256`.
constexpr int32_t BenchBox = 256;

// A photograph-like JPEG: smooth gradients with noise, so that its
// entropy-coded data are of a realistic size.
TBytes PhotoJpeg(int32_t Width, int32_t Height);

struct TBenchBook {
    std::string Name;
    std::string Path;
    TBytes Cover;          // the encoded cover picture inside the book; empty: a book without one
    bool CoverIsPng = false;
    bool CoverIsBase64 = false; // FictionBook: the cover is carried as base64 text
    bool InBatch = true;        // among the batch's books (the large and costly ones are not)
    int ScaleDenominator = 1;   // JPEG cover: the DCT scale 1/d a request into BenchBox decodes at
};

// The fixed set of books of the benchmarks, written into Folder, with:
//   Folder/covers/NAME.jpg  the bare cover of each EPUB, MOBI and AZW3 book
//                           with a JPEG cover (the whole-process comparison);
//   Folder/batch/           1,000 hard links to the books with covers that are InBatch;
//   Folder/books.tsv        one line a book: name, book path, bare cover path
//                           (empty if none written), DCT scale denominator.
std::vector<TBenchBook> WriteBenchBooks(const std::string& Folder);
