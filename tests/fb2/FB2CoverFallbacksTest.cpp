#include <gtest/gtest.h>

#include "core/Limits.h"
#include "core/MemoryStream.h"
#include "core/ReadBudget.h"
#include "fb2/FB2CoverFallbacks.h"
#include "fb2/FB2Route.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipWriter.h"

namespace {

const std::string Fb2Namespace = "http://www.gribuser.ru/xml/fictionbook/2.0";
const std::string XLink = "http://www.w3.org/1999/xlink";

// A book with every element written with prefix P (none when empty) bound
// to Namespace, one coverpage image with the attributes given, and a binary
// "c" whose content is Picture.
std::string PrefixedBook(const std::string& P, const std::string& Namespace, const std::string& ImageAttributes,
                         const std::string& Picture = "PICTURE", const std::string& InfoName = "title-info")
{
    const std::string Q = P.empty() ? "" : P + ":";
    const std::string Declaration = P.empty() ? "xmlns" : "xmlns:" + P;
    return "<?xml version='1.0' encoding='utf-8'?>\n<" + Q + "FictionBook " + Declaration + "='" + Namespace +
           "' xmlns:xl='" + XLink + "'><" + Q + "description><" + Q + InfoName + "><" + Q + "coverpage><" + Q +
           "image " + ImageAttributes + "/></" + Q + "coverpage></" + Q + InfoName + "></" + Q + "description><" + Q +
           "body/><" + Q + "binary id='c' content-type='image/jpeg'>" + EncodeBase64(Picture) + "</" + Q +
           "binary></" + Q + "FictionBook>";
}

std::string NamespacedCover(const std::string& Text)
{
    IXMLDocument Document = NewXMLDocument();
    TPointerReadOnlyStream Stream(Text.data(), static_cast<intptr_t>(Text.size()));
    SetXMLTextFromStream(Document, Stream);
    const std::u16string Found = FindNamespacedFB2CoverText(Document);
    return std::string(Found.begin(), Found.end());
}

TEST(NamespacedFB2Cover, ElementsMatchedByLocalNameInTheNamespace)
{
    const std::string Link = "xl:href='#c'";
    const std::string Base64 = EncodeBase64("PICTURE");
    struct {
        const char* What;
        std::string Book;
        std::string Text;
    } const Cases[] = {
        {"prefixed", PrefixedBook("fb", Fb2Namespace, Link), Base64},
        {"default namespace", PrefixedBook("", Fb2Namespace, Link), Base64},
        {"source cover", PrefixedBook("f", Fb2Namespace, Link, "PICTURE", "src-title-info"), Base64},
        {"link without '#'", PrefixedBook("fb", Fb2Namespace, "xl:href='c'"), Base64},
        {"a namespace declaration before the link", PrefixedBook("fb", Fb2Namespace, "xmlns:q='urn:q' q:href='#c'"),
         Base64},
        {"the link by local name after another attribute", PrefixedBook("fb", Fb2Namespace, "alt='x' xl:href='#c'"),
         Base64},
        {"no href: the first attribute", PrefixedBook("fb", Fb2Namespace, "src='#c' alt='y'"), Base64},
        {"another namespace", PrefixedBook("fb", "http://example.com/fictionbook", Link), ""},
        {"no namespace", PrefixedBook("", "", Link), ""},
        {"no attributes", PrefixedBook("fb", Fb2Namespace, ""), ""},
        {"a link to no binary", PrefixedBook("fb", Fb2Namespace, "xl:href='#d'"), ""},
        {"not a FictionBook", "<fb:book xmlns:fb='" + Fb2Namespace + "'/>", ""},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(NamespacedCover(Case.Book), Case.Text) << Case.What;
}

TEST(NamespacedFB2Cover, BinariesOfAnotherNamespaceAreNotFound)
{
    std::string Book = PrefixedBook("fb", Fb2Namespace, "xl:href='#c'");
    Book.replace(Book.find("<fb:binary"), 10, "<x:binary xmlns:x='urn:x'");
    Book.replace(Book.find("</fb:binary>"), 12, "</x:binary>");
    EXPECT_EQ(NamespacedCover(Book), "");
}

// Offers of a document, or of an archive, as texts; pictures starting with
// "GOOD" are taken, as if only they decoded.
struct TOffers {
    std::vector<std::string> Offered;
    bool Taken = false;
    TCoverCandidateTaker Taker()
    {
        return [this](const uint8_t* Data, size_t Size) {
            Offered.emplace_back(reinterpret_cast<const char*>(Data), Size);
            return Offered.back().rfind("GOOD", 0) == 0;
        };
    }
};

TOffers DocumentOffers(const std::string& Text)
{
    IXMLDocument Document = NewXMLDocument();
    TPointerReadOnlyStream Stream(Text.data(), static_cast<intptr_t>(Text.size()));
    SetXMLTextFromStream(Document, Stream);
    TOffers Offers;
    Offers.Taken = OfferFB2DocumentCovers(std::move(Document), Offers.Taker());
    return Offers;
}

TEST(FB2DocumentCovers, TheExactLookupFirstThenTheNamespacedOne)
{
    EXPECT_EQ(DocumentOffers(BuildFb2WithCover("GOOD-plain")).Offered, std::vector<std::string>{"GOOD-plain"});
    // Both lookups find the same binary; it is offered once.
    EXPECT_EQ(DocumentOffers(BuildFb2WithCover("BAD")).Offered, std::vector<std::string>{"BAD"});
    const TOffers Prefixed = DocumentOffers(PrefixedBook("fb", Fb2Namespace, "xl:href='#c'", "GOOD-prefixed"));
    EXPECT_EQ(Prefixed.Offered, std::vector<std::string>{"GOOD-prefixed"});
    EXPECT_TRUE(Prefixed.Taken);
    EXPECT_TRUE(DocumentOffers("<FictionBook><description>").Offered.empty()) << "not well-formed";
    EXPECT_FALSE(OfferFB2DocumentCovers(nullptr, [](const uint8_t*, size_t) { return true; }));
}

TEST(FB2DocumentCovers, AFailingExactLookupLeavesTheNamespacedOne)
{
    // The exact lookup takes the first attribute, a namespace URI, and finds
    // no binary with that id; the namespaced one follows the href.
    std::string Book = PrefixedBook("", Fb2Namespace, "xmlns:q='urn:q' xl:href='#c'", "GOOD-second");
    EXPECT_EQ(DocumentOffers(Book).Offered, std::vector<std::string>{"GOOD-second"});
}

// A book in no namespace whose image has the attributes given, over the
// plain route with and without fallbacks.
TEST(FB2DocumentCovers, TheLinkByLocalNameInAnyNamespace)
{
    const auto Book = [](const std::string& Image) {
        return "<FictionBook><description><title-info><coverpage><image " + Image +
               "/></coverpage></title-info></description><body/><binary id='c'>" + EncodeBase64("GOOD") +
               "</binary></FictionBook>";
    };
    const auto Misspelt = [&](const std::string& Uri) { return Book("xmlns:l='" + Uri + "' l:href='#c'"); };
    struct {
        const char* What;
        std::string Text;
        bool Exact;   // found without fallbacks
        bool Cover;   // found with them
    } const Cases[] = {
        {"the link first", Book("href='#c'"), true, true},
        {"the link after another attribute", Book("alt='x' href='#c'"), false, true},
        {"doubled slash", Misspelt("http://www.w3.org/1999//xlink"), false, true},
        {"trailing slash", Misspelt("http://www.w3.org/1999/xlink/"), false, true},
        {"https", Misspelt("https://www.w3.org/1999/xlink"), false, true},
        {"upper case", Misspelt("http://www.w3.org/1999/XLink"), false, true},
        {"only a declaration", Book("xmlns:l='urn:l'"), false, false},
        {"a link to no binary", Book("alt='x' href='#d'"), false, false},
    };
    for (const auto& Case : Cases) {
        for (const bool Fallbacks : {false, true}) {
            TPointerReadOnlyStream Stream(Case.Text.data(), static_cast<intptr_t>(Case.Text.size()));
            TOffers Offers;
            TReadBudget Budget(Limits::RequestReadBytes);
            Offers.Taken = OfferPlainFB2Covers(Stream, TFB2Reading::AsFile, Fallbacks, Budget, Offers.Taker());
            EXPECT_EQ(Offers.Taken, Fallbacks ? Case.Cover : Case.Exact) << Case.What << Fallbacks;
            EXPECT_LE(Offers.Offered.size(), 1u) << Case.What << ": each binary once";
        }
    }
}

class ZippedFB2Covers : public ::testing::Test {
protected:
    TOffers Offers(TZipWriter& Writer)
    {
        const std::u16string Path = Dir.Write(u"book.fbz", Writer.Build());
        TZipFile Zip;
        Zip.Open(Path, zmRead);
        TOffers Result;
        TReadBudget Budget(Limits::RequestReadBytes);
        Result.Taken = OfferZippedFB2Covers(Zip, Budget, Result.Taker());
        return Result;
    }
    TTempDir Dir;
};

TEST_F(ZippedFB2Covers, LaterEntriesWhenTheFirstGivesNone)
{
    TZipWriter Writer;
    Writer.Add("readme.txt", std::string("GOOD-not-a-book"));
    Writer.Add("a/first.fb2", BuildFb2(TFb2Book{}), ZipDeflated);
    Writer.Add("b/second.FB2", BuildFb2WithCover("BAD-second"), ZipDeflated);
    Writer.Add("third.fb2", std::string("<FictionBook>not well-formed"));
    Writer.Add("fourth.fb2", PrefixedBook("fb", Fb2Namespace, "xl:href='#c'", "GOOD-fourth"), ZipDeflated);
    Writer.Add("fifth.fb2", BuildFb2WithCover("GOOD-fifth"));
    const TOffers Result = Offers(Writer);
    EXPECT_EQ(Result.Offered, (std::vector<std::string>{"BAD-second", "GOOD-fourth"}));
    EXPECT_TRUE(Result.Taken);
}

TEST_F(ZippedFB2Covers, TheFirstEntryWinsWhenItDecodes)
{
    TZipWriter Writer;
    Writer.Add("first.fb2", BuildFb2WithCover("GOOD-first"), ZipDeflated);
    Writer.Add("second.fb2", BuildFb2WithCover("GOOD-second"), ZipDeflated);
    EXPECT_EQ(Offers(Writer).Offered, std::vector<std::string>{"GOOD-first"});
}

TEST_F(ZippedFB2Covers, SixteenLaterEntriesAtMost)
{
    // A first entry and Later entries without covers, then one with a cover.
    const auto Archive = [](int Later) {
        TZipWriter Writer;
        Writer.Add("first.fb2", BuildFb2(TFb2Book{}));
        for (int Index = 0; Index < Later; ++Index)
            Writer.Add("later" + std::to_string(Index) + ".fb2", BuildFb2(TFb2Book{}));
        Writer.Add("last.fb2", BuildFb2WithCover("GOOD"));
        return Writer;
    };
    TZipWriter Fifteen = Archive(15), Sixteen = Archive(16);
    EXPECT_TRUE(Offers(Fifteen).Taken);
    EXPECT_FALSE(Offers(Sixteen).Taken);
}

TEST_F(ZippedFB2Covers, NoFB2EntryOffersNothing)
{
    TZipWriter Writer;
    Writer.Add("book.fb2.bak", BuildFb2WithCover("GOOD"));
    EXPECT_FALSE(Offers(Writer).Taken);
}

}
