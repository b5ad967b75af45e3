// The FictionBook route over arbitrary bytes: the document made from them as
// the driver makes it (text from a stream, or read as a file), then the cover
// lookup and the base64 decoding.
#include <cstddef>
#include <cstdint>

#include "fb2/FB2Cover.h"
#include "fuzz/XMLFuzzDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    for (const bool AsFile : {false, true}) {
        try {
            ExtractFB2Cover(FuzzDocument(Data, Size, AsFile));
        } catch (const Exception&) {
            // A damaged book is refused with an exception; only crashes, hangs
            // and leaks are findings.
        }
    }
    return 0;
}
