#include "tests/support/PdbBuilder.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr size_t HeaderSize = 78;
constexpr size_t EntrySize = 8;
constexpr size_t ListGap = 2;
constexpr size_t MobiHeaderEnd = 232;
constexpr size_t FirstImageField = 108;

void AppendText(TBytes& Bytes, const std::string& Text, size_t Width)
{
    for (size_t I = 0; I < Width; ++I)
        Bytes.push_back(I < Text.size() ? static_cast<uint8_t>(Text[I]) : 0);
}

void AppendRecordList(TBytes& Bytes, const std::vector<uint32_t>& Offsets)
{
    for (size_t I = 0; I < Offsets.size(); ++I) {
        AppendBigEndian32(Bytes, Offsets[I]);
        // Attributes, then a 3-byte unique ID
        AppendBigEndian32(Bytes, static_cast<uint32_t>(I + 1));
    }
}

}

void AppendBigEndian16(TBytes& Bytes, uint16_t Value)
{
    Bytes.push_back(static_cast<uint8_t>(Value >> 8));
    Bytes.push_back(static_cast<uint8_t>(Value));
}

void AppendBigEndian32(TBytes& Bytes, uint32_t Value)
{
    for (int Shift = 24; Shift >= 0; Shift -= 8)
        Bytes.push_back(static_cast<uint8_t>(Value >> Shift));
}

void PutBigEndian32(TBytes& Bytes, size_t At, uint32_t Value)
{
    if (Bytes.size() < At + 4)
        Bytes.resize(At + 4);
    for (int I = 0; I < 4; ++I)
        Bytes[At + I] = static_cast<uint8_t>(Value >> (24 - 8 * I));
}

TBytes PdbHeader(const TPdbFields& Fields, uint16_t NumRecords)
{
    TBytes Header;
    AppendText(Header, Fields.Name, 32);
    AppendBigEndian16(Header, Fields.Attributes);
    AppendBigEndian16(Header, Fields.Version);
    AppendBigEndian32(Header, Fields.Created);
    AppendBigEndian32(Header, Fields.Modified);
    AppendBigEndian32(Header, Fields.BackedUp);
    AppendBigEndian32(Header, Fields.Modification);
    AppendBigEndian32(Header, Fields.AppInfoArea);
    AppendBigEndian32(Header, Fields.SortInfoArea);
    AppendText(Header, Fields.DBType, 4);
    AppendText(Header, Fields.CreatorID, 4);
    AppendBigEndian32(Header, Fields.IDSeed);
    AppendBigEndian32(Header, Fields.NextRecordList);
    AppendBigEndian16(Header, Fields.NumRecords.value_or(NumRecords));
    return Header;
}

TBytes PdbFile(const std::vector<TBytes>& Records, const TPdbFields& Fields)
{
    if (Records.size() > 65535)
        throw std::invalid_argument("a Palm database holds at most 65535 records");
    std::vector<uint32_t> Offsets;
    size_t Offset = HeaderSize + EntrySize * Records.size() + ListGap;
    for (const TBytes& Record : Records) {
        Offsets.push_back(static_cast<uint32_t>(Offset));
        Offset += Record.size();
    }
    TBytes File = PdbHeader(Fields, static_cast<uint16_t>(Records.size()));
    AppendRecordList(File, Offsets);
    File.resize(File.size() + ListGap, 0);
    for (const TBytes& Record : Records)
        File.insert(File.end(), Record.begin(), Record.end());
    return File;
}

TBytes PdbWithOffsets(const std::vector<uint32_t>& Offsets, size_t FileSize, const TPdbFields& Fields)
{
    TBytes File = PdbHeader(Fields, static_cast<uint16_t>(Offsets.size()));
    AppendRecordList(File, Offsets);
    for (size_t At = File.size(); At < FileSize; ++At)
        File.push_back(static_cast<uint8_t>(At * 7 + 3));
    File.resize(FileSize);
    return File;
}

TExthRecord ExthCover(int32_t CoverOffset)
{
    TBytes Data;
    AppendBigEndian32(Data, static_cast<uint32_t>(CoverOffset));
    return {201, Data, std::nullopt};
}

TExthRecord ExthText(int32_t Type, const std::string& Text) { return {Type, TBytes(Text.begin(), Text.end()), {}}; }

TBytes ExthBlock(const std::vector<TExthRecord>& Records, std::optional<int32_t> Count)
{
    TBytes Body;
    for (const TExthRecord& Record : Records) {
        AppendBigEndian32(Body, static_cast<uint32_t>(Record.Type));
        AppendBigEndian32(Body,
                          static_cast<uint32_t>(Record.DeclaredLength.value_or(static_cast<int32_t>(8 + Record.Data.size()))));
        Body.insert(Body.end(), Record.Data.begin(), Record.Data.end());
    }
    TBytes Block{'E', 'X', 'T', 'H'};
    AppendBigEndian32(Block, static_cast<uint32_t>(12 + Body.size()));
    AppendBigEndian32(Block, static_cast<uint32_t>(Count.value_or(static_cast<int32_t>(Records.size()))));
    Block.insert(Block.end(), Body.begin(), Body.end());
    return Block;
}

TBytes MobiRecord0(const TMobiRecord0& Fields)
{
    // Compression, text length, record count and size, encryption: a plain
    // uncompressed book, as far as anything reading the leading header cares.
    TBytes Record{0, 1, 0, 0};
    AppendBigEndian32(Record, 4096);
    AppendBigEndian16(Record, 1);
    AppendBigEndian16(Record, 4096);
    AppendBigEndian32(Record, 0);
    AppendText(Record, Fields.Identifier, 4);
    AppendBigEndian32(Record, MobiHeaderEnd - 16);
    Record.resize(MobiHeaderEnd, 0);
    PutBigEndian32(Record, FirstImageField, static_cast<uint32_t>(Fields.FirstImage));
    if (!Fields.Exth.empty()) {
        const size_t At = Fields.ExthAt.value_or(Record.size());
        Record.resize(std::max(Record.size(), At + Fields.Exth.size()), 0);
        std::copy(Fields.Exth.begin(), Fields.Exth.end(), Record.begin() + static_cast<std::ptrdiff_t>(At));
    }
    if (Record.size() < Fields.MinSize)
        Record.resize(Fields.MinSize, 0);
    return Record;
}

TBytes MobiBook(const TBytes& Record0, size_t TextRecords, const std::vector<TBytes>& Pictures)
{
    std::vector<TBytes> Records{Record0};
    for (size_t I = 1; I <= TextRecords; ++I)
        Records.push_back(MarkedRecord(I));
    Records.insert(Records.end(), Pictures.begin(), Pictures.end());
    return PdbFile(Records);
}

TBytes MarkedRecord(size_t Index, size_t Size)
{
    TBytes Record(Size);
    for (size_t I = 0; I < Size; ++I)
        Record[I] = static_cast<uint8_t>(Index * 31 + I);
    return Record;
}
