#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Dib.h"

// What a host program needs from the system: its own arguments, loading a
// plugin module, and reading and freeing the bitmaps the plugin returns.
namespace platform {

std::vector<std::u16string> CommandLineArguments(int argc, char** argv);
// The folder of the running program, with a trailing separator.
std::u16string ProgramDirectory();
// Name of the plugin module as the build makes it.
std::u16string PluginModuleName();
// Whether standard error is a terminal, where a progress line may be drawn.
bool StandardErrorIsTerminal();
// Has the process keep the memory it frees for the next book, instead of
// handing it back to the system and taking it again, page fault by page
// fault, for every book of a batch. For host programs only: a plugin leaves
// its host's allocator alone.
void KeepFreedMemory();

class TLoadedModule {
public:
    TLoadedModule() = default;
    TLoadedModule(const TLoadedModule&) = delete;
    TLoadedModule& operator=(const TLoadedModule&) = delete;
    ~TLoadedModule();

    bool Load(const std::u16string& FileName, std::string& ErrorText);
    void* Proc(const char* Name) const;

    // The pixels and colour table of a bitmap the module returned.
    struct TBitmapData {
        int32_t Width = 0;
        int32_t Height = 0;
        int BitCount = 0;
        std::vector<uint32_t> ColorTable;
        std::vector<uint8_t> Bits; // bottom-up rows, DibStride bytes each
        // The module's own bottom-up rows, read where they lie instead of
        // Bits while Owner keeps the bitmap alive; nullptr: Bits holds them.
        const uint8_t* Rows = nullptr;
        std::shared_ptr<void> Owner;

        const uint8_t* Pixels() const { return Rows ? Rows : Bits.data(); }
        size_t PixelBytes() const
        {
            return Rows ? static_cast<size_t>(DibStride(Width, BitCount)) * static_cast<size_t>(Height) : Bits.size();
        }
    };
    // Describes the bitmap; its rows are referred to where they lie when
    // they are bottom-up (Rows), else copied into Bits: the caller keeps the
    // bitmap until it is done with Data.
    bool ReadBitmap(TBitmapHandle Bitmap, TBitmapData& Data) const;
    bool DeleteBitmap(TBitmapHandle Bitmap) const;

private:
    void* FModule = nullptr;
};

}
