#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "core/Stream.h"
#include "core/Types.h"

BRISLEAF_EXCEPTION(EZipException, Exception);

enum TZipMode { zmClosed, zmRead, zmReadWrite, zmWrite };

// One entry's header, as the central directory (or a local header) gives it.
struct TZipHeader {
    uint16_t MadeByVersion = 0;
    uint16_t RequiredVersion = 0;
    uint16_t Flag = 0;
    uint16_t CompressionMethod = 0;
    uint32_t ModifiedDateTime = 0;
    uint32_t CRC32 = 0;
    uint32_t CompressedSize = 0;
    uint32_t UncompressedSize = 0;
    uint16_t FileNameLength = 0;
    uint16_t ExtraFieldLength = 0;
    uint16_t FileCommentLength = 0;
    uint16_t DiskNumberStart = 0;
    uint16_t InternalAttributes = 0;
    uint32_t ExternalAttributes = 0;
    uint32_t LocalHeaderOffset = 0;
    std::string FileName;       // raw bytes, decoded with FileNameCodePage
    unsigned FileNameCodePage = 437;
    TBytes ExtraField;
    TBytes FileComment;
};

// Read-only ZIP archive reader.
class TZipFile {
public:
    TZipFile();
    ~TZipFile();
    TZipFile(const TZipFile&) = delete;
    TZipFile& operator=(const TZipFile&) = delete;

    static bool IsValid(const std::u16string& FileName);
    void Open(const std::u16string& FileName, TZipMode Mode);
    void Close();
    std::vector<std::u16string> FileNames() const;
    int IndexOf(const std::u16string& Name) const;
    // The whole uncompressed entry.
    TBytes Read(const std::u16string& Name);
    // A stream over the uncompressed entry (valid while this reader is open)
    // and the entry's local header.
    std::unique_ptr<TStream> Read(const std::u16string& Name, TZipHeader& LocalHeader);

private:
    TZipMode FMode = zmClosed;
};
