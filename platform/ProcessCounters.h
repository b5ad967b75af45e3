#pragma once

#include <cstddef>

// Counts of what the running process holds, for checking that requests give
// back everything they take.
namespace platform {

// Open file descriptors (POSIX) or kernel handles (Windows).
size_t OpenHandleCount();
// Bitmaps alive: our own DIB objects (POSIX) or the process's GDI objects
// (Windows, where the system reports them).
size_t LiveBitmapCount();

}
