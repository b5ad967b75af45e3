// The whole request for a book named *.mobi.
#include "fuzz/RequestFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static const TRequestFile File(".mobi");
    return FuzzRequest(File, Data, Size);
}
