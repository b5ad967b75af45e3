#include "host/Thumbnailer.h"

#include "core/Strings.h"
#include "platform/CodePages.h"
#include "platform/Files.h"

bool TThumbnailer::Load(const std::u16string& PluginPath, std::string& Error)
{
    if (!FModule.Load(PluginPath, Error)) {
        Error = "cannot load " + platform::WideToMultiByte(platform::cpUtf8, PluginPath) + ": " + Error;
        return false;
    }
    FDetect = reinterpret_cast<TListGetDetectString>(FModule.Proc("ListGetDetectString"));
    FPreview = reinterpret_cast<TListGetPreviewBitmap>(FModule.Proc("ListGetPreviewBitmap"));
    FPreviewW = reinterpret_cast<TListGetPreviewBitmapW>(FModule.Proc("ListGetPreviewBitmapW"));
    if (!FDetect || !FPreview || !FPreviewW) {
        Error = "the plugin lacks the lister exports";
        return false;
    }
    return true;
}

const char* TThumbnailer::DetectString(char* Buffer, int32_t Size) const { return FDetect(Buffer, Size); }

TThumbnailer::TResult TThumbnailer::Make(const std::u16string& Input, int32_t Width, int32_t Height, bool Ansi,
                                         TBitmapData& Bitmap, std::string& Error) const
{
    // A file manager passes full paths.
    std::u16string FileName = platform::FullPathName(Input);
    platform::TBitmapHandle Handle;
    if (Ansi) {
        std::string AnsiName = platform::WideToMultiByte(platform::cpAnsi, FileName);
        Handle = FPreview(AnsiName.data(), Width, Height, nullptr, 0);
    } else {
        Handle = FPreviewW(FileName.data(), Width, Height, nullptr, 0);
    }
    if (!Handle)
        return trNoCover;
    // The bitmap lives as long as its data, which read its rows in place:
    // no copy of the pixels before they are encoded.
    Bitmap.Owner = std::shared_ptr<void>(Handle, [this](void* Gone) { FModule.DeleteBitmap(Gone); });
    if (!FModule.ReadBitmap(Handle, Bitmap)) {
        Bitmap.Owner.reset();
        Error = "the plugin returned a handle that is not a DIB section";
        return trFailed;
    }
    return trMade;
}

std::u16string DefaultPluginPath()
{
    const std::u16string Directory = platform::ProgramDirectory();
    const std::u16string Beside = Directory + platform::PluginModuleName();
    platform::TFileHandle Probe;
    std::string Ignored;
    if (Probe.OpenForReading(Beside, platform::smDenyWrite, Ignored))
        return Beside;
    return Directory + u"../lib/brisleaf/" + platform::PluginModuleName();
}

bool WriteBitmapFile(const std::u16string& FileName, const TBitmapData& Bitmap, std::string& Error)
{
    const std::u16string Extension = AsciiLowerText(ExtractFileExt(FileName));
    std::vector<uint8_t> File;
    if (Extension == u".png")
        File = EncodePng(Bitmap);
    else if (Extension == u".bmp")
        File = EncodeBmp(Bitmap);
    else {
        Error = "OUTPUT must end in .png or .bmp";
        return false;
    }
    if (File.empty()) {
        Error = "cannot encode the bitmap";
        return false;
    }
    if (!platform::WriteWholeFile(FileName, File, Error)) {
        Error = "cannot write " + platform::WideToMultiByte(platform::cpUtf8, FileName) + ": " + Error;
        return false;
    }
    return true;
}
