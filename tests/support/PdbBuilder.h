#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Types.h"

// Palm databases and Mobipocket books made in code, one call per input.

void AppendBigEndian16(TBytes& Bytes, uint16_t Value);
void AppendBigEndian32(TBytes& Bytes, uint32_t Value);
void PutBigEndian32(TBytes& Bytes, size_t At, uint32_t Value);

// The fields of a 78-byte database header. NumRecords empty: the number of
// records given to the builder.
struct TPdbFields {
    std::string Name = "Test book";  // cut or NUL-padded to 32 bytes
    uint16_t Attributes = 0;
    uint16_t Version = 0;
    uint32_t Created = 0, Modified = 0, BackedUp = 0;
    uint32_t Modification = 0;
    uint32_t AppInfoArea = 0, SortInfoArea = 0;
    std::string DBType = "BOOK", CreatorID = "MOBI";  // cut or NUL-padded to 4 bytes
    uint32_t IDSeed = 0, NextRecordList = 0;
    std::optional<uint16_t> NumRecords;
};

TBytes PdbHeader(const TPdbFields& Fields, uint16_t NumRecords);

// A whole database: header, record list with the offsets the records get,
// two bytes of gap as real files have, and the records in order.
TBytes PdbFile(const std::vector<TBytes>& Records, const TPdbFields& Fields = {});

// A database whose record list states Offsets as given, filled with a byte
// pattern up to FileSize (or cut to it).
TBytes PdbWithOffsets(const std::vector<uint32_t>& Offsets, size_t FileSize, const TPdbFields& Fields = {});

// One EXTH record. DeclaredLength empty: 8 plus the data's length.
struct TExthRecord {
    int32_t Type;
    TBytes Data;
    std::optional<int32_t> DeclaredLength;
};
TExthRecord ExthCover(int32_t CoverOffset);
TExthRecord ExthText(int32_t Type, const std::string& Text);

// "EXTH", block length, record count (the number of records unless given),
// records.
TBytes ExthBlock(const std::vector<TExthRecord>& Records, std::optional<int32_t> Count = std::nullopt);

// Record 0 of a Mobipocket book: 16 leading bytes, "MOBI" at 16, the first
// image index at 108, the MOBI header zero-filled to 232 bytes, then Exth at
// ExthAt (default: right after the header), zero-filled to at least MinSize.
struct TMobiRecord0 {
    int32_t FirstImage = 1;
    std::string Identifier = "MOBI";
    TBytes Exth;
    std::optional<size_t> ExthAt;
    size_t MinSize = 0;
};
TBytes MobiRecord0(const TMobiRecord0& Fields);

// A book: record 0, then TextRecords filler records, so that the pictures
// start at record 1 + TextRecords, then the pictures.
TBytes MobiBook(const TBytes& Record0, size_t TextRecords, const std::vector<TBytes>& Pictures);

// Distinct bytes for record number Index, so that a wrong record shows.
TBytes MarkedRecord(size_t Index, size_t Size = 64);
