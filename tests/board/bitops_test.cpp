#include <gtest/gtest.h>

#include "board/bitops.h"
#include "fixture.h"

namespace {
struct BitCase {
    uint64_t b;
    int rightMost, scanForward, count, log2;
};

TEST(BitOps, TableOfSets)
{
    const BitCase cases[] = {
        {0, 1, 64, 0, -1},
        {1ULL, 1, 1, 1, 0},                          // a1
        {1ULL << 63, 64, 64, 1, 63},                 // h8
        {(1ULL << 63) | 1ULL, 1, 1, 2, 63},          // a1 and h8: the lowest bit answers
        {0xF00ULL, 9, 9, 4, 11},                     // a2..d2
        {~0ULL, 1, 1, 64, 63},
        {0x8000000000000100ULL, 9, 9, 2, 63},
    };
    for (const BitCase& c : cases) {
        SCOPED_TRACE(c.b);
        EXPECT_EQ(RightMostBit(c.b), c.rightMost);
        EXPECT_EQ(RightMostBitTable(c.b), c.rightMost);
        EXPECT_EQ(MybitScanForward(c.b), c.scanForward);
        EXPECT_EQ(SimpleBitCount(c.b), c.count);
        EXPECT_EQ(SimpleBitCountLoop(c.b), c.count);
        EXPECT_EQ(MyLog2(c.b), c.log2);
        EXPECT_EQ(MyLog2Smear(c.b), c.log2);
    }
}

TEST(BitOps, EverySingleSquareAgreesWithTheReferenceForms)
{
    for (int i = 0; i < 64; i++) {
        uint64_t b = 1ULL << i;
        EXPECT_EQ(RightMostBit(b), i + 1);
        EXPECT_EQ(RightMostBitTable(b), i + 1);
        EXPECT_EQ(MybitScanForward(b), i + 1);
        EXPECT_EQ(MyLog2(b), i);
        EXPECT_EQ(MyLog2Smear(b), i);
        EXPECT_EQ(magictable[(b * Somemagic) >> 58], i);
        // With a higher bit added the low answers stay and the high one moves.
        uint64_t two = b | (1ULL << 63);
        EXPECT_EQ(RightMostBitTable(two), i + 1);
        EXPECT_EQ(MyLog2Smear(two), 63);
    }
}

TEST(BitOps, SquareOfIsTheLowestSquareAndA1ForAnEmptySet)
{
    // Move texts and keys of an empty from or to board read square 0 (a1).
    const struct {
        uint64_t b;
        int square;
    } cases[] = {
        {0, 0},
        {1ULL, 0},
        {1ULL << 63, 63},
        {(1ULL << 63) | (1ULL << 62), 62},
        {0xF00ULL, 8},
        {~0ULL, 0},
        {0x8000000000000100ULL, 8},
    };
    for (const auto& c : cases) EXPECT_EQ(SquareOf(c.b), c.square) << c.b;
    for (int i = 0; i < 64; i++) {
        EXPECT_EQ(SquareOf(1ULL << i), i);
        EXPECT_EQ(SquareOf((1ULL << i) | (1ULL << 63)), i);
    }
}

TEST(BitOps, DiagramOfOneSquare)
{
    std::string out = CaptureStdout([] { Displaybits(1); });
    std::string expected = "   A B C D E F G H\n\n";
    for (int rank = 8; rank >= 2; rank--)
        expected += std::to_string(rank) + "  - - - - - - - -  " + std::to_string(rank) + "\n";
    expected += "1  1 - - - - - - -  1\n\n   A B C D E F G H\n";
    EXPECT_EQ(out, expected);
}
} // namespace
