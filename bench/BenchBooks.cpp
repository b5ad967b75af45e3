#include "bench/BenchBooks.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

#include "core/MemoryStream.h"
#include "render/JpegFrameSize.h"
#include "tests/support/EpubBuilder.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/PdbBuilder.h"
#include "tests/support/PictureBuilders.h"
#include "tests/support/ZipWriter.h"

TBytes PhotoJpeg(int32_t Width, int32_t Height)
{
    static std::map<std::pair<int32_t, int32_t>, TBytes> Made;
    TBytes& Bytes = Made[{Width, Height}];
    if (Bytes.empty()) {
        std::mt19937 Random(7);
        Bytes = JpegOf(Width, Height, [&](int32_t X, int32_t Y, uint8_t* C) {
            const unsigned Noise = Random() % 24;
            C[0] = static_cast<uint8_t>(X * 200 / Width + Noise);
            C[1] = static_cast<uint8_t>(Y * 200 / Height + Noise);
            C[2] = static_cast<uint8_t>((X + Y) * 100 / (Width + Height) + 80 + Noise);
        }, 85);
    }
    return Bytes;
}

namespace {

TBytes PhotoPng(int32_t Width, int32_t Height)
{
    std::mt19937 Random(11);
    return EncodePng(PngSpecOf(Width, Height, 2, [&](int32_t X, int32_t Y, uint16_t* S) {
        const unsigned Noise = Random() % 8;
        S[0] = static_cast<uint16_t>((X * 200 / Width + Noise) & 255);
        S[1] = static_cast<uint16_t>((Y * 200 / Height + Noise) & 255);
        S[2] = 128;
    }));
}

TBytes MobiWithCover(const TBytes& Cover)
{
    TMobiRecord0 Fields;
    Fields.FirstImage = 21;
    Fields.Exth = ExthBlock({ExthText(100, "Author"), ExthCover(0)});
    std::vector<TBytes> Pictures = {Cover};
    return MobiBook(MobiRecord0(Fields), 20, Pictures);
}

// About 50 MB of text: the cover first, then many other pictures (random
// bytes stand in for them; they are never decoded).
std::string LargeFb2(const TBytes& Cover)
{
    TFb2Book Book;
    Book.Covers = {"#cover.jpg"};
    Book.Binaries.push_back({"cover.jpg", AsText(Cover), "image/jpeg"});
    std::mt19937 Random(3);
    for (int Picture = 0; Picture < 150; ++Picture) {
        std::string Bytes(250000, '\0');
        for (char& Byte : Bytes)
            Byte = static_cast<char>(Random());
        Book.Binaries.push_back({"picture" + std::to_string(Picture) + ".jpg", Bytes, "image/jpeg"});
    }
    return BuildFb2(Book);
}

// About 8 MB of Russian prose in UTF-8 before the cover, as a long novel has.
std::string CyrillicFb2(const TBytes& Cover)
{
    const std::string Words[] = {"князь", "Андрей", "сказал", "что", "война", "и", "мир", "Наташа", "в", "доме",
                                 "Ростовых", "был", "вечер", "глаза", "её", "светились", "Пьер", "не", "знал"};
    TFb2Book Book;
    Book.Covers = {"#cover.jpg"};
    Book.Binaries.push_back({"cover.jpg", AsText(Cover), "image/jpeg"});
    std::mt19937 Random(5);
    Book.Body = "<section>";
    while (Book.Body.size() < 8000000) {
        Book.Body += "<p>";
        for (int Word = 0; Word < 60; ++Word)
            Book.Body += Words[Random() % std::size(Words)] + (Word % 12 == 11 ? ". " : " ");
        Book.Body += "</p>\n";
    }
    Book.Body += "</section>";
    return BuildFb2(Book);
}

// About 56 MB of prose and no pictures, with a novel's node density:
// chapters of 30 to 60 paragraphs of 300 to 600 bytes, some words emphasised.
std::string TextFb2()
{
    const std::string Words[] = {"the", "house", "stood", "at", "end", "of", "a", "long", "road", "and", "she",
                                 "had", "never", "seen", "it", "in", "winter", "before", "when", "light", "fell",
                                 "across", "fields", "he", "said", "nothing", "for", "while", "then", "walked",
                                 "towards", "river", "where", "old", "boats", "lay", "waiting", "evening"};
    TFb2Book Book;
    Book.Body.clear();
    std::mt19937 Random(9);
    for (int Chapter = 1; Book.Body.size() < 56000000; ++Chapter) {
        Book.Body += "<section><title><p>Chapter " + std::to_string(Chapter) + "</p></title>\n";
        for (unsigned Paragraph = 30 + Random() % 31; Paragraph > 0; --Paragraph) {
            const size_t End = Book.Body.size() + 300 + Random() % 301;
            Book.Body += "<p>";
            while (Book.Body.size() < End) {
                const std::string& Word = Words[Random() % std::size(Words)];
                switch (Random() % 40) {
                case 0: Book.Body += "<emphasis>" + Word + "</emphasis> "; break;
                case 1: Book.Body += "<strong>" + Word + "</strong>, "; break;
                default: Book.Body += Word + " ";
                }
            }
            Book.Body += "</p>\n";
            if (Random() % 20 == 0)
                Book.Body += "<empty-line/>\n";
        }
        Book.Body += "</section>\n";
    }
    return BuildFb2(Book);
}

void Write(const std::string& Path, const std::string& Bytes)
{
    std::ofstream(Path, std::ios::binary).write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

std::string Extension(const std::string& Name) { return Name.substr(0, Name.find('-')); }

// Many books for the batch mode: links (copies where links fail) to the small
// books with covers, in turn, under names of their own.
void WriteBatch(const std::string& Folder, const std::vector<TBenchBook>& Books)
{
    namespace fs = std::filesystem;
    std::vector<const TBenchBook*> Batched;
    for (const TBenchBook& Book : Books)
        if (!Book.Cover.empty() && Book.InBatch)
            Batched.push_back(&Book);
    fs::remove_all(Folder);
    fs::create_directories(Folder);
    for (size_t I = 0; I < 1000; ++I) {
        const TBenchBook& Book = *Batched[I % Batched.size()];
        char Number[8];
        std::snprintf(Number, sizeof Number, "%04zu-", I);
        const fs::path Link = fs::path(Folder) / (Number + Book.Name + "." + Extension(Book.Name));
        std::error_code Error;
        fs::create_hard_link(Book.Path, Link, Error);
        if (Error)
            fs::copy_file(Book.Path, Link);
    }
}

}

std::vector<TBenchBook> WriteBenchBooks(const std::string& Folder)
{
    std::filesystem::create_directories(Folder + "/covers");
    const TBytes Jpeg1600 = PhotoJpeg(1600, 1200), Jpeg4000 = PhotoJpeg(4000, 3000), Jpeg1400 = PhotoJpeg(1400, 1873),
                 Png = PhotoPng(800, 1200);
    std::vector<TBenchBook> Books = {
        {"epub-1600", "", Jpeg1600}, {"epub-4000", "", Jpeg4000}, {"epub-1400", "", Jpeg1400},
        {"mobi-1600", "", Jpeg1600}, {"mobi-4000", "", Jpeg4000}, {"mobi-1400", "", Jpeg1400},
        {"azw3-1600", "", Jpeg1600}, {"azw3-4000", "", Jpeg4000}, {"azw3-1400", "", Jpeg1400},
        {"fb2-1600", "", Jpeg1600, false, true}, {"fbz-1600", "", Jpeg1600, false, true},
        {"fb2-4000", "", Jpeg4000, false, true}, {"epub-png", "", Png, true}, {"fb2-50mb", "", Jpeg1600, false, true, false},
        {"fbz-cyrillic", "", Jpeg1600, false, true, false}, {"fb2-text-56mb", "", {}}, {"fb2-none", "", {}},
    };
    std::ofstream Manifest(Folder + "/books.tsv");
    for (TBenchBook& Book : Books) {
        const std::string Kind = Extension(Book.Name);
        Book.Path = Folder + "/" + Book.Name + "." + Kind;
        if (Kind == "epub")
            Write(Book.Path, AsText(BuildEpubWithCover(Book.Cover, Book.CoverIsPng ? "png" : "jpg")));
        else if (Kind == "mobi" || Kind == "azw3")  // the plugin reads both the same way
            Write(Book.Path, AsText(MobiWithCover(Book.Cover)));
        else if (Book.Name == "fb2-50mb")
            Write(Book.Path, LargeFb2(Book.Cover));
        else if (Book.Name == "fb2-text-56mb")
            Write(Book.Path, TextFb2());
        else if (Book.Name == "fb2-none")
            Write(Book.Path, BuildFb2(TFb2Book()));
        else if (Kind == "fb2")
            Write(Book.Path, BuildFb2WithCover(AsText(Book.Cover)));
        else {
            TZipWriter Zip;
            Zip.Add("book.fb2",
                    Book.Name == "fbz-cyrillic" ? CyrillicFb2(Book.Cover) : BuildFb2WithCover(AsText(Book.Cover)),
                    ZipDeflated);
            Write(Book.Path, AsText(Zip.Build()));
        }
        std::string CoverPath;
        if (!Book.Cover.empty() && !Book.CoverIsPng) {
            TPointerReadOnlyStream Stream(Book.Cover.data(), static_cast<intptr_t>(Book.Cover.size()));
            Book.ScaleDenominator = ChooseJpegScale(Stream, BenchBox, BenchBox);
            if (!Book.CoverIsBase64) {
                CoverPath = Folder + "/covers/" + Book.Name + ".jpg";
                Write(CoverPath, AsText(Book.Cover));
            }
        }
        Manifest << Book.Name << '\t' << Book.Path << '\t' << CoverPath << '\t' << Book.ScaleDenominator << '\n';
    }
    WriteBatch(Folder + "/batch", Books);
    return Books;
}
