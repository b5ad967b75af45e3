#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "core/Limits.h"
#include "fb2/Base64.h"
#include "fb2/FB2Cover.h"
#include "fb2/FB2CoverFallbacks.h"
#include "platform/CodePages.h"
#include "tests/xml/XMLTestDocuments.h"
#include "tests/support/ChunkedStream.h"
#include "tests/support/Fb2Builder.h"

namespace {

const std::string Picture = "\xFF\xD8\xFF\xE0 picture bytes \x01\x02";

std::string CoverOf(const std::string& Text) { return ExtractFB2Cover(DocumentFromText(Text)); }

TEST(DecodeBase64, Groups)
{
    const struct {
        const char16_t* Text;
        std::string Bytes;
    } Cases[] = {
        {u"QQ==", "A"},
        {u"QUI=", "AB"},
        {u"QUJD", "ABC"},
        // An unfinished last group is dropped.
        {u"QUJDRA", "ABC"},
        // Decoding stops at the padding.
        {u"QQ==QUJD", "A"},
        {u"QUI=QUJD", "AB"},
        {u"", ""},
        {u" \r\n\t ", ""},
        {u"QUJ", ""},
        // Anything outside the alphabet is skipped.
        {u"Q U\nJ\tD*!", "ABC"},
        {u"  QUJD\n  QUJD\n", "ABCABC"},
        // Only the low byte of a unit counts: U+0151 counts as 'Q'.
        {u"\u0151\u0155JD", "ABC"},
        // A '=' first or second stands for 65535 and does not stop decoding.
        {u"=QQQ", "\xFD\x04\x10"},
        {u"Q=QQ", "\xFF\xF4\x10"},
        {u"+/+/", "\xFB\xFF\xBF"},
        // Groups that straddle what is skipped, then whole groups.
        {u"Q\nUJDQUJD", "ABCABC"},
        {u"QUJ\nDQUJD", "ABCABC"},
        {u"QUJDQQ==QUJD", "ABCA"},
        {u"QU=DQUJD", "A"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(platform::WideToMultiByte(platform::cpUtf8, Case.Text));
        EXPECT_EQ(DecodeBase64(Case.Text), Case.Bytes);
    }
}

TEST(DecodeBase64, RoundTripsEveryByteValue)
{
    std::string Bytes;
    for (int I = 0; I < 256; ++I)
        Bytes.push_back(static_cast<char>(I));
    for (size_t Length : {size_t(1), size_t(2), size_t(255), size_t(256)}) {
        const std::string Encoded = EncodeBase64(Bytes.substr(0, Length));
        EXPECT_EQ(DecodeBase64(platform::MultiByteToWide(platform::cpUtf8, Encoded)), Bytes.substr(0, Length));
    }
}

// Decoding four symbols at a time must give what one at a time gives: a
// unit outside the alphabet after each unit forces the latter. The UTF-8
// route must give what the text's UTF-16 units give.
TEST(DecodeBase64, WholeGroupsAndSingleUnitsAgree)
{
    const char16_t Units[] = u"QUJDRA+/= \n\u0151\u0416";
    uint32_t State = 7;
    for (int Run = 0; Run < 5000; ++Run) {
        std::u16string Text, OneByOne;
        State = State * 1103515245 + 12345;
        for (uint32_t Length = State >> 16 & 63; Length > 0; --Length) {
            State = State * 1103515245 + 12345;
            const char16_t Unit = (State >> 16) % 4 ? Units[(State >> 20) % 6] : Units[(State >> 20) % 13];
            Text += Unit;
            OneByOne += Unit;
            OneByOne += u'*';
        }
        const std::string Decoded = DecodeBase64(Text);
        EXPECT_EQ(Decoded, DecodeBase64(OneByOne)) << platform::WideToMultiByte(platform::cpUtf8, Text);
        EXPECT_EQ(Decoded, DecodeBase64Utf8(platform::WideToMultiByte(platform::cpUtf8, Text)))
            << platform::WideToMultiByte(platform::cpUtf8, Text);
    }
}

// A bound on the decoded bytes: at it the bytes, past it nothing, also where
// the decoder's blocks of output end.
TEST(DecodeBase64, MoreThanTheBoundDecodesToNothing)
{
    for (const size_t Bound : {size_t{0}, size_t{5}, size_t{3069}, size_t{3072}, size_t{3075}, size_t{100000}}) {
        for (const size_t Bytes : {Bound, Bound + 1, Bound + 3}) {
            SCOPED_TRACE(std::to_string(Bound) + " " + std::to_string(Bytes));
            const std::string Decoded = std::string(Bytes, 'x');
            EXPECT_EQ(DecodeBase64Utf8(EncodeBase64(Decoded), Bound), Bytes <= Bound ? Decoded : "");
        }
    }
}

// Every route's cover picture is bounded alike: a binary that decodes to more
// than a cover may hold gives none.
TEST(FB2Cover, ABinaryLargerThanAnyCoverGivesNone)
{
    TFb2Book Book;
    Book.Covers = {"#c"};
    Book.Binaries = {{"c", std::string(Limits::CoverPictureBytes + 1, 'x')}};
    EXPECT_EQ(CoverOf(BuildFb2(Book)), "");
}

struct TReferenceCase {
    const char* Reference;
    const char* Found;  // the id of the binary taken, or nullptr
};

TEST(FB2Cover, ReferenceForms)
{
    const TReferenceCase Cases[] = {
        {"#cover.jpg", "cover.jpg"},
        {"cover.jpg", "cover.jpg"},
        {"##x", "#x"},
        {"#Cover.jpg", nullptr},
        {"#cover.jpg ", nullptr},
        {"#missing", nullptr},
        {"", nullptr},
    };
    for (const TReferenceCase& Case : Cases) {
        SCOPED_TRACE(Case.Reference);
        TFb2Book Book;
        Book.Covers = {Case.Reference};
        Book.Binaries = {{"other", "other"}, {"cover.jpg", "cover"}, {"#x", "hash"}, {"cover.jpg", "later"}};
        const std::string Cover = CoverOf(BuildFb2(Book));
        if (!Case.Found) {
            EXPECT_EQ(Cover, "");
            continue;
        }
        EXPECT_EQ(Cover, std::string(Case.Found) == "#x" ? "hash" : "cover");
    }
}

TEST(FB2Cover, HashAloneTakesTheFirstBinaryWithoutAnId)
{
    const std::string Book = "<FictionBook><description><title-info><coverpage><image href='#'/></coverpage>"
                             "</title-info></description><binary id='a'>YQ==</binary><binary>Yg==</binary>"
                             "<binary id=''>Yw==</binary></FictionBook>";
    EXPECT_EQ(CoverOf(Book), "b");
}

TEST(FB2Cover, TitleInfoCoverWinsEvenWhenItLeadsNowhere)
{
    TFb2Book Book;
    Book.SourceCovers = {"#source"};
    Book.Binaries = {{"title", "title"}, {"source", "source"}};
    EXPECT_EQ(CoverOf(BuildFb2(Book)), "source");
    Book.Covers = {"#title"};
    EXPECT_EQ(CoverOf(BuildFb2(Book)), "title");
    Book.Covers = {"#nowhere"};
    EXPECT_EQ(CoverOf(BuildFb2(Book)), "");
    // The first of several images counts.
    Book.Covers = {"#source", "#title"};
    EXPECT_EQ(CoverOf(BuildFb2(Book)), "source");
}

TEST(FB2Cover, OnlyUnprefixedBinariesDirectlyBelowTheRoot)
{
    const std::string Head = "<FictionBook xmlns='urn:fb' xmlns:fb='urn:fb'><description><title-info><coverpage>"
                             "<image href='#c'/></coverpage></title-info></description>";
    EXPECT_EQ(CoverOf(Head + "<body><binary id='c'>YQ==</binary></body></FictionBook>"), "");
    EXPECT_EQ(CoverOf(Head + "<fb:binary id='c'>YQ==</fb:binary></FictionBook>"), "");
    EXPECT_EQ(CoverOf(Head + "<fb:binary id='c'>YQ==</fb:binary><binary id='c'>Yg==</binary></FictionBook>"), "b");
}

TEST(FB2Cover, TheFirstAttributeIsTheReferenceWhateverItIs)
{
    const std::string Tail = "</coverpage></title-info></description><binary id='c'>YQ==</binary>"
                             "<binary id='urn:x'>Yg==</binary></FictionBook>";
    const std::string Head = "<FictionBook><description><title-info><coverpage>";
    EXPECT_EQ(CoverOf(Head + "<image xmlns:l='urn:x' l:href='#c'/>" + Tail), "b");
    EXPECT_EQ(CoverOf(Head + "<image alt='#c' href='#none'/>" + Tail), "a");
    // An image without attributes raises the list's index error.
    EXPECT_THROW(CoverOf(Head + "<image/>" + Tail), EListError);
}

TEST(FB2Cover, EndsWithoutAPicture)
{
    const std::string Head = "<FictionBook><description><title-info><coverpage><image href='#c'/></coverpage>"
                             "</title-info></description>";
    const struct {
        const char* Name;
        std::string Text;
    } Cases[] = {
        {"empty binary", Head + "<binary id='c'/></FictionBook>"},
        {"blank binary", Head + "<binary id='c'>\n  \n</binary></FictionBook>"},
        {"too short", Head + "<binary id='c'>QUJ</binary></FictionBook>"},
        {"no description", "<FictionBook><binary id='c'>YQ==</binary></FictionBook>"},
        {"prefixed root", "<f:FictionBook xmlns:f='urn:f'><description/></f:FictionBook>"},
        {"no coverpage", "<FictionBook><description><title-info/></description></FictionBook>"},
        {"root of another name", "<fictionbook><description/></fictionbook>"},
        // The declaration is taken for the root and has no description.
        {"doctype named FictionBook", "<!DOCTYPE FictionBook>" + Head + "<binary id='c'>YQ==</binary></FictionBook>"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        EXPECT_EQ(CoverOf(Case.Text), "");
    }
    EXPECT_EQ(ExtractFB2Cover(nullptr), "");
}

TEST(FB2Cover, BinaryTextThatIsNotASingleTextNodeRaises)
{
    const std::string Head = "<FictionBook><description><title-info><coverpage><image href='#c'/></coverpage>"
                             "</title-info></description>";
    EXPECT_THROW(CoverOf(Head + "<binary id='c'>YQ==<!--x--></binary></FictionBook>"), EXMLDocError);
    EXPECT_THROW(CoverOf(Head + "<binary id='c'><b/></binary></FictionBook>"), EXMLDocError);
    EXPECT_EQ(CoverOf(Head + "<binary id='c'><![CDATA[YQ==]]></binary></FictionBook>"), "a");
    EXPECT_THROW(CoverOf(Head + "<binary id='c'>&nbsp;</binary></FictionBook>"), EDOMParseError);
}

TEST(FB2Cover, FoundInEveryEncodingOfTheText)
{
    TFb2Book Book;
    Book.Title = "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0";
    Book.Covers = {"#cover.jpg"};
    Book.Binaries = {{"cover.jpg", Picture}};
    Book.Declaration = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>";
    const std::string Cp1251 = Utf8ToCp1251(BuildFb2(Book));
    Book.Declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
    const std::string Utf8 = BuildFb2(Book);
    Book.Declaration = "<?xml version=\"1.0\" encoding=\"utf-16\"?>";
    const std::string Utf16 = BuildFb2(Book);
    const struct {
        const char* Name;
        std::string Bytes;
    } Cases[] = {
        {"windows-1251 without mark", Cp1251},
        {"UTF-8 without mark", Utf8},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + Utf8},
        {"UTF-16LE with mark", Utf16WithBom(Utf16, false)},
        {"UTF-16BE with mark", Utf16WithBom(Utf16, true)},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        EXPECT_EQ(CoverOf(Case.Bytes), Picture);
        // Loaded as a file, with the encoding from the mark or declaration.
        EXPECT_EQ(ExtractFB2Cover(DocumentFromFileBytes(Case.Bytes)), Picture);
    }
}

TEST(FB2Cover, DropsTheDocumentBeforeDecoding)
{
    IXMLDocument Document = DocumentFromText(BuildFb2WithCover(Picture));
    std::weak_ptr<TXMLDocument> Watch = Document;
    EXPECT_EQ(ExtractFB2Cover(std::move(Document)), Picture);
    EXPECT_TRUE(Watch.expired());
}

// A large book as a picture-heavy FictionBook is, with Windows line ends:
// its pictures' runs are kept out of the parse and still give the cover,
// every way the document is made and on both lookups. Left in the book, the
// runs are read once, and the cover's once more when it is asked for.
TEST(FB2Cover, LargeBookGivesTheSameCoverWithRunsElided)
{
    std::mt19937 Random(7);
    std::string Cover(100000, '\0');
    for (char& Byte : Cover)
        Byte = static_cast<char>(Random());
    TFb2Book Book;
    Book.Covers = {"#cover.jpg"};
    Book.Binaries = {{"other.jpg", Cover.substr(1)}, {"cover.jpg", Cover}, {"last.jpg", Cover.substr(2)}};
    std::string Text;
    for (const char C : BuildFb2(Book))
        Text += C == '\n' ? std::string("\r\n") : std::string(1, C);
    const size_t CoverStart = Text.find('>', Text.find("id=\"cover.jpg\"")) + 1;
    const auto CoverText = static_cast<int64_t>(Text.find("</binary>", CoverStart) - CoverStart);
    enum TLoad { AsText, AsFile, Lasting };
    for (const size_t ElidedRunBytes : {size_t{0}, DefaultElidedRunBytes}) {
        for (const TLoad Load : {AsText, AsFile, Lasting}) {
            SCOPED_TRACE(testing::Message() << ElidedRunBytes << " " << Load);
            TChunkedStream Stream(Text.data(), Text.size(), 100000);
            const auto Loaded = [&] {
                Stream.SetPosition(0);
                Stream.BytesRead = 0;
                IXMLDocument Document = NewXMLDocument();
                Document->SetElidedRunBytes(ElidedRunBytes);
                if (Load == AsFile)
                    Document->LoadFromStream(Stream);
                else if (Load == Lasting)
                    Document->LoadFromLastingStream(Stream);
                else
                    SetXMLTextFromStream(Document, Stream);
                EXPECT_EQ(Stream.BytesRead, static_cast<int64_t>(Text.size()));
                return Document;
            };
            const int64_t ReadAgain = Load == Lasting && ElidedRunBytes ? CoverText : 0;
            EXPECT_EQ(ExtractFB2Cover(Loaded()), Cover);
            EXPECT_EQ(Stream.BytesRead, static_cast<int64_t>(Text.size()) + ReadAgain);
            std::string Offered;
            EXPECT_TRUE(OfferFB2DocumentCovers(Loaded(), [&](const uint8_t* Data, size_t Size) {
                Offered.assign(reinterpret_cast<const char*>(Data), Size);
                return true;
            }));
            EXPECT_EQ(Offered, Cover);
        }
    }
}

}
