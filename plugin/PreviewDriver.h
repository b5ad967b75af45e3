#pragma once

#include <cstdint>
#include <string>

#include "platform/Dib.h"
#include "plugin/BookExtensions.h"
#include "plugin/Settings.h"

// The name in extended-length form ("\\?\" or "\\?\UNC\") when it has 260
// or more UTF-16 units and holds no "\\?\" yet.
std::u16string MakeLongPath(const std::u16string& Name);

// The route of an extension key, compared exactly; unknown keys are FictionBook.
TRoute ChooseRoute(const std::u16string& Key);

// The extension of the name as passed, lower-cased: it picks the route.
std::u16string ExtensionKey(const std::u16string& FileName);

// One preview request: the cover of FileName fitted into Width x Height, or
// nullptr. Never raises.
platform::TBitmapHandle GetPreviewBitmap(const std::u16string& FileName, int32_t Width, int32_t Height,
                                         const TPluginSettings& Settings);
