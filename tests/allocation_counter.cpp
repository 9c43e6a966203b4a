#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> allocations{0};
std::atomic<bool> refuseNothrow{false};
}

void RefuseNothrowAllocations(bool refuse)
{
    refuseNothrow = refuse;
}

size_t AllocationCount()
{
    return allocations.load();
}

void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size != 0 ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

// The no-throw forms as well: under the sanitizers they would otherwise come from the sanitizer's
// allocator and not pair with the delete replaced here (a module allocates with nothrow new).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (refuseNothrow) {
        return nullptr;
    }
    ++allocations;
    return std::malloc(size != 0 ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
