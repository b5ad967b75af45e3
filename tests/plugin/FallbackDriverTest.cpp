#include <gtest/gtest.h>

#include "plugin/PreviewDriver.h"
#include "plugin/Settings.h"
#include "tests/support/EpubBuilder.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/PdbBuilder.h"
#include "tests/support/PictureBuilders.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipWriter.h"

namespace {

TBytes Jpeg()
{
    TJpegSpec Spec;
    Spec.Width = 40;
    Spec.Height = 30;
    Spec.Sample = [](int32_t X, int32_t Y, uint8_t* C) {
        C[0] = static_cast<uint8_t>(X * 6);
        C[1] = static_cast<uint8_t>(Y * 8);
        C[2] = 128;
    };
    return EncodeJpeg(Spec);
}

TBytes Mobi(const TBytes& Exth)
{
    TMobiRecord0 Fields;
    Fields.FirstImage = 2;
    Fields.Exth = Exth;
    return MobiBook(MobiRecord0(Fields), 1, {Bytes("not a picture"), Jpeg()});
}

TEST(CoverFallbacksSetting, ExactlyOneInTheSameSection)
{
    const struct {
        const char* Ini;  // nullptr: no settings file
        bool On;
    } Cases[] = {
        {nullptr, false},
        {"[brisleaf]\nCoverFallbacks=1\n", true},
        {"[Brisleaf]\ncoverfallbacks = 1\nMobiAllowFirstPic=1\n", true},
        {"[brisleaf]\nCoverFallbacks=true\n", false},
        {"[brisleaf]\nCoverFallbacks=01\n", false},
        {"[brisleaf]\nCoverFallbacks=0\nRestrictToFB2ZIP=1\n", false},
        {"[other]\nCoverFallbacks=1\n", false},
    };
    for (const auto& Case : Cases) {
        TTempDir Dir;
        if (Case.Ini)
            Dir.Write(u"brisleaf.ini", std::string(Case.Ini));
        EXPECT_EQ(ReadPluginSettings(Dir.Path(u"brisleaf.dll")).CoverFallbacks, Case.On) << (Case.Ini ? Case.Ini : "none");
    }
}

struct TFallbackBook {
    const char* What;
    const char16_t* Name;
    TBytes File;
};

// Books whose cover only the fallbacks find: without the setting no preview,
// as before; with it, a thumbnail.
TEST(CoverFallbacksSetting, BooksOfEveryRule)
{
    const TBytes Picture = Jpeg();
    const TBytes Broken = Bytes("\xFF\xD8 a JPEG signature and nothing else");
    const std::string Page = "<html xmlns='http://www.w3.org/1999/xhtml'><body><img src='../images/c%201.jpg'/></body></html>";
    const std::string SvgPage = "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink'>"
                                "<image xlink:href='c.jpg'/></svg>";
    const std::string PrefixedFb2 =
        "<fb:FictionBook xmlns:fb='http://www.gribuser.ru/xml/fictionbook/2.0' xmlns:l='http://www.w3.org/1999/xlink'>"
        "<fb:description><fb:title-info><fb:coverpage><fb:image l:href='#c'/></fb:coverpage></fb:title-info>"
        "</fb:description><fb:body/><fb:binary id='c'>" + EncodeBase64(AsText(Picture)) + "</fb:binary></fb:FictionBook>";
    TZipWriter Later;
    Later.Add("first.fb2", BuildFb2(TFb2Book{}), ZipDeflated);
    Later.Add("second.fb2", BuildFb2WithCover(AsText(Picture)), ZipDeflated);
    TZipWriter Prefixed;
    Prefixed.Add("book.fb2", PrefixedFb2, ZipDeflated);

    const TFallbackBook Books[] = {
        {"manifest property", u"property.epub",
         BuildEpub("", "<item id='i' href='images/i.jpg' media-type='image/jpeg' properties='cover-image'/>",
              {{"OEBPS/images/i.jpg", Picture}})},
        {"meta content as an href", u"meta-href.epub",
         BuildEpub("<meta name='cover' content='images/i.jpg'/>", "", {{"OEBPS/images/i.jpg", Picture}})},
        {"cover XHTML page", u"page.epub",
         BuildEpub("<meta name='cover' content='cp'/>",
              "<item id='cp' href='text/cover.xhtml' media-type='application/xhtml+xml'/>",
              {{"OEBPS/text/cover.xhtml", Bytes(Page)}, {"OEBPS/images/c 1.jpg", Picture}})},
        {"guide reference to an SVG page", u"guide.epub",
         BuildEpub("", "", {{"OEBPS/cover.svg", Bytes(SvgPage)}, {"OEBPS/c.jpg", Picture}},
              "<reference type='cover' href='cover.svg'/>")},
        {"image item named cover", u"named.epub",
         BuildEpub("", "<item id='x' href='pics/TheCover.jpg' media-type='image/jpeg'/>", {{"OEBPS/pics/TheCover.jpg", Picture}})},
        {"the marked cover does not decode", u"broken.epub",
         BuildEpub("<meta name='cover' content='c'/>",
              "<item id='c' href='c.jpg' media-type='image/jpeg'/><item id='cover2' href='c2.jpg' media-type='image/jpeg'/>",
              {{"OEBPS/c.jpg", Broken}, {"OEBPS/c2.jpg", Picture}})},
        {"the marked cover is missing", u"missing.epub",
         BuildEpub("<meta name='cover' content='c'/>",
              "<item id='c' href='gone.jpg' media-type='image/jpeg'/>"
              "<item id='front' href='images/cover.jpg' media-type='image/jpeg'/>",
              {{"OEBPS/images/cover.jpg", Picture}})},
        {"marked cover that is an SVG carrying its picture", u"svg.epub",
         BuildEpub("<meta name='cover' content='c'/>", "<item id='c' href='c.svg' media-type='image/svg+xml'/>",
              {{"OEBPS/c.svg", Bytes("<svg xmlns='http://www.w3.org/2000/svg'><image href='data:image/jpeg;base64," +
                                     EncodeBase64(AsText(Picture)) + "'/><path d='M0 0'/></svg>")}})},
        {"EPUB 3 landmarks", u"landmarks.epub",
         BuildEpub("", "<item id='n' href='nav.xhtml' media-type='application/xhtml+xml' properties='nav'/>",
              {{"OEBPS/nav.xhtml", Bytes("<html xmlns:epub='http://www.idpf.org/2007/ops'><body><nav epub:type='landmarks'>"
                                         "<a epub:type='cover' href='images/front.jpg'/></nav></body></html>")},
               {"OEBPS/images/front.jpg", Picture}})},
        {"unmarked first page", u"first.epub",
         BuildEpub("", "<item id='text' href='p.xhtml' media-type='application/xhtml+xml'/>",
              {{"OEBPS/p.xhtml", Bytes(Page)}, {"images/c 1.jpg", Picture}})},
        {"prefixed FictionBook", u"prefixed.fb2", Bytes(PrefixedFb2)},
        {"prefixed FictionBook in an archive", u"prefixed.fbz", Prefixed.Build()},
        {"a later FictionBook entry", u"later.zip", Later.Build()},
        {"Mobipocket thumbnail record", u"thumb.mobi", Mobi(ExthBlock({{202, [] {
                                                                             TBytes Offset;
                                                                             AppendBigEndian32(Offset, 1);
                                                                             return Offset;
                                                                         }(),
                                                                         std::nullopt}}))},
    };
    TTempDir Dir;
    TPluginSettings Off, On;
    On.CoverFallbacks = true;
    for (const TFallbackBook& Book : Books) {
        const std::u16string Path = Dir.Write(Book.Name, Book.File);
        EXPECT_EQ(GetPreviewBitmap(Path, 96, 96, Off), nullptr) << Book.What;
        const platform::TBitmapHandle Thumbnail = GetPreviewBitmap(Path, 96, 96, On);
        EXPECT_NE(Thumbnail, nullptr) << Book.What;
        if (Thumbnail)
            platform::DeleteDib(Thumbnail);
    }
}

TEST(CoverFallbacksSetting, MobipocketFirstPictureComesAfterTheThumbnail)
{
    TTempDir Dir;
    // Record 2, the first picture, does not decode; the thumbnail, record 3, does.
    TBytes Offset;
    AppendBigEndian32(Offset, 1);
    const std::u16string Path = Dir.Write(u"book.mobi", Mobi(ExthBlock({{202, Offset, std::nullopt}})));
    TPluginSettings FirstPic;
    FirstPic.MobiAllowFirstPic = true;
    EXPECT_EQ(GetPreviewBitmap(Path, 96, 96, FirstPic), nullptr) << "today's first picture, which fails";
    FirstPic.CoverFallbacks = true;
    const platform::TBitmapHandle Thumbnail = GetPreviewBitmap(Path, 96, 96, FirstPic);
    EXPECT_NE(Thumbnail, nullptr);
    if (Thumbnail)
        platform::DeleteDib(Thumbnail);
}

TEST(CoverFallbacksSetting, RestrictionAndDamageStillEndInNoPreview)
{
    TTempDir Dir;
    TPluginSettings Settings;
    Settings.CoverFallbacks = true;
    Settings.RestrictToFB2ZIP = true;
    TZipWriter Writer;
    Writer.Add("book.fb2", BuildFb2WithCover(AsText(Jpeg())));
    EXPECT_EQ(GetPreviewBitmap(Dir.Write(u"book.zip", Writer.Build()), 96, 96, Settings), nullptr);
    for (const char16_t* Name : {u"empty.epub", u"empty.fb2", u"empty.mobi", u"empty.fbz"})
        EXPECT_EQ(GetPreviewBitmap(Dir.Write(Name, std::string()), 96, 96, Settings), nullptr) << Utf8(Name);
    EXPECT_EQ(GetPreviewBitmap(Dir.Path(u"missing.epub"), 96, 96, Settings), nullptr);
}

}
