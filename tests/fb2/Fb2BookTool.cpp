// Writes the FictionBook books of the end-to-end test and the fuzz seeds,
// a large book for measuring time and memory, and dumps the cover bytes the
// route finds in a plain book:
//   fb2_book_tool books FOLDER
//   fb2_book_tool seeds FOLDER          (FOLDER/xml and FOLDER/fb2)
//   fb2_book_tool large BOOK MEGABYTES  (the cover is the first binary)
//   fb2_book_tool cover BOOK OUTPUT
// Exit status: 0 done, 1 the book gave no cover, 2 usage or I/O error.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fb2/FB2Cover.h"
#include "xml/XMLDocument.h"
#include "platform/CodePages.h"
#include "platform/Files.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/PictureBuilders.h"
#include "tests/support/ZipWriter.h"

namespace {

std::u16string Wide(const char* Text) { return platform::MultiByteToWide(platform::cpUtf8, Text); }
std::string Narrow(const std::u16string& Text) { return platform::WideToMultiByte(platform::cpUtf8, Text); }

bool Write(const std::u16string& Path, const std::string& Bytes)
{
    std::string Error;
    if (platform::WriteWholeFile(Path, TBytes(Bytes.begin(), Bytes.end()), Error))
        return true;
    std::fprintf(stderr, "fb2_book_tool: cannot write %s: %s\n", Narrow(Path).c_str(), Error.c_str());
    return false;
}

std::string AsString(const TBytes& Bytes) { return std::string(Bytes.begin(), Bytes.end()); }

// A 300 x 150 JPEG of horizontal bands.
std::string JpegCover()
{
    TJpegSpec Spec;
    Spec.Width = 300;
    Spec.Height = 150;
    Spec.Sample = [](int32_t X, int32_t Y, uint8_t* RGB) {
        RGB[0] = static_cast<uint8_t>(Y * 255 / 150);
        RGB[1] = static_cast<uint8_t>(X * 255 / 300);
        RGB[2] = 96;
    };
    return AsString(EncodeJpeg(Spec));
}

// A 150 x 300 RGB PNG.
std::string PngCover()
{
    TPngSpec Spec;
    Spec.Width = 150;
    Spec.Height = 300;
    for (int32_t Y = 0; Y < Spec.Height; ++Y)
        for (int32_t X = 0; X < Spec.Width; ++X) {
            Spec.Samples.push_back(static_cast<uint16_t>(X * 255 / 150));
            Spec.Samples.push_back(static_cast<uint16_t>(Y * 255 / 300));
            Spec.Samples.push_back(200);
        }
    return AsString(EncodePng(Spec));
}

const char* const Kniga = "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0";

TFb2Book CoverBook(const std::string& Picture, const char* Declared)
{
    TFb2Book Book;
    Book.Declaration = std::string("<?xml version=\"1.0\" encoding=\"") + Declared + "\"?>";
    Book.Title = Kniga;
    Book.Covers = {"#cover"};
    Book.Binaries = {{"other", "not the cover"}, {"cover", Picture}};
    return Book;
}

std::string Utf8Book(const std::string& Picture) { return BuildFb2(CoverBook(Picture, "utf-8")); }
std::string Cp1251Book(const std::string& Picture) { return Utf8ToCp1251(BuildFb2(CoverBook(Picture, "windows-1251"))); }
std::string Utf16Book(const std::string& Picture, bool BigEndian)
{
    return Utf16WithBom(BuildFb2(CoverBook(Picture, "utf-16")), BigEndian);
}

std::string Zipped(const std::string& Book, uint16_t Method)
{
    TZipWriter Writer;
    Writer.Add("readme.txt", std::string("A book."));
    Writer.Add("Book.FB2", Book, Method);
    return AsString(Writer.Build());
}

int Books(const std::u16string& Folder)
{
    const std::string Jpeg = JpegCover(), Png = PngCover();
    const struct {
        const char16_t* Name;
        std::string Bytes;
    } Files[] = {
        {u"jpeg-utf8.fb2", Utf8Book(Jpeg)},
        {u"jpeg-utf8-bom.fb2", "\xEF\xBB\xBF" + Utf8Book(Jpeg)},
        {u"png-cp1251.fb2", Cp1251Book(Png)},
        {u"jpeg-utf16le.fb2", Utf16Book(Jpeg, false)},
        {u"png-utf16be.fb2", Utf16Book(Png, true)},
        {u"png-utf8.txt", Utf8Book(Png)},
        {u"no-cover.fb2", BuildFb2(TFb2Book())},
        {u"not-well-formed.fb2", "<FictionBook>&nbsp;</FictionBook>"},
        {u"jpeg-utf8.fbz", Zipped(Utf8Book(Jpeg), ZipDeflated)},
        {u"png-cp1251.fb2z", Zipped(Cp1251Book(Png), ZipStored)},
        {u"jpeg-utf16le.zfb2", Zipped(Utf16Book(Jpeg, false), ZipDeflated)},
        {u"png-utf8.zip", Zipped(Utf8Book(Png), ZipDeflated)},
        {u"png-utf8.fb2.zip", Zipped(Utf8Book(Png), ZipDeflated)},
        {u"not-a-zip.fbz", Utf8Book(Jpeg)},
    };
    for (const auto& File : Files)
        if (!Write(Folder + u"/" + File.Name, File.Bytes))
            return 2;
    return 0;
}

int Seeds(const std::u16string& Folder)
{
    const std::string Tiny = "\x89PNG tiny";
    TFb2Book Source;
    Source.SourceCovers = {"cover"};
    Source.Binaries = {{"cover", Tiny}};
    const struct {
        const char16_t* Name;
        std::string Bytes;
    } Files[] = {
        {u"/fb2/utf8", Utf8Book(Tiny)},
        {u"/fb2/cp1251", Cp1251Book(Tiny)},
        {u"/fb2/utf16le", Utf16Book(Tiny, false)},
        {u"/fb2/source-cover", BuildFb2(Source)},
        {u"/fb2/doctype", "<!DOCTYPE FictionBook>" + BuildFb2(Source).substr(BuildFb2(Source).find("<Fict"))},
        {u"/xml/namespaces", "<?xml version='1.0'?><r xmlns='urn:a' xmlns:l='urn:l'><l:a l:href='#x'/><b xmlns='urn:b'>"
                             "<c/></b><![CDATA[x]]><!--c--><?pi data?></r>"},
        {u"/xml/entities", "<!DOCTYPE r [<!ENTITY v \"1\">]><r a='&amp;&#x41;'>&lt;&v;&#65;</r>"},
        {u"/xml/utf16be", Utf16WithBom("<r><a>\xD0\x9A</a></r>", true)},
        {u"/xml/undeclared", "<r>&nbsp;</r>"},
    };
    for (const auto& File : Files)
        if (!Write(Folder + File.Name, File.Bytes))
            return 2;
    return 0;
}

// A book of about Megabytes MB: the cover first among the binaries, then
// text and further pictures of random bytes in equal parts.
int Large(const std::u16string& Path, long Megabytes)
{
    const size_t Target = static_cast<size_t>(Megabytes) << 20;
    TFb2Book Book = CoverBook(JpegCover(), "utf-8");
    Book.Binaries.resize(1);
    Book.Binaries[0].Id = "cover";
    Book.Binaries[0].Data = JpegCover();
    std::string Body;
    const std::string Paragraph = "<p>Lorem ipsum dolor sit amet, <emphasis>consectetur</emphasis> adipiscing elit, "
                                  "sed do eiusmod tempor incididunt ut labore et dolore magna aliqua.</p>\n";
    std::string Section;
    while (Section.size() < 64 * 1024)
        Section += Paragraph;
    Section = "<section><title><p>Chapter</p></title>" + Section + "</section>\n";
    while (Body.size() < Target / 2)
        Body += Section;
    Book.Body = Body;
    unsigned Seed = 1;
    size_t Pictures = 0;
    // Each picture is 3 MiB of bytes, 4 MiB of base64 and its line breaks.
    for (size_t Size = Body.size(); Size < Target; Size += (size_t(4) << 20) * 77 / 76) {
        std::string Data(3 * 1024 * 1024, '\0');
        for (char& Byte : Data) {
            Seed = Seed * 1103515245u + 12345u;
            Byte = static_cast<char>(Seed >> 16);
        }
        Book.Binaries.push_back({"picture" + std::to_string(++Pictures), Data});
    }
    return Write(Path, BuildFb2(Book)) ? 0 : 2;
}

int Cover(const std::u16string& Book, const std::u16string& Output)
{
    std::string Picture;
    try {
        Picture = ExtractFB2Cover(OpenXMLDocument(Book));
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "fb2_book_tool: %s\n", Error.what());
        return 1;
    }
    if (Picture.empty())
        return 1;
    return Write(Output, Picture) ? 0 : 2;
}

}

int main(int argc, char** argv)
{
    const std::string Command = argc > 1 ? argv[1] : "";
    if (Command == "books" && argc == 3)
        return Books(Wide(argv[2]));
    if (Command == "seeds" && argc == 3)
        return Seeds(Wide(argv[2]));
    if (Command == "large" && argc == 4)
        return Large(Wide(argv[2]), std::strtol(argv[3], nullptr, 10));
    if (Command == "cover" && argc == 4)
        return Cover(Wide(argv[2]), Wide(argv[3]));
    std::fprintf(stderr, "usage: fb2_book_tool books FOLDER | seeds FOLDER | large BOOK MEGABYTES | cover BOOK OUTPUT\n");
    return 2;
}
