// What the cover lookups allocate beyond the parsed document, counted
// through the allocator: a picture's base64 is decoded from the document's
// own text, never copied out as UTF-16 (twice its size), and with the
// fallbacks a binary that several lookups reach is decoded once.
#include <gtest/gtest.h>

#include "core/MemoryStream.h"
#include "fb2/FB2Cover.h"
#include "fb2/FB2CoverFallbacks.h"
#include "tests/support/CountingAllocator.h"
#include "tests/support/Fb2Builder.h"

namespace {

std::string Noise(size_t Size)
{
    std::string Bytes(Size, '\0');
    uint32_t State = 1;
    for (char& Byte : Bytes) {
        State = State * 1103515245u + 12345u;
        Byte = static_cast<char>(State >> 16);
    }
    return Bytes;
}

IXMLDocument ParsedDocument(const std::string& Text)
{
    IXMLDocument Document = NewXMLDocument();
    TPointerReadOnlyStream Stream(Text.data(), static_cast<intptr_t>(Text.size()));
    SetXMLTextFromStream(Document, Stream);
    Document->Activate();
    return Document;
}

TEST(FB2CoverMemory, ThePictureAndLittleElseBeyondTheDocument)
{
    counting::Install();
    const std::string Picture = Noise(4 << 20);
    const std::string Book = BuildFb2WithCover(Picture);
    const uint64_t Base64Bytes = EncodeBase64(Picture).size();
    struct {
        const char* What;
        bool (*Run)(IXMLDocument, const std::string&);
    } const Cases[] = {
        {"exact lookup",
         [](IXMLDocument Document, const std::string& Expected) {
             return ExtractFB2Cover(std::move(Document)) == Expected;
         }},
        {"with the fallbacks",
         [](IXMLDocument Document, const std::string& Expected) {
             int Offers = 0;
             OfferFB2DocumentCovers(std::move(Document), [&](const uint8_t* Data, size_t Size) {
                 ++Offers;
                 return std::string(reinterpret_cast<const char*>(Data), Size) == Expected;
             });
             return Offers == 1;
         }},
    };
    for (const auto& Case : Cases) {
        IXMLDocument Document = ParsedDocument(Book);
        counting::Reset();
        const uint64_t Before = counting::Counts().LiveBytes;
        EXPECT_TRUE(Case.Run(std::move(Document), Picture)) << Case.What;
        // The decoded picture is three quarters of its base64.
        EXPECT_LT(counting::Counts().PeakBytes - Before, Base64Bytes) << Case.What;
    }
}

}
