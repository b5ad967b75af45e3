#pragma once

// Calling convention and visibility of the module's exported functions.
// Windows exports them by plain name through the module definition file.
#if defined(_WIN32)
#define BRISLEAF_STDCALL __stdcall
#define BRISLEAF_EXPORT
#else
#define BRISLEAF_STDCALL
#define BRISLEAF_EXPORT __attribute__((visibility("default")))
#endif
