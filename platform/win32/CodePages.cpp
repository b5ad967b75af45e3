#include "platform/CodePages.h"

#include <climits>
#include <vector>
#include <windows.h>

#include "platform/win32/Wide.h"

namespace platform {

namespace {
UINT SystemCodePage(TCodePage CodePage) { return CodePage == cpAnsi ? CP_ACP : static_cast<UINT>(CodePage); }
}

std::u16string MultiByteToWide(TCodePage CodePage, const char* Data, size_t Length)
{
    if (Length == 0 || Length > INT_MAX)
        return std::u16string();
    const int Units = MultiByteToWideChar(SystemCodePage(CodePage), 0, Data, static_cast<int>(Length), nullptr, 0);
    if (Units <= 0)
        return std::u16string();
    std::vector<wchar_t> Buffer(static_cast<size_t>(Units));
    MultiByteToWideChar(SystemCodePage(CodePage), 0, Data, static_cast<int>(Length), Buffer.data(), Units);
    return FromWide(Buffer.data(), Buffer.size());
}

std::string WideToMultiByte(TCodePage CodePage, const std::u16string& Text)
{
    if (Text.empty() || Text.size() > INT_MAX)
        return std::string();
    const auto* Wide = reinterpret_cast<const wchar_t*>(Text.data());
    const int Length = static_cast<int>(Text.size());
    const int Bytes = WideCharToMultiByte(SystemCodePage(CodePage), 0, Wide, Length, nullptr, 0, nullptr, nullptr);
    if (Bytes <= 0)
        return std::string();
    std::string Out(static_cast<size_t>(Bytes), '\0');
    WideCharToMultiByte(SystemCodePage(CodePage), 0, Wide, Length, Out.data(), Bytes, nullptr, nullptr);
    return Out;
}

TCodePage AnsiCodePage() { return static_cast<TCodePage>(GetACP()); }

bool IsWellFormedUtf8(const char* Data, size_t Length)
{
    if (Length == 0)
        return true;
    // Longer text is not checked: it is converted, which is never wrong.
    if (Length > INT_MAX)
        return false;
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Data, static_cast<int>(Length), nullptr, 0) > 0;
}

void LowerCase(std::u16string& Text)
{
    if (!Text.empty() && Text.size() <= MAXDWORD)
        CharLowerBuffW(reinterpret_cast<wchar_t*>(Text.data()), static_cast<DWORD>(Text.size()));
}

}
