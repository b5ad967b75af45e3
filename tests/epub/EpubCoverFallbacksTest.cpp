#include <gtest/gtest.h>

#include "epub/CoverPage.h"
#include "epub/EpubCoverFallbacks.h"
#include "epub/EpubHref.h"
#include "tests/support/EpubBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipWriter.h"
#include "core/Limits.h"
#include "core/ReadBudget.h"

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
        EXPECT_EQ(PagePictureHrefs(reinterpret_cast<const uint8_t*>(Page.data()), Page.size()), Case.Hrefs) << Page;
    }
}

TEST(CoverPage, ManyPicturesEndTheWalk)
{
    std::string Page = "<html><body>";
    for (int Index = 0; Index < 1000; ++Index)
        Page += "<img src='p" + std::to_string(Index) + ".jpg'/>";
    Page += "</body></html>";
    EXPECT_EQ(PagePictureHrefs(reinterpret_cast<const uint8_t*>(Page.data()), Page.size()).size(), 17u);
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
         "<item id='text' href='images/a.jpg' media-type='image/jpeg'/>",
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

TEST_F(EpubFallbacks, PagesAreParsedOnlyUnderOneMiB)
{
    const auto PageOfSize = [](size_t Size) {
        const std::string Head = "<html><body><img src='c.jpg'/>", Tail = "</body></html>";
        return Head + std::string(Size - Head.size() - Tail.size(), ' ') + Tail;
    };
    const std::string Guide = "<reference type='cover' href='p.xhtml'/>";
    EXPECT_TRUE(Offers("", "", {{"OEBPS/p.xhtml", PageOfSize((1u << 20) - 1)}, {"OEBPS/c.jpg", "GOOD"}}, Guide).Taken);
    EXPECT_FALSE(Offers("", "", {{"OEBPS/p.xhtml", PageOfSize(1u << 20)}, {"OEBPS/c.jpg", "GOOD"}}, Guide).Taken);
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
