#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/stress/TestBooks.h"
#include "tests/support/PluginModule.h"

namespace {

constexpr int ThreadCount = 8;

// Size, bit count, colour table and a hash of every pixel byte: two answers
// are the same picture when these are.
std::string Answer(const TPluginModule& Plugin, const TBookRequest& Request)
{
    std::u16string Name = Request.FileName;
    const platform::TBitmapHandle Bitmap = Plugin.PreviewW()(Name.data(), Request.Width, Request.Height, nullptr, 0);
    if (!Bitmap)
        return "none";
    platform::TLoadedModule::TBitmapData Data;
    const bool Read = Plugin.Module().ReadBitmap(Bitmap, Data);
    const bool Freed = Plugin.Module().DeleteBitmap(Bitmap);
    if (!Read || !Freed)
        return "unreadable";
    uint64_t Hash = 14695981039346656037u;
    auto Mix = [&Hash](uint8_t Byte) { Hash = (Hash ^ Byte) * 1099511628211u; };
    for (const uint32_t Entry : Data.ColorTable)
        for (int Shift = 0; Shift < 32; Shift += 8)
            Mix(static_cast<uint8_t>(Entry >> Shift));
    for (const uint8_t Byte : Data.Bits)
        Mix(Byte);
    return std::to_string(Data.Width) + "x" + std::to_string(Data.Height) + "x" + std::to_string(Data.BitCount) +
           " #" + std::to_string(Hash);
}

std::chrono::milliseconds RunTime()
{
    const char* Seconds = std::getenv("BRISLEAF_THREADS_SECONDS");
    return std::chrono::milliseconds(Seconds ? static_cast<int>(std::atof(Seconds) * 1000) : 3000);
}

TEST(Threads, EightThreadsGetTheSingleThreadedAnswers)
{
    const std::vector<TBookRequest> Requests = CorpusRequests();
    ASSERT_GE(Requests.size(), 20u) << "no books in BRISLEAF_BOOKS=" << CorpusFolder();
    TPluginModule Plugin;

    std::vector<std::string> Expected;
    size_t Pictures = 0;
    for (const TBookRequest& Request : Requests) {
        Expected.push_back(Answer(Plugin, Request));
        Pictures += Expected.back() != "none";
    }
    ASSERT_GE(Pictures, Requests.size() / 2) << "most books have a cover";
    ASSERT_LT(Pictures, Requests.size()) << "some books fail";

    std::atomic<bool> Stop{false};
    std::atomic<size_t> Done{0};
    std::mutex Lock;
    std::vector<std::string> Mismatches;
    std::vector<std::thread> Threads;
    for (int Thread = 0; Thread < ThreadCount; ++Thread)
        Threads.emplace_back([&, Thread] {
            // Each thread walks the books from a different start, so that
            // different routes and the same book overlap.
            for (size_t Step = 0; !Stop; ++Step) {
                const size_t Index = (Step + static_cast<size_t>(Thread) * Requests.size() / ThreadCount) %
                                     Requests.size();
                const std::string Got = Answer(Plugin, Requests[Index]);
                ++Done;
                if (Got != Expected[Index]) {
                    const std::lock_guard<std::mutex> Guard(Lock);
                    Mismatches.push_back(Utf8(Requests[Index].FileName) + ": " + Got + " instead of " +
                                         Expected[Index]);
                }
            }
        });
    const auto Until = std::chrono::steady_clock::now() + RunTime();
    // Every thread makes at least one round over the books, however slow the
    // build (ThreadSanitizer) is.
    while (std::chrono::steady_clock::now() < Until || Done < Requests.size() * ThreadCount)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Stop = true;
    for (std::thread& Thread : Threads)
        Thread.join();

    EXPECT_TRUE(Mismatches.empty()) << Mismatches.size() << " of " << Done << " answers differ, first: "
                                    << Mismatches.front();
    std::printf("%zu requests from %d threads\n", Done.load(), ThreadCount);
}

}
