#pragma once

#include <cstddef>

#include "core/Stream.h"
#include "xml/XMLRunElision.h"

enum class TStreamedElision {
    Elided,     // the skeleton and its runs, as ElideLongRuns makes them from the whole text
    Whole,      // the skeleton is the whole text: no run is to be elided
    ReadAgain,  // the scan met a doubt, or a long run not to be elided, after bytes were left out
};

// Reads Stream from its position to its end into a skeleton of its text
// (see XMLRunElision.h), a window at a time, so that the bytes of the runs
// of at least MinRun bytes are never held. The runs' offsets count from the
// position the read started at. Elision.Skeleton holds whatever was read
// when the answer is ReadAgain. TextBytes is how many bytes the text has; a
// text of more than Limits::XMLTextBytes raises EReadError.
TStreamedElision ElideLongRunsFromStream(TStream& Stream, size_t MinRun, TRunElision& Elision, size_t& TextBytes);
