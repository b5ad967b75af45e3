#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/PluginModule.h"

namespace {

constexpr char Detect[] = "EXT=\"FB2\"|EXT=\"FBZ\"|EXT=\"EPUB\"|EXT=\"MOBI\"|EXT=\"AZW\"|EXT=\"AZW3\"";

class Exports : public ::testing::Test {
protected:
    // Calls ListGetDetectString on a sentinel-filled buffer; returns its bytes.
    std::string DetectInto(int32_t MaxLen)
    {
        char Buffer[1100];
        std::memset(Buffer, 0x55, sizeof Buffer);
        EXPECT_EQ(Plugin.GetDetectString()(Buffer, MaxLen), Buffer);
        return std::string(Buffer, sizeof Buffer);
    }
    TPluginModule Plugin;
};

TEST_F(Exports, DetectStringIsCutToTheBuffer)
{
    ASSERT_EQ(std::strlen(Detect), 62u);
    const std::string Sentinels(1100, '\x55');

    std::string Written = DetectInto(10);
    EXPECT_EQ(Written.substr(0, 10), std::string("EXT=\"FB2\"") + '\0');
    EXPECT_EQ(Written.substr(10), Sentinels.substr(10));

    Written = DetectInto(1);
    EXPECT_EQ(Written[0], '\0');
    EXPECT_EQ(Written.substr(1), Sentinels.substr(1));

    Written = DetectInto(63);
    EXPECT_EQ(Written.substr(0, 63), std::string(Detect) + '\0');

    Written = DetectInto(1000);
    EXPECT_EQ(Written.substr(0, 63), std::string(Detect) + '\0');
    EXPECT_EQ(Written.substr(63), Sentinels.substr(63)) << "nothing beyond the terminating zero";
}

TEST_F(Exports, DetectStringWithoutRoomWritesNothing)
{
    const std::string Sentinels(1100, '\x55');
    EXPECT_EQ(DetectInto(0), Sentinels);
    EXPECT_EQ(DetectInto(-5), Sentinels);
}

TEST_F(Exports, ListerWindowsAreDeclined)
{
    char Name[] = "book.fb2";
    char16_t WideName[] = u"book.fb2";
    EXPECT_EQ(Plugin.Load()(nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(Plugin.LoadW()(nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(Plugin.Load()(reinterpret_cast<void*>(0x1234), Name, 7), nullptr);
    EXPECT_EQ(Plugin.LoadW()(reinterpret_cast<void*>(0x1234), WideName, 7), nullptr);
}

TEST_F(Exports, NoNameAndNoFileGiveNoPreview)
{
    EXPECT_EQ(Plugin.PreviewW()(nullptr, 96, 96, nullptr, 0), nullptr);
    EXPECT_EQ(Plugin.Preview()(nullptr, 96, 96, nullptr, 0), nullptr);
    char Missing[] = "/nonexistent/brisleaf/book.epub";
    EXPECT_EQ(Plugin.Preview()(Missing, 96, 96, Missing, 12345), nullptr);
}

}
