#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Code pages as the system numbers them. cpAnsi is the system's ANSI code page
// (UTF-8 on POSIX).
enum TCodePage : unsigned { cpAnsi = 0, cpOem437 = 437, cpUtf8 = 65001 };

// Conversion without flags: malformed input is replaced, never an error.
std::u16string MultiByteToWide(TCodePage CodePage, const char* Data, size_t Length);
inline std::u16string MultiByteToWide(TCodePage CodePage, const std::string& Text)
{
    return MultiByteToWide(CodePage, Text.data(), Text.size());
}
std::string WideToMultiByte(TCodePage CodePage, const std::u16string& Text);

// The code page cpAnsi stands for.
TCodePage AnsiCodePage();
// True when Data holds nothing MultiByteToWide(cpUtf8) would replace: then
// converting it to UTF-16 and back gives the same bytes.
bool IsWellFormedUtf8(const char* Data, size_t Length);

// Locale-aware lower-casing of UTF-16 text in place, unit by unit.
void LowerCase(std::u16string& Text);

}
