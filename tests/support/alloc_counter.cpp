#include "alloc_counter.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>

namespace {

// Plain storage, filled without allocating through new[] itself.
constexpr std::size_t kCapacity = 4096;
std::size_t s_sizes[kCapacity];
std::size_t s_count = 0;
std::mutex s_mutex;
std::atomic<std::size_t> s_failAtLeast{0};

} // namespace

namespace testsupport {

std::vector<std::size_t> TakeArrayAllocations()
{
    std::lock_guard lock(s_mutex);
    std::vector<std::size_t> sizes(s_sizes, s_sizes + s_count);
    s_count = 0;
    return sizes;
}

void FailNextArrayAllocation(std::size_t minBytes)
{
    s_failAtLeast = minBytes;
}

} // namespace testsupport

void* operator new[](std::size_t size)
{
    if (const std::size_t limit = s_failAtLeast.load(); limit != 0 && size >= limit) {
        s_failAtLeast = 0;
        throw std::bad_alloc();
    }
    {
        std::lock_guard lock(s_mutex);
        if (s_count < kCapacity)
            s_sizes[s_count++] = size;
    }
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
