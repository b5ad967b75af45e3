#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "core/Limits.h"
#include "mobi/MobiRoute.h"
#include "tests/support/PdbBuilder.h"

namespace {

constexpr uint64_t MiB = 1048576;

// A Palm database as a sparse file holds it: each record's bytes, then zeros
// up to the record's stated length, none of them stored. Counts the bytes
// read through it.
class TSparseBook : public TStream {
public:
    // Records: each one's bytes and the length it takes in the file.
    explicit TSparseBook(const std::vector<std::pair<TBytes, uint64_t>>& Records)
    {
        uint64_t At = 78 + 8 * Records.size() + 2;
        TBytes Head = PdbHeader({}, static_cast<uint16_t>(Records.size()));
        for (const auto& Record : Records) {
            AppendBigEndian32(Head, static_cast<uint32_t>(At));
            AppendBigEndian32(Head, 0);
            FPieces[At] = Record.first;
            At += Record.second;
        }
        Head.resize(Head.size() + 2);
        FPieces[0] = Head;
        FSize = static_cast<int64_t>(At);
    }

    int64_t Read(void* Buffer, int64_t Count) override
    {
        Count = std::max<int64_t>(0, std::min(Count, FSize - FPosition));
        auto* Out = static_cast<uint8_t*>(Buffer);
        std::memset(Out, 0, static_cast<size_t>(Count));
        for (const auto& [Start, Bytes] : FPieces) {
            const int64_t From = std::max<int64_t>(FPosition, static_cast<int64_t>(Start));
            const int64_t To = std::min<int64_t>(FPosition + Count, static_cast<int64_t>(Start + Bytes.size()));
            if (From < To)
                std::memcpy(Out + (From - FPosition), Bytes.data() + (From - static_cast<int64_t>(Start)),
                            static_cast<size_t>(To - From));
        }
        FPosition += Count;
        BytesRead += static_cast<uint64_t>(Count);
        return Count;
    }
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override
    {
        FPosition = (Origin == soBeginning ? 0 : Origin == soCurrent ? FPosition : FSize) + Offset;
        return FPosition;
    }

    uint64_t BytesRead = 0;

private:
    std::map<uint64_t, TBytes> FPieces;
    int64_t FSize = 0;
    int64_t FPosition = 0;
};

// Record 0 and the cover record at the sizes a sparse file may claim: record
// 0 is read only as far as its headers need, a cover above the picture limit
// is not read at all, and what is read is what the request's budget was
// charged.
TEST(MobiRecordBounds, HugeRecordsAreReadOnlyAsFarAsNeeded)
{
    TMobiRecord0 Fields;
    Fields.FirstImage = 1;
    Fields.Exth = ExthBlock({ExthCover(0)});
    const TBytes Record0 = MobiRecord0(Fields);
    const TBytes Picture = MarkedRecord(1, 1000);
    const uint64_t PictureLimit = Limits::CoverPictureBytes;

    struct {
        const char* What;
        uint64_t Record0Size, CoverSize;
        bool Offered;
        uint64_t MostRead;
    } const Cases[] = {
        {"small records", Record0.size(), Picture.size(), true, 1000 + Record0.size() + 200},
        {"record 0 of 1 GiB", 1024 * MiB, Picture.size(), true, Limits::MobiHeaderBytes + 1000 + 200},
        {"cover at the limit", Record0.size(), PictureLimit, true, PictureLimit + Record0.size() + 200},
        {"cover above the limit", Record0.size(), PictureLimit + 1, false, Record0.size() + 200},
        {"both huge", 1024 * MiB, 512 * MiB, false, Limits::MobiHeaderBytes + 200},
    };
    for (const auto& Case : Cases)
        for (const bool Fallbacks : {false, true}) {
            SCOPED_TRACE(std::string(Case.What) + (Fallbacks ? ", with fallbacks" : ""));
            TSparseBook Book({{Record0, Case.Record0Size}, {Picture, Case.CoverSize}});
            TReadBudget Budget(Limits::RequestReadBytes);
            size_t OfferedSize = 0;
            const bool Taken = OfferMobiCovers(Book, true, Fallbacks, Budget, [&](const uint8_t*, size_t Size) {
                OfferedSize = Size;
                return true;
            });
            EXPECT_EQ(Taken, Case.Offered);
            if (Taken) {
                EXPECT_EQ(OfferedSize, Case.CoverSize);
            }
            EXPECT_LE(Book.BytesRead, Case.MostRead);
            EXPECT_LE(Limits::RequestReadBytes - Budget.Left(), Book.BytesRead);
        }
}

}
