#pragma once

#include <cstddef>
#include <cstdint>

// A test program that links tests/support/CountingAllocator.cpp has its
// global operator new and delete, and pugixml's allocation functions,
// replaced by counting ones: the bytes alive now and at most since the last
// reset, the allocations made, and, on request, a failure of the Nth
// allocation from now (operator new raises std::bad_alloc, pugixml's
// function gives null). Allocations that C libraries make with malloc are
// not seen.
namespace counting {

struct TCounts {
    uint64_t Allocations = 0;
    uint64_t LiveBytes = 0;
    uint64_t PeakBytes = 0;
};

// Installs pugixml's functions (operator new is replaced at link time).
void Install();
// Starts a measurement: the peak becomes the bytes alive now, the count 0.
void Reset();
TCounts Counts();
// Makes the Nth allocation from now fail (1: the next one); 0: none fails.
void FailAllocation(uint64_t N);
// Whether the allocation picked by FailAllocation has come and failed.
bool FailureHappened();

}
