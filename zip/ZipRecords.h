#pragma once

#include <cstdint>

#include "core/Stream.h"
#include "zip/ZipHeader.h"

// Reads a central directory file header at the stream's position, name, extra
// field and comment included. Every part must be there in full, else
// EZipException "Error reading zip file"; a wrong signature fails with
// "Invalid Zip Central Header signature". StreamSize bounds what is allocated.
void ReadCentralHeader(TStream& Stream, int64_t StreamSize, TZipHeader& Header);

// Reads a local file header at the stream's position and leaves the stream at
// the entry's first data byte. Only the signature is checked ("Invalid Zip
// Local Header signature"); fields past the end of the stream read as 0 and a
// cut name or extra field keeps what there was. Fields that only the central
// directory has are 0 or empty.
void ReadLocalHeader(TStream& Stream, TZipHeader& Header);
