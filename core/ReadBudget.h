#pragma once

#include <algorithm>
#include <cstdint>

#include "core/Exceptions.h"

// What one preview request may read into memory in all: every entry,
// record, document and picture it reads draws on it, so that reads each
// within their own limit do not add up without end. A search that has an
// allowance of its own takes a share: its reads draw on the share and on
// the budget it came from, so it stops at whichever runs out first.
class TReadBudget {
public:
    explicit TReadBudget(uint64_t Bytes) : FLeft(Bytes) {}
    TReadBudget(TReadBudget& Whole, uint64_t Share) : FLeft(Share), FWhole(&Whole) {}
    TReadBudget(const TReadBudget&) = delete;
    TReadBudget& operator=(const TReadBudget&) = delete;

    uint64_t Left() const { return FWhole ? std::min(FLeft, FWhole->Left()) : FLeft; }
    void Charge(uint64_t Bytes)
    {
        FLeft -= std::min(Bytes, FLeft);
        if (FWhole)
            FWhole->Charge(Bytes);
    }
    // Charges Bytes about to be read whole; EReadError, and nothing charged,
    // when fewer are left.
    void Draw(uint64_t Bytes)
    {
        if (Bytes > Left())
            throw EReadError(SReadError);
        Charge(Bytes);
    }
    // Limit, lowered to what is left.
    uint64_t Within(uint64_t Limit) const { return std::min(Limit, Left()); }

private:
    uint64_t FLeft;
    TReadBudget* FWhole = nullptr;
};
