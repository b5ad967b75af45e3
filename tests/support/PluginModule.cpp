#include "tests/support/PluginModule.h"

#include <stdexcept>

#include "core/Strings.h"
#include "platform/CodePages.h"

std::u16string BuiltPluginPath()
{
    // Test programs live in <build>/tests/<folder>/, the module in <build>/.
    return platform::ProgramDirectory() + u"../../" + platform::PluginModuleName();
}

TPluginModule::TPluginModule(const std::string* SettingsText)
{
    const std::u16string Name = platform::PluginModuleName();
    const std::u16string Copy = FDir.Write(Name, ReadFileBytes(BuiltPluginPath()));
    if (SettingsText)
        FDir.Write(ChangeFileExt(Name, u".ini"), *SettingsText);
    std::string Error;
    if (!FModule.Load(Copy, Error))
        throw std::runtime_error("cannot load " + Utf8(Copy) + ": " + Error);
}

void* TPluginModule::Proc(const char* Name) const
{
    void* Address = FModule.Proc(Name);
    if (!Address)
        throw std::runtime_error(std::string("the module does not export ") + Name);
    return Address;
}

TListGetDetectString TPluginModule::GetDetectString() const
{
    return reinterpret_cast<TListGetDetectString>(Proc("ListGetDetectString"));
}
TListLoad TPluginModule::Load() const { return reinterpret_cast<TListLoad>(Proc("ListLoad")); }
TListLoadW TPluginModule::LoadW() const { return reinterpret_cast<TListLoadW>(Proc("ListLoadW")); }
TListGetPreviewBitmap TPluginModule::Preview() const
{
    return reinterpret_cast<TListGetPreviewBitmap>(Proc("ListGetPreviewBitmap"));
}
TListGetPreviewBitmapW TPluginModule::PreviewW() const
{
    return reinterpret_cast<TListGetPreviewBitmapW>(Proc("ListGetPreviewBitmapW"));
}

std::string TPluginModule::Describe(platform::TBitmapHandle Bitmap) const
{
    if (!Bitmap)
        return "none";
    platform::TLoadedModule::TBitmapData Data;
    const bool Read = FModule.ReadBitmap(Bitmap, Data);
    FModule.DeleteBitmap(Bitmap);
    if (!Read)
        return "unreadable";
    return std::to_string(Data.Width) + "x" + std::to_string(Data.Height) + "x" + std::to_string(Data.BitCount);
}

std::string TPluginModule::PreviewInfo(const std::u16string& FileName, int32_t Width, int32_t Height) const
{
    std::u16string Name = FileName;
    return Describe(PreviewW()(Name.data(), Width, Height, nullptr, 0));
}
