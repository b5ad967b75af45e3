// Decode + fit of a JPEG cover (MakeThumbnail) against libjpeg-turbo alone
// decoding the same bytes at the same DCT scale into one reused row.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "core/MemoryStream.h"
#include "render/JpegFrameSize.h"
#include "render/Thumbnail.h"
#include "tests/support/PictureBuilders.h"

namespace {

// A photograph-like picture: smooth gradients with some noise, so that the
// entropy-coded data are of a realistic size.
const TBytes& Cover(int32_t Width, int32_t Height)
{
    static std::map<std::pair<int32_t, int32_t>, TBytes> Covers;
    TBytes& Bytes = Covers[{Width, Height}];
    if (Bytes.empty()) {
        std::mt19937 Random(7);
        TJpegSpec Spec;
        Spec.Width = Width;
        Spec.Height = Height;
        Spec.Quality = 85;
        Spec.Sample = [&](int32_t X, int32_t Y, uint8_t* C) {
            const unsigned Noise = Random() % 24;
            C[0] = static_cast<uint8_t>(X * 200 / Width + Noise);
            C[1] = static_cast<uint8_t>(Y * 200 / Height + Noise);
            C[2] = static_cast<uint8_t>((X + Y) * 100 / (Width + Height) + 80 + Noise);
        };
        Bytes = EncodeJpeg(Spec);
    }
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
        jpeg_decompress_struct Info;
        jpeg_error_mgr Errors;
        Info.err = jpeg_std_error(&Errors);
        jpeg_create_decompress(&Info);
        jpeg_mem_src(&Info, Bytes.data(), static_cast<unsigned long>(Bytes.size()));
        jpeg_read_header(&Info, TRUE);
        Info.scale_num = 1;
        Info.scale_denom = static_cast<unsigned>(Denominator);
        Info.do_block_smoothing = TRUE;
        Info.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&Info);
        Row.resize(static_cast<size_t>(Info.output_width) * 3);
        JSAMPROW Pointer = Row.data();
        while (Info.output_scanline < Info.output_height)
            jpeg_read_scanlines(&Info, &Pointer, 1);
        jpeg_destroy_decompress(&Info);
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
