// Counts the bytes the program holds on the heap, by the allocator's real block
// sizes, so that the memory run can report the peak a parse needs.
#include <malloc.h>

#include <cstdlib>
#include <new>

#include "bench/Engines.hpp"

namespace {

std::size_t iLive = 0;
std::size_t iPeak = 0;

void* Allocate(std::size_t iSize) {
    void* p = std::malloc(iSize ? iSize : 1);
    if (!p) throw std::bad_alloc();
    iLive += malloc_usable_size(p);
    if (iLive > iPeak) iPeak = iLive;
    return p;
}

void Release(void* p) noexcept {
    if (!p) return;
    iLive -= malloc_usable_size(p);
    std::free(p);
}

}  // namespace

void* operator new(std::size_t iSize) { return Allocate(iSize); }
void* operator new[](std::size_t iSize) { return Allocate(iSize); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

namespace quorix::bench {

std::size_t LiveBytes() { return iLive; }
std::size_t PeakBytes() { return iPeak; }
void ResetPeakBytes() { iPeak = iLive; }

}  // namespace quorix::bench
