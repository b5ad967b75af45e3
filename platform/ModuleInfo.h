#pragma once

#include <string>

namespace platform {

// Full file name of the loaded module (DLL or shared object) that holds this code.
std::u16string ModuleFileName();

// Bits per pixel of the display, read once on first use.
int DisplayBitsPerPixel();

}
