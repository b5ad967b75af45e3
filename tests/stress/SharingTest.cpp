#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "core/Exceptions.h"
#include "mobi/PalmDatabaseRO.h"
#include "platform/Files.h"
#include "tests/support/PdbBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipWriter.h"
#include "zip/ZipFile.h"

namespace {

// Opens the file for reading, denying writers as a reader of books does,
// and checks that the first bytes are the file's.
::testing::AssertionResult SecondReaderGets(const std::u16string& FileName, const TBytes& Bytes)
{
    platform::TFileHandle Other;
    std::string Error;
    if (!Other.OpenForReading(FileName, platform::smDenyWrite, Error))
        return ::testing::AssertionFailure() << "a second reader was refused: " << Error;
    uint8_t Head[16] = {};
    if (Other.Read(Head, sizeof Head) != static_cast<int64_t>(sizeof Head) || !std::equal(Head, Head + 16, Bytes.begin()))
        return ::testing::AssertionFailure() << "the second reader read other bytes";
    return ::testing::AssertionSuccess();
}

struct TSharingCase {
    const char* Name;
    std::u16string FileName;
    TBytes Bytes;
    // Opens the book with the reader under test; the result holds it open.
    std::function<std::shared_ptr<void>(const std::u16string&)> Hold;
};

TEST(Sharing, BooksHeldOpenByOurReadersCanBeReadByOthers)
{
    TTempDir Dir;
    TZipWriter Writer;
    Writer.Add("book.fb2", std::string("<FictionBook/>"), ZipDeflated);
    const TBytes Zip = Writer.Build();
    const TBytes Pdb = PdbFile({MarkedRecord(0), MarkedRecord(1)});

    const TSharingCase Cases[] = {
        {"zip", Dir.Write(u"book.fbz", Zip), Zip,
         [](const std::u16string& Name) {
             auto Archive = std::make_shared<TZipFile>();
             Archive->Open(Name, zmRead);
             return std::static_pointer_cast<void>(Archive);
         }},
        {"pdb", Dir.Write(u"book.mobi", Pdb), Pdb,
         [](const std::u16string& Name) { return std::shared_ptr<void>(TPalmPDB::CreateReadOnly(Name)); }},
    };
    for (const TSharingCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        std::shared_ptr<void> Held;
        ASSERT_NO_THROW(Held = Case.Hold(Case.FileName));
        ASSERT_TRUE(Held);
        EXPECT_TRUE(SecondReaderGets(Case.FileName, Case.Bytes));
        // And our reader opens a book another program is reading.
        platform::TFileHandle First;
        std::string Error;
        ASSERT_TRUE(First.OpenForReading(Case.FileName, platform::smDenyWrite, Error)) << Error;
        EXPECT_NO_THROW(Case.Hold(Case.FileName));
    }
}

}
