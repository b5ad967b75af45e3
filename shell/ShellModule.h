#pragma once

#include <windows.h>

#include <string>

// The one class of brisleaf-shell.dll and what the module keeps for it.
// {150498D6-B48C-4AC6-9930-C3280E5D8C0E}: fixed, because Explorer finds the
// handler by it in the registry.
inline constexpr CLSID CLSID_BrisleafThumbnailProvider = {
    0x150498d6, 0xb48c, 0x4ac6, {0x99, 0x30, 0xc3, 0x28, 0x0e, 0x5d, 0x8c, 0x0e}};
inline constexpr wchar_t BrisleafClassIdText[] = L"{150498D6-B48C-4AC6-9930-C3280E5D8C0E}";

// Live objects and server locks: the module may be unloaded when both are 0.
void ModuleAddRef();
void ModuleRelease();
bool ModuleInUse();

// The thumbnail provider, an object with a reference count of 1.
HRESULT CreateThumbnailProvider(REFIID Iid, void** Object);
