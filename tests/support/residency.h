#pragma once
// Which pages of a region the kernel holds, as mincore reports them. Under an emulator the report may
// not describe the emulated program's memory, so a test first asks whether it can tell a page never
// touched from one just written, and skips its residency check where it cannot.
#include <cstddef>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace residency {
inline size_t Page()
{
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

inline bool Observable()
{
    const size_t page = Page();
    void* p = mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return false;
    static_cast<volatile char*>(p)[0] = 1;
    unsigned char seen[2] = {0, 0};
    const bool truthful = mincore(p, 2 * page, seen) == 0 && (seen[0] & 1) == 1 && (seen[1] & 1) == 0;
    munmap(p, 2 * page);
    return truthful;
}

// Pages of [p, p + bytes) that are not present; p must be page-aligned.
inline size_t Missing(void* p, size_t bytes)
{
    const size_t page = Page();
    std::vector<unsigned char> resident((bytes + page - 1) / page);
    if (mincore(p, bytes, resident.data()) != 0) return resident.size();
    size_t missing = 0;
    for (const unsigned char r : resident) missing += (r & 1) == 0;
    return missing;
}
} // namespace residency
