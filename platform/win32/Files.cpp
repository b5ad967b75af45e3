#include "platform/Files.h"

#include <algorithm>
#include <windows.h>

#include "platform/win32/ErrorText.h"
#include "platform/win32/Wide.h"

namespace platform {

namespace {
HANDLE AsHandle(intptr_t Value) { return reinterpret_cast<HANDLE>(Value); }
}

bool TFileHandle::OpenForReading(const std::u16string& FileName, TShareMode Share, std::string& ErrorText)
{
    Close();
    const DWORD ShareFlags = Share == smDenyWrite ? FILE_SHARE_READ : 0;
    HANDLE File = CreateFileW(AsWide(FileName), GENERIC_READ, ShareFlags, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File == INVALID_HANDLE_VALUE) {
        ErrorText = SystemErrorText(GetLastError());
        return false;
    }
    // Pipes, consoles and devices are refused: a read from them may never end
    // or never answer. (A pipe's open does not wait for its other end.)
    if (GetFileType(File) != FILE_TYPE_DISK) {
        CloseHandle(File);
        ErrorText = SystemErrorText(ERROR_INVALID_FUNCTION);
        return false;
    }
    FHandle = reinterpret_cast<intptr_t>(File);
    return true;
}

int64_t TFileHandle::Read(void* Buffer, int64_t Count)
{
    if (FHandle == Invalid || Count <= 0)
        return 0;
    auto* Out = static_cast<char*>(Buffer);
    int64_t Done = 0;
    while (Done < Count) {
        const DWORD Chunk = static_cast<DWORD>(std::min<int64_t>(Count - Done, 1 << 30));
        DWORD Got = 0;
        if (!ReadFile(AsHandle(FHandle), Out + Done, Chunk, &Got, nullptr))
            return Done > 0 ? Done : -1;
        if (Got == 0)
            break;
        Done += Got;
    }
    return Done;
}

int64_t TFileHandle::Seek(int64_t Offset, TFileOrigin Origin)
{
    if (FHandle == Invalid)
        return -1;
    LARGE_INTEGER Distance, Result;
    Distance.QuadPart = Offset;
    const DWORD Method = Origin == foBegin ? FILE_BEGIN : Origin == foCurrent ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(AsHandle(FHandle), Distance, &Result, Method))
        return -1;
    return Result.QuadPart;
}

void TFileHandle::Close()
{
    if (FHandle != Invalid) {
        CloseHandle(AsHandle(FHandle));
        FHandle = Invalid;
    }
}

std::u16string FullPathName(const std::u16string& FileName)
{
    const DWORD Needed = GetFullPathNameW(AsWide(FileName), 0, nullptr, nullptr);
    if (Needed == 0)
        return FileName;
    std::u16string Buffer(Needed, u'\0');
    const DWORD Length = GetFullPathNameW(AsWide(FileName), Needed, reinterpret_cast<wchar_t*>(Buffer.data()), nullptr);
    if (Length == 0 || Length >= Needed)
        return FileName;
    Buffer.resize(Length);
    return Buffer;
}

bool WriteWholeFile(const std::u16string& FileName, const std::vector<uint8_t>& Data, std::string& ErrorText)
{
    HANDLE File = CreateFileW(AsWide(FileName), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File == INVALID_HANDLE_VALUE) {
        ErrorText = SystemErrorText(GetLastError());
        return false;
    }
    size_t Done = 0;
    while (Done < Data.size()) {
        DWORD Put = 0;
        const DWORD Chunk = static_cast<DWORD>(std::min<size_t>(Data.size() - Done, 1 << 30));
        if (!WriteFile(File, Data.data() + Done, Chunk, &Put, nullptr) || Put == 0) {
            ErrorText = SystemErrorText(GetLastError());
            CloseHandle(File);
            return false;
        }
        Done += Put;
    }
    CloseHandle(File);
    return true;
}

bool ReadWholeFile(const std::u16string& FileName, std::vector<uint8_t>& Data, std::string& ErrorText)
{
    TFileHandle File;
    if (!File.OpenForReading(FileName, smDenyWrite, ErrorText))
        return false;
    Data.clear();
    uint8_t Chunk[65536];
    for (;;) {
        const int64_t Got = File.Read(Chunk, sizeof Chunk);
        if (Got < 0) {
            ErrorText = SystemErrorText(GetLastError());
            return false;
        }
        if (Got == 0)
            return true;
        Data.insert(Data.end(), Chunk, Chunk + Got);
    }
}

}
