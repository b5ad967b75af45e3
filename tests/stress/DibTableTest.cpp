#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/Dib.h"
#include "platform/posix/PosixDib.h"

namespace {

// A host may ask for a bitmap's description on one thread while another
// frees it: every answer is either the live bitmap's or "unknown", never
// what lies in freed memory. ThreadSanitizer and AddressSanitizer report the
// read that a check made outside the table's lock lets through.
TEST(DibTable, DescriptionsRacingAFreeSeeTheLiveBitmapOrNothing)
{
    constexpr int Rounds = 2000;
    const size_t LiveBefore = platform::LiveDibCount();
    int WrongAnswers = 0;
    for (int Round = 0; Round < Rounds; ++Round) {
        const int32_t Width = 1 + Round % 7;
        uint8_t* Bits = nullptr;
        const platform::TBitmapHandle Bitmap = platform::CreateDib(Width, 3, 24, nullptr, 0, &Bits);
        ASSERT_NE(Bitmap, nullptr);
        std::atomic<int> Described{0};
        std::thread Reader([&] {
            BrisleafDibSection Section;
            while (platform::DescribeDib(Bitmap, Section)) {
                if (Section.Width != Width || Section.Height != 3 || Section.Bits != Bits)
                    ++WrongAnswers;
                ++Described;
            }
        });
        // Free while the reader is between its reads.
        while (Described.load() < 1 + Round % 3)
            std::this_thread::yield();
        EXPECT_TRUE(platform::FreeDib(Bitmap));
        Reader.join();
    }
    EXPECT_EQ(WrongAnswers, 0);
    EXPECT_EQ(platform::LiveDibCount(), LiveBefore);
}

}
