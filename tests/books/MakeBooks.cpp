// Writes the books that brisleaf-thumb is run over end to end, natively and
// with the DLL under Wine, and the answer each must give:
//   brisleaf_make_books FOLDER        -> FOLDER/*, FOLDER/expected.tsv
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/EpubBuilder.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/PdbBuilder.h"
#include "tests/support/PictureBuilders.h"
#include "tests/support/ZipWriter.h"

namespace fs = std::filesystem;

namespace {

// A picture with structure everywhere: gradients crossed by fine stripes, so
// that any difference in decoding or shrinking shows in the pixels.
void Pattern(int32_t X, int32_t Y, uint8_t* C)
{
    C[0] = static_cast<uint8_t>(X * 7 + ((X / 3) % 2) * 60);
    C[1] = static_cast<uint8_t>(Y * 5 + ((Y / 2) % 2) * 40);
    C[2] = static_cast<uint8_t>((X ^ Y) * 3);
}

TBytes Jpeg(int32_t Width, int32_t Height, int Components = 3)
{
    TJpegSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.Components = Components;
    Spec.Sample = [Components](int32_t X, int32_t Y, uint8_t* C) {
        uint8_t Rgb[3];
        Pattern(X, Y, Rgb);
        for (int I = 0; I < Components; ++I)
            C[I] = Rgb[I % 3];
        if (Components == 4)
            C[3] = static_cast<uint8_t>(128 + (X % 64));
    };
    return EncodeJpeg(Spec);
}

TBytes PalettePng(int32_t Width, int32_t Height)
{
    TPngSpec Spec = PngSpecOf(Width, Height, 3, [](int32_t X, int32_t Y, uint16_t* S) { S[0] = (X / 4 + Y / 3) % 16; });
    for (uint32_t I = 0; I < 16; ++I)
        Spec.Palette.push_back(I * 0x0F0F0F + 0x200000);
    return EncodePng(Spec);
}

TBytes RgbPng(int32_t Width, int32_t Height)
{
    return EncodePng(PngSpecOf(Width, Height, 6, [](int32_t X, int32_t Y, uint16_t* S) {
        uint8_t C[3];
        Pattern(X, Y, C);
        S[0] = C[0], S[1] = C[1], S[2] = C[2], S[3] = static_cast<uint16_t>(X % 256);
    }));
}

TBytes Gif(int32_t Width, int32_t Height)
{
    TGifSpec Spec;
    Spec.ScreenWidth = Width;
    Spec.ScreenHeight = Height;
    for (uint32_t I = 0; I < 8; ++I)
        Spec.GlobalColours.push_back(I * 0x1F1F1F);
    TGifFrameSpec Frame;
    Frame.Left = 3;
    Frame.Top = 2;
    Frame.Width = Width - 6;
    Frame.Height = Height - 4;
    for (int32_t Y = 0; Y < Frame.Height; ++Y)
        for (int32_t X = 0; X < Frame.Width; ++X)
            Frame.Pixels.push_back(static_cast<uint8_t>((X + 2 * Y) % 8));
    Spec.Frames.push_back(Frame);
    return EncodeGif(Spec);
}

TBytes Bmp(int32_t Width, int32_t Height) { return BmpOf(Width, Height, Pattern); }

TBytes ZippedFb2(const std::string& EntryName, const std::string& Book, uint16_t Method)
{
    TZipWriter Writer;
    Writer.Add("readme.txt", std::string("Read me first."), ZipDeflated);
    Writer.Add(EntryName, Book, Method);
    return Writer.Build();
}

TBytes Mobi(const TBytes& Exth, const std::vector<TBytes>& Pictures)
{
    TMobiRecord0 Fields;
    Fields.FirstImage = 3;
    Fields.Exth = Exth;
    return MobiBook(MobiRecord0(Fields), 2, Pictures);
}

TExthRecord ExthOffset(int32_t Type, int32_t Offset)
{
    TExthRecord Record{Type, {}, std::nullopt};
    AppendBigEndian32(Record.Data, static_cast<uint32_t>(Offset));
    return Record;
}

class TCorpus {
public:
    explicit TCorpus(fs::path Folder) : FFolder(std::move(Folder)), FExpected(FFolder / "expected.tsv") {}

