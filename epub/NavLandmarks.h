#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The hrefs (UTF-8, relative to the navigation document) of the links that
// an EPUB 3 navigation document's landmarks mark as the cover: every <a>
// whose epub:type holds the token "cover" inside the first <nav> whose
// epub:type holds "landmarks", in document order; elements matched by local
// name, the type attribute by its local name under any prefix. Empty when
// the bytes are no document or have no such links.
std::vector<std::string> LandmarkCoverHrefs(const uint8_t* Data, size_t Size);
