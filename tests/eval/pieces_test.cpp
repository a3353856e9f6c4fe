#include <gtest/gtest.h>

#include "evalfixture.h"

namespace {
struct TermCase {
    const char* name;
    const char* fen;
    int returned, mg, eg;
};

using Term = int (PositionEvaluate::*)(char);

void CheckTerm(const TermCase& c, Term term)
{
    ChessBoard b = EvalBoard(c.fen);
    Prime(b);
    EXPECT_EQ((PE.*term)(0), c.returned) << c.name;
    EXPECT_EQ(PE.MidgameScore, c.mg) << c.name;
    EXPECT_EQ(PE.EndgameScore, c.eg) << c.name;
    // The colour-flipped board gives the same amounts for Black, with the sign turned.
    ChessBoard f = Flip(b);
    Prime(f);
    EXPECT_EQ((PE.*term)(0), -c.returned) << c.name << " (flipped)";
    EXPECT_EQ(PE.MidgameScore, -c.mg) << c.name << " (flipped)";
    EXPECT_EQ(PE.EndgameScore, -c.eg) << c.name << " (flipped)";
}

TEST(PieceTerms, StartPositionCancels)
{
    ChessBoard b = EvalBoard("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    Prime(b);
    EXPECT_EQ(PE.KnightEval(0), 0);
    EXPECT_EQ(PE.BishopEval(0), 0); // both pairs: 500 - 500
    EXPECT_EQ(PE.BishopInfo[0].PairBonus, 500);
    EXPECT_EQ(PE.RookEval(0), 0);
    EXPECT_EQ(PE.QueenEval(0), 0);
    EXPECT_EQ(PE.MidgameScore, 0);
    EXPECT_EQ(PE.EndgameScore, 0);
}

// Knight d5: square 80 / 150, eight targets 120 / 120, outpost 120 unless a Black pawn on c6 or e6
// attacks d5 now.
const TermCase Knights[] = {
    {"outpost d5", "4k3/8/8/3N4/8/8/8/4K3 w - - 0 1", 0, 80 + 120 + 120, 150 + 120},
    {"pawn c6 takes the outpost", "4k3/8/2p5/3N4/8/8/8/4K3 w - - 0 1", 0, 80 + 120, 150 + 120},
    // Pawn e7 does not attack d5; it stands on one target (still counted) and guards another, f6: 7, 100.
    {"pawn e7: outpost kept, mobility 7", "4k3/4p3/8/3N4/8/8/8/4K3 w - - 0 1", 0, 80 + 120 + 100, 150 + 100},
    // h8: square -250 / -250; targets f7 (enemy pawn counts) and g6 (empty, guarded by f7: no).
    {"cornered knight", "4k2N/5p2/8/8/8/8/8/4K3 w - - 0 1", 0, -250 - 70, -250 - 70},
};

TEST(PieceTerms, Knights)
{
    for (const TermCase& c : Knights) CheckTerm(c, &PositionEvaluate::KnightEval);
}

// Rook mobility v into the middle game, 14v/10 into the end game; +320/+140 on an open file; the
// half-open +50 only in the returned value.
const TermCase Rooks[] = {
    // d1: 13 targets (h1 is its own king), 230 / 322.
    {"open file", "7k/8/8/8/8/8/8/3R3K w - - 0 1", 0, 230 + 320, 322 + 140},
    // d6 stops the file: 11 targets, 190 / 266.
    {"only a Black pawn on the file", "7k/8/3p4/8/8/8/8/3R3K w - - 0 1", 50, 190, 266},
    // e1: 9 targets, 140 / 196; behind its own passer e5: +37 / +75.
    {"behind own passer", "7k/8/8/4P3/8/8/8/4R2K w - - 0 1", 0, 140 + 37, 196 + 75},
    // e7: 12 targets, 210 / 294; above the Black passer e3: +18 / +37; e-file half-open.
    {"behind enemy passer", "7k/4R3/8/8/8/4p3/8/7K w - - 0 1", 50, 210 + 18, 294 + 37},
    // a1 shut in by its king and pawn: -220 / -308.
    {"no targets", "7k/8/8/8/1p6/8/P7/RK6 w - - 0 1", 0, -220, -308},
    // a1 with a Black pawn on a2: 7 squares less b1 (empty, guarded by a2): 6, 70 / 98; -100 / -200.
    {"enemy pawn in front on the back rank", "7k/8/8/8/8/8/p7/R6K w - - 0 1", 50, 70 - 100, 98 - 200},
};

TEST(PieceTerms, Rooks)
{
    for (const TermCase& c : Rooks) CheckTerm(c, &PositionEvaluate::RookEval);
}

// A White queen on h7 whose five targets h6 g7 h8 g6 g8 are all covered by Black: mobility -40 both,
// and (0 - 2) x 3250 in the end game.
const TermCase Queens[] = {
    {"stranded on h7", "6k1/4n1pQ/6pp/8/8/8/8/1K6 b - - 0 1", 0, -40, -40 - 6500},
    // A rook f8 covers g8 in place of the knight, g6 is left unguarded: one safe target, -3250.
    {"one safe square", "5rk1/6pQ/6pp/8/8/8/8/1K6 b - - 0 1", 0, -40, -40 - 3250},
    // h2 on its own half: h1 g2 h3 g1 g3, less h1 (empty, guarded by g2): 4 targets, -60; nothing else.
    {"home half", "6k1/8/8/8/8/6pp/6pQ/1K6 w - - 0 1", 0, -60, -60},
};

TEST(PieceTerms, Queens)
{
    for (const TermCase& c : Queens) CheckTerm(c, &PositionEvaluate::QueenEval);
}

// Bishop squares, the shared end-game table, mobility both, fianchetto +200 on g2 with g3 and f2 or h2.
const TermCase Bishops[] = {
    // g2: 25 / -50; h1 f1 f3 e4 d5 c6 b7 a8 h3: 9 targets, 90; fianchetto 200.
    {"fianchetto", "4k3/8/8/8/8/6P1/5PBP/6K1 w - - 0 1", 0, 25 + 90 + 200, -50 + 90},
    // Without the g3 pawn: the same nine targets, no fianchetto.
    {"no g3 pawn", "4k3/8/8/8/8/8/5PBP/6K1 w - - 0 1", 0, 25 + 90, -50 + 90},
    // Two bishops c1 g2 as in the fianchetto board: c1 -200 / -120, 7 targets 90; pair 500.
    {"pair", "4k3/8/8/8/8/6P1/5PBP/2B3K1 w - - 0 1", 500, -200 + 90 + 25 + 90 + 200, -120 + 90 - 50 + 90},
};

TEST(PieceTerms, Bishops)
{
    for (const TermCase& c : Bishops) CheckTerm(c, &PositionEvaluate::BishopEval);
}

// With two pieces of a kind each one's own rays are walked; the index stays within one piece's reach
// whatever the counts say.
TEST(PieceTerms, MobilityUsesEachPiecesOwnRays)
{
    // Rooks a1 and h1: each counts its own rays, not the union of both (19 squares).
    ChessBoard b = EvalBoard("4k3/8/8/8/8/8/8/R3K2R w - - 0 1");
    Prime(b);
    PE.RookEval(0);
    // a1: a2-a8, b1 c1 d1 (e1 own king): 10 -> 170; h1: h2-h8, g1 f1: 9 -> 140. Both files open.
    EXPECT_EQ(PE.MidgameScore, 170 + 140 + 2 * 320);
    EXPECT_EQ(PE.EndgameScore, 238 + 196 + 2 * 140);
}
} // namespace
