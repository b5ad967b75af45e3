// Whole preview requests through the module's ListGetPreviewBitmapW against
// the work no thumbnailer can avoid: libjpeg-turbo (or libpng) decoding the
// bare cover bytes at the same DCT scale, and for the large FictionBook one
// read of the file plus decoding the cover's base64.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/BareDecode.h"
#include "bench/BenchBooks.h"
#include "fb2/Base64.h"
#include "platform/CodePages.h"
#include "platform/Files.h"
#include "platform/HostModule.h"
#include "plugin/Exports.h"
#include "tests/support/Fb2Builder.h"

namespace {

void Request(benchmark::State& State, const platform::TLoadedModule* Module, std::u16string Path)
{
    auto Preview = reinterpret_cast<TListGetPreviewBitmapW>(Module->Proc("ListGetPreviewBitmapW"));
    for (auto _ : State) {
        void* Bitmap = Preview(Path.data(), BenchBox, BenchBox, nullptr, 0);
        if (!Bitmap) {
            State.SkipWithError("no preview");
            break;
        }
        Module->DeleteBitmap(Bitmap);
    }
}

void Bare(benchmark::State& State, const TBenchBook* Book)
{
    std::vector<uint8_t> Row;
    if (Book->CoverIsPng) {
        for (auto _ : State)
            BarePngDecode(Book->Cover, Row);
        return;
    }
    for (auto _ : State) {
        BareJpegDecode(Book->Cover, Book->ScaleDenominator, Row);
        benchmark::DoNotOptimize(Row.data());
    }
}

void ReadAndDecodeBase64(benchmark::State& State, const TBenchBook* Book)
{
    const std::string Text = EncodeBase64(std::string(Book->Cover.begin(), Book->Cover.end()));
    const std::u16string Base64(Text.begin(), Text.end());
    const std::u16string Path = platform::MultiByteToWide(platform::cpUtf8, Book->Path);
    std::vector<uint8_t> File;
    std::string Error;
    for (auto _ : State) {
        // One read of the whole file into a buffer of its size.
        platform::TFileHandle Handle;
        Handle.OpenForReading(Path, platform::smDenyWrite, Error);
        File.resize(static_cast<size_t>(Handle.Seek(0, platform::foEnd)));
        Handle.Seek(0, platform::foBegin);
        Handle.Read(File.data(), static_cast<int64_t>(File.size()));
        const std::string Picture = DecodeBase64(Base64);
        benchmark::DoNotOptimize(Picture.data());
        benchmark::DoNotOptimize(File.data());
    }
}

}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const char* Folder = std::getenv("BRISLEAF_BENCH_BOOKS");
    static const std::vector<TBenchBook> Books =
        WriteBenchBooks(Folder ? Folder : (std::filesystem::temp_directory_path() / "brisleaf-bench-books").string());
    static platform::TLoadedModule Module;
    std::string Error;
    if (!Module.Load(platform::MultiByteToWide(platform::cpUtf8, std::string(BRISLEAF_MODULE)), Error)) {
        std::fprintf(stderr, "cannot load %s: %s\n", BRISLEAF_MODULE, Error.c_str());
        return 2;
    }
    for (const TBenchBook& Book : Books) {
        if (Book.Cover.empty())
            continue;  // only the whole-process memory figures use the books without a cover
        const std::u16string Path = platform::MultiByteToWide(platform::cpUtf8, Book.Path);
        benchmark::RegisterBenchmark(("Request/" + Book.Name).c_str(), Request, &Module, Path)
            ->Unit(benchmark::kMillisecond);
        if (Book.Name == "fb2-50mb")
            benchmark::RegisterBenchmark(("Bare/" + Book.Name).c_str(), ReadAndDecodeBase64, &Book)
                ->Unit(benchmark::kMillisecond);
        else
            benchmark::RegisterBenchmark(("Bare/" + Book.Name).c_str(), Bare, &Book)->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
