#pragma once

#include <cstdint>
#include <vector>

// Byte arrays: archive entries, Palm database records, picture bytes.
using TBytes = std::vector<uint8_t>;
