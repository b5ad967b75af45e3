// The Nth allocation of a request fails, for every N the request makes, on a
// book of every route with and without the cover fallbacks: each request
// ends in no preview (with the fallbacks: or in the picture of a later
// candidate), gives back every bitmap and, when no picture came, every byte,
// and the program goes on (under ASan, LeakSanitizer checks the C
// libraries' blocks too).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Dib.h"
#include "platform/ProcessCounters.h"
#include "plugin/PreviewDriver.h"
#include "tests/stress/SeedPictures.h"
#include "tests/support/CountingAllocator.h"
#include "tests/support/EpubBuilder.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/PdbBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipWriter.h"

namespace {

struct TRouteBook {
    const char* What;
    std::u16string Name;
    TBytes File;
    bool Fallbacks;
};

TBytes Mobi(const TBytes& Exth, const std::vector<TBytes>& Pictures)
{
    TMobiRecord0 Fields;
    Fields.FirstImage = 2;
    Fields.Exth = Exth;
    return MobiBook(MobiRecord0(Fields), 1, Pictures);
}

TBytes Zipped(const std::vector<std::pair<std::string, std::string>>& Books)
{
    TZipWriter Writer;
    for (const auto& [Name, Text] : Books)
        Writer.Add(Name, Text, ZipDeflated);
    return Writer.Build();
}

// Books that show a picture, each found by its route's own rule, and, with
// the fallbacks, by a fallback rule after a first candidate failed.
std::vector<TRouteBook> RouteBooks()
{
    const std::string Jpeg = AsText(SmallJpeg(24, 16));
    const std::string Fb2 = BuildFb2WithCover(Jpeg);
    const std::string PrefixedFb2 =
        "<fb:FictionBook xmlns:fb='http://www.gribuser.ru/xml/fictionbook/2.0' xmlns:l='http://www.w3.org/1999/xlink'>"
        "<fb:description><fb:title-info><fb:coverpage><fb:image l:href='#c'/></fb:coverpage></fb:title-info>"
        "</fb:description><fb:body/><fb:binary id='c'>" + EncodeBase64(AsText(SmallPng())) + "</fb:binary></fb:FictionBook>";
    TBytes Thumbnail;
    AppendBigEndian32(Thumbnail, 1);
    return {
        {"EPUB", u"book.epub", BuildEpubWithCover(SmallJpeg()), false},
        {"FB2", u"book.fb2", AsBytes(Fb2), false},
        {"FBZ", u"book.fbz", Zipped({{"book.fb2", Fb2}}), false},
        {"MOBI", u"book.mobi", Mobi(ExthBlock({ExthCover(1)}), {SmallGif(), SmallBmp()}), false},
        {"EPUB, a missing cover's fallback", u"fallback.epub",
         BuildEpub("<meta name='cover' content='c'/>",
                   "<item id='c' href='gone.jpg' media-type='image/jpeg'/>"
                   "<item id='front' href='images/cover.jpg' media-type='image/jpeg'/>",
                   {{"OEBPS/images/cover.jpg", SmallJpeg()}}),
         true},
        {"FB2, prefixed", u"fallback.fb2", AsBytes(PrefixedFb2), true},
        {"FBZ, a later entry", u"fallback.fbz", Zipped({{"a.fb2", BuildFb2(TFb2Book{})}, {"b.fb2", Fb2}}), true},
        {"MOBI, the thumbnail record", u"fallback.mobi", Mobi(ExthBlock({{202, Thumbnail, std::nullopt}}), {SmallBmp(), SmallPng()}),
         true},
    };
}

TEST(AllocationFailure, EveryFailedAllocationEndsInNoPreviewWithNothingLeft)
{
    counting::Install();
    TTempDir Dir;
    for (const TRouteBook& Book : RouteBooks()) {
        SCOPED_TRACE(Book.What);
        const std::u16string Path = Dir.Write(Book.Name, Book.File);
        TPluginSettings Settings;
        Settings.CoverFallbacks = Book.Fallbacks;
        const auto Request = [&] {
            const platform::TBitmapHandle Bitmap = GetPreviewBitmap(Path, 32, 32, Settings);
            if (Bitmap)
                platform::DeleteDib(Bitmap);
            return Bitmap != nullptr;
        };
        // Once for what the libraries set up on first use, then counted.
        ASSERT_TRUE(Request());
        counting::Reset();
        ASSERT_TRUE(Request());
        const uint64_t Allocations = counting::Counts().Allocations;
        ASSERT_GT(Allocations, 5u);

        const size_t Bitmaps = platform::LiveBitmapCount();
        std::vector<uint64_t> Pictures;
        for (uint64_t N = 1; N <= Allocations; ++N) {
            const uint64_t Live = counting::Counts().LiveBytes;
            counting::FailAllocation(N);
            const bool Picture = Request();
            const bool Failed = counting::FailureHappened();
            counting::FailAllocation(0);
            EXPECT_TRUE(Failed) << "allocation " << N << " of " << Allocations << " never came";
            EXPECT_EQ(platform::LiveBitmapCount(), Bitmaps);
            if (Picture) {
                Pictures.push_back(N);
                continue;
            }
            EXPECT_EQ(counting::Counts().LiveBytes, Live) << "bytes left after allocation " << N << " failed";
        }
        // The fallbacks pass over a candidate that fails, out of memory too
        // (pugixml reports it as a document that does not parse), and go on
        // to the next, which may give the picture.
        if (!Book.Fallbacks) {
            EXPECT_TRUE(Pictures.empty()) << Pictures.size() << " of " << Allocations
                                          << " failures still gave a picture, the first at allocation "
                                          << Pictures.front();
        }
        EXPECT_LE(Pictures.size(), Allocations / 10);
    }
}

}
