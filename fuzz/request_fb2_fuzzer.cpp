// The whole request for a book named *.fb2.
#include "fuzz/RequestFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static const TRequestFile File(".fb2");
    return FuzzRequest(File, Data, Size);
}
