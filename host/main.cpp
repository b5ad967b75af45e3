// brisleaf-thumb: loads the plugin module as a file manager does, asks it for
// one preview and writes the bitmap it returns.
#include <cstdio>
#include <string>

#include "core/Strings.h"
#include "host/BitmapFiles.h"
#include "host/Options.h"
#include "platform/CodePages.h"
#include "platform/Files.h"
#include "platform/HostModule.h"
#include "plugin/Exports.h"

namespace {

constexpr int ExitBitmap = 0, ExitNoBitmap = 1, ExitError = 2;

int Fail(const std::string& Message)
{
    std::fprintf(stderr, "brisleaf-thumb: %s\n", Message.c_str());
    return ExitError;
}

std::string Narrow(const std::u16string& Text) { return platform::WideToMultiByte(platform::cpUtf8, Text); }

int WriteOutput(const THostOptions& Options, const TBitmapData& Bitmap)
{
    if (Options.Output.empty())
        return ExitBitmap;
    const std::u16string Extension = [&] {
        std::u16string Ext = ExtractFileExt(Options.Output);
        for (char16_t& C : Ext)
            C = AsciiLower(C);
        return Ext;
    }();
    std::vector<uint8_t> File;
    if (Extension == u".png")
        File = EncodePng(Bitmap);
    else if (Extension == u".bmp")
        File = EncodeBmp(Bitmap);
    else
        return Fail("OUTPUT must end in .png or .bmp");
    std::string Error;
    if (File.empty() || !platform::WriteWholeFile(Options.Output, File, Error))
        return Fail("cannot write " + Narrow(Options.Output) + ": " + Error);
    return ExitBitmap;
}

}

int main(int argc, char** argv)
{
    std::vector<std::u16string> Arguments = platform::CommandLineArguments(argc, argv);
    if (!Arguments.empty())
        Arguments.erase(Arguments.begin());
    THostOptions Options;
    std::string Error;
    if (!ParseHostOptions(Arguments, Options, Error)) {
        std::fprintf(stderr, "brisleaf-thumb: %s\n%s", Error.c_str(), HostUsage);
        return ExitError;
    }

    const std::u16string PluginPath =
        Options.Plugin.empty() ? platform::ProgramDirectory() + platform::PluginModuleName() : Options.Plugin;
    platform::TLoadedModule Plugin;
    if (!Plugin.Load(PluginPath, Error))
        return Fail("cannot load " + Narrow(PluginPath) + ": " + Error);

    if (Options.Detect) {
        auto Detect = reinterpret_cast<TListGetDetectString>(Plugin.Proc("ListGetDetectString"));
        if (!Detect)
            return Fail("the plugin has no ListGetDetectString");
        char Buffer[1024] = {};
        std::printf("%s\n", Detect(Buffer, sizeof Buffer));
        return ExitBitmap;
    }

    // A file manager passes full paths.
    std::u16string Input = platform::FullPathName(Options.Input);
    platform::TBitmapHandle Bitmap = nullptr;
    if (Options.Ansi) {
        auto Preview = reinterpret_cast<TListGetPreviewBitmap>(Plugin.Proc("ListGetPreviewBitmap"));
        if (!Preview)
            return Fail("the plugin has no ListGetPreviewBitmap");
        std::string AnsiName = platform::WideToMultiByte(platform::cpAnsi, Input);
        Bitmap = Preview(AnsiName.data(), Options.Width, Options.Height, nullptr, 0);
    } else {
        auto Preview = reinterpret_cast<TListGetPreviewBitmapW>(Plugin.Proc("ListGetPreviewBitmapW"));
        if (!Preview)
            return Fail("the plugin has no ListGetPreviewBitmapW");
        Bitmap = Preview(Input.data(), Options.Width, Options.Height, nullptr, 0);
    }
    if (!Bitmap)
        return ExitNoBitmap;

    TBitmapData Data;
    const bool Read = Plugin.ReadBitmap(Bitmap, Data);
    Plugin.DeleteBitmap(Bitmap);
    if (!Read)
        return Fail("the plugin returned a handle that is not a DIB section");
    if (Options.Info)
        std::printf("%d %d %d\n", Data.Width, Data.Height, Data.BitCount);
    return WriteOutput(Options, Data);
}
