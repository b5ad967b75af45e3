// brisleaf-thumb: loads the plugin module as a file manager does, asks it for
// previews and writes the bitmaps it returns.
#include <cstdio>
#include <string>

#include "host/Batch.h"
#include "host/Options.h"
#include "host/Thumbnailer.h"
#include "platform/HostModule.h"

namespace {

constexpr int ExitBitmap = 0, ExitNoBitmap = 1, ExitError = 2;

int Fail(const std::string& Message)
{
    std::fprintf(stderr, "brisleaf-thumb: %s\n", Message.c_str());
    return ExitError;
}

}

int main(int argc, char** argv)
{
    platform::KeepFreedMemory();
    std::vector<std::u16string> Arguments = platform::CommandLineArguments(argc, argv);
    if (!Arguments.empty())
        Arguments.erase(Arguments.begin());
    THostOptions Options;
    std::string Error;
    if (!ParseHostOptions(Arguments, Options, Error)) {
        std::fprintf(stderr, "brisleaf-thumb: %s\n%s", Error.c_str(), HostUsage);
        return ExitError;
    }

    TThumbnailer Thumbnailer;
    if (!Thumbnailer.Load(Options.Plugin.empty() ? DefaultPluginPath() : Options.Plugin, Error))
        return Fail(Error);

    if (Options.Detect) {
        char Buffer[1024] = {};
        std::printf("%s\n", Thumbnailer.DetectString(Buffer, sizeof Buffer));
        return ExitBitmap;
    }
    if (!Options.OutputDir.empty())
        return RunBatch(Thumbnailer, Options);

    TBitmapData Bitmap;
    switch (Thumbnailer.Make(Options.Inputs[0], Options.Width, Options.Height, Options.Ansi, Bitmap, Error)) {
    case TThumbnailer::trNoCover: return ExitNoBitmap;
    case TThumbnailer::trFailed: return Fail(Error);
    case TThumbnailer::trMade: break;
    }
    if (Options.Info)
        std::printf("%d %d %d\n", Bitmap.Width, Bitmap.Height, Bitmap.BitCount);
    if (!Options.Output.empty() && !WriteBitmapFile(Options.Output, Bitmap, Error))
        return Fail(Error);
    return ExitBitmap;
}
