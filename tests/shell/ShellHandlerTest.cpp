// The handler module as a shell host loads it: by its file, through
// DllGetClassObject, without registration.
#include <windows.h>
#include <shlwapi.h>
#include <thumbcache.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/MemoryStream.h"
#include "plugin/PreviewDriver.h"
#include "tests/support/EpubBuilder.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/PdbBuilder.h"
#include "tests/support/PictureBuilders.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipWriter.h"

namespace {

const CLSID Handler = {0x150498d6, 0xb48c, 0x4ac6, {0x99, 0x30, 0xc3, 0x28, 0x0e, 0x5d, 0x8c, 0x0e}};

class TShellModule {
public:
    TShellModule() : FModule(LoadLibraryW(BRISLEAF_SHELL_DLL))
    {
        if (FModule) {
            FGetClassObject = reinterpret_cast<decltype(&DllGetClassObject)>(reinterpret_cast<void*>(GetProcAddress(FModule, "DllGetClassObject")));
            FCanUnloadNow = reinterpret_cast<decltype(&DllCanUnloadNow)>(reinterpret_cast<void*>(GetProcAddress(FModule, "DllCanUnloadNow")));
        }
    }
    ~TShellModule() { FreeLibrary(FModule); }
    bool Loaded() const { return FGetClassObject && FCanUnloadNow; }
    HRESULT CanUnloadNow() const { return FCanUnloadNow(); }
    IClassFactory* Factory() const
    {
        IClassFactory* Factory = nullptr;
        FGetClassObject(Handler, __uuidof(IClassFactory), reinterpret_cast<void**>(&Factory));
        return Factory;
    }
    IThumbnailProvider* Create() const
    {
        IClassFactory* Made = Factory();
        IThumbnailProvider* Provider = nullptr;
        if (Made) {
            Made->CreateInstance(nullptr, __uuidof(IThumbnailProvider), reinterpret_cast<void**>(&Provider));
            Made->Release();
        }
        return Provider;
    }

private:
    HMODULE FModule;
    decltype(&DllGetClassObject) FGetClassObject = nullptr;
    decltype(&DllCanUnloadNow) FCanUnloadNow = nullptr;
};

const TShellModule& Module()
{
    static const TShellModule Shell;
    return Shell;
}

struct TThumbnail {
    HRESULT Result = E_UNEXPECTED;
    HBITMAP Bitmap = nullptr;
    WTS_ALPHATYPE Alpha = WTSAT_UNKNOWN;
};

// Initialises a new handler through Init, then asks for a Size x Size thumbnail.
TThumbnail Ask(const std::function<HRESULT(IThumbnailProvider*)>& Init, UINT Size)
{
    TThumbnail Answer;
    IThumbnailProvider* Provider = Module().Create();
    if (!Provider)
        return Answer;
    Answer.Result = Init(Provider);
    if (SUCCEEDED(Answer.Result))
        Answer.Result = Provider->GetThumbnail(Size, &Answer.Bitmap, &Answer.Alpha);
    Provider->Release();
    return Answer;
}

HRESULT WithStream(IThumbnailProvider* Provider, IStream* Stream)
{
    IInitializeWithStream* Init = nullptr;
    HRESULT Result = Provider->QueryInterface(__uuidof(IInitializeWithStream), reinterpret_cast<void**>(&Init));
    if (SUCCEEDED(Result)) {
        Result = Init->Initialize(Stream, STGM_READ);
        Init->Release();
    }
    return Result;
}

HRESULT WithFile(IThumbnailProvider* Provider, const std::u16string& Path)
{
    IInitializeWithFile* Init = nullptr;
    HRESULT Result = Provider->QueryInterface(__uuidof(IInitializeWithFile), reinterpret_cast<void**>(&Init));
    if (SUCCEEDED(Result)) {
        Result = Init->Initialize(reinterpret_cast<const wchar_t*>(Path.c_str()), STGM_READ);
        Init->Release();
    }
    return Result;
}

// The colours of a DIB section's pixels, rows from the top, as 0xRRGGBB, its
// memory read with rows in the order TopDown says. (GetObject reports a
// positive height for top-down sections too, so the order shows only in the
// colours.)
std::vector<uint32_t> Colours(HBITMAP Bitmap, int BitCountWanted, bool TopDown)
{
    DIBSECTION Section{};
    if (GetObjectW(Bitmap, sizeof Section, &Section) != sizeof Section)
        return {};
    const BITMAPINFOHEADER& Header = Section.dsBmih;
    EXPECT_EQ(Header.biBitCount, BitCountWanted);
    const int32_t Width = Header.biWidth, Height = Header.biHeight < 0 ? -Header.biHeight : Header.biHeight;
    const int Step = Header.biBitCount / 8;
    const size_t Stride = (static_cast<size_t>(Width) * Header.biBitCount + 31) / 32 * 4;
    std::vector<uint32_t> Pixels;
    for (int32_t Y = 0; Y < Height; ++Y) {
        const auto* Row = static_cast<const uint8_t*>(Section.dsBm.bmBits) + (TopDown ? Y : Height - 1 - Y) * Stride;
        for (int32_t X = 0; X < Width; ++X)
            Pixels.push_back(Row[X * Step + 2] << 16 | Row[X * Step + 1] << 8 | Row[X * Step]);
    }
    return Pixels;
}

TBytes Cover()
{
    return JpegOf(60, 40, [](int32_t X, int32_t Y, uint8_t* C) {
        C[0] = static_cast<uint8_t>(X * 4);
        C[1] = static_cast<uint8_t>(Y * 6);
        C[2] = static_cast<uint8_t>(X ^ Y);
    });
}

TEST(ShellHandler, GivesTheEngineThumbnailAsA32BitTopDownPicture)
{
    ASSERT_TRUE(Module().Loaded());
    const TBytes Picture = Cover();
    TZipWriter Zipped;
    Zipped.Add("book.fb2", BuildFb2WithCover(AsText(Picture)), ZipDeflated);
    TMobiRecord0 Marked;
    Marked.Exth = ExthBlock({ExthCover(0)});
    const TBytes Mobi = MobiBook(MobiRecord0(Marked), 0, {Picture});
    const struct {
        std::u16string Name;
        TBytes Book;
    } Cases[] = {
        {u"book.epub", BuildEpubWithCover(Picture)},
        {u"book.fb2", AsBytes(BuildFb2WithCover(AsText(Picture)))},
        {u"book.fbz", Zipped.Build()},
        {u"book.mobi", Mobi},
        {u"book.azw3", Mobi},
    };
    TTempDir Dir;
    for (const auto& Case : Cases) {
        // What the engine gives: a 24-bit shrink into 32 x 32.
        TPointerReadOnlyStream Memory(Case.Book.data(), static_cast<intptr_t>(Case.Book.size()));
        TPluginSettings Settings;
        auto* Engine = static_cast<HBITMAP>(
            GetBookPreviewBitmap(Memory, ExtensionKey(Case.Name), TFB2Reading::AsFile, 32, 32, Settings));
        ASSERT_NE(Engine, nullptr) << Utf8(Case.Name);
        const std::vector<uint32_t> Expected = Colours(Engine, 24, false);
        DeleteObject(Engine);

        const std::u16string Path = Dir.Write(Case.Name, Case.Book);
        IStream* Named = nullptr;
        ASSERT_TRUE(SUCCEEDED(SHCreateStreamOnFileEx(reinterpret_cast<const wchar_t*>(Path.c_str()), STGM_READ,
                                                     FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &Named)));
        // A stream in memory has no name: the handler goes by its bytes.
        IStream* Nameless = SHCreateMemStream(Case.Book.data(), static_cast<UINT>(Case.Book.size()));
        ASSERT_NE(Nameless, nullptr);
        const std::function<HRESULT(IThumbnailProvider*)> Inits[] = {
            [&](IThumbnailProvider* P) { return WithStream(P, Named); },
            [&](IThumbnailProvider* P) { return WithStream(P, Nameless); },
            [&](IThumbnailProvider* P) { return WithFile(P, Path); },
        };
        for (const auto& Init : Inits) {
            TThumbnail Answer = Ask(Init, 32);
            ASSERT_EQ(Answer.Result, S_OK) << Utf8(Case.Name);
            EXPECT_EQ(Answer.Alpha, WTSAT_RGB);
            EXPECT_EQ(Colours(Answer.Bitmap, 32, true), Expected) << Utf8(Case.Name);
            DeleteObject(Answer.Bitmap);
        }
        Named->Release();
        Nameless->Release();
    }
}

TEST(ShellHandler, NoCoverOrADamagedBookIsFailWithoutABitmap)
{
    ASSERT_TRUE(Module().Loaded());
    TBytes Damaged = BuildEpubWithCover(Cover());
    Damaged.resize(Damaged.size() / 3);
    const TBytes Books[] = {AsBytes("<FictionBook><description/></FictionBook>"), Damaged, TBytes{},
                            AsBytes(std::string(68, 'M'))};
    for (const TBytes& Book : Books) {
        IStream* Stream = SHCreateMemStream(Book.data(), static_cast<UINT>(Book.size()));
        ASSERT_NE(Stream, nullptr);
        TThumbnail Answer = Ask([&](IThumbnailProvider* P) { return WithStream(P, Stream); }, 96);
        Stream->Release();
        EXPECT_EQ(Answer.Result, E_FAIL) << Book.size();
        EXPECT_EQ(Answer.Bitmap, nullptr);
    }
}

TEST(ShellHandler, TheModuleStaysWhileObjectsOrLocksLive)
{
    ASSERT_TRUE(Module().Loaded());
    EXPECT_EQ(Module().CanUnloadNow(), S_OK);
    IThumbnailProvider* Provider = Module().Create();
    ASSERT_NE(Provider, nullptr);
    EXPECT_EQ(Module().CanUnloadNow(), S_FALSE);
    // A second Initialize is refused.
    IStream* Stream = SHCreateMemStream(nullptr, 0);
    EXPECT_EQ(WithStream(Provider, Stream), S_OK);
    EXPECT_EQ(WithStream(Provider, Stream), HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED));
    Stream->Release();
    Provider->Release();
    EXPECT_EQ(Module().CanUnloadNow(), S_OK);

    IClassFactory* Factory = Module().Factory();
    ASSERT_NE(Factory, nullptr);
    EXPECT_EQ(Module().CanUnloadNow(), S_FALSE);
    Factory->LockServer(TRUE);
    Factory->Release();
    EXPECT_EQ(Module().CanUnloadNow(), S_FALSE);
    Factory = Module().Factory();
    Factory->LockServer(FALSE);
    Factory->Release();
    EXPECT_EQ(Module().CanUnloadNow(), S_OK);
}

}
