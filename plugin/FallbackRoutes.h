#pragma once

#include <cstdint>
#include <string>

#include "xml/XMLDocument.h"
#include "platform/Dib.h"
#include "plugin/Settings.h"
#include "zip/ZipFile.h"

// The routes when CoverFallbacks is set: each tries its own cover first, as
// without the setting, then the other candidates of its format, and gives the
// thumbnail of the first candidate that decodes, or nullptr. A candidate that
// does not decode, or a failure of a route's own lookup after the book was
// opened, only moves on to the next candidate.

platform::TBitmapHandle MobiWithFallbacks(const std::u16string& AccessPath, int32_t Width, int32_t Height,
                                          const TPluginSettings& Settings);
// Zip is open; Key is ".epub" or one of the FictionBook archive keys.
platform::TBitmapHandle ArchiveWithFallbacks(TZipFile& Zip, const std::u16string& Key, int32_t Width, int32_t Height);
platform::TBitmapHandle FB2WithFallbacks(IXMLDocument Document, int32_t Width, int32_t Height);
