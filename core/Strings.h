#pragma once

#include <string>
#include <string_view>

// UTF-16 helpers shared by the routes.

template <typename TChar>
constexpr TChar AsciiLower(TChar C)
{
    return C >= TChar('A') && C <= TChar('Z') ? static_cast<TChar>(C + 32) : C;
}

namespace detail {

template <typename TChar>
std::basic_string<TChar> AsciiLowerText(std::basic_string_view<TChar> Text)
{
    std::basic_string<TChar> Lower(Text);
    for (TChar& C : Lower)
        C = AsciiLower(C);
    return Lower;
}

template <typename TChar>
bool SameTextAscii(std::basic_string_view<TChar> A, std::basic_string_view<TChar> B)
{
    if (A.size() != B.size())
        return false;
    for (size_t I = 0; I < A.size(); ++I)
        if (AsciiLower(A[I]) != AsciiLower(B[I]))
            return false;
    return true;
}

}

// The text with ASCII letters lower-cased, for UTF-16 and for 8-bit text.
inline std::u16string AsciiLowerText(std::u16string_view Text) { return detail::AsciiLowerText(Text); }
inline std::string AsciiLowerText(std::string_view Text) { return detail::AsciiLowerText(Text); }

// Equal when the texts differ only in the case of ASCII letters.
inline bool SameTextAscii(std::u16string_view A, std::u16string_view B) { return detail::SameTextAscii(A, B); }
inline bool SameTextAscii(std::string_view A, std::string_view B) { return detail::SameTextAscii(A, B); }

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
