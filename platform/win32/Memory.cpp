#include "platform/Memory.h"

namespace platform {

// Large pages on Windows need a privilege that a file manager's process does
// not hold: nothing to advise.
void AdviseLargeBlock(void*, size_t) {}

}
