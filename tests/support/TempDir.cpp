#include "tests/support/TempDir.h"

#include <atomic>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "platform/CodePages.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace {
fs::path AsPath(const std::u16string& Text) { return fs::path(Text); }
}

std::string Utf8(const std::u16string& Text) { return platform::WideToMultiByte(platform::cpUtf8, Text); }

TTempDir::TTempDir()
{
    static std::atomic<unsigned> Counter{0};
    std::random_device Random;
    const fs::path Base = fs::temp_directory_path() /
                          ("brisleaf-test-" + std::to_string(Random()) + "-" + std::to_string(Counter++));
    fs::create_directories(Base);
    FRoot = Base.u16string();
}

TTempDir::~TTempDir()
{
    std::error_code Ignored;
    fs::remove_all(AsPath(FRoot), Ignored);
}

std::u16string TTempDir::Path(const std::u16string& Name) const { return (AsPath(FRoot) / AsPath(Name)).u16string(); }

std::u16string TTempDir::Write(const std::u16string& Name, const std::vector<uint8_t>& Data) const
{
    const std::u16string Full = Path(Name);
    std::string Error;
    if (!platform::WriteWholeFile(Full, Data, Error))
        throw std::runtime_error("cannot write " + Utf8(Full) + ": " + Error);
    return Full;
}

std::u16string TTempDir::Write(const std::u16string& Name, const std::string& Text) const
{
    return Write(Name, std::vector<uint8_t>(Text.begin(), Text.end()));
}

std::vector<uint8_t> ReadFileBytes(const std::u16string& Path)
{
    std::vector<uint8_t> Data;
    std::string Error;
    if (!platform::ReadWholeFile(Path, Data, Error))
        throw std::runtime_error("cannot read " + Utf8(Path) + ": " + Error);
    return Data;
}
