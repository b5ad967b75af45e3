#include <gtest/gtest.h>

#include "epub/CoverPage.h"
#include "epub/DataUri.h"
#include "epub/NavLandmarks.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/ZipWriter.h"

namespace {

TEST(DataUri, Base64PicturesOnly)
{
    struct {
        const char* Uri;
        std::optional<std::string> Bytes;
    } const Cases[] = {
        {"data:image/jpeg;base64,R09PRA==", "GOOD"},
        {"DATA:image/png;BASE64,R09PRC1h", "GOOD-a"},
        {" data:;base64,R09P\n RC1 hYg==", "GOOD-ab"},
        {"data:image/gif;base64,R09PRC1hYg", "GOOD-ab"},
        {"data:image/jpeg;charset=x;base64,QQ==", "A"},
        {"data:image/jpeg;base64,R09P!RC1k", std::nullopt},
        {"data:image/jpeg;base64,QQ==QQ==", std::nullopt},
        {"data:image/jpeg;base64,QQ===", std::nullopt},
        {"data:image/jpeg;base64,QUJDR", std::nullopt},
        {"data:image/jpeg;base64,QUJ=", "AB"},
        {"data:image/jpeg;base64,QU==", "A"},
        {"data:image/jpeg;base64,Q===", std::nullopt},
        {"data:image/jpeg;base64,", std::nullopt},
        {"data:image/jpeg,%FF%D8", std::nullopt},
        {"data:image/jpeg;base64R09PRA==", std::nullopt},
        {"images/c.jpg", std::nullopt},
    };
    for (const auto& Case : Cases) {
        const std::optional<TBytes> Decoded = DecodeDataUri(Case.Uri, 100);
        EXPECT_EQ(Decoded ? std::optional<std::string>(AsText(*Decoded)) : std::nullopt, Case.Bytes) << Case.Uri;
        if (Case.Bytes) {
            EXPECT_EQ(DataUriBytes(Case.Uri), Case.Bytes->size()) << Case.Uri;
        }
    }
    EXPECT_TRUE(DecodeDataUri("data:;base64,R09PRC1h", 6));
    EXPECT_FALSE(DecodeDataUri("data:;base64,R09PRC1h", 5));
}

TEST(SniffMarkup, RootElementWithoutParsing)
{
    struct {
        std::string Bytes;
        TMarkup Markup;
    } const Cases[] = {
        {"\xFF\xD8\xFF\xE0 a JPEG", mkNone},
        {"GIF89a", mkNone},
        {"", mkNone},
        {"  <svg xmlns='http://www.w3.org/2000/svg'/>", mkSvg},
        {"\xEF\xBB\xBF<?xml version='1.0'?>\n<!-- c > d -->\n<s:svg xmlns:s='x'>", mkSvg},
        {"<!DOCTYPE svg PUBLIC '-//W3C//DTD SVG 1.1//EN' [<!ENTITY a '>'>]><svg>", mkSvg},
        {"<?xml version='1.0'?><!DOCTYPE html><html>", mkPage},
        {"<svgx/>", mkPage},
        {"<!-- never closed", mkPage},
        {std::string("\xFF\xFE<\0s\0", 6), mkPage},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(SniffMarkup(reinterpret_cast<const uint8_t*>(Case.Bytes.data()), Case.Bytes.size()), Case.Markup)
            << Case.Bytes;
}

TEST(NavLandmarks, CoverLinksOfTheFirstLandmarks)
{
    const std::string Head = "<html xmlns='http://www.w3.org/1999/xhtml' xmlns:epub='http://www.idpf.org/2007/ops'><body>";
    struct {
        std::string Body;
        std::vector<std::string> Hrefs;
    } const Cases[] = {
        {"<nav epub:type='landmarks'><ol><li><a epub:type='cover' href='c.xhtml'/></li>"
         "<li><a epub:type='toc' href='t.xhtml'/></li><li><a epub:type=' cover ' href='c2.jpg'/></li></ol></nav>",
         {"c.xhtml", "c2.jpg"}},
        {"<nav epub:type='toc'><a epub:type='cover' href='toc.xhtml'/></nav>"
         "<nav epub:type='landmarks'><a epub:type='cover' href='first.xhtml'/></nav>"
         "<nav epub:type='landmarks'><a epub:type='cover' href='second.xhtml'/></nav>",
         {"first.xhtml"}},
        {"<nav type='landmarks'><a epub:type='cover' href='c.xhtml'/></nav>", {}},
        {"<nav epub:type='landmarks'><a type='cover' href='c.xhtml'/><a epub:type='covers' href='d.xhtml'/></nav>", {}},
        {"<nav epub:type='landmarks'><a epub:type='cover' href='c.xhtml'>&nbsp;Cover</a></nav>", {"c.xhtml"}},
    };
    for (const auto& Case : Cases) {
        const std::string Page = Head + Case.Body + "</body></html>";
        EXPECT_EQ(LandmarkCoverHrefs(reinterpret_cast<const uint8_t*>(Page.data()), Page.size()), Case.Hrefs) << Case.Body;
    }
    EXPECT_TRUE(LandmarkCoverHrefs(reinterpret_cast<const uint8_t*>("<nav"), 4).empty());
}

}
