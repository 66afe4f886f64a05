#include "test_support/allocation_count.h"

#include <cstdlib>
#include <new>

namespace {

// Per thread, so that the drawing helpers' allocations never count against
// the work being measured.
thread_local long long tCount = 0;

}  // namespace

long long allocationCount() {
    return tCount;
}

void* operator new(std::size_t size) {
    ++tCount;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

// GCC takes the free() of a replaced operator delete, inlined into its
// callers, for a mismatch with their operator new.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop
