#pragma once

#include "core/Exceptions.h"

BRISLEAF_EXCEPTION(EZipException, Exception);

inline const char* const SZipReadError = "Error reading zip file";
inline const char* const SZipInvalidCentralHeader = "Invalid Zip Central Header signature";
inline const char* const SZipInvalidLocalHeader = "Invalid Zip Local Header signature";
inline const char* const SZipNotOpen = "File must be open";
inline const char* const SZipNotOpenForReading = "File must be open for reading";
inline const char* const SZipFileNotFound = "The specified file was not found";
inline const char* const SZipInvalidArgument = "Invalid argument";
