// Runs a fuzz target over files, as the fuzzer would feed them: each file
// named on the command line, or every file in a named folder.
//   NAME_replay FILE|FOLDER...
//   NAME_replay --expect picture|none FILE   (a regression: exits 1 when the
//                                             outcome differs)
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/Outcome.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size);

namespace fs = std::filesystem;

static void Replay(const fs::path& File)
{
    std::ifstream Input(File, std::ios::binary);
    const std::vector<char> Bytes((std::istreambuf_iterator<char>(Input)), std::istreambuf_iterator<char>());
    PictureMade() = false;
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size());
}

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--expect") == 0) {
        const bool Picture = std::strcmp(argv[2], "picture") == 0;
        if (!Picture && std::strcmp(argv[2], "none") != 0) {
            std::fprintf(stderr, "--expect takes picture or none\n");
            return 2;
        }
        if (!fs::is_regular_file(argv[3])) {
            std::fprintf(stderr, "%s: no such file\n", argv[3]);
            return 2;
        }
        Replay(argv[3]);
        std::printf("%s: %s\n", argv[3], PictureMade() ? "picture" : "none");
        return PictureMade() == Picture ? 0 : 1;
    }
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
