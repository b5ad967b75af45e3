// Decode + fit of a JPEG cover (MakeThumbnail) against libjpeg-turbo alone
// decoding the same bytes at the same DCT scale into one reused row.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "bench/BareDecode.h"
#include "bench/BenchBooks.h"
#include "core/MemoryStream.h"
#include "render/JpegFrameSize.h"
#include "render/Thumbnail.h"
#include "tests/support/PictureBuilders.h"

namespace {

const TBytes& Cover(int32_t Width, int32_t Height)
{
    static std::map<std::pair<int32_t, int32_t>, TBytes> Covers;
    TBytes& Bytes = Covers[{Width, Height}];
    if (Bytes.empty())
        Bytes = PhotoJpeg(Width, Height);
    return Bytes;
}

void MakeThumbnailOfJpeg(benchmark::State& State)
{
    const TBytes& Bytes = Cover(static_cast<int32_t>(State.range(0)), static_cast<int32_t>(State.range(1)));
    const int32_t Box = static_cast<int32_t>(State.range(2));
    for (auto _ : State) {
        TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
        platform::TBitmapHandle Bitmap = MakeThumbnail(Stream, Box, Box);
        if (!Bitmap)
            State.SkipWithError("no thumbnail");
        platform::DeleteDib(Bitmap);
    }
}

void LibjpegDecodeOnly(benchmark::State& State)
{
    const TBytes& Bytes = Cover(static_cast<int32_t>(State.range(0)), static_cast<int32_t>(State.range(1)));
    const int32_t Box = static_cast<int32_t>(State.range(2));
    TPointerReadOnlyStream Stream(Bytes.data(), static_cast<intptr_t>(Bytes.size()));
    const int Denominator = ChooseJpegScale(Stream, Box, Box);
    std::vector<uint8_t> Row;
    for (auto _ : State) {
        BareJpegDecode(Bytes, Denominator, Row);
        benchmark::DoNotOptimize(Row.data());
    }
}

void Sizes(benchmark::internal::Benchmark* Bench)
{
    Bench->ArgNames({"width", "height", "box"});
    for (auto [Width, Height] : {std::pair{1600, 1200}, {4000, 3000}})
        for (int Box : {96, 256})
            Bench->Args({Width, Height, Box});
    Bench->Unit(benchmark::kMillisecond);
}

}

BENCHMARK(MakeThumbnailOfJpeg)->Apply(Sizes);
BENCHMARK(LibjpegDecodeOnly)->Apply(Sizes);
