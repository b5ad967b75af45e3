#pragma once

// The whole preview request over the fuzzer's bytes: they are written to a
// file with the route's extension and the request is made as a host makes it.
// One file per process, rewritten for every input and removed at exit.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "fuzz/Outcome.h"
#include "platform/Dib.h"
#include "plugin/PreviewDriver.h"

class TRequestFile {
public:
    explicit TRequestFile(const char* Extension)
    {
        std::random_device Random;
        FPath = std::filesystem::temp_directory_path() /
                ("brisleaf-request-" + std::to_string(Random()) + "-" + std::to_string(Random()) + Extension);
    }
    ~TRequestFile()
    {
        std::error_code Ignored;
        std::filesystem::remove(FPath, Ignored);
    }
    TRequestFile(const TRequestFile&) = delete;
    TRequestFile& operator=(const TRequestFile&) = delete;

    std::u16string Write(const uint8_t* Data, size_t Size) const
    {
        std::ofstream Output(FPath, std::ios::binary | std::ios::trunc);
        Output.write(reinterpret_cast<const char*>(Data), static_cast<std::streamsize>(Size));
        return FPath.u16string();
    }

private:
    std::filesystem::path FPath;
};

// The last byte's low bits pick the settings, so that the fuzzer reaches the
// paths each one opens without a second request per input.
inline int FuzzRequest(const TRequestFile& File, const uint8_t* Data, size_t Size)
{
    const std::u16string Name = File.Write(Data, Size);
    TPluginSettings Settings;
    const uint8_t Last = Size > 0 ? Data[Size - 1] : 0;
    Settings.RestrictToFB2ZIP = (Last & 1) != 0;
    Settings.MobiAllowFirstPic = (Last & 2) != 0;
    Settings.CoverFallbacks = (Last & 4) != 0;
    const platform::TBitmapHandle Bitmap = GetPreviewBitmap(Name, 96, 96, Settings);
    PictureMade() = Bitmap != nullptr;
    if (Bitmap)
        platform::DeleteDib(Bitmap);
    return 0;
}
