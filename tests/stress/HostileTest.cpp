// Every hostile input as a named case: the request ends in its expected
// outcome with and without the cover fallbacks, gives back all it took, and
// allocates (operator new and pugixml, counted) within a request's budget.
// With BRISLEAF_ADDRESS_LIMITED set, the program runs in an address space
// as small as a 32-bit host leaves: then the outcome may be no picture,
// but never a crash. BRISLEAF_HOSTILE_FOLDER names a folder where
// brisleaf_hostile_inputs wrote the inputs, to be read instead of made.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/Dib.h"
#include "platform/ProcessCounters.h"
#include "plugin/PreviewDriver.h"
#include "tests/stress/HostileInputs.h"
#include "tests/support/CountingAllocator.h"
#include "tests/support/TempDir.h"

namespace {

constexpr uint64_t MiB = 1 << 20;
// What a request may allocate above what the process holds.
constexpr uint64_t RequestBudget = 128 * MiB;

// The inputs that still show a picture, with and without the fallbacks: a
// cover that the route reaches past what makes the input hostile.
const std::set<std::string> Pictures = {
    "zip-65535-entries.fbz",
    "zip-65535-long-names.epub",
    "png-text-chunks-8gb.epub",
    "pdb-65535-records.mobi",
    // Large pictures reduced row by row as they are decoded.
    "jpeg-junk-before-frame-6000x4000.epub",
    "jpeg-arithmetic-6000x4000.epub",
    "jpeg-arithmetic-progressive-6000x4000.epub",
    "png-rgb-8192x8192.epub",
    "png-4gib-after-the-rows.epub",
    "gif-screen-8192x8192-frame-1x1.epub",
    "bmp-32-bit-8192x8192.epub",
    "bmp-bit-fields-8192x8192.epub",
    "bmp-rle8-8192x8192.epub",
};



std::u16string Wide(const std::string& Text) { return std::u16string(Text.begin(), Text.end()); }

}

// The input's name where a case is listed.
void PrintTo(const THostileInput& Input, std::ostream* Out) { *Out << Input.Name; }

namespace {

class Hostile : public ::testing::TestWithParam<THostileInput> {
protected:
    static void SetUpTestSuite()
    {
        counting::Install();
        // The bitmap table keeps its buckets from the first bitmap on.
        platform::DeleteDib(platform::CreateDib(1, 1, 24, nullptr, 0, nullptr));
    }
};

TEST_P(Hostile, Input)
{
    const THostileInput& Input = GetParam();
    const bool AddressLimited = std::getenv("BRISLEAF_ADDRESS_LIMITED") != nullptr;
    // In a small address space the inputs come written already: making the
    // largest takes more memory than reading them should.
    const char* Written = std::getenv("BRISLEAF_HOSTILE_FOLDER");
    TTempDir Dir;
    const std::u16string Path = Written ? (std::filesystem::path(Written) / Input.Name).u16string()
                                        : Dir.Write(Wide(Input.Name), Input.Make());
    ASSERT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(Path)));

    for (const bool Fallbacks : {false, true}) {
        SCOPED_TRACE(Fallbacks ? "with the cover fallbacks" : "without the cover fallbacks");
        TPluginSettings Settings;
        Settings.CoverFallbacks = Fallbacks;
        const size_t Bitmaps = platform::LiveBitmapCount();
        counting::Reset();
        const uint64_t Before = counting::Counts().LiveBytes;
        const platform::TBitmapHandle Bitmap = GetPreviewBitmap(Path, 96, 96, Settings);
        if (Bitmap)
            platform::DeleteDib(Bitmap);
        const counting::TCounts After = counting::Counts();

        if (!AddressLimited) {
            EXPECT_EQ(Bitmap != nullptr, Pictures.count(Input.Name) == 1);
        }
        EXPECT_LE(After.PeakBytes - Before, RequestBudget) << "bytes allocated at most at once";
        EXPECT_EQ(After.LiveBytes, Before) << "bytes left allocated";
        EXPECT_EQ(platform::LiveBitmapCount(), Bitmaps);
    }
}

// Names a file manager may list that are no books to read: a FIFO (whose
// open waits for a writer), a link to an endless device, and a sparse file
// of 1 GiB, also at a path long enough for the extended-length form. Each
// ends in no picture having allocated next to nothing; a FIFO that blocked
// would hold the case until its ctest TIMEOUT.
TEST(NotAFile, EndsInNoPictureUnread)
{
    counting::Install();
    TTempDir Dir;
    const std::filesystem::path Root(Dir.Root());
    std::vector<std::filesystem::path> Names;
    std::filesystem::path Long = Root;
    for (int Level = 0; Level < 6; ++Level)
        Long /= std::string(50, 'l');
    std::filesystem::create_directories(Long);
    for (const std::filesystem::path& Folder : {Root, Long}) {
        const std::filesystem::path Sparse = Folder / "sparse.fb2";
        std::ofstream(Sparse).put('<');
        std::filesystem::resize_file(Sparse, uint64_t{1} << 30);
        Names.push_back(Sparse);
    }
    ASSERT_GE(Names.back().u16string().size(), 260u);
    std::error_code NoDevice;
    std::filesystem::create_symlink("/dev/zero", Root / "zero.fb2", NoDevice);
    if (!NoDevice)
        Names.push_back(Root / "zero.fb2");
    if (std::system(("mkfifo '" + (Root / "fifo.fb2").string() + "'").c_str()) == 0)
        Names.push_back(Root / "fifo.fb2");

    for (const std::filesystem::path& Name : Names)
        for (const bool Fallbacks : {false, true}) {
            SCOPED_TRACE(Name.string());
            TPluginSettings Settings;
            Settings.CoverFallbacks = Fallbacks;
            counting::Reset();
            const uint64_t Before = counting::Counts().LiveBytes;
            EXPECT_EQ(GetPreviewBitmap(Name.u16string(), 96, 96, Settings), nullptr);
            EXPECT_LE(counting::Counts().PeakBytes - Before, MiB);
        }
}

std::string CaseName(const ::testing::TestParamInfo<THostileInput>& Info)
{
    std::string Name = Info.param.Name;
    for (char& C : Name)
        if (!std::isalnum(static_cast<unsigned char>(C)))
            C = '_';
    return Name;
}

INSTANTIATE_TEST_SUITE_P(, Hostile, ::testing::ValuesIn(HostileInputs()), CaseName);

}
