#pragma once

#include <windows.h>

// The picture of Bitmap as a new 32-bit top-down DIB section, as shell hosts
// take thumbnails; nullptr when the system cannot make it. Bitmap stays the
// caller's.
HBITMAP MakeShellBitmap(HBITMAP Bitmap);
