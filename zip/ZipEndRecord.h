#pragma once

#include <cstdint>

#include "core/Stream.h"

// The fields of the end of central directory record that the reader uses.
struct TZipEndRecord {
    int64_t Position = 0; // of its signature
    uint16_t EntryCount = 0;
    uint32_t CentralDirectoryOffset = 0;
    uint16_t CommentLength = 0;
};

// Searches the last 65535 bytes of the stream backwards for the record; the
// occurrence nearest the end wins. Returns false when there is none; a window
// that cannot be read fails with EZipException "Error reading zip file".
bool FindEndRecord(TStream& Stream, TZipEndRecord& Record);
