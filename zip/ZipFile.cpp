#include "zip/ZipFile.h"

#include <algorithm>
#include <limits>

#include "platform/CodePages.h"
#include "zip/EntryStream.h"
#include "zip/LimitedEntryStream.h"
#include "zip/ZipEndRecord.h"
#include "zip/ZipRecords.h"

std::u16string DecodeZipName(const TZipHeader& Header)
{
    const auto CodePage = Header.FileNameCodePage == platform::cpUtf8 ? platform::cpUtf8 : platform::cpOem437;
    return platform::MultiByteToWide(CodePage, Header.FileName);
}

namespace {

// FNV-1a over the name's UTF-16 units.
uint64_t NameHash(const std::u16string& Name)
{
    uint64_t Hash = 14695981039346656037ull;
    for (const char16_t Unit : Name) {
        Hash = (Hash ^ static_cast<uint64_t>(Unit)) * 1099511628211ull;
    }
    return Hash;
}

}

TZipFile::TZipFile() = default;

TZipFile::~TZipFile() { Close(); }

bool TZipFile::IsValid(const std::u16string& FileName)
{
    try {
        TFileStream File(FileName, fsShareDenyWrite);
        return IsValid(File);
    } catch (...) {
        return false;
    }
}

bool TZipFile::IsValid(TStream& Stream)
{
    try {
        TZipEndRecord Record;
        return FindEndRecord(Stream, Record);
    } catch (...) {
        return false;
    }
}

void TZipFile::Open(const std::u16string& FileName, TZipMode Mode)
{
    Close();
    if (Mode != zmRead)
        throw EZipException(SZipInvalidArgument);
    auto File = std::make_unique<TFileStream>(FileName, fsShareDenyWrite);
    OpenStream(*File, Mode);
    FFileStream = std::move(File);
}

void TZipFile::Open(TStream& Stream, TZipMode Mode)
{
    Close();
    if (Mode != zmRead)
        throw EZipException(SZipInvalidArgument);
    OpenStream(Stream, Mode);
}

bool TZipFile::OpenIfArchive(TStream& Stream)
{
    if (!IsValid(Stream))
        return false;
    Stream.SetPosition(0);
    Open(Stream, zmRead);
    return true;
}

void TZipFile::OpenStream(TStream& Stream, TZipMode Mode)
{
    if (Stream.Size() == 0)
        throw EZipException(SReadError);
    FStream = &Stream;
    try {
        FStartFileData = Stream.Position();
        ReadCentralDirectory();
        IndexNames();
    } catch (...) {
        FStream = nullptr;
        FFiles.clear();
        FNameIndex.clear();
        throw;
    }
    FMode = Mode;
}

void TZipFile::ReadCentralDirectory()
{
    FFiles.clear();
    TZipEndRecord Record;
    if (!FindEndRecord(*FStream, Record))
        throw EZipException(SZipReadError);
    const int64_t StreamSize = FStream->Size();
    // An absolute position: unlike local header offsets, not moved by
    // FStartFileData.
    FStream->Seek(Record.CentralDirectoryOffset, soBeginning);
    // The count is not trusted to size anything: every header must be read
    // in full, so a count the file cannot hold fails at the file's end.
    for (unsigned Entry = 0; Entry < Record.EntryCount; ++Entry) {
        TZipHeader Header;
        ReadCentralHeader(*FStream, StreamSize, Header);
        FFiles.push_back(std::move(Header));
    }
}

void TZipFile::IndexNames()
{
    FNameIndex.clear();
    FNameIndex.reserve(FFiles.size());
    for (size_t Index = 0; Index < FFiles.size(); ++Index)
        FNameIndex.emplace_back(NameHash(Decoded(FFiles[Index])), static_cast<int>(Index));
    std::sort(FNameIndex.begin(), FNameIndex.end());
}

std::u16string TZipFile::Decoded(const TZipHeader& Header) const
{
    ++FNamesDecoded;
    return DecodeZipName(Header);
}

void TZipFile::Close()
{
    FMode = zmClosed;
    FFiles.clear();
    FNameIndex.clear();
    FStream = nullptr;
    FFileStream.reset();
    FStartFileData = 0;
}

std::vector<std::u16string> TZipFile::FileNames() const
{
    if (FMode == zmClosed)
        throw EZipException(SZipNotOpen);
    std::vector<std::u16string> Names;
    Names.reserve(FFiles.size());
    for (const TZipHeader& Header : FFiles)
        Names.push_back(Decoded(Header));
    return Names;
}

int TZipFile::IndexOf(const std::u16string& Name) const
{
    const uint64_t Hash = NameHash(Name);
    auto At = std::lower_bound(FNameIndex.begin(), FNameIndex.end(), std::make_pair(Hash, 0));
    for (; At != FNameIndex.end() && At->first == Hash; ++At)
        if (Decoded(FFiles[static_cast<size_t>(At->second)]) == Name)
            return At->second;
    return -1;
}

