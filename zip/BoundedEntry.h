#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/Types.h"
#include "zip/ZipFile.h"

// What the reads of one search through an archive may inflate together, so
// that many entries, each within its own limit, do not add up without end.
class TReadBudget {
public:
    explicit TReadBudget(uint64_t Bytes) : FLeft(Bytes) {}
    uint64_t Left() const { return FLeft; }
    void Charge(uint64_t Bytes) { FLeft -= Bytes < FLeft ? Bytes : FLeft; }

private:
    uint64_t FLeft;
};

// The whole uncompressed entry Name when the archive has it and it holds at
// most Limit bytes, by its stated size and by what reading it yields; nullopt
// otherwise, also when the entry cannot be read. Never more than Limit bytes
// are held, whatever the entry's header claims. With a Budget, what is left
// of it lowers the limit, and every byte read is charged to it, also when
// the read then fails.
std::optional<TBytes> ReadBoundedEntry(TZipFile& Zip, const std::u16string& Name, uint32_t Limit,
                                       TReadBudget* Budget = nullptr);
