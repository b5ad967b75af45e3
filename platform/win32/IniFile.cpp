#include "platform/IniFile.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace platform {

std::u16string ReadIniString(const std::u16string& FileName, const std::u16string& Section,
                             const std::u16string& Key, const std::u16string& Default)
{
    wchar_t Buffer[2048];
    const DWORD Copied = GetPrivateProfileStringW(AsWide(Section), AsWide(Key), AsWide(Default), Buffer, 2048,
                                                  AsWide(FileName));
    return FromWide(Buffer, Copied);
}

}
