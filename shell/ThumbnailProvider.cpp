#include <windows.h>
#include <propsys.h>
#include <thumbcache.h>

#include <atomic>
#include <new>
#include <string>
#include <string_view>

#include "platform/ModuleInfo.h"
#include "plugin/PreviewDriver.h"
#include "plugin/Settings.h"
#include "shell/ComStream.h"
#include "shell/ShellBitmap.h"
#include "shell/ShellModule.h"

namespace {

// Without a settings file a shell user gets every cover that can be found.
TPluginSettings ShellSettings()
{
    TPluginSettings Defaults;
    Defaults.MobiAllowFirstPic = Defaults.CoverFallbacks = true;
    return ReadPluginSettings(platform::ModuleFileName(), Defaults);
}

// The extension key of a stream that carries no name, from its first bytes:
// a Palm database of type "BOOK" and creator "MOBI" at offset 60, a ZIP whose
// first entry is EPUB's "mimetype", another ZIP, else FictionBook text.
std::u16string GuessKey(TStream& Book)
{
    uint8_t Head[68] = {};
    const int64_t Got = ReadUpTo(Book, Head, sizeof Head);
    Book.SetPosition(0);
    if (Got >= 68 && std::string_view(reinterpret_cast<char*>(Head) + 60, 8) == "BOOKMOBI")
        return u".mobi";
    if (Got >= 4 && std::string_view(reinterpret_cast<char*>(Head), 4) == "PK\x03\x04")
        return Got >= 38 && std::string_view(reinterpret_cast<char*>(Head) + 30, 8) == "mimetype" ? u".epub" : u".fbz";
    return u".fb2";
}

std::u16string StreamKey(IStream* Stream, TStream& Book)
{
    STATSTG Stat{};
    std::u16string Key;
    if (SUCCEEDED(Stream->Stat(&Stat, STATFLAG_DEFAULT)) && Stat.pwcsName) {
        Key = ExtensionKey(reinterpret_cast<const char16_t*>(Stat.pwcsName));
        CoTaskMemFree(Stat.pwcsName);
    }
    return FindBookExtension(Key) ? Key : GuessKey(Book);
}

class TThumbnailProvider : public IThumbnailProvider, public IInitializeWithStream, public IInitializeWithFile {
public:
    TThumbnailProvider() { ModuleAddRef(); }
    virtual ~TThumbnailProvider()
    {
        if (FStream)
            FStream->Release();
        ModuleRelease();
    }

    STDMETHODIMP QueryInterface(REFIID Iid, void** Object) override
    {
        if (!Object)
            return E_POINTER;
        if (IsEqualIID(Iid, __uuidof(IUnknown)) || IsEqualIID(Iid, __uuidof(IThumbnailProvider)))
            *Object = static_cast<IThumbnailProvider*>(this);
        else if (IsEqualIID(Iid, __uuidof(IInitializeWithStream)))
            *Object = static_cast<IInitializeWithStream*>(this);
        else if (IsEqualIID(Iid, __uuidof(IInitializeWithFile)))
            *Object = static_cast<IInitializeWithFile*>(this);
        else {
            *Object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++FReferences; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG Left = --FReferences;
        if (Left == 0)
            delete this;
        return Left;
    }

    // A handler is initialised once, by one of the two.
    STDMETHODIMP Initialize(IStream* Stream, DWORD) override
    {
        if (!Stream)
            return E_INVALIDARG;
        if (FStream || !FFileName.empty())
            return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
        FStream = Stream;
        FStream->AddRef();
        return S_OK;
    }
    STDMETHODIMP Initialize(LPCWSTR FileName, DWORD) override
    {
        if (!FileName || !*FileName)
            return E_INVALIDARG;
        if (FStream || !FFileName.empty())
            return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
        try {
            FFileName = reinterpret_cast<const char16_t*>(FileName);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    STDMETHODIMP GetThumbnail(UINT Size, HBITMAP* Bitmap, WTS_ALPHATYPE* Alpha) override
    {
        if (!Bitmap)
            return E_POINTER;
        *Bitmap = nullptr;
        if (Alpha)
            *Alpha = WTSAT_UNKNOWN;
        if (Size == 0 || Size > INT32_MAX)
            return E_INVALIDARG;
        HBITMAP Engine = nullptr;
        try {
            const int32_t Box = static_cast<int32_t>(Size);
            if (FStream) {
                TComStream Book(FStream);
                Book.SetPosition(0);
                const std::u16string Key = StreamKey(FStream, Book);
                Engine = static_cast<HBITMAP>(GetBookPreviewBitmap(Book, Key, TFB2Reading::AsFile, Box, Box, ShellSettings()));
            } else if (!FFileName.empty()) {
                // The plugin's own request, file opening and long names included.
                Engine = static_cast<HBITMAP>(GetPreviewBitmap(FFileName, Box, Box, ShellSettings()));
            } else {
                return E_UNEXPECTED;
            }
        } catch (...) {
            // Bad input ends in no thumbnail, as in the plugin.
        }
        if (!Engine)
            return E_FAIL;
        *Bitmap = MakeShellBitmap(Engine);
        DeleteObject(Engine);
        if (!*Bitmap)
            return E_FAIL;
        // Our pictures have no transparency.
        if (Alpha)
            *Alpha = WTSAT_RGB;
        return S_OK;
    }

private:
    std::atomic<ULONG> FReferences{1};
    IStream* FStream = nullptr;
    std::u16string FFileName;
};

}

HRESULT CreateThumbnailProvider(REFIID Iid, void** Object)
{
    auto* Provider = new (std::nothrow) TThumbnailProvider;
    if (!Provider)
        return E_OUTOFMEMORY;
    const HRESULT Result = Provider->QueryInterface(Iid, Object);
    Provider->Release();
    return Result;
}
