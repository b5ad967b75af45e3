#pragma once

#include <cstddef>
#include <cstdint>

#include "core/CoverCandidate.h"
#include "core/Types.h"
#include "mobi/PalmDatabaseRO.h"

// The thumbnail offset (EXTH record 202, relative to the first image index
// like the cover offset of record 201) of the EXTH block at position At of
// Record0, or -1 when there is none. The records are walked as
// ReadEXTHCoverOffset walks them, so both see the same records: a damaged
// walk gives -1.
int32_t ReadEXTHThumbnailOffset(const TBytes& Record0, size_t At);

// For a book that names no cover record (no EXTH record 201, or one holding
// -1), offers Take the thumbnail record of EXTH 202, then, with
// AllowFirstPicture, the first image record. Records outside the list, empty
// or too large are passed over. A book with a record 201 offers nothing:
// its cover is ExtractMobiCover's. Raises what the database reader raises
// for record 0.
bool OfferMobiFallbackCovers(TPalmPDB& Database, bool AllowFirstPicture, const TCoverCandidateTaker& Take);
