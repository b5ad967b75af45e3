#include <gtest/gtest.h>

#include "host/Options.h"

namespace {

bool Parse(std::vector<std::u16string> Arguments, THostOptions& Options)
{
    std::string Error;
    return ParseHostOptions(Arguments, Options, Error);
}

TEST(HostOptions, ThumbnailerForm)
{
    THostOptions Options;
    ASSERT_TRUE(Parse({u"-s", u"256", u"book.epub", u"out.png"}, Options));
    EXPECT_EQ(Options.Width, 256);
    EXPECT_EQ(Options.Height, 256);
    ASSERT_EQ(Options.Inputs.size(), 1u);
    EXPECT_EQ(Options.Inputs[0], u"book.epub");
    EXPECT_EQ(Options.Output, u"out.png");
}

TEST(HostOptions, BoxIsPassedSignedAndUnchanged)
{
    THostOptions Options;
    ASSERT_TRUE(Parse({u"--box", u"-5x0", u"book.fb2"}, Options));
    EXPECT_EQ(Options.Width, -5);
    EXPECT_EQ(Options.Height, 0);
    ASSERT_TRUE(Parse({u"--box", u"300x-20", u"book.fb2"}, Options));
    EXPECT_EQ(Options.Width, 300);
    EXPECT_EQ(Options.Height, -20);
    EXPECT_EQ(Options.Output, u"");
}

TEST(HostOptions, UsageErrors)
{
    for (const std::vector<std::u16string>& Arguments : std::vector<std::vector<std::u16string>>{
             {},
             {u"-s"},
             {u"-s", u"0", u"b"},
             {u"-s", u"12x", u"b"},
             {u"--box", u"12", u"b"},
             {u"--box", u"99999999999x1", u"b"},
             {u"--frobnicate", u"b"},
             {u"a", u"b", u"c"},
             {u"-j", u"0", u"-o", u"d", u"a"},
         }) {
        THostOptions Options;
        EXPECT_FALSE(Parse(Arguments, Options)) << Arguments.size();
    }
}

TEST(HostOptions, ManyBooksIntoAFolder)
{
    THostOptions Options;
    ASSERT_TRUE(Parse({u"-j", u"3", u"-o", u"thumbs", u"a.epub", u"b.mobi", u"library"}, Options));
    EXPECT_EQ(Options.Jobs, 3u);
    EXPECT_EQ(Options.OutputDir, u"thumbs");
    EXPECT_EQ(Options.Inputs.size(), 3u);
}

TEST(HostOptions, DetectNeedsNoInput)
{
    THostOptions Options;
    ASSERT_TRUE(Parse({u"--detect"}, Options));
    EXPECT_TRUE(Options.Detect);
}

}
