#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/MemoryStream.h"
#include "core/Types.h"
#include "mobi/PalmDatabaseRO.h"

// The offsets, relative to the first image index, that the EXTH records
// give: the cover (record 201) and the thumbnail (record 202); -1 for none.
struct TEXTHOffsets {
    int32_t Cover = -1;
    int32_t Thumbnail = -1;
};
// The offsets of the EXTH block at position At of Record0, in one walk; a
// damaged walk (running off the end of record 0, or a record declaring fewer
// than 8 bytes) gives none of them. Never raises.
TEXTHOffsets ReadEXTHOffsets(const TBytes& Record0, size_t At);

// What the cover lookups take from record 0, read once: the first image
// index (0 when record 0 has no MOBI header or names no picture) and the EXTH
// offsets.
struct TMobiCoverFields {
    int32_t FirstImage = 0;
    TEXTHOffsets EXTH;
};
// Record 0 is read only as far as Limits::MobiHeaderBytes, drawn from
// Budget: an EXTH block that runs on past that gives no offsets. Raises what
// the database reader raises, also for a record 0 of 1 to 19 bytes.
TMobiCoverFields ReadMobiCoverFields(TPalmPDB& Database, TReadBudget& Budget);

// The cover record of a Mobipocket book into Cover (emptied first); empty
// means no picture, also for a record above Limits::CoverPictureBytes.
// Errors of the Palm database reader are raised. The file's lookup is a
// request of its own, with a budget of its own.
void ExtractMobiCover(const std::u16string& FileName, bool AllowFirstPicture, TBytes& Cover);
// The same lookup in an open database, every read drawn from Budget.
void ExtractMobiCover(TPalmPDB& Database, bool AllowFirstPicture, TReadBudget& Budget, TBytes& Cover);
// The cover's record index of the lookup with record 0 already read, or -1
// when there is none or it is above Limits::CoverPictureBytes.
int32_t MobiCoverRecord(TPalmPDB& Database, const TMobiCoverFields& Fields, bool AllowFirstPicture);
// The same lookup with record 0 already read.
void ExtractMobiCover(TPalmPDB& Database, const TMobiCoverFields& Fields, bool AllowFirstPicture, TReadBudget& Budget,
                      TBytes& Cover);

// The first position at or after StartPos where Pattern occurs in the
// stream's memory, or -1. Candidates stop after LimitMiB mebibytes from the
// start of the block (0 or less: no limit). The position is not moved.
int64_t FindBytesInStream(TCustomMemoryStream& Stream, int32_t LimitMiB, std::string_view Pattern,
                          int64_t StartPos);
