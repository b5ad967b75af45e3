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

struct TOpenArchive : TArchiveFile {
    explicit TOpenArchive(const TBytes& Archive) : TArchiveFile(Archive) { Zip.Open(Path, zmRead); }
    TZipFile Zip;
};

