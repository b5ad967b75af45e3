#include <gtest/gtest.h>

#include "plugin/PreviewDriver.h"
#include "tests/support/TempDir.h"

namespace {

TEST(MakeLongPath, ShortNamesAreKept)
{
    const std::u16string Name = u"C:\\" + std::u16string(256, u'a');
    ASSERT_EQ(Name.size(), 259u);
    EXPECT_EQ(MakeLongPath(Name), Name);
}

TEST(MakeLongPath, LongDriveNamesGetThePrefix)
{
    const std::u16string Name = u"C:\\" + std::u16string(257, u'a');
    ASSERT_EQ(Name.size(), 260u);
    EXPECT_EQ(MakeLongPath(Name), u"\\\\?\\" + Name);
}

TEST(MakeLongPath, LongUncNamesBecomeUncPaths)
{
    const std::u16string Rest = u"server\\share\\" + std::u16string(300 - 15, u'b');
    const std::u16string Name = u"\\\\" + Rest;
    ASSERT_EQ(Name.size(), 300u);
    EXPECT_EQ(MakeLongPath(Name), u"\\\\?\\UNC\\" + Rest);
}

TEST(MakeLongPath, NamesHoldingThePrefixAnywhereAreKept)
{
    const std::u16string Name = u"\\\\?\\C:\\" + std::u16string(300, u'c');
    EXPECT_EQ(MakeLongPath(Name), Name);
    const std::u16string Inner = u"C:\\x\\\\?\\" + std::u16string(300, u'c');
    EXPECT_EQ(MakeLongPath(Inner), Inner);
}

TEST(Routing, ExtensionKeyOfTheNameAsPassed)
{
    EXPECT_EQ(ChooseRoute(ExtensionKey(u"C:\\Books\\Novel.MOBI")), TRoute::Mobipocket);
    for (const char16_t* Name : {u"a.azw", u"a.AZW3", u"a.azw4", u"a.Kf8"})
        EXPECT_EQ(ChooseRoute(ExtensionKey(Name)), TRoute::Mobipocket) << Utf8(Name);
    for (const char16_t* Name : {u"a.fbz", u"a.FB2Z", u"a.zfb2", u"a.fb2.zip", u"a.ZIP"})
        EXPECT_EQ(ChooseRoute(ExtensionKey(Name)), TRoute::ZippedFB2) << Utf8(Name);
    EXPECT_EQ(ChooseRoute(ExtensionKey(u"Book.EPUB")), TRoute::Epub);
    for (const char16_t* Name : {u"Novel.Fb2", u"Novel.txt", u"Novel", u"C:\\dir.epub\\Novel", u"Novel.mobi.bak"})
        EXPECT_EQ(ChooseRoute(ExtensionKey(Name)), TRoute::PlainFB2) << Utf8(Name);
}

// Missing files, empty files and files of the wrong kind end in no preview
// on every route, and no exception leaves the request.
class NoPreview : public ::testing::TestWithParam<const char16_t*> {};

TEST_P(NoPreview, MissingEmptyAndForeignFiles)
{
    TTempDir Dir;
    const std::u16string Extension = GetParam();
    const TPluginSettings Settings;
    EXPECT_EQ(GetPreviewBitmap(Dir.Path(u"missing" + Extension), 96, 96, Settings), nullptr);
    EXPECT_EQ(GetPreviewBitmap(Dir.Write(u"empty" + Extension, std::string()), 96, 96, Settings), nullptr);
    EXPECT_EQ(GetPreviewBitmap(Dir.Write(u"text" + Extension, std::string("not a book at all\n")), 96, 96, Settings),
              nullptr);
    EXPECT_EQ(GetPreviewBitmap(Dir.Root(), 96, 96, Settings), nullptr) << "a folder";
    EXPECT_EQ(GetPreviewBitmap(std::u16string(), 96, 96, Settings), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Routes, NoPreview,
                         ::testing::Values(u".fb2", u".txt", u"", u".zip", u".fbz", u".epub", u".mobi", u".kf8"));

}
