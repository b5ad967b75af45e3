// Runs a fuzz target over files, as the fuzzer would feed them: each file
// named on the command line, or every file in a named folder.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size);

namespace fs = std::filesystem;

static void Replay(const fs::path& File)
{
    std::ifstream Input(File, std::ios::binary);
    const std::vector<char> Bytes((std::istreambuf_iterator<char>(Input)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size());
}

int main(int argc, char** argv)
{
    size_t Count = 0;
    for (int I = 1; I < argc; ++I) {
        const fs::path Path(argv[I]);
        if (fs::is_directory(Path)) {
            for (const auto& Entry : fs::recursive_directory_iterator(Path))
                if (Entry.is_regular_file()) {
                    Replay(Entry.path());
                    ++Count;
                }
        } else if (fs::exists(Path)) {
            Replay(Path);
            ++Count;
        }
    }
    std::printf("replayed %zu inputs\n", Count);
    return 0;
}
