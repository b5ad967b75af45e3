#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "epub/EpubCover.h"
#include "tests/support/EpubBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipWriter.h"
#include "core/Limits.h"
#include "core/ReadBudget.h"

namespace {

const std::string CoverItem = "<item id=\"c\" href=\"images/cover.jpg\" media-type=\"image/jpeg\"/>";
const std::string CoverMeta = "<meta name=\"cover\" content=\"c\"/>";

// The cover bytes the route reads from a book, as text: each test's entries
// hold distinct marker texts instead of pictures.
class EpubCover : public ::testing::Test {
protected:
    std::string Cover(const TEpubBook& Book)
    {
        const std::u16string Path = Dir.Write(u"book.epub", BuildEpub(Book));
        TZipFile Zip;
        Zip.Open(Path, zmRead);
        TReadBudget Budget(Limits::RequestReadBytes);
        const TBytes Picture = ExtractEpubCover(Zip, Budget);
        return std::string(Picture.begin(), Picture.end());
    }
    static TEpubBook Book(const std::string& Metadata, const std::string& Manifest,
                          std::vector<std::pair<std::string, TBytes>> Entries = {
                              {"OEBPS/images/cover.jpg", Bytes("OEBPS-COVER")}})
    {
        TEpubBook Book;
        Book.Package = EpubPackage(Metadata, Manifest);
        Book.Entries = std::move(Entries);
        return Book;
    }
    TTempDir Dir;
};

TEST(EpubPaths, ZipDirAndReferenceResolution)
{
    EXPECT_EQ(ExtractZipDir(u"OEBPS/content.opf"), u"OEBPS/");
    EXPECT_EQ(ExtractZipDir(u"content.opf"), u"");
    EXPECT_EQ(ExtractZipDir(u"OPS\\text\\package.opf"), u"") << "only '/' separates";

    struct {
        const char16_t* Base;
        const char16_t* Reference;
        const char16_t* Entry;
    } const Cases[] = {
        {u"OEBPS/", u"images/cover.jpg", u"OEBPS/images/cover.jpg"},
        {u"", u"images/cover.jpg", u"images/cover.jpg"},
        {u"OEBPS/", u"../cover.jpg", u"cover.jpg"},
        {u"OPS/text/", u"../images/c.jpg", u"images/c.jpg"},
        {u"OEBPS/", u"images/../cover.jpg", u"images/cover.jpg"},
        {u"OEBPS/", u"cover%20image.jpg", u"OEBPS/cover%20image.jpg"},
        {u"OEBPS/", u"./cover.jpg#x", u"OEBPS/./cover.jpg#x"},
        {u"A/", u"...//x", u"./x"},
        {u"A/", u"..../x", u"..x"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(ResolveCoverEntryName(Case.Base, Case.Reference), Case.Entry) << Utf8(Case.Reference);
}

TEST_F(EpubCover, PackageInAFolderOrAtTheRoot)
{
    EXPECT_EQ(Cover(Book(CoverMeta, CoverItem)), "OEBPS-COVER");

    TEpubBook Root = Book(CoverMeta, CoverItem, {{"images/cover.jpg", Bytes("ROOT-COVER")}});
    Root.Container = EpubContainer({"content.opf"});
    Root.PackagePath = "content.opf";
    EXPECT_EQ(Cover(Root), "ROOT-COVER");
}

TEST_F(EpubCover, ParentReferencesNameEntriesFromTheRoot)
{
    const auto Entries = std::vector<std::pair<std::string, TBytes>>{
        {"cover.jpg", Bytes("TOP")}, {"images/cover.jpg", Bytes("IMAGES")}, {"OEBPS/images/cover.jpg", Bytes("OEBPS")}};
    EXPECT_EQ(Cover(Book(CoverMeta, "<item id=\"c\" href=\"../cover.jpg\"/>", Entries)), "TOP");
    EXPECT_EQ(Cover(Book(CoverMeta, "<item id=\"c\" href=\"images/../cover.jpg\"/>", Entries)), "IMAGES");

    TEpubBook Deep = Book(CoverMeta, "<item id=\"c\" href=\"../images/c.jpg\"/>", {{"OPS/images/c.jpg", Bytes("X")}});
    Deep.Container = EpubContainer({"OPS/text/package.opf"});
    Deep.PackagePath = "OPS/text/package.opf";
    EXPECT_THROW(Cover(Deep), EZipException) << "images/c.jpg is not in the archive";
}

TEST_F(EpubCover, EscapesAreLookedUpAsTheyStand)
{
    EXPECT_EQ(Cover(Book(CoverMeta, "<item id=\"c\" href=\"cover%20image.jpg\"/>",
                         {{"OEBPS/cover%20image.jpg", Bytes("ESCAPED")}, {"OEBPS/cover image.jpg", Bytes("SPACE")}})),
              "ESCAPED");
}

TEST_F(EpubCover, WhichMetaNamesTheCover)
{
    const std::string TwoItems = "<item id=\"img1\" href=\"one.jpg\"/><item id=\"img2\" href=\"two.jpg\"/>";
    const auto Entries =
        std::vector<std::pair<std::string, TBytes>>{{"OEBPS/one.jpg", Bytes("ONE")}, {"OEBPS/two.jpg", Bytes("TWO")}};
    EXPECT_EQ(Cover(Book("<meta name=\"COVER\" content=\"img1\"/>", TwoItems, Entries)), "ONE");
    EXPECT_EQ(Cover(Book("<opf:meta name=\"cover\" content=\"img1\"/>", TwoItems, Entries)), "");
    EXPECT_EQ(Cover(Book("<meta name=\"cover\" content=\"img1\"/><meta name=\"cover\" content=\"img2\"/>", TwoItems,
                         Entries)),
              "TWO");
    EXPECT_EQ(Cover(Book("<meta name=\"cover\" content=\"img1\"/><meta name=\"cover\"/>", TwoItems, Entries)), "")
        << "the last cover meta decides even without content";
    EXPECT_EQ(Cover(Book("<!-- a comment --><?pi data?><meta name=\"cover\" content=\"img2\"/><!-- end -->",
                         "<!-- items --><?pi x?>" + TwoItems, Entries)),
              "TWO");
}

TEST_F(EpubCover, WhichManifestItemIsTheCover)
{
    const auto Entries =
        std::vector<std::pair<std::string, TBytes>>{{"OEBPS/one.jpg", Bytes("ONE")}, {"OEBPS/two.jpg", Bytes("TWO")}};
    EXPECT_EQ(Cover(Book("<meta name=\"cover\" content=\"Cover-Image\"/>",
                         "<item id=\"cover-image\" href=\"one.jpg\"/>", Entries)),
              "")
        << "ids compare exactly";
    EXPECT_EQ(Cover(Book(CoverMeta, "<item id=\"c\" href=\"one.jpg\"/><other id=\"c\" href=\"two.jpg\"/>", Entries)),
              "TWO")
        << "the last child with the id wins, whatever its name";
    EXPECT_EQ(Cover(Book(CoverMeta, "<item id=\"c\" href=\"one.jpg\"/><item id=\"c\"/>", Entries)), "");
}

TEST_F(EpubCover, ContainerVariants)
{
    TEpubBook Prefixed = Book(CoverMeta, CoverItem);
    Prefixed.Container = "<ocf:container xmlns:ocf=\"urn:oasis:names:tc:opendocument:xmlns:container\">"
                         "<ocf:rootfiles><ocf:rootfile full-path=\"OEBPS/content.opf\"/></ocf:rootfiles>"
                         "</ocf:container>";
    EXPECT_EQ(Cover(Prefixed), "");

    TEpubBook TwoRootfiles = Book(CoverMeta, CoverItem);
    TwoRootfiles.Container = EpubContainer({"OEBPS/content.opf", "other.opf"});
    EXPECT_EQ(Cover(TwoRootfiles), "OEBPS-COVER");

    TEpubBook Empty = Book(CoverMeta, CoverItem);
    Empty.Container.clear();
    EXPECT_EQ(Cover(Empty), "") << "an empty container is no error";

    TEpubBook Missing = Book(CoverMeta, CoverItem);
    Missing.HasContainer = false;
    EXPECT_THROW(Cover(Missing), EZipException);

    TEpubBook Broken = Book(CoverMeta, CoverItem);
    Broken.Container = "<container><rootfiles>";
    EXPECT_THROW(Cover(Broken), Exception);
}

TEST_F(EpubCover, PackageVariants)
{
    EXPECT_EQ(Cover(Book("", CoverItem)), "") << "no cover meta";
    TEpubBook NoManifest;
    NoManifest.Package = "<package><metadata>" + CoverMeta + "</metadata></package>";
    EXPECT_EQ(Cover(NoManifest), "");
    TEpubBook MissingPackage = Book(CoverMeta, CoverItem);
    MissingPackage.PackagePath.clear();
    EXPECT_THROW(Cover(MissingPackage), EZipException);
}

}
