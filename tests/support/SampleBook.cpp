// brisleaf-sample-book FOLDER: writes FOLDER/sample.epub, a small book whose
// cover is a drawn leaf, and prints its path.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/support/EpubBuilder.h"
#include "tests/support/PictureBuilders.h"

namespace {

// A green leaf with a midrib on a warm paper gradient, 600 x 800.
void Cover(int32_t X, int32_t Y, uint8_t* C)
{
    const double U = (X - 300) / 220.0, V = (Y - 430) / 330.0;
    const double Edge = 1.0 - V * V;
    const bool InLeaf = Edge > 0 && std::fabs(U) < Edge * (0.9 - 0.25 * V);
    const bool Midrib = InLeaf && std::fabs(U + 0.08 * V * V) < 0.025;
    const bool Vein = InLeaf && std::fmod(std::fabs(V * 9 - std::fabs(U) * 4) + 10, 1.0) < 0.06;
    if (Midrib || Vein) {
        C[0] = 200, C[1] = 230, C[2] = 150;
    } else if (InLeaf) {
        C[0] = static_cast<uint8_t>(40 + 30 * (1 - Edge));
        C[1] = static_cast<uint8_t>(120 + 60 * Edge);
        C[2] = 50;
    } else if (Y > 40 && Y < 70 && X > 100 && X < 500) {
        C[0] = 90, C[1] = 60, C[2] = 40; // a title bar
    } else {
        C[0] = static_cast<uint8_t>(245 - Y / 16);
        C[1] = static_cast<uint8_t>(235 - Y / 12);
        C[2] = static_cast<uint8_t>(210 - Y / 10);
    }
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: brisleaf-sample-book FOLDER\n");
        return 2;
    }
    TJpegSpec Spec;
    Spec.Width = 600;
    Spec.Height = 800;
    Spec.Sample = Cover;
    const TBytes Book = BuildEpubWithCover(EncodeJpeg(Spec));
    const std::filesystem::path Path = std::filesystem::path(argv[1]) / "sample.epub";
    std::ofstream(Path, std::ios::binary).write(reinterpret_cast<const char*>(Book.data()),
                                               static_cast<std::streamsize>(Book.size()));
    std::printf("%s\n", std::filesystem::absolute(Path).string().c_str());
    return 0;
}
