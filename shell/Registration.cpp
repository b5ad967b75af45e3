#include "shell/Registration.h"

#include <string>

#include "platform/ModuleInfo.h"
#include "plugin/BookExtensions.h"
#include "shell/ShellModule.h"

namespace {

const std::wstring Description = L"brisleaf e-book cover thumbnails";
const std::wstring Classes = L"Software\\Classes\\";
const std::wstring ClassKey = Classes + L"CLSID\\" + BrisleafClassIdText;
const std::wstring ThumbnailHandler = L"\\ShellEx\\{e357fccd-a995-4576-b01f-234630154e96}";
const wchar_t ApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

// ".zip" is left out: Explorer would ask us for every archive.
bool IsShellExtension(const TBookExtension& Extension) { return Extension.Key != u".zip"; }

std::wstring ExtensionKeyName(const TBookExtension& Extension)
{
    return Classes + std::wstring(Extension.Key.begin(), Extension.Key.end());
}

bool SetValue(const std::wstring& Key, const wchar_t* Name, const std::wstring& Value)
{
    const DWORD Bytes = static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(HKEY_LOCAL_MACHINE, Key.c_str(), Name, REG_SZ, Value.c_str(), Bytes) == ERROR_SUCCESS;
}

// The default value of a key, empty when it has none.
std::wstring DefaultValue(const std::wstring& Key)
{
    wchar_t Text[256] = {};
    DWORD Bytes = sizeof Text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, Key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, Text, &Bytes) != ERROR_SUCCESS)
        return {};
    return Text;
}

// Deletes Key and then each key above it up to Stop (exclusive) while they
// hold neither values nor subkeys.
void DeleteEmptyKeys(std::wstring Key, const std::wstring& Stop)
{
    while (Key.size() > Stop.size()) {
        HKEY Handle;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Key.c_str(), 0, KEY_READ, &Handle) != ERROR_SUCCESS)
            return;
        DWORD SubKeys = 0, Values = 0;
        const LONG Status = RegQueryInfoKeyW(Handle, nullptr, nullptr, nullptr, &SubKeys, nullptr, nullptr, &Values,
                                             nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(Handle);
        if (Status != ERROR_SUCCESS || SubKeys || Values || RegDeleteKeyW(HKEY_LOCAL_MACHINE, Key.c_str()) != ERROR_SUCCESS)
            return;
        Key.resize(Key.rfind(L'\\'));
    }
}

}

HRESULT RegisterShellHandler()
{
    const std::u16string Module = platform::ModuleFileName();
    bool Done = SetValue(ClassKey, nullptr, Description) &&
                SetValue(ClassKey + L"\\InprocServer32", nullptr, std::wstring(Module.begin(), Module.end())) &&
                SetValue(ClassKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                SetValue(ApprovedKey, BrisleafClassIdText, Description);
    for (const TBookExtension& Extension : BookExtensions)
        if (Done && IsShellExtension(Extension))
            Done = SetValue(ExtensionKeyName(Extension) + ThumbnailHandler, nullptr, BrisleafClassIdText);
    if (!Done) {
        UnregisterShellHandler();
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT UnregisterShellHandler()
{
    for (const TBookExtension& Extension : BookExtensions) {
        const std::wstring Key = ExtensionKeyName(Extension) + ThumbnailHandler;
        // Another handler a user or program set since stays.
        if (!IsShellExtension(Extension) || _wcsicmp(DefaultValue(Key).c_str(), BrisleafClassIdText) != 0)
            continue;
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, Key.c_str(), nullptr);
        DeleteEmptyKeys(Key, Classes.substr(0, Classes.size() - 1));
    }
    HKEY Approved;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ApprovedKey, 0, KEY_SET_VALUE, &Approved) == ERROR_SUCCESS) {
        RegDeleteValueW(Approved, BrisleafClassIdText);
        RegCloseKey(Approved);
    }
    const LONG Status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey.c_str());
    return Status == ERROR_SUCCESS || Status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
