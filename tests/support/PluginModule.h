#pragma once

#include <memory>
#include <string>

#include "platform/HostModule.h"
#include "plugin/Exports.h"
#include "tests/support/TempDir.h"

// The built plugin module, copied into a folder of its own (with a settings
// file beside it when one is given) and loaded as a host loads it.
class TPluginModule {
public:
    explicit TPluginModule(const std::string* SettingsText = nullptr);

    TListGetDetectString GetDetectString() const;
    TListLoad Load() const;
    TListLoadW LoadW() const;
    TListGetPreviewBitmap Preview() const;
    TListGetPreviewBitmapW PreviewW() const;
    const platform::TLoadedModule& Module() const { return FModule; }

    // Width, height and bit count of a preview, read and freed; "none" when
    // there is no bitmap.
    std::string Describe(platform::TBitmapHandle Bitmap) const;
    std::string PreviewInfo(const std::u16string& FileName, int32_t Width, int32_t Height) const;

private:
    void* Proc(const char* Name) const;

    TTempDir FDir;
    platform::TLoadedModule FModule;
};

// Where the build put the plugin module.
std::u16string BuiltPluginPath();
