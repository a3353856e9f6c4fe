#include <gtest/gtest.h>

#include "evalfixture.h"

namespace {
struct ValueCase {
    const char* name;
    const char* fen;
    int expected;
};

// Each case also holds, negated, on the colour-flipped board.
void CheckBothColours(const ValueCase& c, int (*term)())
{
    ChessBoard b = EvalBoard(c.fen);
    Prime(b);
    EXPECT_EQ(term(), c.expected) << c.name;
    ChessBoard f = Flip(b);
    Prime(f);
    EXPECT_EQ(term(), -c.expected) << c.name << " (flipped)";
}

const ValueCase Adjustments[] = {
    {"lone bishop against three pawns", "4k3/ppp5/8/8/8/8/8/2B1K3 w - - 0 1", -750},
    {"the same with a Black knight", "4k1n1/ppp5/8/8/8/8/8/2B1K3 w - - 0 1", 0},
    {"bishop and pawn against pawns", "4k3/ppp5/8/8/8/8/4P3/2B1K3 w - - 0 1", 0},
    {"lone knight against pawns", "4k3/8/8/8/8/8/PP6/4K1n1 w - - 0 1", 800},
    // a2 a3 a4: two doubled; one rook and no queen: x -125.
    {"doubled pawns, one rook", "4k3/7p/8/8/P7/P7/P7/3RK3 w - - 0 1", -250},
    // White a2 a3 with a queen: -62; Black b6 b7 with nothing heavy: +190.
    {"doubled pawns by heavy pieces", "4k3/1p6/1p6/8/8/P7/P7/3QK3 w - - 0 1", -62 + 190},
};

TEST(Material, DynamicPieceAdjustments)
{
    for (const ValueCase& c : Adjustments) CheckBothColours(c, [] { return PE.DynamicPieceAdjustments(0); });
}

const ValueCase TrapCases[] = {
    {"knight h8, pawns h7 and f7: once", "4k2N/5p1p/8/8/8/8/8/4K3 w - - 0 1", -1219},
    {"knights h8 and a8", "N3k2N/p6p/8/8/8/8/8/4K3 w - - 0 1", -2438},
    {"knight g7 behind h7 g6 f7", "4k3/5pNp/6p1/8/8/8/8/4K3 b - - 0 1", -1219},
    {"knight g7 without g6", "4k3/5pNp/8/8/8/8/8/4K3 b - - 0 1", 0},
    {"knight a7 behind b7 and a6", "4k3/Np6/p7/8/8/8/8/4K3 w - - 0 1", -1219},
    {"bishops a7 and b8: one pattern", "1B2k3/B1p5/1p6/8/8/8/8/4K3 w - - 0 1", -1600},
    {"bishop h7 behind g6 f7", "4k3/5p1B/6p1/8/8/8/8/4K3 w - - 0 1", -1600},
    {"rook h1 boxed in, Black has only minors", "1n2k3/8/8/8/8/8/6P1/6KR w - - 0 1", 0},
    {"rook h1 boxed in, Black has a queen", "3qk3/8/8/8/8/8/6P1/6KR w - - 0 1", -1670},
    {"rook a1 boxed in by Kb1", "3qk3/8/8/8/8/8/1P6/RK6 w - - 0 1", -1670},
    {"king g1 without a pawn beside it", "3qk3/8/8/8/8/8/8/6KR w - - 0 1", 0},
};

TEST(Material, Traps)
{
    for (const ValueCase& c : TrapCases) CheckBothColours(c, [] { return PE.Traps(0); });
}

TEST(Material, MaterialOnlyAndSideMaterial)
{
    ChessBoard start = EvalBoard("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(PE.MaterialOnly(0, 0, start), 0);
    EXPECT_EQ(PE.MaterialOnly(1, 0, start), 0);
    EXPECT_EQ(PE.SideMaterialValue(0, &start), 32750);
    EXPECT_EQ(PE.SideMaterialValue(1, &start), 32750);

    // 5000 + 3250 + 3250 + 9750 + 4 x 800 against a bare king.
    ChessBoard b = EvalBoard("4k3/8/8/8/8/8/PPPP4/RNBQK3 w - - 0 1");
    EXPECT_EQ(PE.MaterialOnly(0, -5000, b), 24450);
    EXPECT_EQ(PE.MaterialOnly(1, 5000, b), -24450);
    EXPECT_EQ(PE.SideMaterialValue(0, &b), 21250);
    EXPECT_EQ(PE.SideMaterialValue(1, &b), 0);
}

// d7-e6-f5 and c4-d5-e6 hold White's e6 twice, d5 once; Black's d3 on d3-e4-f5 and e2-d3-c4: 20 x (3 - 2).
TEST(Material, PawnPhalanx)
{
    ChessBoard b = EvalBoard("4k3/8/4P3/3P4/8/3p4/8/4K3 w - - 0 1");
    Prime(b);
    EXPECT_EQ(PE.PawnPhalanx(), 20);
}
} // namespace
