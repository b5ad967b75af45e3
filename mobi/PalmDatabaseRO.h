#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Exceptions.h"
#include "core/ReadBudget.h"
#include "core/Stream.h"
#include "core/StreamWindow.h"
#include "core/Types.h"

BRISLEAF_EXCEPTION(EInvalidPalmDatabase, Exception);

// Days since 1899-12-30 00:00, the time of day as the fraction.
using TDateTime = double;

// The decoded 78-byte header of a Palm database.
struct TPDBHeader {
    std::string Name;  // bytes as stored, in the system's ANSI code page
    bool ReadOnly = false;
    bool Dirty = false;
    bool Backup = false;
    bool Overwrite = false;
    bool ForceReset = false;
    bool NoBeam = false;
    int32_t Version = 0;
    TDateTime Created = 0;
    TDateTime Modified = 0;
    TDateTime BackedUp = 0;
    int32_t Modification = 0;
    int32_t AppInfoArea = 0;
    int32_t SortInfoArea = 0;
    std::string DBType;
    std::string CreatorID;
    int32_t IDSeed = 0;
    int32_t NextRecordList = 0;
    int32_t NumRecords = 0;
};

enum TRecFlag { rfSecret, rfBusy, rfDirty, rfDelete };
using TRecFlags = std::bitset<4>;

// One record-list entry. Records carry no length of their own: the size is
// derived from the next entry's offset (or the file's size for the last).
class TPDBRecordHeader {
public:
    // Refuses a negative offset or size as corrupt record headers.
    TPDBRecordHeader(int32_t Offset, int32_t Size);

    int32_t Offset;
    TRecFlags RecFlags;  // not decoded by this reader
    std::array<uint8_t, 3> UniqueID{};  // not decoded by this reader
    int32_t Size;
    std::string RecordData;  // never filled by this reader
};

// A Palm database opened for reading: the header, the record list, and the
// bytes of any record on request. Records are read from the stream on every
// call; nothing is cached.
class TPalmPDB {
public:
    // Opens FileName for reading, shared for reading only.
    static std::unique_ptr<TPalmPDB> CreateReadOnly(const std::u16string& FileName);
    // Reads the database from Stream, which it owns from then on. FileName is
    // only recorded.
    TPalmPDB(std::unique_ptr<TStream> Stream, const std::u16string& FileName);
    // Reads the database from a stream the caller owns and keeps alive.
    explicit TPalmPDB(TStream& Stream);

    const TPDBHeader& GetDBHeader() const { return FDBHeader; }
    int32_t RecordListCount() const { return static_cast<int32_t>(FPDBRecordList.size()); }
    const TPDBRecordHeader& RecordHeader(int32_t Index) const;
    int32_t DBFileSize() const { return FDBFileSize; }
    const std::u16string& PDBFile() const { return FPDBFile; }

    // The bytes of record Index into Data: all of them, or the first
    // MaxBytes of a longer record. They are drawn from Budget first
    // (EReadError when it has too few left), and a record that claims more
    // than the file holds fails with EReadError before anything is held.
    void GetRecordB(int32_t Index, TBytes& Data, TReadBudget& Budget, uint32_t MaxBytes = UINT32_MAX);
    // Record Index as a window on the database's stream, checked and drawn
    // from Budget as GetRecordB does, to be read without holding it whole.
    TStreamWindow RecordStream(int32_t Index, TReadBudget& Budget);

    static int32_t SwapLongInt(int32_t L);
    static TDateTime PalmToTDateTime(uint32_t Seconds);

private:
    void ReadHeader();
    void ReadRecordList();
    // Checks record Index as GetRecordB does and draws at most MaxBytes of it
    // from Budget; returns its entry and the count drawn.
    std::pair<const TPDBRecordHeader*, int32_t> DrawRecord(int32_t Index, TReadBudget& Budget, uint32_t MaxBytes);

    std::unique_ptr<TStream> FOwnedStream;
    TStream* FStream;
    TPDBHeader FDBHeader;
    int32_t FDBFileSize = 0;
    std::u16string FPDBFile;
    std::vector<TPDBRecordHeader> FPDBRecordList;
};
