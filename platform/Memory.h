#pragma once

#include <cstddef>

namespace platform {

// Says that the block just allocated at Data, Size bytes, is about to be
// written from its start, so that the system may back it with large pages:
// one fault for each of those instead of one for each 4 KiB page, which
// costs more than reading a large file into it. Only advice: the block's
// contents and use are the same either way.
void AdviseLargeBlock(void* Data, size_t Size);

}
