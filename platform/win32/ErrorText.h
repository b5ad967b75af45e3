#pragma once

#include <string>
#include <windows.h>

// The system's message for an error code, in UTF-8, without the trailing line break.
std::string SystemErrorText(DWORD Code);
