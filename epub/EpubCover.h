#pragma once

#include "core/Types.h"
#include "zip/ZipFile.h"

// The cover picture's bytes of an open EPUB archive; empty when the book
// names none.
TBytes ExtractEpubCover(TZipFile& Zip);
