#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/memory.h"
#include "tests/support/residency.h"

namespace {
TEST(Memory, LargePageAllocationIsAlignedZeroedAndUntouchedUntilPagedIn)
{
    constexpr size_t Bytes = 3 * LargePageSize + 12345;
    auto* p = static_cast<unsigned char*>(AllocateLargePages(Bytes));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % LargePageSize, 0u);
    const bool observable = residency::Observable();
    // Start-up stays fast only while nothing touches the table.
    if (observable) {
        EXPECT_GT(residency::Missing(p, Bytes), 0u);
    }

    p[0] = 7;
    p[Bytes / 2] = 8;
    p[Bytes - 1] = 9;
    PageIn(p, Bytes);
    EXPECT_EQ(p[0], 7);
    EXPECT_EQ(p[Bytes / 2], 8);
    EXPECT_EQ(p[Bytes - 1], 9);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[Bytes - 2], 0);
    if (!observable) GTEST_SKIP() << "this kernel or emulator does not report page residency";
    EXPECT_EQ(residency::Missing(p, Bytes), 0u);
}

// A region that starts and ends inside pages (the pawn hash is a static array): the pages it touches are
// paged in, the contents around it are kept.
TEST(Memory, PageInCoversARegionThatIsNotPageAligned)
{
    const size_t page = PageSize();
    static unsigned char area[1 << 20];
    const size_t start = page - (reinterpret_cast<uintptr_t>(area) % page) + 100;
    const size_t bytes = 5 * page + 7;
    std::memset(area + start, 0x5a, bytes);
    PageIn(area + start, bytes);
    for (const size_t i : {size_t{0}, page, bytes / 2, bytes - 1}) EXPECT_EQ(area[start + i], 0x5a) << i;
    if (!residency::Observable()) GTEST_SKIP() << "this kernel or emulator does not report page residency";
    EXPECT_EQ(residency::Missing(area + start - 100, bytes + 100), 0u);
}

TEST(Memory, PageSizeIsAPowerOfTwoThatDividesTheLargePage)
{
    const size_t page = PageSize();
    EXPECT_GE(page, 4096u);
    EXPECT_EQ(page & (page - 1), 0u);
    EXPECT_EQ(LargePageSize % page, 0u);
}
} // namespace
