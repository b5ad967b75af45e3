#pragma once

#include "core/CoverCandidate.h"
#include "core/ReadBudget.h"
#include "core/Stream.h"

// The EPUB route: a book the caller opened, read from its start. Offers the
// cover its package's <meta name="cover"> names, then, with Fallbacks, the
// candidates of OfferEpubFallbackCovers. A book that is no ZIP archive
// offers nothing; without Fallbacks a damaged archive or cover entry raises,
// with them a damaged cover entry only moves on to the fallbacks. Every read
// draws on the request's Budget.
bool OfferEpubCovers(TStream& Book, bool Fallbacks, TReadBudget& Budget, const TCoverCandidateTaker& Take);
