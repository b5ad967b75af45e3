#pragma once

#include <string>

struct TPluginSettings {
    bool RestrictToFB2ZIP = false;
    bool MobiAllowFirstPic = false;
    // More ways of finding a cover, tried when a route's own gives no picture.
    bool CoverFallbacks = false;
};

// The settings file of a module: its file name with the extension ".ini".
std::u16string SettingsFileName(const std::u16string& ModuleFileName);
// Reads section "brisleaf" of the settings file beside the module; a key that
// is missing (or the whole file) keeps its value from Defaults.
TPluginSettings ReadPluginSettings(const std::u16string& ModuleFileName, const TPluginSettings& Defaults = {});
// The settings read once when this module was loaded.
const TPluginSettings& PluginSettings();
