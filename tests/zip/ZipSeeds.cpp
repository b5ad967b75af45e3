// Writes small archives that start the ZIP fuzz target off in every part of
// the format: zip_seeds DIR
#include <cstdio>
#include <string>

#include "platform/CodePages.h"
#include "platform/Files.h"
#include "tests/support/ZipWriter.h"

namespace {

TBytes Text(size_t Size)
{
    std::string Line;
    while (Line.size() < Size)
        Line += "<p>The quick brown fox jumps over the lazy dog.</p>\n";
    return Bytes(Line.substr(0, Size));
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zip_seeds DIR\n");
        return 2;
    }
    struct TSeed {
        const char* Name;
        TZipWriter Writer;
    };
    TSeed Seeds[10] = {{"empty.zip", {}},        {"stored.zip", {}},     {"deflated.zip", {}},
                       {"descriptor.zip", {}},   {"names.zip", {}},      {"duplicates.zip", {}},
                       {"stub.zip", {}},         {"methods.zip", {}},    {"sizes.zip", {}},
                       {"epub.zip", {}}};
    Seeds[0].Writer.Comment("comment");
    Seeds[1].Writer.Add("a.txt", Text(40));
    Seeds[2].Writer.Add("b.fb2", Text(600), ZipDeflated);
    Seeds[3].Writer.Add("c.xml", Text(300), ZipDeflated).Flag = ZipBit3;
    Seeds[3].Writer.Add("d.bin", Text(20)).Flag = ZipBit3;
    Seeds[4].Writer.Add("caf\xC3\xA9.txt", Text(5)).Flag = ZipUtf8;
    Seeds[4].Writer.Add("\x81\x82.txt", Text(5)).Extra = {0x55, 0x54, 0x01, 0x00, 0x00};
    Seeds[4].Writer.Add("dir/", TBytes()).Comment = "folder";
    Seeds[5].Writer.Add("x", Text(3));
    Seeds[5].Writer.Add("x", Text(4), ZipDeflated);
    Seeds[6].Writer.Stub(Bytes("MZ stub"), true).Add("e.txt", Text(10), ZipDeflated);
    Seeds[7].Writer.Add("lzma", Text(10), 14);
    Seeds[7].Writer.Add("deflate64", Text(10), 9).LocalMethod = 8;
    Seeds[7].Writer.Add("high", Text(10), 0x0108).Data = RawDeflate(Text(10));
    Seeds[8].Writer.Add("short", Text(10)).LocalUncompressedSize = 4;
    Seeds[8].Writer.Add("early", Text(200), ZipDeflated).Data = RawDeflate(Text(50));
    Seeds[9].Writer.Add("mimetype", Bytes("application/epub+zip"));
    Seeds[9].Writer.Add("META-INF/container.xml",
                        Bytes("<?xml version=\"1.0\"?><container><rootfiles><rootfile full-path=\"OEBPS/c.opf\"/>"
                              "</rootfiles></container>"),
                        ZipDeflated);
    for (TSeed& Seed : Seeds) {
        const std::string Path = std::string(argv[1]) + "/" + Seed.Name;
        std::string Error;
        if (!platform::WriteWholeFile(platform::MultiByteToWide(platform::cpUtf8, Path), Seed.Writer.Build(), Error)) {
            std::fprintf(stderr, "cannot write %s: %s\n", Path.c_str(), Error.c_str());
            return 1;
        }
    }
    return 0;
}
