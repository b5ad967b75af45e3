// Writes the Mobipocket books of the end-to-end test and the fuzz seeds, and
// dumps the cover bytes that the route finds in a book:
//   mobi_book_tool books FOLDER
//   mobi_book_tool seeds FOLDER
//   mobi_book_tool cover BOOK 0|1 OUTPUT     (1: first-picture fallback on)
// Exit status: 0 done, 1 the book gave no cover, 2 usage or I/O error.
#include <cstdio>
#include <string>
#include <vector>

#include "host/BitmapFiles.h"
#include "mobi/MobiUnit.h"
#include "platform/CodePages.h"
#include "platform/Files.h"
#include "platform/HostModule.h"
#include "tests/support/PdbBuilder.h"

namespace {

std::string Narrow(const std::u16string& Text) { return platform::WideToMultiByte(platform::cpUtf8, Text); }

bool Write(const std::u16string& Folder, const std::u16string& Name, const TBytes& Bytes)
{
    std::string Error;
    const std::u16string Path = Folder + u"/" + Name;
    if (platform::WriteWholeFile(Path, Bytes, Error))
        return true;
    std::fprintf(stderr, "mobi_book_tool: cannot write %s: %s\n", Narrow(Path).c_str(), Error.c_str());
    return false;
}

// A Width x Height picture of diagonal stripes in Colour, as a PNG or BMP file.
TBytes Picture(int32_t Width, int32_t Height, uint32_t Colour, bool AsPng)
{
    TBitmapData Bitmap;
    Bitmap.Width = Width;
    Bitmap.Height = Height;
    Bitmap.BitCount = 24;
    const uint32_t Stride = platform::DibStride(Width, 24);
    Bitmap.Bits.assign(static_cast<size_t>(Stride) * static_cast<size_t>(Height), 0xFF);
    for (int32_t Y = 0; Y < Height; ++Y)
        for (int32_t X = 0; X < Width; ++X)
            if ((X + Y) / 8 % 2 == 0) {
                uint8_t* Pixel = Bitmap.Bits.data() + static_cast<size_t>(Y) * Stride + static_cast<size_t>(X) * 3;
                Pixel[0] = static_cast<uint8_t>(Colour);
                Pixel[1] = static_cast<uint8_t>(Colour >> 8);
                Pixel[2] = static_cast<uint8_t>(Colour >> 16);
            }
    return AsPng ? EncodePng(Bitmap) : EncodeBmp(Bitmap);
}

TBytes Record0(int32_t FirstImage, const TBytes& Exth, const std::string& Identifier = "MOBI")
{
    TMobiRecord0 Fields;
    Fields.FirstImage = FirstImage;
    Fields.Exth = Exth;
    Fields.Identifier = Identifier;
    return MobiRecord0(Fields);
}

// Each book has one text record, then a 150 x 300 first picture (BMP) and a
// 300 x 150 named cover (PNG): the size of the thumbnail tells which record
// was taken. The expected answers are in the test script.
int WriteBooks(const std::u16string& Folder)
{
    const std::vector<TBytes> Pictures{Picture(150, 300, 0x2040C0, false), Picture(300, 150, 0xC04020, true)};
    const TBytes Author = ExthBlock({ExthText(100, "A. Author")});
    TBytes Damaged = MobiBook(Record0(2, ExthBlock({ExthCover(1)})), 1, Pictures);
    PutBigEndian32(Damaged, 78 + 8, 0x80000000u);  // record 1 at a negative offset
    const struct {
        const char16_t* Name;
        TBytes File;
    } Books[] = {
        {u"named-cover.mobi", MobiBook(Record0(2, ExthBlock({ExthText(100, "A. Author"), ExthCover(1)})), 1, Pictures)},
        {u"no-cover-record.azw3", MobiBook(Record0(2, Author), 1, Pictures)},
        {u"cover-minus-one.kf8", MobiBook(Record0(2, ExthBlock({ExthCover(-1)})), 1, Pictures)},
        {u"named-cover.azw", MobiBook(Record0(2, ExthBlock({ExthCover(1)})), 1, Pictures)},
        {u"named-cover.azw4", MobiBook(Record0(2, ExthBlock({ExthCover(1)})), 1, Pictures)},
        {u"not-mobi.mobi", MobiBook(Record0(2, ExthBlock({ExthCover(1)}), "BOOK"), 1, Pictures)},
        {u"damaged.mobi", Damaged},
    };
    for (const auto& Book : Books)
        if (!Write(Folder, Book.Name, Book.File))
            return 2;
    return 0;
}

// Small inputs of every shape the route tells apart.
int WriteSeeds(const std::u16string& Folder)
{
    const TBytes Marked = MarkedRecord(9, 16);
    const TBytes Jpeg{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0};
    TMobiRecord0 Late;
    Late.FirstImage = 1;
    Late.Exth = ExthBlock({ExthCover(0)});
    Late.ExthAt = 300;
    const struct {
        const char16_t* Name;
        TBytes File;
    } Seeds[] = {
        {u"cover", MobiBook(Record0(1, ExthBlock({ExthText(100, "x"), ExthCover(1)})), 0, {Marked, Jpeg})},
        {u"first-picture", MobiBook(Record0(1, ExthBlock({ExthText(503, "title")})), 0, {Jpeg})},
        {u"two-covers", MobiBook(Record0(1, ExthBlock({ExthCover(0), ExthCover(1)})), 0, {Marked, Jpeg})},
        {u"long-201", MobiBook(Record0(1, ExthBlock({{201, Marked, 24}}, 2)), 0, {Jpeg})},
        {u"damaged-walk", MobiBook(Record0(1, ExthBlock({ExthCover(0), {7, {}, 3}}, 5)), 0, {Jpeg})},
        {u"late-exth", MobiBook(MobiRecord0(Late), 0, {Jpeg})},
        {u"not-ascending", PdbWithOffsets({120, 300, 200}, 400)},
        {u"header-only", PdbHeader({}, 2)},
    };
    for (const auto& Seed : Seeds)
        if (!Write(Folder, Seed.Name, Seed.File))
            return 2;
    return 0;
}

int DumpCover(const std::u16string& Book, bool AllowFirstPicture, const std::u16string& Output)
{
    TBytes Cover;
    try {
        ExtractMobiCover(Book, AllowFirstPicture, Cover);
    } catch (const Exception& Error) {
        std::fprintf(stderr, "mobi_book_tool: %s\n", Error.what());
        return 1;
    }
    if (Cover.empty())
        return 1;
    std::string Error;
    if (!platform::WriteWholeFile(Output, Cover, Error)) {
        std::fprintf(stderr, "mobi_book_tool: cannot write %s: %s\n", Narrow(Output).c_str(), Error.c_str());
        return 2;
    }
    return 0;
}

}

int main(int argc, char** argv)
{
    const std::vector<std::u16string> Arguments = platform::CommandLineArguments(argc, argv);
    if (Arguments.size() == 3 && Arguments[1] == u"books")
        return WriteBooks(Arguments[2]);
    if (Arguments.size() == 3 && Arguments[1] == u"seeds")
        return WriteSeeds(Arguments[2]);
    if (Arguments.size() == 5 && Arguments[1] == u"cover" && (Arguments[3] == u"0" || Arguments[3] == u"1"))
        return DumpCover(Arguments[2], Arguments[3] == u"1", Arguments[4]);
    std::fprintf(stderr, "usage: mobi_book_tool books|seeds FOLDER\n       mobi_book_tool cover BOOK 0|1 OUTPUT\n");
    return 2;
}
