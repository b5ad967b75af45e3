#include "tests/support/ZipWriter.h"

#include <stdexcept>

#include <zlib.h>

#include "tests/support/LittleEndian.h"

namespace {

void Append(TBytes& Out, const TBytes& Part) { Out.insert(Out.end(), Part.begin(), Part.end()); }
void Append(TBytes& Out, const std::string& Part) { Out.insert(Out.end(), Part.begin(), Part.end()); }

// Content through a fresh raw deflate stream, ended with the given flush.
TBytes DeflateWith(const TBytes& Content, int Flush, int Level = Z_DEFAULT_COMPRESSION)
{
    z_stream Stream{};
    if (deflateInit2(&Stream, Level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    TBytes Out(deflateBound(&Stream, static_cast<uLong>(Content.size())) + 64);
    Stream.next_in = const_cast<Bytef*>(Content.data());
    Stream.avail_in = static_cast<uInt>(Content.size());
    Stream.next_out = Out.data();
    Stream.avail_out = static_cast<uInt>(Out.size());
    const int Result = deflate(&Stream, Flush);
    const bool Done = Flush == Z_FINISH ? Result == Z_STREAM_END : Result == Z_OK && Stream.avail_in == 0;
    Out.resize(Stream.total_out);
    deflateEnd(&Stream);
    if (!Done)
        throw std::runtime_error("deflate failed");
    return Out;
}

struct TLaidOut {
    TBytes Data;
    uint32_t CRC = 0;
};

TLaidOut LayOut(const TZipWriterEntry& Entry)
{
    TLaidOut Result;
    Result.CRC = static_cast<uint32_t>(crc32(0, Entry.Content.data(), static_cast<uInt>(Entry.Content.size())));
    if (Entry.Data)
        Result.Data = *Entry.Data;
    else if (Entry.Method == ZipDeflated)
        Result.Data = RawDeflate(Entry.Content);
    else
        Result.Data = Entry.Content;
    return Result;
}

}

TBytes Bytes(const std::string& Text) { return TBytes(Text.begin(), Text.end()); }

TBytes RawDeflate(const TBytes& Content) { return DeflateWith(Content, Z_FINISH); }

TBytes DeflatedRun(uint64_t Count, uint8_t Byte)
{
    constexpr uint64_t Block = 1 << 20;
    TBytes Out;
    if (Count >= Block) {
        // A full flush ends byte-aligned with no history, so the piece can
        // follow itself any number of times.
        const TBytes Piece = DeflateWith(TBytes(Block, Byte), Z_FULL_FLUSH, Z_BEST_COMPRESSION);
        Out.reserve(Piece.size() * (Count / Block) + 64);
        for (uint64_t I = 0; I < Count / Block; ++I)
            Append(Out, Piece);
    }
    if (Count % Block)
        Append(Out, DeflateWith(TBytes(static_cast<size_t>(Count % Block), Byte), Z_FULL_FLUSH, Z_BEST_COMPRESSION));
    Append(Out, DeflateWith(TBytes(), Z_FINISH));
    return Out;
}

TZipWriterEntry& TZipWriter::Add(const std::string& Name, const TBytes& Content, uint16_t Method)
{
    TZipWriterEntry Entry;
    Entry.Name = Name;
    Entry.Content = Content;
    Entry.Method = Method;
    FEntries.push_back(std::move(Entry));
    return FEntries.back();
}

TZipWriterEntry& TZipWriter::Add(const std::string& Name, const std::string& Content, uint16_t Method)
{
    return Add(Name, Bytes(Content), Method);
}

TZipWriter& TZipWriter::Comment(const std::string& Text)
{
    FComment = Text;
    return *this;
}

TZipWriter& TZipWriter::Stub(const TBytes& Bytes, bool OffsetsFromFileStart)
{
    FStub = Bytes;
    FOffsetsFromFileStart = OffsetsFromFileStart;
    return *this;
}

TBytes TZipWriter::Build() const
{
    TBytes Out = FStub;
    const uint32_t Base = FOffsetsFromFileStart ? static_cast<uint32_t>(FStub.size()) : 0;
    const size_t ArchiveStart = FStub.size();
    auto Offset = [&] { return static_cast<uint32_t>(Out.size() - ArchiveStart) + Base; };
    TBytes Central;
    for (const TZipWriterEntry& Entry : FEntries) {
        const TLaidOut Laid = LayOut(Entry);
        const auto CompressedSize = static_cast<uint32_t>(Laid.Data.size());
        const auto UncompressedSize = static_cast<uint32_t>(Entry.Content.size());
        const bool Descriptor = Entry.Flag & ZipBit3;
        const uint32_t LocalOffset = Offset();

        Put32(Out, Entry.LocalSignature);
        Put16(Out, 20);                                 // version needed
        Put16(Out, Entry.Flag);
        Put16(Out, Entry.LocalMethod.value_or(Entry.Method));
        Put32(Out, 0x5A8C6E21);                         // modification time and date
        Put32(Out, Descriptor ? 0 : Laid.CRC);
        Put32(Out, Entry.LocalCompressedSize.value_or(Descriptor ? 0 : CompressedSize));
        Put32(Out, Entry.LocalUncompressedSize.value_or(Descriptor ? 0 : UncompressedSize));
        Put16(Out, static_cast<uint32_t>(Entry.Name.size()));
        Put16(Out, static_cast<uint32_t>(Entry.Extra.size()));
        Append(Out, Entry.Name);
        Append(Out, Entry.Extra);
        Append(Out, Laid.Data);
        if (Descriptor) {
            Put32(Out, 0x08074B50);
            Put32(Out, Laid.CRC);
            Put32(Out, CompressedSize);
            Put32(Out, UncompressedSize);
        }

        Put32(Central, Entry.CentralSignature);
        Put16(Central, 0x031E);                         // made by: Unix, 3.0
        Put16(Central, 20);
        Put16(Central, Entry.Flag);
        Put16(Central, Entry.Method);
        Put32(Central, 0x5A8C6E21);
        Put32(Central, Laid.CRC);
        Put32(Central, Entry.CentralCompressedSize.value_or(CompressedSize));
        Put32(Central, Entry.CentralUncompressedSize.value_or(UncompressedSize));
        Put16(Central, static_cast<uint32_t>(Entry.Name.size()));
        Put16(Central, static_cast<uint32_t>(Entry.Extra.size()));
        Put16(Central, static_cast<uint32_t>(Entry.Comment.size()));
        Put16(Central, 0);                              // disk number start
        Put16(Central, 1);                              // internal attributes: text
        Put32(Central, 0x81A40000);                     // external attributes: -rw-r--r--
        Put32(Central, LocalOffset);
        Append(Central, Entry.Name);
        Append(Central, Entry.Extra);
        Append(Central, Entry.Comment);
    }
    const uint32_t CentralOffset = Offset();
    Append(Out, Central);
    const auto Count = static_cast<uint16_t>(FEntries.size());
    Put32(Out, 0x06054B50);
    Put16(Out, 0);                                      // this disk
    Put16(Out, 0);                                      // disk of the central directory
    Put16(Out, Count);
    Put16(Out, EntryCount.value_or(Count));
    Put32(Out, static_cast<uint32_t>(Central.size()));
    Put32(Out, CentralDirectoryOffset.value_or(CentralOffset));
    Put16(Out, static_cast<uint32_t>(FComment.size()));
    Append(Out, FComment);
    return Out;
}

TBytes EmptyArchive(const std::string& Comment) { return TZipWriter().Comment(Comment).Build(); }
