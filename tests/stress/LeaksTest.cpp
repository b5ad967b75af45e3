#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "platform/Dib.h"
#include "platform/Files.h"
#include "platform/ProcessCounters.h"
#include "plugin/PreviewDriver.h"
#include "tests/stress/TestBooks.h"

namespace {

constexpr size_t RequestCount = 10000;
// The few books of several megapixels make no other calls than the small
// ones and would take most of the time.
constexpr uintmax_t MaxBookBytes = 256 * 1024;

std::vector<TBookRequest> SmallBookRequests()
{
    std::vector<TBookRequest> Requests = CorpusRequests();
    std::erase_if(Requests, [](const TBookRequest& Request) {
        std::error_code Missing;
        const uintmax_t Size = std::filesystem::file_size(std::filesystem::path(Request.FileName), Missing);
        return !Missing && (Size > MaxBookBytes || Request.Width * Request.Height > 300 * 300);
    });
    return Requests;
}

TEST(Leaks, HandlesAndBitmapsComeBackAfterManyRequests)
{
    const std::vector<TBookRequest> Requests = SmallBookRequests();
    ASSERT_GE(Requests.size(), 20u) << "no books in BRISLEAF_BOOKS=" << CorpusFolder();
    const TPluginSettings Settings;

    // One round first, so that what libraries set up once per process is not
    // taken for a leak.
    for (const TBookRequest& Request : Requests)
        if (platform::TBitmapHandle Bitmap = GetPreviewBitmap(Request.FileName, Request.Width, Request.Height, Settings))
            platform::DeleteDib(Bitmap);

    const size_t HandlesBefore = platform::OpenHandleCount();
    const size_t BitmapsBefore = platform::LiveBitmapCount();
    size_t Pictures = 0, Failures = 0, HeldAtOnce = 0;
    std::vector<platform::TBitmapHandle> Held;
    for (size_t Done = 0; Done < RequestCount; ++Done) {
        const TBookRequest& Request = Requests[Done % Requests.size()];
        platform::TBitmapHandle Bitmap = GetPreviewBitmap(Request.FileName, Request.Width, Request.Height, Settings);
        if (!Bitmap) {
            ++Failures;
            continue;
        }
        ++Pictures;
        // A host keeps some bitmaps for a while before freeing them.
        Held.push_back(Bitmap);
        if (Held.size() == 16) {
            HeldAtOnce = std::max(HeldAtOnce, platform::LiveBitmapCount() - BitmapsBefore);
            for (platform::TBitmapHandle Old : Held)
                platform::DeleteDib(Old);
            Held.clear();
        }
    }
    for (platform::TBitmapHandle Old : Held)
        platform::DeleteDib(Old);

    EXPECT_GT(Failures, RequestCount / 20) << "failed requests are among them";
    EXPECT_GT(Pictures, RequestCount / 2);
    EXPECT_EQ(HeldAtOnce, 16u) << "the count sees the bitmaps a host holds";
    {
        platform::TFileHandle Held;
        std::string Error;
        for (const TBookRequest& Request : Requests)
            if (Held.OpenForReading(Request.FileName, platform::smDenyWrite, Error))
                break;
        ASSERT_TRUE(Held.IsOpen());
        EXPECT_EQ(platform::OpenHandleCount(), HandlesBefore + 1) << "the count sees a file left open";
    }
    EXPECT_EQ(platform::OpenHandleCount(), HandlesBefore);
    EXPECT_EQ(platform::LiveBitmapCount(), BitmapsBefore);
    std::printf("%zu requests: %zu pictures, %zu without\n", RequestCount, Pictures, Failures);
}

}
