// Writes the seeds of the whole-request fuzz targets, small books of every
// kind the route meets:
//   brisleaf_request_seeds FOLDER -> FOLDER/request_<extension>/<name>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/stress/SeedPictures.h"
#include "tests/support/EpubBuilder.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/PdbBuilder.h"
#include "tests/support/ZipWriter.h"

namespace fs = std::filesystem;

namespace {

void Save(const fs::path& Folder, const std::string& Target, const std::string& Name, const TBytes& Bytes)
{
    fs::create_directories(Folder / Target);
    std::ofstream(Folder / Target / Name, std::ios::binary)
        .write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

TBytes Zipped(const std::string& EntryName, const std::string& Book, uint16_t Method)
{
    TZipWriter Writer;
    Writer.Add(EntryName, Book, Method);
    return Writer.Build();
}

TBytes Mobi(const TBytes& Exth, const std::vector<TBytes>& Pictures)
{
    TMobiRecord0 Fields;
    Fields.FirstImage = 2;
    Fields.Exth = Exth;
    return MobiBook(MobiRecord0(Fields), 1, Pictures);
}

void WriteSeeds(const fs::path& Folder)
{
    const std::string WithJpeg = BuildFb2WithCover(AsText(SmallJpeg()));
    TFb2Book Png;
    Png.Covers = {"#c.png"};
    Png.Binaries = {{"c.png", AsText(SmallPng()), "image/png"}};
    TFb2Book Source;
    Source.SourceCovers = {"#s"};
    Source.Binaries = {{"s", AsText(SmallGif()), "image/gif"}};
    TFb2Book Russian = Png;
    Russian.Declaration = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>";
    Russian.Title = "Война и мир";

    Save(Folder, "request_fb2", "jpeg-cover", AsBytes(WithJpeg));
    Save(Folder, "request_fb2", "png-cover", AsBytes(BuildFb2(Png)));
    Save(Folder, "request_fb2", "source-cover-gif", AsBytes(BuildFb2(Source)));
    Save(Folder, "request_fb2", "cp1251", AsBytes(Utf8ToCp1251(BuildFb2(Russian))));
    Save(Folder, "request_fb2", "utf16", AsBytes(Utf16WithBom(BuildFb2(Png), false)));
    Save(Folder, "request_fb2", "no-cover", AsBytes(BuildFb2(TFb2Book{})));

    const std::string WithBmp = BuildFb2WithCover(AsText(SmallBmp()));
    Save(Folder, "request_fbz", "deflated", Zipped("book.fb2", WithJpeg, ZipDeflated));
    Save(Folder, "request_fbz", "stored-bmp", Zipped("Folder/Book.FB2", WithBmp, ZipStored));
    Save(Folder, "request_fbz", "no-book", Zipped("notes.txt", "no book here", ZipDeflated));

    Save(Folder, "request_epub", "jpeg-cover", BuildEpubWithCover(SmallJpeg()));
    Save(Folder, "request_epub", "png-cover", BuildEpubWithCover(SmallPng(), "png"));
    Save(Folder, "request_epub", "gif-cover", BuildEpubWithCover(SmallGif(), "gif"));
    TEpubBook NoCover;
    NoCover.Package = EpubPackage("", "<item id=\"t\" href=\"t.html\"/>");
    Save(Folder, "request_epub", "no-cover", BuildEpub(NoCover));

    Save(Folder, "request_mobi", "exth-cover", Mobi(ExthBlock({ExthText(100, "Author"), ExthCover(1)}),
                                                    {SmallJpeg(), SmallBmp()}));
    // The target reads the settings from the last byte: a PNG ends in 0x82
    // (first picture allowed, no fallbacks), a JPEG in 0xD9 (refused, no
    // fallbacks); a document ending in '>' runs with the fallbacks.
    Save(Folder, "request_mobi", "first-picture-allowed", Mobi(ExthBlock({ExthText(100, "Author")}), {SmallPng()}));
    Save(Folder, "request_mobi", "first-picture-refused", Mobi(ExthBlock({}), {SmallJpeg()}));
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: brisleaf_request_seeds FOLDER\n");
        return 2;
    }
    WriteSeeds(argv[1]);
    return 0;
}
