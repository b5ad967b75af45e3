#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/FileStream.h"
#include "core/MemoryStream.h"
#include "epub/EpubRoute.h"
#include "fb2/FB2Route.h"
#include "mobi/MobiRoute.h"
#include "plugin/PreviewDriver.h"
#include "tests/support/EpubBuilder.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/PdbBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipWriter.h"
#include "core/Limits.h"
#include "core/ReadBudget.h"

namespace {

using TRouteCall = std::function<bool(TStream&, bool Fallbacks, const TCoverCandidateTaker&)>;

// What a route offers from a stream in memory, as a shell handler given a
// stream would call it: the stream starts away from its beginning, and the
// candidates are listed in the order offered (none taken when Taking is
// false, so that every one shows).
std::vector<TBytes> Offered(const TRouteCall& Route, const TBytes& Book, bool Fallbacks, bool Taking)
{
    TPointerReadOnlyStream Stream(Book.data(), static_cast<intptr_t>(Book.size()));
    Stream.SetPosition(static_cast<int64_t>(Book.size()) / 2);
    std::vector<TBytes> Candidates;
    Route(Stream, Fallbacks, [&](const uint8_t* Data, size_t Size) {
        Candidates.emplace_back(Data, Data + Size);
        return Taking;
    });
    return Candidates;
}

TEST(RouteFromAStream, EachRouteOffersItsCoverThenItsFallbacks)
{
    const TBytes Cover = MarkedRecord(1), Other = MarkedRecord(2);
    const TRouteCall Mobi = [](TStream& Book, bool Fallbacks, const TCoverCandidateTaker& Take) {
        TReadBudget Budget(Limits::RequestReadBytes);
        return OfferMobiCovers(Book, true, Fallbacks, Budget, Take);
    };
    const TRouteCall Epub = [](TStream& Book, bool Fallbacks, const TCoverCandidateTaker& Take) {
        TReadBudget Budget(Limits::RequestReadBytes);
        return OfferEpubCovers(Book, Fallbacks, Budget, Take);
    };
    const TRouteCall PlainFB2 = [](TStream& Book, bool Fallbacks, const TCoverCandidateTaker& Take) {
        TReadBudget Budget(Limits::RequestReadBytes);
        return OfferPlainFB2Covers(Book, TFB2Reading::AsFile, Fallbacks, Budget, Take);
    };
    const TRouteCall ZippedFB2 = [](TStream& Book, bool Fallbacks, const TCoverCandidateTaker& Take) {
        TReadBudget Budget(Limits::RequestReadBytes);
        return OfferZippedFB2BookCovers(Book, Fallbacks, Budget, Take);
    };

    // A book naming no cover but a thumbnail (EXTH 202 at offset 1): the
    // first picture without fallbacks, the thumbnail then the first picture
    // with them.
    TExthRecord Thumbnail{202, {0, 0, 0, 1}, std::nullopt};
    TMobiRecord0 Fields;
    Fields.Exth = ExthBlock({Thumbnail});
    const TBytes MobiBookBytes = MobiBook(MobiRecord0(Fields), 0, {Cover, Other});
    // The marked cover, then a manifest item named "cover".
    const TBytes EpubBook = BuildEpub("<meta name='cover' content='c'/>",
                                      "<item id='c' href='c.jpg' media-type='image/jpeg'/>"
                                      "<item id='x' href='cover2.jpg' media-type='image/jpeg'/>",
                                      {{"OEBPS/c.jpg", Cover}, {"OEBPS/cover2.jpg", Other}});
    const std::string Fb2 = BuildFb2WithCover(AsText(Cover));
    TZipWriter Later;
    Later.Add("a.fb2", Fb2, ZipDeflated);
    Later.Add("b.fb2", BuildFb2WithCover(AsText(Other)), ZipDeflated);
    const TBytes ZippedBook = Later.Build();

    const struct {
        const char* Name;
        const TRouteCall& Route;
        TBytes Book;
        std::vector<TBytes> Plain, WithFallbacks;
    } Cases[] = {
        {"Mobipocket", Mobi, MobiBookBytes, {Cover}, {Other, Cover}},
        {"EPUB", Epub, EpubBook, {Cover}, {Cover, Other}},
        // A book in the FictionBook namespace gives its cover to the
        // namespaced lookup too, which finds the same binary: offered once.
        {"FictionBook", PlainFB2, AsBytes(Fb2), {Cover}, {Cover}},
        {"zipped FictionBook", ZippedFB2, ZippedBook, {Cover}, {Cover, Other}},
    };
    for (const auto& Case : Cases) {
        EXPECT_EQ(Offered(Case.Route, Case.Book, false, false), Case.Plain) << Case.Name;
        EXPECT_EQ(Offered(Case.Route, Case.Book, true, false), Case.WithFallbacks) << Case.Name;
        // The first candidate taken ends the search.
        EXPECT_EQ(Offered(Case.Route, Case.Book, true, true), std::vector<TBytes>{Case.WithFallbacks[0]}) << Case.Name;
    }
}

// Every candidate the one way into the routes offers, none taken.
std::vector<TBytes> OfferedThroughKey(TStream& Book, const std::u16string& Key, TFB2Reading Reading)
{
    TPluginSettings Settings;
    Settings.MobiAllowFirstPic = Settings.CoverFallbacks = true;
    std::vector<TBytes> Candidates;
    OfferBookCovers(Book, Key, Reading, Settings, [&](const uint8_t* Data, size_t Size) {
        Candidates.emplace_back(Data, Data + Size);
        return false;
    });
    return Candidates;
}

TEST(RouteFromAStream, AFileAndTheSameBookInMemoryGiveTheSameCovers)
{
    const TBytes Cover = MarkedRecord(1), Other = MarkedRecord(2);
    TZipWriter Zipped;
    Zipped.Add("book.fb2", BuildFb2WithCover(AsText(Cover)), ZipDeflated);
    TMobiRecord0 Marked;
    Marked.Exth = ExthBlock({ExthCover(1)});
    const TBytes Mobi = MobiBook(MobiRecord0(Marked), 0, {Other, Cover});
    const struct {
        std::u16string Key;
        TFB2Reading Reading;
        TBytes Book;
    } Cases[] = {
        {u".epub", TFB2Reading::AsFile, BuildEpubWithCover(Cover)},
        {u".fb2", TFB2Reading::AsFile, AsBytes(BuildFb2WithCover(AsText(Cover)))},
        {u".fb2", TFB2Reading::AsText, AsBytes(BuildFb2WithCover(AsText(Cover)))},
        {u".fbz", TFB2Reading::AsFile, Zipped.Build()},
        {u".mobi", TFB2Reading::AsFile, Mobi},
        {u".azw3", TFB2Reading::AsFile, Mobi},
    };
    TTempDir Dir;
    for (const auto& Case : Cases) {
        TFileStream File(Dir.Write(u"book" + Case.Key, Case.Book), fsShareDenyWrite);
        TPointerReadOnlyStream Memory(Case.Book.data(), static_cast<intptr_t>(Case.Book.size()));
        const std::vector<TBytes> FromFile = OfferedThroughKey(File, Case.Key, Case.Reading);
        ASSERT_FALSE(FromFile.empty()) << Utf8(Case.Key);
        EXPECT_EQ(FromFile[0], Cover) << Utf8(Case.Key);
        EXPECT_EQ(OfferedThroughKey(Memory, Case.Key, Case.Reading), FromFile) << Utf8(Case.Key);
    }
}

}
