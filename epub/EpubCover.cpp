#include "epub/EpubCover.h"

// Placeholder until EPUB discovery lands.
TBytes ExtractEpubCover(TZipFile&) { return TBytes(); }
