#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/MemoryStream.h"
#include "core/Types.h"
#include "mobi/PalmDatabaseRO.h"

// The cover record of a Mobipocket book into Cover (emptied first); empty
// means no picture. Errors of the Palm database reader are raised.
void ExtractMobiCover(const std::u16string& FileName, bool AllowFirstPicture, TBytes& Cover);
// The same lookup in an open database.
void ExtractMobiCover(TPalmPDB& Database, bool AllowFirstPicture, TBytes& Cover);

// The cover offset (EXTH record 201) of the EXTH block at the stream's
// position, or -1 when there is none. Never raises for a damaged block.
int32_t ReadEXTHCoverOffset(TStream& Stream);

// The first position at or after StartPos where Pattern occurs in the
// stream's memory, or -1. Candidates stop after LimitMiB mebibytes from the
// start of the block (0 or less: no limit). The position is not moved.
int64_t FindBytesInStream(TCustomMemoryStream& Stream, int32_t LimitMiB, std::string_view Pattern,
                          int64_t StartPos);
