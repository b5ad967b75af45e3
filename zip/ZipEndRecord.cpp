#include "zip/ZipEndRecord.h"

#include <algorithm>

#include "core/ByteOrder.h"
#include "zip/ZipErrors.h"

namespace {

constexpr uint32_t EndRecordSignature = 0x06054B50;
constexpr int64_t EndRecordSize = 22;
// The farthest from the end a signature is looked for: a record with the
// longest comment, less one byte (kept as archivers have long done it).
constexpr int64_t SearchReach = 65535;
constexpr int64_t WindowStep = 1024;
// Windows overlap by the width of a signature, so one that straddles two
// windows is still seen.
constexpr int64_t WindowSize = WindowStep + 4;

}

bool FindEndRecord(TStream& Stream, TZipEndRecord& Record)
{
    const int64_t FileSize = Stream.Size();
    const int64_t Reach = std::min(FileSize, SearchReach);
    uint8_t Window[WindowSize];
    int64_t Back = 4; // distance from the end of the file to the window's start
    while (Back < Reach) {
        Back = std::min(Back + WindowStep, Reach);
        const int64_t Length = std::min(WindowSize, Back);
        const int64_t WindowStart = FileSize - Back;
        Stream.Seek(WindowStart, soBeginning);
        if (Stream.Read(Window, Length) != Length)
            throw EZipException(SZipReadError);
        for (int64_t At = Length - 4; At >= 0; --At) {
            if (GetLE32(Window + At) != EndRecordSignature)
                continue;
            // A signature too near the end to be followed by the record's
            // fields is stray bytes; look further back.
            if (Back - At < EndRecordSize)
                continue;
            uint8_t Fields[EndRecordSize - 4];
            Record.Position = WindowStart + At;
            Stream.Seek(Record.Position + 4, soBeginning);
            if (Stream.Read(Fields, sizeof Fields) != static_cast<int64_t>(sizeof Fields))
                throw EZipException(SZipReadError);
            // Disk numbers and this disk's entry count (offsets 4 to 9) are
            // not used.
            Record.EntryCount = GetLE16(Fields + 6);             // total number of entries
            Record.CentralDirectoryOffset = GetLE32(Fields + 12); // offset of the central directory
            Record.CommentLength = GetLE16(Fields + 16);          // archive comment length
            return true;
        }
    }
    return false;
}
