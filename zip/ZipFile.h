#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/FileStream.h"
#include "core/Limits.h"
#include "core/ReadBudget.h"
#include "core/Stream.h"
#include "core/Types.h"
#include "zip/ZipCompressionHandlers.h"
#include "zip/ZipErrors.h"
#include "zip/ZipHeader.h"

// Read-only ZIP archive reader: the central directory is read once by Open,
// entries are read on demand through the archive stream.
class TZipFile {
public:
    TZipFile();
    ~TZipFile();
    TZipFile(const TZipFile&) = delete;
    TZipFile& operator=(const TZipFile&) = delete;

    // Whether the file has an end of central directory record. Never raises.
    static bool IsValid(const std::u16string& FileName);
    // The same for a stream, read from its start; its position is left anywhere.
    static bool IsValid(TStream& Stream);
    // Opens the file for reading (others may read it meanwhile, none may write)
    // and reads the central directory. Only zmRead is accepted.
    void Open(const std::u16string& FileName, TZipMode Mode);
    // The same over a stream that the caller owns and keeps alive until Close.
    // Local header offsets count from the stream's position at this call.
    void Open(TStream& Stream, TZipMode Mode);
    // Opens the archive in Stream, from its start, for reading when the
    // stream holds an end record; false, and nothing open, when it holds none.
    bool OpenIfArchive(TStream& Stream);
    void Close();

    TZipMode Mode() const { return FMode; }
    // Decoded names of all entries, in central directory order.
    std::vector<std::u16string> FileNames() const;
    // Index of the first entry whose name is exactly Name, or -1. Looked up
    // in an index of the names built once at opening: a lookup decodes only
    // the entries whose names hash alike.
    int IndexOf(const std::u16string& Name) const;
    // How many entry names this reader has decoded since it was made: each
    // once at opening, then one a lookup and every one a FileNames.
    uint64_t NamesDecoded() const { return FNamesDecoded; }
    int FileCount() const { return static_cast<int>(FFiles.size()); }
    // The central directory header of an entry; EListError for a bad index.
    const TZipHeader& FileInfo(int Index) const;

    // The whole uncompressed entry, read through a TLimitedEntryStream: at
    // most Limit bytes (never above Limits::ZipEntryBytes, nor what Budget has
    // left), every byte read charged to Budget, also when the read then
    // fails. EZipException "Error reading zip file" when the entry is larger,
    // by its stated size before anything is held, or by what it yields.
    // An entry with its sizes before the data is its central size long: the
    // local size, when smaller, is how much is read, the rest left zero.
    TBytes Read(const std::u16string& Name, uint32_t Limit, TReadBudget& Budget);
    // The same bytes, checks and charges as a stream (see TEntryStream),
    // valid while this reader is open, to be read without holding the entry
    // whole; nullptr for an entry whose sizes follow its data, which only
    // the whole read bounds.
    std::unique_ptr<TStream> ReadStream(const std::u16string& Name, uint32_t Limit, TReadBudget& Budget);
    // The uncompressed size the central directory states for the entry
    // Name, or 0 when no entry has that name, its method is unknown, or the
    // rest of the file could not yield that much through its method: a hint
    // to size a buffer by, never a bound on what reading the entry yields.
    uint64_t StatedSize(const std::u16string& Name) const;
    // A stream over the uncompressed entry (valid while this reader is open)
    // and the entry's local header; unbounded: wrap it in a
    // TLimitedEntryStream to read it.
    std::unique_ptr<TStream> Read(const std::u16string& Name, TZipHeader& LocalHeader);

private:
    struct TOpenedEntry {
        std::unique_ptr<TStream> Stream;
        const TZipHeader* Central = nullptr;
        const TZipCompressionHandler* Handler = nullptr;
        int64_t DataStart = 0;
    };

    void OpenStream(TStream& Stream, TZipMode Mode);
    void ReadCentralDirectory();
    void IndexNames();
    std::u16string Decoded(const TZipHeader& Header) const;
    TOpenedEntry OpenEntry(const std::u16string& Name, TZipHeader& LocalHeader);
    bool FileCannotHold(const TZipHeader& Central, const TZipCompressionHandler& Handler, int64_t DataStart) const;
    // How much of an entry a read takes: Length, its central size, of which
    // the data give Wanted (the local size, when smaller; the rest reads as
    // zeros). EZipException when Length is above Limit or more than the rest
    // of the file could yield.
    struct TEntrySizes {
        uint32_t Wanted, Length;
    };
    TEntrySizes SizesToRead(const TOpenedEntry& Entry, const TZipHeader& LocalHeader, uint64_t Limit) const;

    TZipMode FMode = zmClosed;
    TStream* FStream = nullptr;
    std::unique_ptr<TFileStream> FFileStream;
    int64_t FStartFileData = 0;
    std::vector<TZipHeader> FFiles;
    // Each entry's decoded name's hash with its index, sorted by both: equal
    // names keep central directory order, so the first is the one found.
    std::vector<std::pair<uint64_t, int>> FNameIndex;
    mutable uint64_t FNamesDecoded = 0;
};

// The entry's name as text: UTF-8 when bit 11 of its flag is set, else code
// page 437.
std::u16string DecodeZipName(const TZipHeader& Header);
