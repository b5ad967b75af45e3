#include "tests/support/Fb2Builder.h"

#include <stdexcept>

#include "platform/CodePages.h"

namespace {

std::string CoverPage(const std::vector<std::string>& References)
{
    if (References.empty())
        return std::string();
    std::string Text = "<coverpage>";
    for (const std::string& Reference : References)
        Text += "<image l:href=\"" + Reference + "\"/>";
    return Text + "</coverpage>";
}

}

std::string BuildFb2(const TFb2Book& Book)
{
    std::string Text = Book.Declaration;
    Text += "\n<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
            "xmlns:l=\"http://www.w3.org/1999/xlink\">\n<description>\n<title-info>"
            "<genre>prose</genre><author><first-name>A</first-name><last-name>B</last-name></author>"
            "<book-title>" + Book.Title + "</book-title>" + CoverPage(Book.Covers) + "<lang>en</lang></title-info>\n";
    if (!Book.SourceCovers.empty())
        Text += "<src-title-info><book-title>Source</book-title>" + CoverPage(Book.SourceCovers) + "</src-title-info>\n";
    Text += "<document-info><id>1</id></document-info>\n</description>\n<body>" + Book.Body + "</body>\n";
    for (const TFb2Binary& Binary : Book.Binaries)
        Text += "<binary id=\"" + Binary.Id + "\" content-type=\"" + Binary.ContentType + "\">\n" +
                EncodeBase64(Binary.Data) + "</binary>\n";
    return Text + "</FictionBook>\n";
}

std::string BuildFb2WithCover(const std::string& Picture)
{
    TFb2Book Book;
    Book.Covers = {"#cover.jpg"};
    Book.Binaries = {{"cover.jpg", Picture}};
    return BuildFb2(Book);
}

std::string EncodeBase64(const std::string& Bytes, size_t LineLength)
{
    static const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string Text;
    size_t InLine = 0;
    auto Put = [&](char C) {
        Text.push_back(C);
        if (LineLength && ++InLine == LineLength) {
            Text.push_back('\n');
            InLine = 0;
        }
    };
    for (size_t I = 0; I < Bytes.size(); I += 3) {
        const unsigned B0 = static_cast<unsigned char>(Bytes[I]);
        const unsigned B1 = I + 1 < Bytes.size() ? static_cast<unsigned char>(Bytes[I + 1]) : 0;
        const unsigned B2 = I + 2 < Bytes.size() ? static_cast<unsigned char>(Bytes[I + 2]) : 0;
        Put(Alphabet[B0 >> 2]);
        Put(Alphabet[(B0 & 3) << 4 | B1 >> 4]);
        Put(I + 1 < Bytes.size() ? Alphabet[(B1 & 15) << 2 | B2 >> 6] : '=');
        Put(I + 2 < Bytes.size() ? Alphabet[B2 & 63] : '=');
    }
    if (InLine)
        Text.push_back('\n');
    return Text;
}

std::string Utf16WithBom(const std::string& Utf8, bool BigEndian)
{
    const std::u16string Wide = platform::MultiByteToWide(platform::cpUtf8, Utf8);
    std::string Bytes = BigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t Unit : Wide) {
        const char High = static_cast<char>(Unit >> 8), Low = static_cast<char>(Unit & 0xFF);
        Bytes.push_back(BigEndian ? High : Low);
        Bytes.push_back(BigEndian ? Low : High);
    }
    return Bytes;
}

std::string Utf8ToCp1251(const std::string& Utf8)
{
    std::string Bytes;
    for (const char16_t Unit : platform::MultiByteToWide(platform::cpUtf8, Utf8)) {
        if (Unit < 0x80)
            Bytes.push_back(static_cast<char>(Unit));
        else if (Unit >= 0x410 && Unit <= 0x44F)
            Bytes.push_back(static_cast<char>(0xC0 + (Unit - 0x410)));
        else if (Unit == 0x401)
            Bytes.push_back(static_cast<char>(0xA8));
        else if (Unit == 0x451)
            Bytes.push_back(static_cast<char>(0xB8));
        else
            throw std::invalid_argument("not in the test's windows-1251 subset");
    }
    return Bytes;
}
