#include <gtest/gtest.h>

#include <tuple>

#include "core/Limits.h"
#include "core/ReadBudget.h"
#include "epub/CoverPage.h"
#include "epub/EpubCoverFallbacks.h"
#include "epub/EpubHref.h"
#include "tests/support/CountingAllocator.h"
#include "tests/support/EpubBuilder.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipWriter.h"

namespace {

TEST(EpubHref, ResolvedAgainstTheFolder)
{
    struct {
        const char* Folder;
        const char* Href;
        std::optional<std::string> Entry;
    } const Cases[] = {
        {"OEBPS/", "images/cover.jpg", "OEBPS/images/cover.jpg"},
        {"", "images/cover.jpg", "images/cover.jpg"},
        {"OEBPS/", "../cover.jpg", "cover.jpg"},
        {"OPS/text/", "../images/c.jpg", "OPS/images/c.jpg"},
        {"OEBPS/", "images/../cover.jpg", "OEBPS/cover.jpg"},
        {"OEBPS/", "./images/./c.jpg", "OEBPS/images/c.jpg"},
        {"OEBPS/", "../../../c.jpg", "c.jpg"},
        {"OEBPS/", "/images/c.jpg", "images/c.jpg"},
        {"OEBPS/", "cover%20image.jpg", "OEBPS/cover image.jpg"},
        {"OEBPS/", "%D0%BE%D0%B1.jpg", "OEBPS/\xD0\xBE\xD0\xB1.jpg"},
        {"OEBPS/", "a%2Fb.jpg", "OEBPS/a/b.jpg"},
        {"OEBPS/", "100%.jpg", "OEBPS/100%.jpg"},
        {"OEBPS/", "%4g.jpg", "OEBPS/%4g.jpg"},
        {"OEBPS/", "c.jpg#frag", "OEBPS/c.jpg"},
        {"OEBPS/", "#frag", std::nullopt},
        {"OEBPS/", "", std::nullopt},
        {"OEBPS/", "http://example.com/c.jpg", std::nullopt},
        {"OEBPS/", "data:image/png;base64,AAAA", std::nullopt},
        {"OEBPS/", "//host/c.jpg", std::nullopt},
        {"OEBPS/", "images/", std::nullopt},
        {"OEBPS/", "..", std::nullopt},
        {"OEBPS/", "a:b/../c.jpg", std::nullopt},
        {"OEBPS/", "images/a:b.jpg", "OEBPS/images/a:b.jpg"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(ResolveEpubHref(Case.Folder, Case.Href), Case.Entry) << Case.Folder << " + " << Case.Href;
    EXPECT_EQ(EntryFolder("OEBPS/text/p.xhtml"), "OEBPS/text/");
    EXPECT_EQ(EntryFolder("p.xhtml"), "");
}

TEST(CoverPage, PicturesInDocumentOrder)
{
    struct {
        const char* Page;
        std::vector<std::string> Hrefs;
    } const Cases[] = {
        {"<html xmlns='http://www.w3.org/1999/xhtml'><body><div><img src='c.jpg'/></div></body></html>", {"c.jpg"}},
        {"<h:html xmlns:h='http://www.w3.org/1999/xhtml'><h:body><h:img src='a.png'/><h:img src='b.png'/></h:body></h:html>",
         {"a.png", "b.png"}},
        {"<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink'>"
         "<image width='10' xlink:href='../images/c.jpg'/></svg>",
         {"../images/c.jpg"}},
        {"<html><body><svg xmlns:x='http://www.w3.org/1999/xlink'><g><image x:href='x.jpg'/></g></svg></body></html>",
         {"x.jpg"}},
        {"<html><body><svg><image href='svg2.jpg'/></svg></body></html>", {"svg2.jpg"}},
        // An <image> outside SVG is no picture; an <img> without src is an empty one.
        {"<html><body><image href='no.jpg'/><img/></body></html>", {""}},
        {"<html><body><p>&nbsp;</p><img src='c.jpg'/></body></html>", {"c.jpg"}},
        {"<package><img src='c.jpg'/></package>", {}},
        {"<html><body><img src='c.jpg'></body></html>", {}},
        {"\xFF\xD8\xFF\xE0 not a page", {}},
    };
    for (const auto& Case : Cases) {
        const std::string Page = Case.Page;
        EXPECT_EQ(ReadPagePictures(reinterpret_cast<const uint8_t*>(Page.data()), Page.size()).Hrefs, Case.Hrefs) << Page;
    }
}

TEST(CoverPage, ManyPicturesEndTheWalk)
{
    std::string Page = "<html><body>";
    for (int Index = 0; Index < 1000; ++Index)
        Page += "<img src='p" + std::to_string(Index) + ".jpg'/>";
    Page += "</body></html>";
    EXPECT_EQ(ReadPagePictures(reinterpret_cast<const uint8_t*>(Page.data()), Page.size()).Hrefs.size(), 17u);
}

// A book's candidates as texts: every entry offered in order, and the one
// taken. Entries hold marker texts; those starting with "GOOD" are taken, as
// if only they decoded.
struct TOffers {
    std::vector<std::string> Offered;
    bool Taken = false;
};

class EpubFallbacks : public ::testing::Test {
protected:
    TOffers Offers(const std::string& Metadata, const std::string& Manifest,
                   const std::vector<std::pair<std::string, std::string>>& Entries, const std::string& Guide = "")
    {
        std::vector<std::pair<std::string, TBytes>> Files;
        for (const auto& [Name, Text] : Entries)
            Files.emplace_back(Name, Bytes(Text));
        const std::u16string Path = Dir.Write(u"book.epub", BuildEpub(Metadata, Manifest, Files, Guide));
        TZipFile Zip;
        Zip.Open(Path, zmRead);
        TOffers Result;
        TReadBudget Budget(Limits::RequestReadBytes);
        Result.Taken = OfferEpubFallbackCovers(Zip, Budget, [&Result](const uint8_t* Data, size_t Size) {
            Result.Offered.emplace_back(reinterpret_cast<const char*>(Data), Size);
            return Result.Offered.back().rfind("GOOD", 0) == 0;
        });
        return Result;
    }
    TTempDir Dir;
};

struct TRuleCase {
    const char* What;
    std::string Metadata, Manifest;
    std::vector<std::pair<std::string, std::string>> Entries;
    std::string Guide;
    std::vector<std::string> Offered;  // pictures only: pages are read, never offered
};

TEST_F(EpubFallbacks, EachRuleFindsItsCover)
{
    const std::string Page = "<html xmlns='http://www.w3.org/1999/xhtml'><body><img src='../images/c.jpg'/></body></html>";
    const std::string SvgPage = "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink'>"
                                "<image xlink:href='pic%20one.png'/></svg>";
    const TRuleCase Cases[] = {
        {"manifest property",
         "",
         "<item id='a' href='images/a.jpg' media-type='image/jpeg' properties='nav  cover-image'/>",
         {{"OEBPS/images/a.jpg", "GOOD-a"}},
         "",
         {"GOOD-a"}},
        {"a property that only contains the token's text",
         "",
         "<item id='a' href='images/a.jpg' media-type='image/jpeg' properties='cover-images'/>",
         {{"OEBPS/images/a.jpg", "GOOD-a"}},
         "",
         {}},
        {"meta content as an href, percent-escaped",
         "<meta name='Cover' content='images/my%20pic.jpg'/>",
         "",
         {{"OEBPS/images/my pic.jpg", "GOOD-meta"}},
         "",
         {"GOOD-meta"}},
        {"cover item that is an XHTML page",
         "<meta name='cover' content='cp'/>",
         "<item id='cp' href='text/cover.xhtml' media-type='application/xhtml+xml'/>",
         {{"OEBPS/text/cover.xhtml", Page}, {"OEBPS/images/c.jpg", "GOOD-page"}},
         "",
         {"GOOD-page"}},
        {"guide reference to an SVG page, with a fragment",
         "",
         "",
         {{"OEBPS/cover.svg", SvgPage}, {"OEBPS/pic one.png", "GOOD-svg"}},
         "<reference type='Cover' href='cover.svg#top' title='Cover'/>",
         {"GOOD-svg"}},
        {"a page showing two pictures names no cover",
         "",
         "",
         {{"OEBPS/p.xhtml", "<html><body><img src='a.jpg'/><img src='b.jpg'/></body></html>"},
          {"OEBPS/a.jpg", "GOOD-a"},
          {"OEBPS/b.jpg", "GOOD-b"}},
         "<reference type='cover' href='p.xhtml'/>",
         {}},
        {"a page showing one picture twice",
         "",
         "",
         {{"OEBPS/p.xhtml", "<html><body><img src='a.jpg'/><p><img src='./a.jpg'/></p></body></html>"},
          {"OEBPS/a.jpg", "GOOD-a"}},
         "<reference type='cover' href='p.xhtml'/>",
         {"GOOD-a"}},
        {"image item whose href holds the word",
         "",
         "<item id='i1' href='images/FrontCOVER.png' media-type='image/png'/>"
         "<item id='i2' href='images/other.png' media-type='image/png'/>",
         {{"OEBPS/images/FrontCOVER.png", "GOOD-href"}, {"OEBPS/images/other.png", "GOOD-other"}},
         "",
         {"GOOD-href"}},
        {"image item whose id holds the word",
         "",
         "<item id='x' href='x.png' media-type='text/plain'/><item id='MyCover' href='y.gif' media-type='IMAGE/gif'/>",
         {{"OEBPS/x.png", "GOOD-x"}, {"OEBPS/y.gif", "GOOD-id"}},
         "",
         {"GOOD-id"}},
        {"no rule applies",
         "<meta name='author' content='images/a.jpg'/>",
         "<item id='pic' href='images/a.jpg' media-type='image/jpeg'/>",
         {{"OEBPS/images/a.jpg", "GOOD-a"}},
         "<reference type='toc' href='images/a.jpg'/>",
         {}},
        {"outside the book",
         "<meta name='cover' content='http://example.com/cover.jpg'/>",
         "<item id='c' href='file:///etc/cover.jpg' media-type='image/jpeg' properties='cover-image'/>",
         {},
         "",
         {}},
    };
    for (const TRuleCase& Case : Cases) {
        const TOffers Result = Offers(Case.Metadata, Case.Manifest, Case.Entries, Case.Guide);
        EXPECT_EQ(Result.Offered, Case.Offered) << Case.What;
        EXPECT_EQ(Result.Taken, !Case.Offered.empty()) << Case.What;
    }
}

std::string Svg(const std::string& Body)
{
    return "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink'>" + Body + "</svg>";
}

std::string Html(const std::string& Body)
{
    return "<html xmlns='http://www.w3.org/1999/xhtml' xmlns:epub='http://www.idpf.org/2007/ops'><body>" + Body +
           "</body></html>";
}

std::string DataUri(const std::string& Bytes) { return "data:image/jpeg;base64," + EncodeBase64(Bytes); }

// The package's spine starts with the item of id "text".
TEST_F(EpubFallbacks, SvgCoversLandmarksAndTheFirstPage)
{
    const std::string Nav = "<item id='nav' href='nav.xhtml' media-type='application/xhtml+xml' properties='nav'/>";
    const auto Landmarks = [](const std::string& Links) {
        return Html("<nav epub:type='toc'><ol><li><a epub:type='cover' href='text/toc-cover.xhtml'/></li></ol></nav>"
                    "<nav epub:type='landmarks'><ol><li><a epub:type='bodymatter' href='text/one.xhtml'/></li>" +
                    Links + "</ol></nav>");
    };
    const std::string CoverPage = Html("<img src='../images/c.jpg'/>");
    const TRuleCase Cases[] = {
        {"marked cover that is an SVG: its largest picture, by bytes",
         "<meta name='cover' content='c'/>",
         "<item id='c' href='images/cover.svg' media-type='image/svg+xml'/>",
         {{"OEBPS/images/cover.svg",
           Svg("<image href='small.png'/><path d='M0 0'/><image xlink:href='../pics/big%20one.jpg'/>")},
          {"OEBPS/images/small.png", "GOOD-small"},
          {"OEBPS/pics/big one.jpg", "GOOD-big, the photo"}},
         "",
         {"GOOD-big, the photo"}},
        {"cover-image item that is an SVG carrying its picture",
         "",
         "<item id='c' href='cover.svg' media-type='image/svg+xml' properties='cover-image'/>",
         {{"OEBPS/cover.svg",
           Svg("<image href='tiny.jpg'/><image xlink:href='" + DataUri("GOOD-inline, many bytes") + "'/>")},
          {"OEBPS/tiny.jpg", "GOOD-tiny"}},
         "",
         {"GOOD-inline, many bytes"}},
        {"SVG cover page in the guide with two pictures",
         "",
         "",
         {{"OEBPS/cover.svg", Svg("<image href='a.jpg'/><image href='b.jpg'/>")},
          {"OEBPS/a.jpg", "GOOD-a"},
          {"OEBPS/b.jpg", "GOOD-b, larger"}},
         "<reference type='cover' href='cover.svg'/>",
         {"GOOD-b, larger"}},
        {"cover page showing an SVG picture",
         "",
         "",
         {{"OEBPS/p.xhtml", Html("<img src='c.svg'/>")},
          {"OEBPS/c.svg", Svg("<image href='c.png'/>")},
          {"OEBPS/c.png", "GOOD-c"}},
         "<reference type='cover' href='p.xhtml'/>",
         {"GOOD-c"}},
        {"SVG without a raster picture",
         "",
         "<item id='c' href='cover.svg' media-type='image/svg+xml' properties='cover-image'/>",
         {{"OEBPS/cover.svg", Svg("<path d='M0 0 L10 10'/><text>Title</text>")}},
         "",
         {}},
        {"SVG pictures outside the book",
         "",
         "<item id='c' href='cover.svg' media-type='image/svg+xml' properties='cover-image'/>",
         {{"OEBPS/cover.svg", Svg("<image href='http://example.com/c.jpg'/><image href='../../gone.jpg'/>")}},
         "",
         {}},
        {"data: URI with damaged base64",
         "",
         "<item id='c' href='cover.svg' media-type='image/svg+xml' properties='cover-image'/>",
         {{"OEBPS/cover.svg", Svg("<image href='data:image/jpeg;base64,R09P!RC1k'/>")}},
         "",
         {}},
        {"an SVG picture is not followed into another SVG",
         "",
         "<item id='c' href='a.svg' media-type='image/svg+xml' properties='cover-image'/>",
         {{"OEBPS/a.svg", Svg("<image href='b.svg'/>")},
          {"OEBPS/b.svg", Svg("<image href='c.jpg'/>")},
          {"OEBPS/c.jpg", "GOOD-c"}},
         "",
         {}},
        {"landmarks link to a cover page",
         "",
         Nav,
         {{"OEBPS/nav.xhtml", Landmarks("<li><a epub:type='cover' href='text/cover.xhtml#c'/></li>")},
          {"OEBPS/text/cover.xhtml", CoverPage},
          {"OEBPS/images/c.jpg", "GOOD-landmark"}},
         "",
         {"GOOD-landmark"}},
        {"landmarks link to a picture, under another prefix",
         "",
         "<item id='nav' href='toc/nav.xhtml' media-type='application/xhtml+xml' properties='nav'/>",
         {{"OEBPS/toc/nav.xhtml", "<html xmlns:o='http://www.idpf.org/2007/ops'><body><nav o:type='landmarks'>"
                                  "<a o:type='frontmatter cover' href='../images/c.jpg'/></nav></body></html>"},
          {"OEBPS/images/c.jpg", "GOOD-direct"}},
         "",
         {"GOOD-direct"}},
        {"landmarks link to a missing page",
         "",
         Nav,
         {{"OEBPS/nav.xhtml", Landmarks("<li><a epub:type='cover' href='text/gone.xhtml'/></li>")},
          {"OEBPS/text/toc-cover.xhtml", CoverPage},
          {"OEBPS/images/c.jpg", "GOOD-c"}},
         "",
         {}},
        {"a cover link outside the landmarks, or typed without a prefix",
         "",
         Nav,
         {{"OEBPS/nav.xhtml", Landmarks("<li><a type='cover' href='text/cover.xhtml'/></li>")},
          {"OEBPS/text/toc-cover.xhtml", CoverPage},
          {"OEBPS/text/cover.xhtml", CoverPage},
          {"OEBPS/images/c.jpg", "GOOD-c"}},
         "",
         {}},
        {"unmarked first spine item that is a picture",
         "",
         "<item id='text' href='images/first.jpg' media-type='image/jpeg'/>",
         {{"OEBPS/images/first.jpg", "GOOD-first"}},
         "",
         {"GOOD-first"}},
        {"unmarked first page showing one picture",
         "",
         "<item id='text' href='text/p1.xhtml' media-type='application/xhtml+xml'/>",
         {{"OEBPS/text/p1.xhtml", Html("<p>&nbsp;</p><div><img src='../images/p.jpg'/></div>")},
          {"OEBPS/images/p.jpg", "GOOD-page"}},
         "",
         {"GOOD-page"}},
        {"unmarked first page showing one SVG picture carried inline",
         "",
         "<item id='text' href='p1.xhtml' media-type='application/xhtml+xml'/>",
         {{"OEBPS/p1.xhtml", Html("<svg xmlns='http://www.w3.org/2000/svg'><image href='" + DataUri("GOOD-inline") +
                                  "'/></svg>")}},
         "",
         {"GOOD-inline"}},
        {"unmarked first page showing two pictures",
         "",
         "<item id='text' href='p1.xhtml' media-type='application/xhtml+xml'/>",
         {{"OEBPS/p1.xhtml", Html("<img src='a.jpg'/><img src='b.jpg'/>")},
          {"OEBPS/a.jpg", "GOOD-a"},
          {"OEBPS/b.jpg", "GOOD-b"}},
         "",
         {}},
        {"a mark that fails keeps the first page out",
         "<meta name='cover' content='gone'/>",
         "<item id='text' href='images/first.jpg' media-type='image/jpeg'/>",
         {{"OEBPS/images/first.jpg", "GOOD-first"}},
         "",
         {}},
    };
    for (const TRuleCase& Case : Cases) {
        const TOffers Result = Offers(Case.Metadata, Case.Manifest, Case.Entries, Case.Guide);
        EXPECT_EQ(Result.Offered, Case.Offered) << Case.What;
        EXPECT_EQ(Result.Taken, !Case.Offered.empty()) << Case.What;
    }
}

TEST_F(EpubFallbacks, NewRulesComeAfterTheMarks)
{
    const TOffers Result =
        Offers("", "<item id='text' href='first.jpg' media-type='image/jpeg'/>"
                   "<item id='nav' href='nav.xhtml' media-type='application/xhtml+xml' properties='nav'/>"
                   "<item id='named' href='the-cover.jpg' media-type='image/jpeg'/>",
               {{"OEBPS/nav.xhtml", Html("<nav epub:type='landmarks'><a epub:type='cover' href='land.jpg'/></nav>")},
                {"OEBPS/guide.xhtml", Html("<img src='guide.jpg'/>")},
                {"OEBPS/guide.jpg", "BAD-guide"},
                {"OEBPS/land.jpg", "BAD-landmark"},
                {"OEBPS/the-cover.jpg", "BAD-named"},
                {"OEBPS/first.jpg", "GOOD-first"}},
               "<reference type='cover' href='guide.xhtml'/>");
    // A landmark or guide reference marks a cover: the first page is not tried.
    EXPECT_EQ(Result.Offered, (std::vector<std::string>{"BAD-guide", "BAD-landmark", "BAD-named"}));
}

TEST_F(EpubFallbacks, RulesInOrderUntilOneDecodes)
{
    const TOffers Result = Offers(
        "<meta name='cover' content='images/meta.jpg'/>",
        "<item id='p' href='images/prop.jpg' media-type='image/jpeg' properties='cover-image'/>"
        "<item id='cover-named' href='images/named.jpg' media-type='image/jpeg'/>",
        {{"OEBPS/images/prop.jpg", "BAD-prop"},
         {"OEBPS/images/meta.jpg", "BAD-meta"},
         {"OEBPS/page.xhtml", "<html><body><img src='images/page.jpg'/></body></html>"},
         {"OEBPS/images/page.jpg", "BAD-page"},
         {"OEBPS/images/named.jpg", "GOOD-named"}},
        "<reference type='cover' href='page.xhtml'/>");
    EXPECT_EQ(Result.Offered, (std::vector<std::string>{"BAD-prop", "BAD-meta", "BAD-page", "GOOD-named"}));
    EXPECT_TRUE(Result.Taken);
}

TEST_F(EpubFallbacks, EachEntryOnceAndNeverTheMetaChainsOwn)
{
    // The <meta> chain's picture already failed; the property names it again
    // and an image item names it a third time.
    const TOffers Result = Offers("<meta name='cover' content='c'/>",
                                  "<item id='c' href='images/cover.jpg' media-type='image/jpeg' properties='cover-image'/>"
                                  "<item id='other-cover' href='images/../images/cover.jpg' media-type='image/jpeg'/>"
                                  "<item id='back-cover' href='images/back.jpg' media-type='image/jpeg'/>",
                                  {{"OEBPS/images/cover.jpg", "BAD-primary"}, {"OEBPS/images/back.jpg", "BAD-back"}});
    EXPECT_EQ(Result.Offered, std::vector<std::string>{"BAD-back"});
    EXPECT_FALSE(Result.Taken);
}

TEST_F(EpubFallbacks, EncryptedEntriesAreSkipped)
{
    const std::string Encryption =
        "<encryption xmlns='urn:oasis:names:tc:opendocument:xmlns:container' xmlns:enc='http://www.w3.org/2001/04/xmlenc#'>"
        "<enc:EncryptedData><enc:CipherData><enc:CipherReference URI='OEBPS/images/a%20b.jpg'/></enc:CipherData>"
        "</enc:EncryptedData></encryption>";
    const TOffers Result = Offers("", "<item id='a' href='images/a b.jpg' media-type='image/jpeg' properties='cover-image'/>"
                                      "<item id='b' href='images/cover.jpg' media-type='image/jpeg'/>",
                                  {{"META-INF/encryption.xml", Encryption},
                                   {"OEBPS/images/a b.jpg", "GOOD-encrypted"},
                                   {"OEBPS/images/cover.jpg", "GOOD-plain"}});
    EXPECT_EQ(Result.Offered, std::vector<std::string>{"GOOD-plain"});
}

TEST_F(EpubFallbacks, PagesAreParsedOnlyUnderOneMiBAndSvgUpTo16)
{
    const auto OfSize = [](const std::string& Head, size_t Size, const std::string& Tail) {
        return Head + std::string(Size - Head.size() - Tail.size(), ' ') + Tail;
    };
    const std::string Guide = "<reference type='cover' href='p.xhtml'/>";
    const std::string Page = "<html><body><img src='c.jpg'/>", Svg = "<svg><image href='c.jpg'/>";
    for (const auto& [Head, Tail, Largest] : {std::tuple{Page, std::string("</body></html>"), (size_t{1} << 20) - 1},
                                              std::tuple{Svg, std::string("</svg>"), size_t{16} << 20}}) {
        EXPECT_TRUE(Offers("", "", {{"OEBPS/p.xhtml", OfSize(Head, Largest, Tail)}, {"OEBPS/c.jpg", "GOOD"}}, Guide).Taken)
            << Head;
        EXPECT_FALSE(Offers("", "", {{"OEBPS/p.xhtml", OfSize(Head, Largest + 1, Tail)}, {"OEBPS/c.jpg", "GOOD"}}, Guide).Taken)
            << Head;
    }
}

TEST_F(EpubFallbacks, BooksWithoutAPackageOfferNothing)
{
    TEpubBook Book;
    Book.HasContainer = false;
    Book.Entries = {{"OEBPS/images/cover.jpg", Bytes("GOOD")}};
    const std::u16string Path = Dir.Write(u"book.epub", BuildEpub(Book));
    TZipFile Zip;
    Zip.Open(Path, zmRead);
    TReadBudget Budget(Limits::RequestReadBytes);
    EXPECT_FALSE(OfferEpubFallbackCovers(Zip, Budget, [](const uint8_t*, size_t) { return true; }));
}

}

// A package of N cover <meta> and N manifest items, each naming another, or
// all naming one id that all items have: the search's allocations grow with
// N, not with N * N.
TEST(EpubFallbackWork, GrowsWithThePackageNotItsSquare)
{
    counting::Install();
    TTempDir Dir;
    int Books = 0;
    const auto Allocations = [&](int Count, bool OneId) {
        std::string Metadata, Manifest;
        for (int Index = 0; Index < Count; ++Index) {
            const std::string Id = OneId ? "p" : "p" + std::to_string(Index);
            Metadata += "<meta name='cover' content='" + Id + "'/>";
            Manifest += "<item id='" + Id + "' href='p" + std::to_string(Index) +
                        ".xhtml' media-type='application/xhtml+xml'/>";
        }
        const std::u16string Path =
            Dir.Write(u"book" + std::u16string(1, char16_t(u'a' + Books++)) + u".epub", BuildEpub(Metadata, Manifest, {}));
        TZipFile Zip;
        Zip.Open(Path, zmRead);
        TReadBudget Budget(Limits::RequestReadBytes);
        counting::Reset();
        OfferEpubFallbackCovers(Zip, Budget, [](const uint8_t*, size_t) { return false; });
        return counting::Counts().Allocations;
    };
    for (const bool OneId : {false, true}) {
        const uint64_t Small = Allocations(1000, OneId), Large = Allocations(4000, OneId);
        EXPECT_LT(Large, 6 * Small) << Small << " allocations for 1000, " << Large << " for 4000; one id: " << OneId;
    }
}
