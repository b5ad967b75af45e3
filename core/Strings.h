#pragma once

#include <string>

// UTF-16 helpers shared by the routes.

inline char16_t AsciiLower(char16_t C) { return C >= u'A' && C <= u'Z' ? static_cast<char16_t>(C + 32) : C; }

// Equal when the texts differ only in the case of ASCII letters.
inline bool SameTextAscii(const std::u16string& A, const std::u16string& B)
{
    if (A.size() != B.size())
        return false;
    for (size_t I = 0; I < A.size(); ++I)
        if (AsciiLower(A[I]) != AsciiLower(B[I]))
            return false;
    return true;
}

// The extension of a file name: from the last '.' that stands after the last
// '\' or ':' to the end, dot included; empty when there is no such dot.
inline std::u16string ExtractFileExt(const std::u16string& FileName)
{
    const size_t Dot = FileName.find_last_of(u".\\:");
    if (Dot == std::u16string::npos || FileName[Dot] != u'.')
        return std::u16string();
    return FileName.substr(Dot);
}

// The file name with its extension replaced (or appended when it has none).
inline std::u16string ChangeFileExt(const std::u16string& FileName, const std::u16string& Extension)
{
    return FileName.substr(0, FileName.size() - ExtractFileExt(FileName).size()) + Extension;
}

// 7-bit text to UTF-16, for literals and messages.
inline std::u16string AsciiToWide(const std::string& Text) { return std::u16string(Text.begin(), Text.end()); }
