#include "zip/ZipRecords.h"

#include "core/ByteOrder.h"
#include "zip/ZipErrors.h"

namespace {

constexpr uint32_t CentralHeaderSignature = 0x02014B50;
constexpr uint32_t LocalHeaderSignature = 0x04034B50;
constexpr int64_t CentralHeaderFixedSize = 42; // after the signature
constexpr int64_t LocalHeaderFixedSize = 26;   // after the signature

// The fields that both headers have, in the same order: from "version needed
// to extract" to "extra field length".
void GetSharedFields(const uint8_t* F, TZipHeader& Header)
{
    Header.RequiredVersion = GetLE16(F + 0);   // version needed to extract
    Header.Flag = GetLE16(F + 2);              // general purpose bit flag
    Header.CompressionMethod = GetLE16(F + 4); // compression method
    Header.ModifiedDateTime = GetLE32(F + 6);  // last modification time, then date
    Header.CRC32 = GetLE32(F + 10);            // CRC-32
    Header.CompressedSize = GetLE32(F + 14);   // compressed size
    Header.UncompressedSize = GetLE32(F + 18); // uncompressed size
    Header.FileNameLength = GetLE16(F + 22);   // file name length
    Header.ExtraFieldLength = GetLE16(F + 24); // extra field length
}

unsigned NameCodePage(uint16_t Flag) { return Flag & ZipFlagUtf8Name ? 65001 : 437; }

template <typename TContainer>
void ReadCheckedPart(TStream& Stream, int64_t StreamSize, uint16_t Length, TContainer& Part)
{
    const int64_t Remaining = StreamSize - Stream.Position();
    if (Remaining < Length)
        throw EZipException(SZipReadError);
    Part.resize(Length);
    if (Length > 0 && Stream.Read(Part.data(), Length) != Length)
        throw EZipException(SZipReadError);
}

template <typename TContainer>
void ReadUncheckedPart(TStream& Stream, uint16_t Length, TContainer& Part)
{
    Part.resize(Length);
    const int64_t Got = Length > 0 ? Stream.Read(Part.data(), Length) : 0;
    Part.resize(static_cast<size_t>(Got > 0 ? Got : 0));
}

}

void ReadCentralHeader(TStream& Stream, int64_t StreamSize, TZipHeader& Header)
{
    uint8_t Signature[4];
    if (Stream.Read(Signature, 4) != 4)
        throw EZipException(SZipReadError);
    if (GetLE32(Signature) != CentralHeaderSignature)
        throw EZipException(SZipInvalidCentralHeader);
    uint8_t F[CentralHeaderFixedSize];
    if (Stream.Read(F, CentralHeaderFixedSize) != CentralHeaderFixedSize)
        throw EZipException(SZipReadError);
    // Offsets below count from the end of the signature.
    Header.MadeByVersion = GetLE16(F + 0); // version made by
    GetSharedFields(F + 2, Header);
    Header.FileCommentLength = GetLE16(F + 28);  // file comment length
    Header.DiskNumberStart = GetLE16(F + 30);    // disk number start
    Header.InternalAttributes = GetLE16(F + 32); // internal file attributes
    Header.ExternalAttributes = GetLE32(F + 34); // external file attributes
    Header.LocalHeaderOffset = GetLE32(F + 38);  // relative offset of local header
    ReadCheckedPart(Stream, StreamSize, Header.FileNameLength, Header.FileName);
    Header.FileNameCodePage = NameCodePage(Header.Flag);
    ReadCheckedPart(Stream, StreamSize, Header.ExtraFieldLength, Header.ExtraField);
    ReadCheckedPart(Stream, StreamSize, Header.FileCommentLength, Header.FileComment);
}

void ReadLocalHeader(TStream& Stream, TZipHeader& Header)
{
    Header = TZipHeader{};
    uint8_t Signature[4];
    if (Stream.Read(Signature, 4) != 4 || GetLE32(Signature) != LocalHeaderSignature)
        throw EZipException(SZipInvalidLocalHeader);
    uint8_t F[LocalHeaderFixedSize] = {};
    Stream.Read(F, LocalHeaderFixedSize);
    GetSharedFields(F, Header);
    ReadUncheckedPart(Stream, Header.FileNameLength, Header.FileName);
    Header.FileNameCodePage = NameCodePage(Header.Flag);
    ReadUncheckedPart(Stream, Header.ExtraFieldLength, Header.ExtraField);
}
