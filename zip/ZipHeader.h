#pragma once

#include <cstdint>
#include <string>

#include "core/Types.h"

enum TZipMode { zmClosed, zmRead, zmReadWrite, zmWrite };

// Bits of the general purpose flag that the reader acts on.
constexpr uint16_t ZipFlagSizesFollowData = 0x0008;
constexpr uint16_t ZipFlagUtf8Name = 0x0800;

// One entry's header, as the central directory (or a local header) gives it.
struct TZipHeader {
    uint16_t MadeByVersion = 0;
    uint16_t RequiredVersion = 0;
    uint16_t Flag = 0;
    uint16_t CompressionMethod = 0;
    uint32_t ModifiedDateTime = 0; // DOS time in the low half, DOS date in the high half
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
