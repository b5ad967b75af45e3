#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/Types.h"
#include "zip/ZipFile.h"

// The whole uncompressed entry Name when the archive has it and it holds at
// most Limit bytes, by its stated size and by what reading it yields; nullopt
// otherwise, also when the entry cannot be read. Never more than Limit bytes
// are held, whatever the entry's header claims.
std::optional<TBytes> ReadBoundedEntry(TZipFile& Zip, const std::u16string& Name, uint32_t Limit);
