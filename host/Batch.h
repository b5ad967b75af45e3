#pragma once

#include "host/Options.h"
#include "host/Thumbnailer.h"

// Thumbnails every book of Options.Inputs (folders searched for books) into
// Options.OutputDir with Options.Jobs requests at once, drawing a progress
// line on a terminal and printing a summary. Returns the exit status: 0 when
// nothing failed, 2 otherwise.
int RunBatch(const TThumbnailer& Thumbnailer, const THostOptions& Options);
