#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/Types.h"
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

// Runs Action and gives the message of the exception of class E it raised;
// fails the test when it raised none or another class.
template <typename E, typename F>
std::string FailureOf(F&& Action)
{
    try {
        Action();
    } catch (const E& Error) {
        return Error.what();
    } catch (const std::exception& Error) {
        ADD_FAILURE() << "raised another class: " << Error.what();
        return "";
    }
    ADD_FAILURE() << "raised nothing";
    return "";
}
