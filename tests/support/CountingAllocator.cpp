#include "tests/support/CountingAllocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include <pugixml.hpp>

namespace {

std::atomic<uint64_t> Allocations{0};
std::atomic<uint64_t> LiveBytes{0};
std::atomic<uint64_t> PeakBytes{0};
std::atomic<uint64_t> FailAt{0};
std::atomic<bool> Failed{false};

// Each block starts with its size, so that a free knows what it gives back;
// the header keeps the alignment operator new promises.
constexpr size_t Header = alignof(std::max_align_t);

void* Allocate(size_t Size)
{
    const uint64_t Number = ++Allocations;
    const uint64_t Fail = FailAt.load();
    if (Fail != 0 && Number == Fail) {
        Failed = true;
        return nullptr;
    }
    if (Size > SIZE_MAX - Header)
        return nullptr;
    auto* Block = static_cast<unsigned char*>(std::malloc(Size + Header));
    if (!Block)
        return nullptr;
    *reinterpret_cast<size_t*>(Block) = Size;
    const uint64_t Live = LiveBytes += Size;
    uint64_t Peak = PeakBytes.load();
    while (Live > Peak && !PeakBytes.compare_exchange_weak(Peak, Live)) {
    }
    return Block + Header;
}

void Release(void* Pointer)
{
    if (!Pointer)
        return;
    auto* Block = static_cast<unsigned char*>(Pointer) - Header;
    LiveBytes -= *reinterpret_cast<size_t*>(Block);
    std::free(Block);
}

void* AllocateOrThrow(size_t Size)
{
    if (void* Pointer = Allocate(Size == 0 ? 1 : Size))
        return Pointer;
    throw std::bad_alloc();
}

}

namespace counting {

void Install() { pugi::set_memory_management_functions(Allocate, Release); }

void Reset()
{
    Allocations = 0;
    PeakBytes = LiveBytes.load();
}

TCounts Counts() { return {Allocations.load(), LiveBytes.load(), PeakBytes.load()}; }

void FailAllocation(uint64_t N)
{
    Failed = false;
    Allocations = 0;
    FailAt = N;
}

bool FailureHappened() { return Failed.load(); }

}

void* operator new(size_t Size) { return AllocateOrThrow(Size); }
void* operator new[](size_t Size) { return AllocateOrThrow(Size); }
void* operator new(size_t Size, const std::nothrow_t&) noexcept { return Allocate(Size == 0 ? 1 : Size); }
void* operator new[](size_t Size, const std::nothrow_t&) noexcept { return Allocate(Size == 0 ? 1 : Size); }
void operator delete(void* Pointer) noexcept { Release(Pointer); }
void operator delete[](void* Pointer) noexcept { Release(Pointer); }
void operator delete(void* Pointer, size_t) noexcept { Release(Pointer); }
void operator delete[](void* Pointer, size_t) noexcept { Release(Pointer); }
void operator delete(void* Pointer, const std::nothrow_t&) noexcept { Release(Pointer); }
void operator delete[](void* Pointer, const std::nothrow_t&) noexcept { Release(Pointer); }
