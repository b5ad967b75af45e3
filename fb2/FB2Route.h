#pragma once

#include "core/CoverCandidate.h"
#include "core/ReadBudget.h"
#include "core/Stream.h"

// How a plain book's bytes become text: as a file (the encoding from its
// byte-order mark or XML declaration), or as text (byte-order mark, else the
// ANSI code page), which is how a book named by an extended-length path is
// read.
enum class TFB2Reading { AsFile, AsText };

// The FictionBook routes: a book the caller opened, read from its start.
// Each offers ExtractFB2Cover's cover, then, with Fallbacks, the namespaced
// lookup's (OfferFB2DocumentCovers) and, in an archive, later ".fb2" entries
// (OfferZippedFB2Covers). A document that does not parse raises without
// Fallbacks and offers nothing with them; an archive that is no ZIP offers
// nothing. Every read draws on the request's Budget.
bool OfferPlainFB2Covers(TStream& Book, TFB2Reading Reading, bool Fallbacks, TReadBudget& Budget,
                         const TCoverCandidateTaker& Take);
bool OfferZippedFB2BookCovers(TStream& Book, bool Fallbacks, TReadBudget& Budget, const TCoverCandidateTaker& Take);
