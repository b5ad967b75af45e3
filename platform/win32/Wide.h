#pragma once

#include <string>

// char16_t and wchar_t are both UTF-16 units on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

inline const wchar_t* AsWide(const std::u16string& Text) { return reinterpret_cast<const wchar_t*>(Text.c_str()); }
inline std::u16string FromWide(const wchar_t* Text, size_t Length)
{
    return std::u16string(reinterpret_cast<const char16_t*>(Text), Length);
}
