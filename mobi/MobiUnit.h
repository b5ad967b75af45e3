#pragma once

#include <string>

#include "core/Types.h"

// The cover record of a Mobipocket book into Cover (emptied first); empty
// means no picture. Errors of the Palm database reader are raised.
void ExtractMobiCover(const std::u16string& FileName, bool AllowFirstPicture, TBytes& Cover);
