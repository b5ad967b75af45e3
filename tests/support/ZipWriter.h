#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Types.h"

constexpr uint16_t ZipStored = 0;
constexpr uint16_t ZipDeflated = 8;
constexpr uint16_t ZipBit3 = 0x0008;
constexpr uint16_t ZipUtf8 = 0x0800;

// One entry as the writer lays it out. Sizes and CRC-32 follow from Content
// unless overridden; with bit 3 in Flag the local header carries zeros and a
// data descriptor follows the data.
struct TZipWriterEntry {
    std::string Name; // raw name bytes
    TBytes Content;   // uncompressed
    uint16_t Method = ZipStored;
    uint16_t Flag = 0;
    // Entry data as written, instead of Content compressed with Method.
    std::optional<TBytes> Data;
    std::optional<uint16_t> LocalMethod;
    std::optional<uint32_t> CentralCompressedSize, CentralUncompressedSize;
    std::optional<uint32_t> LocalCompressedSize, LocalUncompressedSize;
    uint32_t LocalSignature = 0x04034B50;
    uint32_t CentralSignature = 0x02014B50;
    TBytes Extra;
    std::string Comment;
};

// Builds ZIP archives in memory: local headers and data, central directory,
// end record and comment, optionally behind a stub.
class TZipWriter {
public:
    TZipWriterEntry& Add(const std::string& Name, const TBytes& Content, uint16_t Method = ZipStored);
    TZipWriterEntry& Add(const std::string& Name, const std::string& Content, uint16_t Method = ZipStored);
    TZipWriter& Comment(const std::string& Text);
    // Bytes in front of the archive. Offsets then count from the file's start
    // when OffsetsFromFileStart, as a self-extractor writes them, else from the
    // archive's own first byte.
    TZipWriter& Stub(const TBytes& Bytes, bool OffsetsFromFileStart);
    // The end record's entry count and directory offset, in place of the real ones.
    std::optional<uint16_t> EntryCount;
    std::optional<uint32_t> CentralDirectoryOffset;

    TBytes Build() const;

private:
    std::vector<TZipWriterEntry> FEntries;
    std::string FComment;
    TBytes FStub;
    bool FOffsetsFromFileStart = false;
};

TBytes Bytes(const std::string& Text);
// Raw deflate data (no zlib header) of Content.
TBytes RawDeflate(const TBytes& Content);
// Raw deflate data of Count bytes of value Byte, made without holding them:
// a flushed block of them repeated, then an empty final block.
TBytes DeflatedRun(uint64_t Count, uint8_t Byte = 0);
// The end record alone: an archive of no entries with the given comment.
TBytes EmptyArchive(const std::string& Comment = std::string());
