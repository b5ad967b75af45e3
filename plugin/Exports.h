#pragma once

#include <cstdint>

#include "platform/ExportConvention.h"

// The lister-plugin interface. Handles are pointer-sized (HWND, HBITMAP);
// wide strings are UTF-16.
extern "C" {
BRISLEAF_EXPORT char* BRISLEAF_STDCALL ListGetDetectString(char* DetectString, int32_t MaxLen);
BRISLEAF_EXPORT void* BRISLEAF_STDCALL ListLoad(void* ParentWin, char* FileToLoad, int32_t ShowFlags);
BRISLEAF_EXPORT void* BRISLEAF_STDCALL ListLoadW(void* ParentWin, char16_t* FileToLoad, int32_t ShowFlags);
BRISLEAF_EXPORT void* BRISLEAF_STDCALL ListGetPreviewBitmap(char* FileToLoad, int32_t Width, int32_t Height,
                                                           char* ContentBuf, int32_t ContentBufLen);
BRISLEAF_EXPORT void* BRISLEAF_STDCALL ListGetPreviewBitmapW(char16_t* FileToLoad, int32_t Width, int32_t Height,
                                                            char* ContentBuf, int32_t ContentBufLen);
}

using TListGetDetectString = char*(BRISLEAF_STDCALL*)(char*, int32_t);
using TListLoad = void*(BRISLEAF_STDCALL*)(void*, char*, int32_t);
using TListLoadW = void*(BRISLEAF_STDCALL*)(void*, char16_t*, int32_t);
using TListGetPreviewBitmap = void*(BRISLEAF_STDCALL*)(char*, int32_t, int32_t, char*, int32_t);
using TListGetPreviewBitmapW = void*(BRISLEAF_STDCALL*)(char16_t*, int32_t, int32_t, char*, int32_t);
