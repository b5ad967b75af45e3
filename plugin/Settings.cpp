#include "plugin/Settings.h"

#include "core/Strings.h"
#include "platform/IniFile.h"
#include "platform/ModuleInfo.h"

namespace {

bool ReadFlag(const std::u16string& ModuleFileName, const std::u16string& Key, bool Default)
{
    return platform::ReadIniString(SettingsFileName(ModuleFileName), u"brisleaf", Key, Default ? u"1" : u"0") == u"1";
}

// Written while the module loads, before any export can run; read-only after.
const TPluginSettings LoadedSettings = ReadPluginSettings(platform::ModuleFileName());

}

std::u16string SettingsFileName(const std::u16string& ModuleFileName) { return ChangeFileExt(ModuleFileName, u".ini"); }

TPluginSettings ReadPluginSettings(const std::u16string& ModuleFileName, const TPluginSettings& Defaults)
{
    TPluginSettings Settings;
    Settings.RestrictToFB2ZIP = ReadFlag(ModuleFileName, u"RestrictToFB2ZIP", Defaults.RestrictToFB2ZIP);
    Settings.MobiAllowFirstPic = ReadFlag(ModuleFileName, u"MobiAllowFirstPic", Defaults.MobiAllowFirstPic);
    Settings.CoverFallbacks = ReadFlag(ModuleFileName, u"CoverFallbacks", Defaults.CoverFallbacks);
    return Settings;
}

const TPluginSettings& PluginSettings() { return LoadedSettings; }
