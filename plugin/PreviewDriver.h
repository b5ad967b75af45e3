#pragma once

#include <cstdint>
#include <string>

#include "core/CoverCandidate.h"
#include "core/Stream.h"
#include "fb2/FB2Route.h"
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

// The one way into the routes, for a book its host has opened (a file, or a
// stream a shell hands over): Key (an extension key) picks the route, Reading
// how a plain FictionBook becomes text. Offers the marked cover, then, with
// CoverFallbacks, the route's other candidates. May raise.
bool OfferBookCovers(TStream& Book, const std::u16string& Key, TFB2Reading Reading, const TPluginSettings& Settings,
                     const TCoverCandidateTaker& Take);
// The first candidate OfferBookCovers gives that makes a thumbnail fitted
// into Width x Height, or nullptr. May raise; the caller owns the bitmap.
platform::TBitmapHandle GetBookPreviewBitmap(TStream& Book, const std::u16string& Key, TFB2Reading Reading,
                                             int32_t Width, int32_t Height, const TPluginSettings& Settings);

// One preview request: the cover of FileName fitted into Width x Height, or
// nullptr. Never raises.
platform::TBitmapHandle GetPreviewBitmap(const std::u16string& FileName, int32_t Width, int32_t Height,
                                         const TPluginSettings& Settings);
