#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/Exceptions.h"
#include "core/FileStream.h"
#include "core/Strings.h"
#include "platform/CodePages.h"
#include "platform/IniFile.h"
#include "tests/support/TempDir.h"

namespace {

using platform::cpOem437;
using platform::cpUtf8;

TEST(CodePages, Cp437UpperHalf)
{
    EXPECT_EQ(platform::MultiByteToWide(cpOem437, std::string("\x81")), u"\u00FC");
    EXPECT_EQ(platform::MultiByteToWide(cpOem437, std::string("A\xE1\xFF")), u"A\u00DF\u00A0");
}

TEST(CodePages, Utf8MalformedInputIsReplaced)
{
    EXPECT_EQ(platform::MultiByteToWide(cpUtf8, std::string("\xC3\xBC")), u"\u00FC");
    EXPECT_EQ(platform::MultiByteToWide(cpUtf8, std::string("\xF0\x9F\x98\x80")), u"\U0001F600");
    // A lone continuation byte, a truncated sequence and an overlong form.
    EXPECT_EQ(platform::MultiByteToWide(cpUtf8, std::string("a\x80z")), u"a\uFFFDz");
    EXPECT_EQ(platform::MultiByteToWide(cpUtf8, std::string("a\xE2\x82")), u"a\uFFFD");
    EXPECT_EQ(platform::MultiByteToWide(cpUtf8, std::string("\xC0\xAF")), u"\uFFFD\uFFFD");
}

// Text counted well-formed must come back unchanged from UTF-16, and
// nothing else may.
TEST(CodePages, WellFormedUtf8IsExactlyWhatConvertsBackUnchanged)
{
    const struct {
        std::string Text;
        bool WellFormed;
    } Cases[] = {
        {"", true},
        {"plain", true},
        {"\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xEF\xBF\xBD", true},
        {"\xF4\x8F\xBF\xBF", true},
        {"\xC0\xAF", false},
        {"\xE0\x80\xAF", false},
        {"\xED\xA0\x80", false},
        {"\xF4\x90\x80\x80", false},
        {"\xF5\x80\x80\x80", false},
        {"a\x80", false},
        {"a\xE2\x82", false},
        {"\xE2\x82z", false},
        {"\xFF", false},
        // Two-byte characters at the edges of their range, and after words of ASCII.
        {"\xC2\x80\xDF\xBF", true},
        {"\xC1\xBF", false},
        {"\xC2", false},
        {"\xC2z", false},
        {"\xC2\xC0", false},
        {"abcdefgh\x80", false},
        {"abcdefghijklmnop\xD0", false},
        {"abcdefghijklmnopqrs\xD0\x9A", true},
        {"\xD0\x9A abcdefghijklmnop\xE2\x82\xAC", true},
    };
    for (const auto& Case : Cases) {
        EXPECT_EQ(platform::IsWellFormedUtf8(Case.Text.data(), Case.Text.size()), Case.WellFormed) << Case.Text;
        EXPECT_EQ(platform::WideToMultiByte(cpUtf8, platform::MultiByteToWide(cpUtf8, Case.Text)) == Case.Text,
                  Case.WellFormed)
            << Case.Text;
    }
    // Runs of ASCII, Cyrillic letters, a euro sign and single lead or trail
    // bytes, long enough to cross several words, which the check must judge
    // as the round trip does.
    const unsigned char Alphabet[] = {'a', 0x80, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xED, 0xF0, 0xF4, 0xF5};
    const std::string Pieces[] = {"a", "\xD0\x9A", "\xD1\x8F", "\xE2\x82\xAC"};
    uint32_t State = 1;
    for (int Run = 0; Run < 20000; ++Run) {
        std::string Text;
        State = State * 1103515245 + 12345;
        const uint32_t OddOneIn = 2 + (State >> 24) % 40;
        for (uint32_t Length = State >> 16 & 63; Length > 0; --Length) {
            State = State * 1103515245 + 12345;
            if ((State >> 16) % OddOneIn == 0)
                Text += static_cast<char>(Alphabet[(State >> 20) % sizeof Alphabet]);
            else
                Text += Pieces[(State >> 20) % (Run % 2 ? 3 : 4)];
        }
        EXPECT_EQ(platform::IsWellFormedUtf8(Text.data(), Text.size()),
                  platform::WideToMultiByte(cpUtf8, platform::MultiByteToWide(cpUtf8, Text)) == Text)
            << Text;
    }
}

TEST(CodePages, LowerCasingIsUnicodeAware)
{
    std::u16string Text = u".MOBI.\u00C9PUB.\u0416";
    platform::LowerCase(Text);
    EXPECT_EQ(Text, u".mobi.\u00E9pub.\u0436");
}

TEST(FileNames, ExtensionsAndIniNames)
{
    EXPECT_EQ(ExtractFileExt(u"C:\\Books\\Novel.MOBI"), u".MOBI");
    EXPECT_EQ(ExtractFileExt(u"C:\\Books.d\\Novel"), u"");
    EXPECT_EQ(ExtractFileExt(u"C:Novel"), u"");
    EXPECT_EQ(ExtractFileExt(u"book.fb2.zip"), u".zip");
    EXPECT_EQ(ChangeFileExt(u"C:\\Plugins\\brisleaf\\brisleaf.dll", u".ini"), u"C:\\Plugins\\brisleaf\\brisleaf.ini");
    EXPECT_EQ(ChangeFileExt(u"C:\\Plugins\\brisleaf", u".ini"), u"C:\\Plugins\\brisleaf.ini");
}

class IniFile : public ::testing::Test {
protected:
    std::u16string Read(const std::string& Text, const std::u16string& Key, const std::u16string& Section = u"brisleaf")
    {
        return platform::ReadIniString(Dir.Write(u"settings.ini", Text), Section, Key, u"dflt");
    }
    TTempDir Dir;
};

TEST_F(IniFile, NamesIgnoreCaseAndBlanksAreTrimmed)
{
    const std::string Text = "[other]\nKey=wrong\n[ BrisLeaf ]\n  key  =  value one  \nEmpty=\n";
    EXPECT_EQ(Read(Text, u"KEY"), u"value one");
    EXPECT_EQ(Read(Text, u"Empty"), u"");
    EXPECT_EQ(Read(Text, u"Missing"), u"dflt");
    EXPECT_EQ(Read(Text, u"Key", u"nosuch"), u"dflt");
}

TEST_F(IniFile, MissingFileGivesTheDefault)
{
    EXPECT_EQ(platform::ReadIniString(Dir.Path(u"none.ini"), u"brisleaf", u"Key", u"0"), u"0");
}

TEST_F(IniFile, CrLfLinesAndLongValues)
{
    EXPECT_EQ(Read("[brisleaf]\r\nKey=1\r\n", u"Key"), u"1");
    const std::string Long(3000, 'x');
    EXPECT_EQ(Read("[brisleaf]\nKey=" + Long + "\n", u"Key").size(), 2047u);
}

TEST(FileStream, MissingFileNamesItsPath)
{
    TTempDir Dir;
    const std::u16string Missing = Dir.Path(u"missing.fb2");
    try {
        TFileStream Stream(Missing, fsShareDenyWrite);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& Error) {
        const std::string Expected = "Cannot open file \"" + Utf8(Missing) + "\". ";
        EXPECT_EQ(std::string(Error.what()).substr(0, Expected.size()), Expected);
        EXPECT_GT(std::string(Error.what()).size(), Expected.size()) << "the system's error text follows";
    }
}

TEST(FileStream, ReadsSeeksAndReportsItsSize)
{
    TTempDir Dir;
    TFileStream Stream(Dir.Write(u"data.bin", std::string("0123456789")), fsShareExclusive);
    char Buffer[4] = {};
    EXPECT_EQ(Stream.Size(), 10);
    Stream.SetPosition(6);
    EXPECT_EQ(Stream.Read(Buffer, 4), 4);
    EXPECT_EQ(std::string(Buffer, 4), "6789");
    EXPECT_EQ(Stream.Read(Buffer, 4), 0);
    EXPECT_THROW(Stream.ReadBuffer(Buffer, 1), EReadError);
}

}
