#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The books brisleaf_make_books wrote, found through the BRISLEAF_BOOKS
// folder the suite is run with, and the boxes they are asked for.
struct TBookRequest {
    std::u16string FileName;
    int32_t Width = 0;
    int32_t Height = 0;
};

// One request per line of the folder's expected.tsv that runs with the
// default settings and the wide entry, the books that fail included. Empty
// when the folder is not set or has no list.
std::vector<TBookRequest> CorpusRequests();
// The folder's path as given, for messages.
std::string CorpusFolder();
