#include <gtest/gtest.h>

#include <set>

#include "core/MemoryStream.h"
#include "mobi/MobiCoverFallbacks.h"
#include "tests/support/PdbBuilder.h"
#include "core/Limits.h"
#include "core/ReadBudget.h"

namespace {

// Books of the table: record 0, then records 1 to 19, each marked with its
// number, so that an offer shows which record it is.
constexpr size_t BookRecords = 20;

TBytes Be32(uint32_t Value)
{
    TBytes Bytes;
    AppendBigEndian32(Bytes, Value);
    return Bytes;
}

TExthRecord ExthThumbnail(int32_t Offset) { return {202, Be32(static_cast<uint32_t>(Offset)), std::nullopt}; }

TBytes Record0(int32_t FirstImage, const TBytes& Exth = {})
{
    TMobiRecord0 Fields;
    Fields.FirstImage = FirstImage;
    Fields.Exth = Exth;
    return MobiRecord0(Fields);
}

// The records offered, by number, when the records in Decoding are the ones
// that decode.
std::vector<int> Offers(const TBytes& FirstRecord, bool AllowFirstPicture, const std::set<int>& Decoding)
{
    const TBytes File = MobiBook(FirstRecord, BookRecords - 1, {});
    TPalmPDB Database(std::make_unique<TPointerReadOnlyStream>(File.data(), static_cast<intptr_t>(File.size())), u"book");
    std::vector<int> Offered;
    TReadBudget Budget(Limits::RequestReadBytes);
    OfferMobiFallbackCovers(Database, ReadMobiCoverFields(Database, Budget), AllowFirstPicture, Budget, [&](const uint8_t* Data, size_t Size) {
        const TBytes Record(Data, Data + Size);
        int Number = -1;
        for (size_t Index = 1; Index < BookRecords; ++Index)
            if (Record == MarkedRecord(Index))
                Number = static_cast<int>(Index);
        Offered.push_back(Number);
        return Decoding.count(Number) > 0;
    });
    return Offered;
}

struct TFallbackCase {
    const char* What;
    TBytes Record0;
    std::vector<int> Without;  // offered without AllowFirstPicture, nothing decoding
    std::vector<int> With;     // and with it
};

TEST(MobiFallbacks, ThumbnailThenFirstPictureForBooksWithoutACover)
{
    const TFallbackCase Cases[] = {
        {"thumbnail 3", Record0(10, ExthBlock({ExthText(100, "Author"), ExthThumbnail(3)})), {13}, {13, 10}},
        {"thumbnail 0 is the first picture, offered once", Record0(10, ExthBlock({ExthThumbnail(0)})), {10}, {10}},
        {"the last record 202 wins", Record0(10, ExthBlock({ExthThumbnail(1), ExthThumbnail(2)})), {12}, {12, 10}},
        {"thumbnail and a cover of -1", Record0(10, ExthBlock({ExthCover(-1), ExthThumbnail(4)})), {14}, {14, 10}},
        {"a book with a cover has no fallbacks", Record0(10, ExthBlock({ExthCover(2), ExthThumbnail(4)})), {}, {}},
        {"a cover outside the list still counts", Record0(10, ExthBlock({ExthCover(50), ExthThumbnail(4)})), {}, {}},
        {"no record 202", Record0(10, ExthBlock({ExthText(100, "Author")})), {}, {10}},
        {"no EXTH block", Record0(10), {}, {10}},
        {"thumbnail -1", Record0(10, ExthBlock({ExthThumbnail(-1)})), {}, {10}},
        {"thumbnail outside the list", Record0(10, ExthBlock({ExthThumbnail(10)})), {}, {10}},
        {"thumbnail of the last record", Record0(10, ExthBlock({ExthThumbnail(9)})), {19}, {19, 10}},
        {"thumbnail below 0", Record0(10, ExthBlock({ExthThumbnail(-11)})), {}, {10}},
        {"record 202 without data", Record0(10, ExthBlock({{202, {}, std::nullopt}})), {}, {10}},
        {"a damaged walk discards the thumbnail",
         Record0(10, ExthBlock({ExthThumbnail(3), {100, {}, 7}})), {}, {10}},
        {"a walk running off record 0 discards the thumbnail",
         Record0(10, ExthBlock({ExthThumbnail(3), {100, {}, 4000}}, 3)), {}, {10}},
        {"a last record running off record 0 keeps it", Record0(10, ExthBlock({{202, Be32(3), 4000}})), {13}, {13, 10}},
        {"a count of 2000000000 ends at a zero length",
         Record0(10, ExthBlock({ExthThumbnail(3), {100, {}, 0}}, 2000000000)), {}, {10}},
        {"first image index 0", Record0(0, ExthBlock({ExthThumbnail(2)})), {}, {}},
        {"first image beyond the list", Record0(25, ExthBlock({ExthThumbnail(-20)})), {5}, {5}},
    };
    for (const TFallbackCase& Case : Cases) {
        EXPECT_EQ(Offers(Case.Record0, false, {}), Case.Without) << Case.What;
        EXPECT_EQ(Offers(Case.Record0, true, {}), Case.With) << Case.What;
    }
}

TEST(MobiFallbacks, TheFirstCandidateThatDecodesEndsTheOffers)
{
    const TBytes First = Record0(10, ExthBlock({ExthThumbnail(3)}));
    EXPECT_EQ(Offers(First, true, {13}), std::vector<int>{13});
    EXPECT_EQ(Offers(First, true, {10}), (std::vector<int>{13, 10}));
}

TEST(MobiFallbacks, Record0WithoutAMobiHeader)
{
    TBytes NotMobi = Record0(10, ExthBlock({ExthThumbnail(3)}));
    NotMobi[16] = 'm';
    EXPECT_TRUE(Offers(NotMobi, true, {}).empty());
    EXPECT_TRUE(Offers(TBytes(111, 0), true, {}).empty());
}

TEST(ReadEXTHOffsets, ThumbnailPositionsAndHeads)
{
    const TBytes Block = ExthBlock({ExthThumbnail(7)});
    EXPECT_EQ(ReadEXTHOffsets(Block, 0).Thumbnail, 7);
    EXPECT_EQ(ReadEXTHOffsets(Block, 1).Thumbnail, -1);
    EXPECT_EQ(ReadEXTHOffsets(Block, Block.size()).Thumbnail, -1);
    EXPECT_EQ(ReadEXTHOffsets(Block, Block.size() + 5).Thumbnail, -1);
    EXPECT_EQ(ReadEXTHOffsets(TBytes(Block.begin(), Block.begin() + 11), 0).Thumbnail, -1);
    // Record 201 declaring 16 bytes: the walk goes on after its first four
    // data bytes, where a record 202 of 12 bytes hides.
    const TBytes Hidden = ExthBlock({{201, [] {
                                          TBytes Data = Be32(static_cast<uint32_t>(-1));
                                          for (const uint32_t Value : {202u, 12u, 5u})
                                              AppendBigEndian32(Data, Value);
                                          return Data;
                                      }(),
                                      16}},
                                    2);
    EXPECT_EQ(ReadEXTHOffsets(Hidden, 0).Thumbnail, 5);
}

}
