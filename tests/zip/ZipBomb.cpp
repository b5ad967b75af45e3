// Builds deflate bombs and reads them as a preview request would, to measure
// that each ends in an error quickly and with bounded memory:
//   zip_bomb make DIR    writes the bombs into DIR
//   zip_bomb read FILE   opens FILE and reads every entry to bytes
// Run "read" under /usr/bin/time -v for the peak memory.
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/CodePages.h"
#include "platform/Files.h"
#include "tests/support/ZipWriter.h"
#include "zip/ZipFile.h"

namespace {

constexpr uint64_t GiB = uint64_t{1} << 30;

void Put64(TBytes& Out, uint64_t Value)
{
    for (int I = 0; I < 8; ++I)
        Out.push_back(static_cast<uint8_t>(Value >> (8 * I)));
}

// A ZIP64-style entry: 0xFFFFFFFF in both headers, the real sizes in a ZIP64
// extra field, which the reader does not interpret.
TBytes Zip64Declared(uint64_t Size)
{
    TZipWriter Writer;
    TZipWriterEntry& Entry = Writer.Add("OEBPS/cover.jpg", TBytes(), ZipDeflated);
    Entry.Data = DeflatedRun(Size);
    Entry.CentralUncompressedSize = Entry.LocalUncompressedSize = 0xFFFFFFFF;
    Entry.CentralCompressedSize = Entry.LocalCompressedSize = 0xFFFFFFFF;
    Entry.Extra = {0x01, 0x00, 16, 0};
    Put64(Entry.Extra, Size);
    Put64(Entry.Extra, Entry.Data->size());
    return Writer.Build();
}

TBytes Sized(uint64_t Size)
{
    TZipWriter Writer;
    TZipWriterEntry& Entry = Writer.Add("OEBPS/cover.jpg", TBytes(), ZipDeflated);
    Entry.Data = DeflatedRun(Size);
    Entry.CentralUncompressedSize = Entry.LocalUncompressedSize = static_cast<uint32_t>(Size);
    return Writer.Build();
}

// Sizes after the data (bit 3): only inflating tells how large it is.
TBytes Unsized(uint64_t Size)
{
    TZipWriter Writer;
    TZipWriterEntry& Entry = Writer.Add("OEBPS/cover.jpg", TBytes(), ZipDeflated);
    Entry.Data = DeflatedRun(Size);
    Entry.Flag = ZipBit3;
    return Writer.Build();
}

int Make(const std::string& Dir)
{
    const struct {
        const char* Name;
        TBytes (*Build)(uint64_t);
        uint64_t Size;
    } Bombs[] = {
        {"declared-10g-zip64.zip", Zip64Declared, 10 * GiB},
        {"declared-10g-bit3.zip", Unsized, 10 * GiB},
        {"real-1g-sized.zip", Sized, 1 * GiB},
        {"real-1g-bit3.zip", Unsized, 1 * GiB},
    };
    for (const auto& Bomb : Bombs) {
        const TBytes Archive = Bomb.Build(Bomb.Size);
        const std::string Path = Dir + "/" + Bomb.Name;
        std::string Error;
        if (!platform::WriteWholeFile(platform::MultiByteToWide(platform::cpUtf8, Path), Archive, Error)) {
            std::fprintf(stderr, "cannot write %s: %s\n", Path.c_str(), Error.c_str());
            return 1;
        }
        std::printf("%s: %zu bytes, inflates to %llu bytes\n", Path.c_str(), Archive.size(),
                    static_cast<unsigned long long>(Bomb.Size));
    }
    return 0;
}

int Read(const std::string& File)
{
    const auto Start = std::chrono::steady_clock::now();
    const std::u16string Path = platform::MultiByteToWide(platform::cpUtf8, File);
    std::string Outcome;
    if (!TZipFile::IsValid(Path)) {
        Outcome = "not an archive";
    } else {
        try {
            TZipFile Zip;
            Zip.Open(Path, zmRead);
            TReadBudget Budget(Limits::RequestReadBytes);
            for (const std::u16string& Name : Zip.FileNames())
                Outcome += "read " + std::to_string(Zip.Read(Name, Limits::ZipEntryBytes, Budget).size()) + " bytes; ";
        } catch (const Exception& Error) {
            Outcome += std::string("refused: ") + Error.what();
        }
    }
    const std::chrono::duration<double, std::milli> Elapsed = std::chrono::steady_clock::now() - Start;
    std::printf("%s: %s (%.0f ms)\n", File.c_str(), Outcome.c_str(), Elapsed.count());
    return 0;
}

}

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "make")
        return Make(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "read")
        return Read(argv[2]);
    std::fprintf(stderr, "usage: zip_bomb make DIR | zip_bomb read FILE\n");
    return 2;
}
