#include <gtest/gtest.h>

#include "board/bitmasks.h"

namespace {
TEST(BitMasks, KingDistanceIsTheLargerOfFileAndRankSteps)
{
    const struct {
        int a, b, distance;
    } cases[] = {
        {0, 0, 0},   // a1 a1
        {0, 1, 1},   // a1 b1
        {0, 9, 1},   // a1 b2
        {0, 18, 2},  // a1 c3
        {0, 63, 7},  // a1 h8
        {7, 56, 7},  // h1 a8: no wrap from the h-file to the a-file
        {7, 8, 7},   // h1 a2, next to each other as numbers
        {28, 35, 1}, // e4 d5
        {28, 44, 2}, // e4 e6
        {12, 61, 6}, // e2 f8
        {60, 4, 7},  // e8 e1
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BitMasks::Distance(c.a, c.b), c.distance) << c.a << " " << c.b;
        EXPECT_EQ(BitMasks::Distance(c.b, c.a), c.distance) << c.b << " " << c.a;
    }
}
} // namespace
