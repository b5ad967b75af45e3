#include "plugin/Exports.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/CodePages.h"
#include "plugin/BookExtensions.h"
#include "plugin/PreviewDriver.h"
#include "plugin/Settings.h"

static_assert(std::string_view(DetectStringText.data()) ==
                  "EXT=\"FB2\"|EXT=\"FBZ\"|EXT=\"EPUB\"|EXT=\"MOBI\"|EXT=\"AZW\"|EXT=\"AZW3\"",
              "the detect string hosts match files against");

extern "C" {

char* BRISLEAF_STDCALL ListGetDetectString(char* DetectString, int32_t MaxLen)
{
    // A buffer without room for the terminating zero gets nothing at all.
    if (!DetectString || MaxLen < 1)
        return DetectString;
    const size_t Copied = std::min(static_cast<size_t>(MaxLen) - 1, DetectStringText.size() - 1);
    std::memcpy(DetectString, DetectStringText.data(), Copied);
    DetectString[Copied] = '\0';
    return DetectString;
}

void* BRISLEAF_STDCALL ListLoad(void*, char*, int32_t) { return nullptr; }

void* BRISLEAF_STDCALL ListLoadW(void*, char16_t*, int32_t) { return nullptr; }

void* BRISLEAF_STDCALL ListGetPreviewBitmapW(char16_t* FileToLoad, int32_t Width, int32_t Height, char*, int32_t)
{
    try {
        const std::u16string FileName = FileToLoad ? std::u16string(FileToLoad) : std::u16string();
        return GetPreviewBitmap(FileName, Width, Height, PluginSettings());
    } catch (...) {
        return nullptr;
    }
}

void* BRISLEAF_STDCALL ListGetPreviewBitmap(char* FileToLoad, int32_t Width, int32_t Height, char* ContentBuf,
                                            int32_t ContentBufLen)
{
    try {
        std::u16string FileName;
        if (FileToLoad)
            FileName = platform::MultiByteToWide(platform::cpAnsi, FileToLoad, std::strlen(FileToLoad));
        return ListGetPreviewBitmapW(FileName.data(), Width, Height, ContentBuf, ContentBufLen);
    } catch (...) {
        return nullptr;
    }
}

}
