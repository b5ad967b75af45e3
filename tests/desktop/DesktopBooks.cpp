// brisleaf_desktop_books FOLDER: writes one book under every name ending
// brisleaf reads, each with a cover larger than the desktop's largest
// thumbnail, a different picture format per family. The Mobipocket books
// name no cover, so only the packaged settings (MobiAllowFirstPic) show one.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/support/EpubBuilder.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/PdbBuilder.h"
#include "tests/support/PictureBuilders.h"
#include "tests/support/ZipWriter.h"

namespace {

void Stripes(int32_t X, int32_t Y, uint8_t* C)
{
    C[0] = static_cast<uint8_t>(X);
    C[1] = static_cast<uint8_t>(Y);
    C[2] = static_cast<uint8_t>((X / 40 + Y / 40) % 2 ? 200 : 40);
}

TBytes Png(int32_t Width, int32_t Height)
{
    return EncodePng(PngSpecOf(Width, Height, 2, [](int32_t X, int32_t Y, uint16_t* S) {
        uint8_t C[3];
        Stripes(X, Y, C);
        S[0] = C[0], S[1] = C[1], S[2] = C[2];
    }));
}

// The book after another entry, as archives often have it: shared-mime-info
// then calls the archive plain application/zip.
TBytes ZippedFb2(const std::string& Fb2)
{
    TZipWriter Writer;
    Writer.Add("readme.txt", std::string("Read me first."), ZipDeflated);
    Writer.Add("book.fb2", Fb2, ZipDeflated);
    return Writer.Build();
}

void Write(const std::filesystem::path& Path, const TBytes& Bytes)
{
    std::ofstream(Path, std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()),
                                               static_cast<std::streamsize>(Bytes.size()));
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: brisleaf_desktop_books FOLDER\n");
        return 2;
    }
    const std::filesystem::path Folder = argv[1];
    std::filesystem::create_directories(Folder);

    Write(Folder / "book.epub", BuildEpubWithCover(JpegOf(600, 800, Stripes)));
    const std::string Fb2 = BuildFb2WithCover(AsText(Png(500, 700)));
    Write(Folder / "book.fb2", AsBytes(Fb2));
    const TBytes Zipped = ZippedFb2(BuildFb2WithCover(AsText(BmpOf(520, 300, Stripes))));
    for (const char* Name : {"book.fbz", "book.fb2z", "book.zfb2", "book.zip", "book.fb2.zip"})
        Write(Folder / Name, Zipped);

    TMobiRecord0 Record0;
    Record0.FirstImage = 3;
    Record0.Exth = ExthBlock({ExthText(100, "Author")});
    const TBytes Mobi = MobiBook(MobiRecord0(Record0), 2, {JpegOf(420, 640, Stripes)});
    for (const char* Name : {"book.mobi", "book.azw", "book.azw3", "book.azw4", "book.kf8"})
        Write(Folder / Name, Mobi);
    return 0;
}
