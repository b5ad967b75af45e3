#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "core/Limits.h"
#include "core/MemoryStream.h"
#include "core/ReadBudget.h"
#include "fb2/Base64.h"
#include "fb2/FB2LenientCover.h"
#include "fb2/FB2Route.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/ZipWriter.h"

namespace {

// A well-formed book with the cover "c" (Picture) followed by another binary.
TFb2Book CoveredBook(const std::string& Picture = "PICTURE")
{
    TFb2Book Book;
    Book.Covers = {"#c"};
    Book.Binaries = {{"c", Picture}, {"d", "OTHER"}};
    return Book;
}

std::string Replaced(std::string Text, const std::string& From, const std::string& To)
{
    const size_t At = Text.find(From);
    EXPECT_NE(At, std::string::npos) << From;
    return At == std::string::npos ? Text : Text.replace(At, From.size(), To);
}

// The text up to and including the first occurrence of Mark.
std::string CutAfter(const std::string& Text, const std::string& Mark)
{
    return Text.substr(0, Text.find(Mark) + Mark.size());
}

// The picture found, decoded.
std::string Found(const std::string& Text)
{
    return DecodeBase64Utf8(FindLenientFB2CoverText(Text));
}

struct TLenientCase {
    const char* What;
    std::string Text;
    bool Cover;
};

TEST(LenientFB2Cover, FindsTheCoverOfBooksTheParserRefuses)
{
    const std::string Good = BuildFb2(CoveredBook());
    TFb2Book Source = CoveredBook();
    Source.Covers = {};
    Source.SourceCovers = {"#c"};
    TFb2Book Entity = CoveredBook();
    Entity.Title = "A&nbsp;B";
    TFb2Book Mismatched = CoveredBook();
    Mismatched.Body = "<section><p><strong>x</p></emphasis></section><p>y";
    TFb2Book Prefix = CoveredBook();
    Prefix.Body = "<x:p>undeclared</x:p>";
    const TLenientCase Cases[] = {
        {"well-formed", Good, true},
        {"an undeclared entity", BuildFb2(Entity), true},
        {"mismatched tags in the body", BuildFb2(Mismatched), true},
        {"an undeclared element prefix", BuildFb2(Prefix), true},
        {"the link's prefix undeclared", Replaced(Replaced(Good, "l:href", "q:href"), " xmlns:l=", " xmlns:m="), true},
        {"cut short after the cover", CutAfter(Good, "</binary>"), true},
        {"the source's cover when the book names none", BuildFb2(Source), true},
        {"a link in a comment before", Replaced(Good, "<title-info>", "<title-info><!-- <coverpage> -->"), true},
        {"the binary in a comment", Replaced(Good, "<binary id=\"c\"", "<!-- --><binary id=\"c\""), true},
        // What the lookup would not find in a well-formed book either.
        {"cut short inside the cover", Good.substr(0, Good.find("</binary>") - 4), false},
        {"cut short before the description ends", CutAfter(Good, "</title-info>"), false},
        {"a link to no binary", Replaced(Good, "\"#c\"", "\"#e\""), false},
        {"the cover inside the body", Replaced(Replaced(Good, "<binary id=\"c\"", "<body><binary id=\"c\""),
                                               "</binary>", "</binary></body>"), false},
        {"a comment in the binary", Replaced(Good, "</binary>", "<!-- x --></binary>"), false},
        {"a reference in the binary", Replaced(Good, "</binary>", "&#65;</binary>"), false},
        {"an empty binary", Replaced(Good, "<binary id=\"c\"", "<binary id=\"c\"/><binary id=\"x\""), false},
        {"the first title-info has no image", Replaced(Good, "<title-info>", "<title-info></title-info><title-info>"),
         false},
        {"a description in another namespace", Replaced(Good, "<description>", "<description xmlns='urn:x'>"), false},
        {"another root", Replaced(Replaced(Good, "<FictionBook ", "<Book "), "</FictionBook>", "</Book>"), false},
        {"a prefixed root outside the namespace", Replaced(Good, "<FictionBook ", "<x:FictionBook xmlns:x='urn:x' "),
         false},
        {"no root at all", "<?xml version='1.0'?>", false},
    };
    for (const TLenientCase& Case : Cases)
        EXPECT_EQ(Found(Case.Text), Case.Cover ? "PICTURE" : "") << Case.What;
}

TEST(LenientFB2Cover, TheLinkByLocalNameAndTheBinaryByNamespace)
{
    const std::string Fb2 = "http://www.gribuser.ru/xml/fictionbook/2.0";
    const auto Book = [&](const std::string& Root, const std::string& Image, const std::string& Binary) {
        return "<" + Root + "><description><title-info><coverpage><image " + Image +
               "/></coverpage></title-info></description><body><p>&x;</p></body><" + Binary + " id='c'>UElD</" +
               Binary.substr(0, Binary.find(' ')) + "></FictionBook>";
    };
    const TLenientCase Cases[] = {
        {"no namespace", Book("FictionBook", "href='#c'", "binary"), true},
        {"a misspelt XLink", Book("FictionBook xmlns:l='http://www.w3.org/1999//xlink'", "l:href='#c'", "binary"),
         true},
        {"href after another attribute", Book("FictionBook", "alt='x' l:href='#c'", "binary"), true},
        {"a declaration first", Book("FictionBook", "xmlns:q='urn:q' q:href='c'", "binary"), true},
        {"no href: the first attribute", Book("FictionBook", "src='#c'", "binary"), true},
        {"a prefixed binary in no namespace", Book("FictionBook xmlns:f='urn:f'", "href='#c'", "f:binary"), false},
        {"a binary in the book's namespace by prefix",
         Book("FictionBook xmlns='" + Fb2 + "' xmlns:f='" + Fb2 + "'", "href='#c'", "f:binary"), true},
        {"a link with a reference", Book("FictionBook", "href='#&c;'", "binary"), false},
        {"a document type named as the root", "<!DOCTYPE FictionBook>" + Book("FictionBook", "href='#c'", "binary"),
         false},
        {"no attributes", Book("FictionBook", "", "binary"), false},
    };
    for (const TLenientCase& Case : Cases)
        EXPECT_EQ(Found(Case.Text), Case.Cover ? "PIC" : "") << Case.What;
}

// The routes with and without fallbacks over a book the parser refuses.
TEST(LenientFB2Cover, OnlyWithFallbacks)
{
    TFb2Book Broken = CoveredBook("GOOD");
    Broken.Body = "<p>&nbsp;<em>x</p>";
    const std::string Text = BuildFb2(Broken);
    TZipWriter Writer;
    Writer.Add("a.fb2", Text, ZipDeflated);
    const TBytes Zipped = Writer.Build();
    for (const bool Fallbacks : {false, true}) {
        for (const TFB2Reading Reading : {TFB2Reading::AsFile, TFB2Reading::AsText}) {
            std::string Offered;
            const auto Take = [&](const uint8_t* Data, size_t Size) {
                Offered.assign(reinterpret_cast<const char*>(Data), Size);
                return true;
            };
            TPointerReadOnlyStream Plain(Text.data(), static_cast<intptr_t>(Text.size()));
            TReadBudget Budget(Limits::RequestReadBytes);
            bool Taken = false;
            try {
                Taken = OfferPlainFB2Covers(Plain, Reading, Fallbacks, Budget, Take);
            } catch (const Exception&) {
            }
            EXPECT_EQ(Taken, Fallbacks);
            EXPECT_EQ(Offered, Fallbacks ? "GOOD" : "");
            Offered.clear();
            TPointerReadOnlyStream Archive(Zipped.data(), static_cast<intptr_t>(Zipped.size()));
            try {
                Taken = OfferZippedFB2BookCovers(Archive, Fallbacks, Budget, Take);
            } catch (const Exception&) {
                Taken = false;
            }
            EXPECT_EQ(Taken, Fallbacks);
            EXPECT_EQ(Offered, Fallbacks ? "GOOD" : "");
        }
    }
}

// A book refused for holding more nodes than a document may is read once:
// the lenient reading takes the text the parser refused, plain or zipped.
TEST(LenientFB2Cover, ABookRefusedForItsSizeIsReadOnce)
{
    TFb2Book Book = CoveredBook("GOOD");
    std::string Body = "<p>";
    for (size_t I = 0; I < Limits::XMLParseBytes / 64; ++I)
        Body += "<a/>";
    Book.Body = Body + "</p>";
    const std::string Text = BuildFb2(Book);
    TZipWriter Writer;
    Writer.Add("a.fb2", Text, ZipDeflated);
    const TBytes Zipped = Writer.Build();
    const struct {
        const char* What;
        bool Zipped;
        TFB2Reading Reading;
    } Cases[] = {{"as a file", false, TFB2Reading::AsFile},
                 {"as text", false, TFB2Reading::AsText},
                 {"zipped", true, TFB2Reading::AsFile}};
    for (const auto& Case : Cases) {
        std::string Offered;
        const auto Take = [&](const uint8_t* Data, size_t Size) {
            Offered.assign(reinterpret_cast<const char*>(Data), Size);
            return true;
        };
        TReadBudget Budget(Limits::RequestReadBytes);
        TPointerReadOnlyStream Archive(Zipped.data(), static_cast<intptr_t>(Zipped.size()));
        TPointerReadOnlyStream Plain(Text.data(), static_cast<intptr_t>(Text.size()));
        const bool Taken = Case.Zipped ? OfferZippedFB2BookCovers(Archive, true, Budget, Take)
                                       : OfferPlainFB2Covers(Plain, Case.Reading, true, Budget, Take);
        EXPECT_TRUE(Taken) << Case.What;
        EXPECT_EQ(Offered, "GOOD") << Case.What;
        EXPECT_EQ(Limits::RequestReadBytes - Budget.Left(), Text.size()) << Case.What;
    }
}

// Stray end tags and deep nesting cost a bounded look-back each: the scan
// gives up past its depth and still ends.
TEST(LenientFB2Cover, DeepAndStrayMarkupEndsInNothing)
{
    const std::string Good = BuildFb2(CoveredBook());
    std::string Deep;
    for (int I = 0; I < 2000; ++I)
        Deep += "<d>";
    std::string Stray;
    for (int I = 0; I < 100000; ++I)
        Stray += "</x>";
    EXPECT_EQ(Found(Replaced(Good, "<body>", "<body>" + Deep)), "") << "deeper than any book";
    EXPECT_EQ(Found(Replaced(Good, "<body>", "<body>" + Deep.substr(0, 150) + Stray)), "PICTURE")
        << "stray end tags pass";
}

}
