#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum TShareMode { smExclusive, smDenyWrite };
enum TFileOrigin { foBegin = 0, foCurrent = 1, foEnd = 2 };

// An open file for reading, closed by its destructor.
class TFileHandle {
public:
    TFileHandle() = default;
    TFileHandle(TFileHandle&& Other) noexcept : FHandle(Other.FHandle) { Other.FHandle = Invalid; }
    TFileHandle& operator=(TFileHandle&& Other) noexcept
    {
        if (this != &Other) {
            Close();
            FHandle = Other.FHandle;
            Other.FHandle = Invalid;
        }
        return *this;
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    ~TFileHandle() { Close(); }

    // Opens an existing file for reading. "\\?\" and "\\?\UNC\" forms are
    // understood. On failure returns false and sets ErrorText to the system's
    // text for the error.
    bool OpenForReading(const std::u16string& FileName, TShareMode Share, std::string& ErrorText);
    // Returns the number of bytes read, 0 at the end, -1 on an error.
    int64_t Read(void* Buffer, int64_t Count);
    // Returns the new position, or -1 when the move is refused.
    int64_t Seek(int64_t Offset, TFileOrigin Origin);
    void Close();
    bool IsOpen() const { return FHandle != Invalid; }

private:
    static constexpr intptr_t Invalid = -1;
    intptr_t FHandle = Invalid;
};

// Absolute form of a path, as a file manager would pass it.
std::u16string FullPathName(const std::u16string& FileName);
// Writes a whole file, replacing it. Returns false with ErrorText on failure.
bool WriteWholeFile(const std::u16string& FileName, const std::vector<uint8_t>& Data, std::string& ErrorText);
// Reads a whole file. Returns false with ErrorText on failure.
bool ReadWholeFile(const std::u16string& FileName, std::vector<uint8_t>& Data, std::string& ErrorText);

}
