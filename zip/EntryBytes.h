#pragma once

#include <cstdint>

#include "core/Stream.h"
#include "core/Types.h"

// Everything a stream of unknown length delivers, at most Limit bytes; more
// fails with EZipException "Error reading zip file" before anything is held.
// The stream is read twice: it must seek back to its start.
TBytes ReadToEnd(TStream& Stream, uint32_t Limit);
