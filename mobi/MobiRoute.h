#pragma once

#include "core/CoverCandidate.h"
#include "core/ReadBudget.h"
#include "core/Stream.h"

// The Mobipocket route: a book the caller opened. Offers the cover record
// ExtractMobiCover finds (the first picture for a book naming no cover, with
// AllowFirstPicture and without Fallbacks); with Fallbacks, a book naming no
// cover then offers OfferMobiFallbackCovers' records. Errors of the Palm
// database reader are raised. Every read draws on the request's Budget.
bool OfferMobiCovers(TStream& Book, bool AllowFirstPicture, bool Fallbacks, TReadBudget& Budget,
                     const TCoverCandidateTaker& Take);
