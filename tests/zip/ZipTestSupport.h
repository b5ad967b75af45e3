#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/Types.h"
#include "tests/support/FailureOf.h"
#include "tests/support/TempDir.h"
#include "zip/ZipFile.h"

// An archive written to a fresh folder, and a reader for it.
struct TArchiveFile {
    explicit TArchiveFile(const TBytes& Archive) : Path(Dir.Write(u"book.zip", Archive)) {}
    TTempDir Dir;
    std::u16string Path;
};

// The whole entry as a request of its own reads it.
inline TBytes ReadWhole(TZipFile& Zip, const std::u16string& Name, uint32_t Limit = Limits::ZipEntryBytes)
{
    TReadBudget Budget(Limits::RequestReadBytes);
    return Zip.Read(Name, Limit, Budget);
}

struct TOpenArchive : TArchiveFile {
    explicit TOpenArchive(const TBytes& Archive) : TArchiveFile(Archive) { Zip.Open(Path, zmRead); }
    TZipFile Zip;
};

