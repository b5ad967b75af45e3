// Writes the hostile inputs, for scripts/bounded-cost to measure through
// brisleaf-thumb:
//   brisleaf_hostile_inputs FOLDER -> FOLDER/<name>.<extension>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/stress/HostileInputs.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: brisleaf_hostile_inputs FOLDER\n");
        return 2;
    }
    const std::filesystem::path Folder(argv[1]);
    std::filesystem::create_directories(Folder);
    for (const THostileInput& Input : HostileInputs()) {
        const TBytes Content = Input.Make();
        if (Content.size() > (size_t{100} << 20)) {
            std::fprintf(stderr, "%s: %zu bytes, above 100 MB\n", Input.Name, Content.size());
            return 1;
        }
        std::ofstream(Folder / Input.Name, std::ios::binary)
            .write(reinterpret_cast<const char*>(Content.data()), static_cast<std::streamsize>(Content.size()));
        std::printf("%s\n", Input.Name);
    }
    return 0;
}
