#pragma once
// The heap, counted by wrapping glibc's allocator: Lua states allocate through realloc
// and C++ objects through operator new, and only a wrapper sees both, peak included.
// Sanitizers bring allocators of their own, so those builds do without (then
// TVSE_COUNT_HEAP is not defined). Include it in one file of a benchmark executable.

#include <atomic>
#include <cstddef>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#define TVSE_COUNT_HEAP 1
#include <malloc.h>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<bool> g_counting{false};
std::atomic<long long> g_in_use{0}; // net bytes since counting started
std::atomic<long long> g_peak{0};

void counted(void* block, long long sign)
{
    if (!block || !g_counting.load(std::memory_order_relaxed))
        return;
    const long long change = sign * static_cast<long long>(malloc_usable_size(block));
    const long long now = g_in_use.fetch_add(change) + change;
    long long peak = g_peak.load(std::memory_order_relaxed);
    while (now > peak && !g_peak.compare_exchange_weak(peak, now))
        ;
}

} // namespace

extern "C" {
void* malloc(std::size_t size) noexcept
{
    void* block = __libc_malloc(size);
    counted(block, 1);
    return block;
}
void* calloc(std::size_t count, std::size_t size) noexcept
{
    void* block = __libc_calloc(count, size);
    counted(block, 1);
    return block;
}
void* realloc(void* block, std::size_t size) noexcept
{
    counted(block, -1);
    void* moved = __libc_realloc(block, size);
    // A failed growth leaves the old block in place.
    counted(moved ? moved : (size ? block : nullptr), 1);
    return moved;
}
void free(void* block) noexcept
{
    counted(block, -1);
    __libc_free(block);
}
void* memalign(std::size_t alignment, std::size_t size) noexcept
{
    void* block = __libc_memalign(alignment, size);
    counted(block, 1);
    return block;
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept
{
    return memalign(alignment, size);
}
int posix_memalign(void** result, std::size_t alignment, std::size_t size) noexcept
{
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)))
        return 22; // EINVAL
    void* block = memalign(alignment, size);
    if (!block)
        return 12; // ENOMEM
    *result = block;
    return 0;
}
}
#endif
