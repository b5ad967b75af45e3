#pragma once

#include <string>

#include "host/BitmapFiles.h"
#include "platform/HostModule.h"
#include "plugin/Exports.h"

// The loaded plugin, asked for previews as a file manager asks: with the full
// path, through the wide export (or the 8-bit one).
class TThumbnailer {
public:
    // False with a message when the module cannot be loaded or lacks an export.
    bool Load(const std::u16string& PluginPath, std::string& Error);

    const char* DetectString(char* Buffer, int32_t Size) const;

    enum TResult { trMade, trNoCover, trFailed };
    // Asks for one preview; on trMade, Bitmap holds the pixels, and owns the
    // plugin's handle (freed with the last copy of Bitmap, which must not
    // outlive this thumbnailer).
    TResult Make(const std::u16string& Input, int32_t Width, int32_t Height, bool Ansi, TBitmapData& Bitmap,
                 std::string& Error) const;

private:
    platform::TLoadedModule FModule;
    TListGetDetectString FDetect = nullptr;
    TListGetPreviewBitmap FPreview = nullptr;
    TListGetPreviewBitmapW FPreviewW = nullptr;
};

// The default plugin: beside the program, else in the installed lib/brisleaf/.
std::u16string DefaultPluginPath();

// The file for a bitmap: PNG or BMP by the name's extension. Returns false
// with a message on failure.
bool WriteBitmapFile(const std::u16string& FileName, const TBitmapData& Bitmap, std::string& Error);
