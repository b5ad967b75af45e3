#pragma once

#include <cstddef>
#include <cstdint>

#include "core/CoverCandidate.h"
#include "core/Types.h"
#include "mobi/MobiUnit.h"
#include "mobi/PalmDatabaseRO.h"

// For a book that names no cover record (no EXTH record 201, or one holding
// -1), offers Take the thumbnail record of EXTH 202, then, with
// AllowFirstPicture, the first image record. Records outside the list, empty
// or too large are passed over; each read draws on Budget. A book with a
// record 201 offers nothing: its cover is ExtractMobiCover's.
bool OfferMobiFallbackCovers(TPalmPDB& Database, const TMobiCoverFields& Fields, bool AllowFirstPicture,
                             TReadBudget& Budget, const TCoverCandidateTaker& Take);