const TZipHeader& TZipFile::FileInfo(int Index) const
{
    if (Index < 0 || static_cast<size_t>(Index) >= FFiles.size())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FFiles[static_cast<size_t>(Index)];
}

TZipFile::TOpenedEntry TZipFile::OpenEntry(const std::u16string& Name, TZipHeader& LocalHeader)
{
    const int Index = IndexOf(Name);
    if (FMode != zmRead && FMode != zmReadWrite)
        throw EZipException(SZipNotOpenForReading);
    if (Index < 0)
        throw EZipException(SZipFileNotFound);
    TOpenedEntry Entry;
    Entry.Central = &FFiles[static_cast<size_t>(Index)];
    FStream->Seek(FStartFileData + Entry.Central->LocalHeaderOffset, soBeginning);
    ReadLocalHeader(*FStream, LocalHeader);
    Entry.DataStart = FStream->Position();
    // The central directory's method picks the stream; the local one is not
    // consulted.
    Entry.Handler = ZipCompressionHandlers().Find(static_cast<TZipCompression>(Entry.Central->CompressionMethod & 0xFF));
    if (!Entry.Handler)
        throw EListError("Item not found");
    Entry.Stream = Entry.Handler->Decompress(*FStream, *this, *Entry.Central);
    return Entry;
}

std::unique_ptr<TStream> TZipFile::Read(const std::u16string& Name, TZipHeader& LocalHeader)
{
    return OpenEntry(Name, LocalHeader).Stream;
}

// What the rest of the file could possibly yield through the entry's method
// is less than its stated size.
bool TZipFile::FileCannotHold(const TZipHeader& Central, const TZipCompressionHandler& Handler,
                              int64_t DataStart) const
{
    const int64_t DataInFile = std::max<int64_t>(FStream->Size() - DataStart, 0);
    const int64_t Expansion = Handler.MaxExpansion;
    return Expansion > 0 && DataInFile <= std::numeric_limits<int64_t>::max() / Expansion &&
           DataInFile * Expansion < Central.UncompressedSize;
}

std::unique_ptr<TStream> TZipFile::ReadStream(const std::u16string& Name, uint32_t Limit, TReadBudget& Budget)
{
    TZipHeader LocalHeader;
    TOpenedEntry Entry = OpenEntry(Name, LocalHeader);
    if (LocalHeader.Flag & ZipFlagSizesFollowData)
        return nullptr;
    // The limit the entry's limited stream will have: what the budget leaves.
    const uint32_t EntryLimit = std::min(Limit, Limits::ZipEntryBytes);
    const TEntrySizes Sizes = SizesToRead(Entry, LocalHeader, Budget.Within(EntryLimit));
    return std::make_unique<TEntryStream>(*this, Name, std::move(Entry.Stream), EntryLimit, Budget, Sizes.Wanted,
                                          Sizes.Length);
}

TZipFile::TEntrySizes TZipFile::SizesToRead(const TOpenedEntry& Entry, const TZipHeader& LocalHeader,
                                            uint64_t Limit) const
{
    const uint32_t Length = Entry.Central->UncompressedSize;
    if (Length > Limit || FileCannotHold(*Entry.Central, *Entry.Handler, Entry.DataStart))
        throw EZipException(SZipReadError);
    return {std::min(LocalHeader.UncompressedSize, Length), Length};
}

uint64_t TZipFile::StatedSize(const std::u16string& Name) const
{
    const int Index = FMode == zmClosed ? -1 : IndexOf(Name);
    if (Index < 0)
        return 0;
    const TZipHeader& Central = FFiles[static_cast<size_t>(Index)];
    const TZipCompressionHandler* Handler =
        ZipCompressionHandlers().Find(static_cast<TZipCompression>(Central.CompressionMethod & 0xFF));
    // The data start at least a bare local header past its offset.
    constexpr int64_t LocalHeaderBytes = 30;
    if (!Handler || FileCannotHold(Central, *Handler, FStartFileData + Central.LocalHeaderOffset + LocalHeaderBytes))
        return 0;
    return Central.UncompressedSize;
}

TBytes TZipFile::Read(const std::u16string& Name, uint32_t Limit, TReadBudget& Budget)
{
    TZipHeader LocalHeader;
    const TOpenedEntry Entry = OpenEntry(Name, LocalHeader);
    TLimitedEntryStream Limited(*Entry.Stream, std::min(Limit, Limits::ZipEntryBytes), Budget);
    if (LocalHeader.Flag & ZipFlagSizesFollowData) {
        // The stated size is a hint only: one byte beyond the limit ends the read.
        return Limited.ReadAtMost(std::numeric_limits<uint64_t>::max());
    }
    const TEntrySizes Sizes = SizesToRead(Entry, LocalHeader, Limited.Limit());
    TBytes Result = Limited.ReadAtMost(Sizes.Wanted, Sizes.Length);
    if (Result.size() != Sizes.Wanted)
        throw EZipException(SZipReadError);
    // Kept as the reader has always answered: a local size below the central
    // one leaves the rest of the entry zero.
    Result.resize(Sizes.Length);
    return Result;
}
