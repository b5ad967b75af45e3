// Opens an archive from the fuzzer's bytes and reads every entry, whole and
// as a stream.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/MemoryStream.h"
#include "zip/ZipFile.h"

namespace {

// Enough to pass every deflate block a small input can hold many times over.
constexpr int64_t MaxStreamed = int64_t{64} << 20;

void ReadThroughStream(TZipFile& Zip, const std::u16string& Name)
{
    TZipHeader LocalHeader;
    const std::unique_ptr<TStream> Entry = Zip.Read(Name, LocalHeader);
    uint8_t Buffer[4096];
    int64_t Total = 0;
    while (Total < MaxStreamed) {
        const int64_t Got = Entry->Read(Buffer, sizeof Buffer);
        if (Got <= 0)
            break;
        Total += Got;
    }
    Entry->Seek(0, soBeginning);
    Entry->Read(Buffer, 100);
    Entry->Seek(10, soCurrent);
    Entry->Read(Buffer, 100);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TPointerReadOnlyStream Stream(Data, static_cast<intptr_t>(Size));
    TZipFile Zip;
    try {
        Zip.Open(Stream, zmRead);
    } catch (const Exception&) {
        return 0;
    }
    for (const std::u16string& Name : Zip.FileNames()) {
        Zip.IndexOf(Name);
        try {
            TReadBudget Budget(Limits::RequestReadBytes);
            Zip.Read(Name, Limits::ZipEntryBytes, Budget);
        } catch (const Exception&) {
        }
        try {
            ReadThroughStream(Zip, Name);
        } catch (const Exception&) {
        }
    }
    return 0;
}