    void Book(const std::string& Name, const TBytes& Bytes)
    {
        const fs::path Path = FFolder / fs::u8path(Name);
        fs::create_directories(Path.parent_path());
        std::ofstream(Path, std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()),
                                                   static_cast<std::streamsize>(Bytes.size()));
    }
    void Book(const std::string& Name, const std::string& Text) { Book(Name, TBytes(Text.begin(), Text.end())); }
    // One case: the book in a box, under settings, and what must come back.
    void Expect(const std::string& Name, const std::string& Box, const std::string& Answer,
                const std::string& Settings = "-", const std::string& Flags = "-")
    {
        FExpected << Name << '\t' << Box << '\t' << Settings << '\t' << Answer << '\t' << Flags << '\n';
    }

private:
    fs::path FFolder;
    std::ofstream FExpected;
};

void WriteBooks(TCorpus& Corpus)
{
    const std::string Restrict = "[brisleaf]\\nRestrictToFB2ZIP=1";
    const std::string FirstPic = "[brisleaf]\\nMobiAllowFirstPic=1";

    // EPUB: JPEG covers decoded at a DCT scale, then shrunk; small covers as they are.
    Corpus.Book("epub/large.epub", BuildEpubWithCover(Jpeg(1600, 1200)));
    Corpus.Expect("epub/large.epub", "96x96", "96 72 24");
    Corpus.Expect("epub/large.epub", "300x300", "300 225 24");
    Corpus.Expect("epub/large.epub", "1600x1200", "1600 1200 24");
    Corpus.Expect("epub/large.epub", "96x96", "96 72 24", "-", "ansi");
    Corpus.Book("epub/huge.epub", BuildEpubWithCover(Jpeg(4000, 3000)));
    Corpus.Expect("epub/huge.epub", "256x256", "256 192 24");
    Corpus.Book("epub/Portrait.EPUB", BuildEpubWithCover(Jpeg(600, 800)));
    Corpus.Expect("epub/Portrait.EPUB", "96x96", "72 96 24");
    Corpus.Book("epub/grey.epub", BuildEpubWithCover(Jpeg(80, 60, 1)));
    Corpus.Expect("epub/grey.epub", "96x96", "80 60 8");
    Corpus.Book("epub/cmyk.epub", BuildEpubWithCover(Jpeg(90, 50, 4)));
    Corpus.Expect("epub/cmyk.epub", "96x96", "90 50 32");
    Corpus.Expect("epub/cmyk.epub", "45x45", "45 25 24");
    Corpus.Book("epub/palette.epub", BuildEpubWithCover(PalettePng(40, 30), "png"));
    Corpus.Expect("epub/palette.epub", "96x96", "40 30 8");
    Corpus.Expect("epub/palette.epub", "20x20", "20 15 24");
    Corpus.Expect("epub/palette.epub", "0x0", "none");
    Corpus.Book("epub/strip.epub", BuildEpubWithCover(RgbPng(1000, 2), "png"));
    Corpus.Expect("epub/strip.epub", "96x96", "none");
    Corpus.Book("epub/nocover.epub",
                BuildEpub(TEpubBook{.Package = EpubPackage("", "<item id=\"t\" href=\"t.html\"/>"), .Entries = {}}));
    Corpus.Expect("epub/nocover.epub", "96x96", "none");

    // Plain FictionBook, whatever the extension, in the encodings books use.
    const std::string Fb2Jpeg = BuildFb2WithCover(AsText(Jpeg(300, 200)));
    Corpus.Book("fb2/utf8.fb2", Fb2Jpeg);
    Corpus.Expect("fb2/utf8.fb2", "96x96", "96 64 24");
    Corpus.Book("fb2/Novel.txt", Fb2Jpeg);
    Corpus.Expect("fb2/Novel.txt", "96x96", "96 64 24");
    Corpus.Book("fb2/Novel", Fb2Jpeg);
    Corpus.Expect("fb2/Novel", "50x50", "50 33 24");
    TFb2Book Russian;
    Russian.Declaration = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>";
    Russian.Title = "Война и мир";
    Russian.Covers = {"#cover.png"};
    Russian.Binaries = {{"cover.png", AsText(RgbPng(120, 160)), "image/png"}};
    Corpus.Book("fb2/cp1251.fb2", Utf8ToCp1251(BuildFb2(Russian)));
    Corpus.Expect("fb2/cp1251.fb2", "96x96", "72 96 24");
    TFb2Book Wide = Russian;
    Wide.Declaration = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>";
    Wide.Binaries = {{"cover.png", AsText(Gif(64, 48)), "image/gif"}};
    Corpus.Book("fb2/utf16.fb2", Utf16WithBom(BuildFb2(Wide), false));
    Corpus.Expect("fb2/utf16.fb2", "96x96", "64 48 32");
    Corpus.Expect("fb2/utf16.fb2", "32x32", "32 24 24");
    Corpus.Book("fb2/nocover.fb2", BuildFb2(TFb2Book{}));
    Corpus.Expect("fb2/nocover.fb2", "96x96", "none");
    // Past 260 characters the name is rewritten into its extended-length form.
    const std::string Deep = "fb2/" + std::string(60, 'd') + "/" + std::string(60, 'e') + "/" + std::string(60, 'f') +
                             "/" + std::string(60, 'g') + "/long-path.fb2";
    Corpus.Book(Deep, Fb2Jpeg);
    Corpus.Expect(Deep, "96x96", "96 64 24");

    // FictionBook in ZIP archives, and the "fb2.zip" restriction.
    const std::string Fb2Bmp = BuildFb2WithCover(AsText(Bmp(200, 100)));
    Corpus.Book("zip/book.fbz", ZippedFb2("book.fb2", Fb2Bmp, ZipDeflated));
    Corpus.Expect("zip/book.fbz", "96x96", "96 48 24");
    Corpus.Expect("zip/book.fbz", "96x96", "96 48 24", Restrict);
    Corpus.Book("zip/book.fb2z", ZippedFb2("Folder/Book.FB2", Fb2Bmp, ZipStored));
    Corpus.Expect("zip/book.fb2z", "96x96", "96 48 24");
    Corpus.Book("zip/book.zfb2", ZippedFb2("book.fb2", Fb2Jpeg, ZipDeflated));
    Corpus.Expect("zip/book.zfb2", "64x64", "64 42 24");
    Corpus.Book("zip/book.zip", ZippedFb2("book.fb2", Fb2Jpeg, ZipDeflated));
    Corpus.Expect("zip/book.zip", "96x96", "96 64 24");
    Corpus.Expect("zip/book.zip", "96x96", "none", Restrict);
    Corpus.Book("zip/Book.FB2.ZIP", ZippedFb2("book.fb2", Fb2Jpeg, ZipDeflated));
    Corpus.Expect("zip/Book.FB2.ZIP", "96x96", "96 64 24", Restrict);
    Corpus.Book("zip/notes.zip", ZippedFb2("notes.txt", "no book here", ZipDeflated));
    Corpus.Expect("zip/notes.zip", "96x96", "none");
    Corpus.Book("zip/fake.zip", std::string("PK\3\4 but not really an archive"));
    Corpus.Expect("zip/fake.zip", "96x96", "none");

    // Mobipocket: the EXTH cover record, and the first-picture fallback.
    const TBytes First = Jpeg(200, 320), Second = Bmp(150, 100);
    const TBytes Named = Mobi(ExthBlock({ExthText(100, "Author"), ExthCover(1)}), {First, Second});
    for (const char* Name : {"mobi/named.mobi", "mobi/named.azw3", "mobi/named.KF8", "mobi/named.azw"}) {
        Corpus.Book(Name, Named);
        Corpus.Expect(Name, "96x96", "96 64 24");
    }
    const TBytes Unnamed = Mobi(ExthBlock({ExthText(100, "Author")}), {First, Second});
    Corpus.Book("mobi/unnamed.mobi", Unnamed);
    Corpus.Expect("mobi/unnamed.mobi", "96x96", "none");
    Corpus.Expect("mobi/unnamed.mobi", "96x96", "60 96 24", FirstPic);

    // Files that are no books of their kind.
    for (const char* Name : {"bad/empty.fb2", "bad/empty.epub", "bad/empty.mobi", "bad/empty.zip"}) {
        Corpus.Book(Name, std::string());
        Corpus.Expect(Name, "96x96", "none");
    }
    Corpus.Book("bad/text.epub", std::string("plain text\n"));
    Corpus.Expect("bad/text.epub", "96x96", "none");
    Corpus.Expect("bad/missing.fb2", "96x96", "none");

    // Covers that only CoverFallbacks finds; without it there is none, as
    // before. Each book's pictures differ in size, so the answer shows which
    // candidate was taken.
    const std::string Fallbacks = "[brisleaf]\\nCoverFallbacks=1";
    const std::string FallbacksFirstPic = "[brisleaf]\\nCoverFallbacks=1\\nMobiAllowFirstPic=1";
    // Off is written as "0" rather than without a settings file, so that
    // the cases without settings stay books that mostly have covers.
    const std::string NoFallbacks = "[brisleaf]\\nCoverFallbacks=0";
    const auto Both = [&](const std::string& Name, const TBytes& Bytes, const std::string& Answer) {
        Corpus.Book(Name, Bytes);
        Corpus.Expect(Name, "96x96", "none", NoFallbacks);
        Corpus.Expect(Name, "96x96", Answer, Fallbacks);
    };
    const TBytes Landscape = Jpeg(300, 200), Tall = Jpeg(600, 800), Broken = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0};
    Both("fallback/property.epub",
         BuildEpub("", "<item id='i' href='images/i.jpg' media-type='image/jpeg' properties='cover-image'/>",
                      {{"OEBPS/images/i.jpg", Landscape}}),
         "96 64 24");
    Both("fallback/meta-href.epub",
         BuildEpub("<meta name='cover' content='images/front%20cover.png'/>", "",
                      {{"OEBPS/images/front cover.png", RgbPng(120, 160)}}),
         "72 96 24");
    Both("fallback/page.epub",
         BuildEpub("<meta name='cover' content='cp'/>",
                      "<item id='cp' href='text/cover.xhtml' media-type='application/xhtml+xml'/>",
                      {{"OEBPS/text/cover.xhtml",
                        Bytes("<html xmlns='http://www.w3.org/1999/xhtml'><body><p>&nbsp;</p>"
                              "<img src='../images/./c.gif' alt=''/></body></html>")},
                       {"OEBPS/images/c.gif", Gif(64, 48)}}),
         "64 48 32");
    Both("fallback/guide-svg.epub",
         BuildEpub("", "",
                      {{"OEBPS/cover.xhtml",
                        Bytes("<html xmlns='http://www.w3.org/1999/xhtml'><body><svg xmlns='http://www.w3.org/2000/svg' "
                              "xmlns:xlink='http://www.w3.org/1999/xlink'><image xlink:href='c.bmp'/></svg></body></html>")},
                       {"OEBPS/c.bmp", Bmp(200, 100)}},
                      "<reference type='cover' href='cover.xhtml#start'/>"),
         "96 48 24");
    Both("fallback/named.epub",
         BuildEpub("", "<item id='p' href='pics/TheCover.jpeg' media-type='image/jpeg'/>",
                      {{"OEBPS/pics/TheCover.jpeg", Tall}}),
         "72 96 24");
    Both("fallback/broken-cover.epub",
         BuildEpub("<meta name='cover' content='c'/>",
                      "<item id='c' href='c.jpg' media-type='image/jpeg'/>"
                      "<item id='p' href='p.jpg' media-type='image/jpeg' properties='cover-image'/>",
                      {{"OEBPS/c.jpg", Broken}, {"OEBPS/p.jpg", Landscape}}),
         "96 64 24");
    Both("fallback/encrypted.epub",
         BuildEpub("", "<item id='p' href='p.jpg' media-type='image/jpeg' properties='cover-image'/>"
                          "<item id='cover' href='c.jpg' media-type='image/jpeg'/>",
                      {{"META-INF/encryption.xml",
                        Bytes("<encryption xmlns='urn:oasis:names:tc:opendocument:xmlns:container' "
                              "xmlns:enc='http://www.w3.org/2001/04/xmlenc#'><enc:EncryptedData><enc:CipherData>"
                              "<enc:CipherReference URI='OEBPS/p.jpg'/></enc:CipherData></enc:EncryptedData></encryption>")},
                       {"OEBPS/p.jpg", Landscape},
                       {"OEBPS/c.jpg", Tall}}),
         "72 96 24");
    Both("fallback/prefixed.fb2",
         Bytes("<?xml version='1.0' encoding='utf-8'?><fb:FictionBook xmlns:fb='http://www.gribuser.ru/xml/fictionbook/2.0' "
               "xmlns:xlink='http://www.w3.org/1999/xlink'><fb:description><fb:title-info><fb:coverpage>"
               "<fb:image xlink:href='#c'/></fb:coverpage></fb:title-info></fb:description><fb:body/>"
               "<fb:binary id='c' content-type='image/jpeg'>" + EncodeBase64(AsText(Landscape)) +
               "</fb:binary></fb:FictionBook>"),
         "96 64 24");
    TZipWriter Later;
    Later.Add("readme.txt", std::string("Two books."), ZipDeflated);
    Later.Add("first.fb2", BuildFb2(TFb2Book{}), ZipDeflated);
    Later.Add("second.fb2", BuildFb2WithCover(AsText(Bmp(200, 100))), ZipDeflated);
    Both("fallback/later.fbz", Later.Build(), "96 48 24");
    // Record 3 is the first picture (200 x 320), record 4 the thumbnail (150 x 100).
    const TBytes Thumbnail = Mobi(ExthBlock({ExthText(100, "Author"), ExthOffset(202, 1)}), {First, Second});
    Both("fallback/thumbnail.mobi", Thumbnail, "96 64 24");
    Corpus.Expect("fallback/thumbnail.mobi", "96x96", "60 96 24", FirstPic);
    Corpus.Expect("fallback/thumbnail.mobi", "96x96", "96 64 24", FallbacksFirstPic);
    // A named cover outranks the thumbnail.
    Corpus.Book("fallback/cover-and-thumbnail.mobi", Mobi(ExthBlock({ExthCover(0), ExthOffset(202, 1)}), {First, Second}));
    Corpus.Expect("fallback/cover-and-thumbnail.mobi", "96x96", "60 96 24", Fallbacks);
    Corpus.Book("fallback/nothing.mobi", Unnamed);
    Corpus.Expect("fallback/nothing.mobi", "96x96", "none", Fallbacks);
    Corpus.Expect("fallback/nothing.mobi", "96x96", "60 96 24", FallbacksFirstPic);

    // Books whose own cover is found give the same answer with the setting.
    Corpus.Expect("epub/large.epub", "96x96", "96 72 24", Fallbacks);
    Corpus.Expect("epub/nocover.epub", "96x96", "none", Fallbacks);
    Corpus.Expect("fb2/cp1251.fb2", "96x96", "72 96 24", Fallbacks);
    Corpus.Expect("fb2/nocover.fb2", "96x96", "none", Fallbacks);
    Corpus.Expect("zip/book.fbz", "96x96", "96 48 24", Fallbacks);
    Corpus.Expect("zip/book.zip", "96x96", "none", "[brisleaf]\\nRestrictToFB2ZIP=1\\nCoverFallbacks=1");
    Corpus.Expect("mobi/named.mobi", "96x96", "96 64 24", Fallbacks);
    Corpus.Expect(Deep, "96x96", "96 64 24", Fallbacks);
    Corpus.Expect("bad/empty.epub", "96x96", "none", Fallbacks);
    Corpus.Expect("bad/missing.fb2", "96x96", "none", Fallbacks);
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: brisleaf_make_books FOLDER\n");
        return 2;
    }
    const fs::path Folder(argv[1]);
    fs::remove_all(Folder);
    fs::create_directories(Folder);
    TCorpus Corpus(Folder);
    WriteBooks(Corpus);
    return 0;
}
