#include "platform/memory.h"

#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

size_t PageSize()
{
    static const size_t size = [] {
        const long n = sysconf(_SC_PAGESIZE);
        return n > 0 ? static_cast<size_t>(n) : size_t{4096};
    }();
    return size;
}

void* AllocateLargePages(size_t bytes)
{
    // One large page more than asked for, so the aligned start always fits.
    void* p = mmap(nullptr, bytes + LargePageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    const uintptr_t aligned = (reinterpret_cast<uintptr_t>(p) + LargePageSize - 1) & ~uintptr_t{LargePageSize - 1};
    void* start = reinterpret_cast<void*>(aligned);
    AdviseLargePages(start, bytes);
    return start;
}

void AdviseLargePages(void* p, size_t bytes)
{
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(p) + LargePageSize - 1) & ~uintptr_t{LargePageSize - 1};
    const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~uintptr_t{LargePageSize - 1};
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

void PageIn(void* p, size_t bytes)
{
    // The kernel supplies the pages in one call where it can. Its answer is not proof: an emulator such as
    // qemu-user accepts the advice and does nothing. So every page is written as well, with the byte it
    // holds; a page already present costs one memory access.
#ifdef MADV_POPULATE_WRITE
    const uintptr_t page = PageSize();
    const uintptr_t begin = reinterpret_cast<uintptr_t>(p) & ~(page - 1);
    madvise(reinterpret_cast<void*>(begin), reinterpret_cast<uintptr_t>(p) + bytes - begin, MADV_POPULATE_WRITE);
#endif
    volatile char* bytesAt = static_cast<volatile char*>(p);
    for (size_t i = 0; i < bytes; i += PageSize()) bytesAt[i] = bytesAt[i];
    if (bytes > 0) bytesAt[bytes - 1] = bytesAt[bytes - 1];
}
