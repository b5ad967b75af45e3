#include "mobi/MobiUnit.h"

// Placeholder until the Mobipocket route lands.
void ExtractMobiCover(const std::u16string&, bool, TBytes& Cover) { Cover.clear(); }
