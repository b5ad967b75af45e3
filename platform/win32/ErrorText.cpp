#include "platform/win32/ErrorText.h"

#include "platform/CodePages.h"
#include "platform/win32/Wide.h"

std::string SystemErrorText(DWORD Code)
{
    wchar_t* Buffer = nullptr;
    const DWORD Length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, Code, 0, reinterpret_cast<wchar_t*>(&Buffer), 0, nullptr);
    std::u16string Text = Length ? FromWide(Buffer, Length) : std::u16string();
    if (Buffer)
        LocalFree(Buffer);
    while (!Text.empty() && (Text.back() == u'\n' || Text.back() == u'\r' || Text.back() == u' '))
        Text.pop_back();
    if (Text.empty())
        return "System error code " + std::to_string(Code);
    return platform::WideToMultiByte(platform::cpUtf8, Text);
}
