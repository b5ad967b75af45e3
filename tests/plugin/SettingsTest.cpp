#include <gtest/gtest.h>

#include "plugin/Settings.h"
#include "tests/support/TempDir.h"

namespace {

struct TSettingsCase {
    const char* Ini;       // nullptr: no settings file
    bool RestrictToFB2ZIP;
    bool MobiAllowFirstPic;
};

class SettingsFile : public ::testing::TestWithParam<TSettingsCase> {};

TEST_P(SettingsFile, FlagsAreExactlyOne)
{
    TTempDir Dir;
    if (GetParam().Ini)
        Dir.Write(u"brisleaf.ini", std::string(GetParam().Ini));
    const TPluginSettings Settings = ReadPluginSettings(Dir.Path(u"brisleaf.dll"));
    EXPECT_EQ(Settings.RestrictToFB2ZIP, GetParam().RestrictToFB2ZIP);
    EXPECT_EQ(Settings.MobiAllowFirstPic, GetParam().MobiAllowFirstPic);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, SettingsFile,
    ::testing::Values(TSettingsCase{nullptr, false, false},
                      TSettingsCase{"[brisleaf]\nRestrictToFB2ZIP=1\nMobiAllowFirstPic=0\n", true, false},
                      TSettingsCase{"[brisleaf]\nMobiAllowFirstPic=1\n", false, true},
                      TSettingsCase{"[brisleaf]\nMobiAllowFirstPic=true\nRestrictToFB2ZIP=11\n", false, false},
                      TSettingsCase{"[brisleaf]\nMobiAllowFirstPic=01\nRestrictToFB2ZIP=\n", false, false},
                      TSettingsCase{"[elsewhere]\nRestrictToFB2ZIP=1\nMobiAllowFirstPic=1\n", false, false},
                      TSettingsCase{"[BRISLEAF]\nrestricttofb2zip = 1 \n", true, false}));

TEST(SettingsFile, AMissingKeyKeepsItsDefault)
{
    TPluginSettings Defaults;
    Defaults.MobiAllowFirstPic = Defaults.CoverFallbacks = true;
    const struct {
        const char* Ini;  // nullptr: no settings file
        bool MobiAllowFirstPic, CoverFallbacks;
    } Cases[] = {
        {nullptr, true, true},
        {"[brisleaf]\nMobiAllowFirstPic=0\n", false, true},
        {"[brisleaf]\nCoverFallbacks=no\nRestrictToFB2ZIP=1\n", true, false},
    };
    for (const auto& Case : Cases) {
        TTempDir Dir;
        if (Case.Ini)
            Dir.Write(u"brisleaf-shell.ini", std::string(Case.Ini));
        const TPluginSettings Settings = ReadPluginSettings(Dir.Path(u"brisleaf-shell.dll"), Defaults);
        EXPECT_EQ(Settings.MobiAllowFirstPic, Case.MobiAllowFirstPic) << (Case.Ini ? Case.Ini : "none");
        EXPECT_EQ(Settings.CoverFallbacks, Case.CoverFallbacks) << (Case.Ini ? Case.Ini : "none");
    }
}

TEST(SettingsFileName, ReplacesOrAppendsTheExtension)
{
    EXPECT_EQ(SettingsFileName(u"C:\\Plugins\\brisleaf\\brisleaf.dll"), u"C:\\Plugins\\brisleaf\\brisleaf.ini");
    EXPECT_EQ(SettingsFileName(u"C:\\Plugins.x\\brisleaf"), u"C:\\Plugins.x\\brisleaf.ini");
    EXPECT_EQ(SettingsFileName(u"/usr/lib/brisleaf.so"), u"/usr/lib/brisleaf.ini");
}

}
