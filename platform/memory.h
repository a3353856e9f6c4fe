#pragma once
#include <cstddef>

// The kernel's memory services the engine's large tables use. Kernels, C libraries and emulators differ in
// which advice they honour; the differences stay here.

// The kernel's large-page size: a table aligned to it and advised as large pages needs one TLB entry per
// 2 MiB instead of 512.
inline constexpr size_t LargePageSize = size_t{2} << 20;

// The size of an ordinary page.
size_t PageSize();

// Zeroed memory of `bytes`, aligned to a large page and advised as large pages; its pages come into being
// as they are first touched. Never freed. nullptr when the kernel refuses.
void* AllocateLargePages(size_t bytes);

// Asks for large pages over the whole large pages inside [p, p + bytes); advice only.
void AdviseLargePages(void* p, size_t bytes);

// Makes every page of [p, p + bytes) present, so that no later access waits for the kernel to supply one;
// the contents stay as they are.
void PageIn(void* p, size_t bytes);
