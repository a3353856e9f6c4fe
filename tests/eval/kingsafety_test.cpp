#include <gtest/gtest.h>

#include "evalfixture.h"

namespace {
const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Rays stop at, and include, the first occupied square of either colour.
TEST(AttackMasks, StartPosition)
{
    ChessBoard b = EvalBoard(StartFen);
    Prime(b);
    EXPECT_EQ(PE.WKnightAtk, Squares({"a3", "c3", "d2", "e2", "f3", "h3"}));
    EXPECT_EQ(PE.WKingAtk, Squares({"d1", "f1", "d2", "e2", "f2"}));
    EXPECT_EQ(PE.WBishopAtk, Squares({"b2", "d2", "e2", "g2"}));
    EXPECT_EQ(PE.WRookAtk, Squares({"a2", "b1", "g1", "h2"}));
    EXPECT_EQ(PE.WQueenAtk, Squares({"c1", "c2", "d2", "e2", "e1"}));
    EXPECT_EQ(PE.WPawnAtk, 0x0000000000FF0000ULL);
    EXPECT_EQ(PE.BPawnAtk, 0x0000FF0000000000ULL);
    EXPECT_EQ(PE.BKnightAtk, Squares({"a6", "c6", "d7", "e7", "f6", "h6"}));
    EXPECT_EQ(PE.WAllAtk, PE.WPawnAtk | PE.WKnightAtk | PE.WBishopAtk | PE.WRookAtk | PE.WQueenAtk | PE.WKingAtk);
}

// Pawns on the edge files attack one square only: no wrap to the other side of the board.
TEST(AttackMasks, EdgePawnsDoNotWrap)
{
    ChessBoard b = EvalBoard("4k3/p6p/8/8/8/8/P6P/4K3 w - - 0 1");
    Prime(b);
    EXPECT_EQ(PE.WPawnAtk, Squares({"b3", "g3"}));
    EXPECT_EQ(PE.BPawnAtk, Squares({"b6", "g6"}));
    EXPECT_EQ(PE.WPawnControl, PE.WPawnAtk);
    EXPECT_EQ(PE.BPawnControl, PE.BPawnAtk);
}

struct ShieldCase {
    const char* name;
    const char* fen;
    int side;
    int shield;
    int openFiles; // the king-open-file counter it leaves
};

// Own pawns on the three king files: 0 at home, 35 per step, 350 for a file without one; the king's
// file counts twice unless a piece stands right in front of a king on an empty file.
const ShieldCase Shields[] = {
    {"g1 f2 g2 h2", "6k1/8/8/8/8/8/5PPP/6K1 w - - 0 1", 0, 0, 0},
    {"g-pawn gone: 2 x 350", "6k1/8/8/8/8/8/5P1P/6K1 w - - 0 1", 0, 700, 1},
    {"knight in front halves it", "6k1/8/8/8/8/8/5PNP/6K1 w - - 0 1", 0, 350, 1},
    {"least advanced pawn of the file counts", "6k1/8/8/8/6P1/8/5PPP/6K1 w - - 0 1", 0, 0, 0},
    {"g5: 2 x 3 x 35, and open", "6k1/8/8/6P1/8/8/5P1P/6K1 w - - 0 1", 0, 210, 1},
    {"h1: 2 x 35 on h3 + 350 for the f-file + g2", "6k1/8/8/8/8/7P/6P1/7K w - - 0 1", 0, 420, 1},
    {"a1: c-file stands in for the left neighbour", "k7/8/8/8/8/8/PP6/K7 w - - 0 1", 0, 350, 1},
    {"black g5: 2 x 2 x 35", "6k1/5p1p/8/6p1/8/8/8/6K1 w - - 0 1", 1, 140, 0},
    {"black g4: 2 x 3 x 35, and open", "6k1/5p1p/8/8/6p1/8/8/6K1 w - - 0 1", 1, 210, 1},
    {"black g6 and g4: the g6 pawn counts", "6k1/5p1p/6p1/8/6p1/8/8/6K1 w - - 0 1", 1, 70, 0},
    {"black bishop in front of g8", "6k1/5pbp/8/8/8/8/8/6K1 w - - 0 1", 1, 350, 1},
    {"black, three empty files", "6k1/8/8/8/8/8/PPPPPPPP/6K1 w - - 0 1", 1, 1400, 3},
};

TEST(PawnShield, Cases)
{
    for (const ShieldCase& c : Shields) {
        ChessBoard b = EvalBoard(c.fen);
        Prime(b);
        EXPECT_EQ(PE.PawnShield(static_cast<char>(c.side)), c.shield) << c.name;
        EXPECT_EQ(c.side == 0 ? PE.WKingOpenFiles : PE.BKingOpenFiles, c.openFiles) << c.name;
    }
    ChessBoard b = EvalBoard(Shields[0].fen);
    Prime(b);
    EXPECT_EQ(PE.PawnShield(2), 0);
}

TEST(PawnShield, BitBoardRank)
{
    for (int sq = 0; sq < 64; sq++) EXPECT_EQ(PE.BitBoardRank(1ULL << sq), (sq >> 3) + 1) << sq;
    EXPECT_EQ(PE.BitBoardRank(0), 1);
}

struct StormCase {
    const char* name;
    const char* fen;
    int side;
    int storm;
};

// 100, 300, 600 for pawns on the enemy king's files, three, four and five ranks from home.
const StormCase Storms[] = {
    {"king g8, f5 g4 h6: 300 + 100 + 600", "6k1/8/7P/5P2/6P1/8/8/K7 w - - 0 1", 0, 1000},
    {"e-pawn is off the g8 king's files", "6k1/8/8/4P3/8/8/8/K7 w - - 0 1", 0, 0},
    {"h8 king: files f to h", "7k/8/5P2/8/8/8/8/K7 w - - 0 1", 0, 600},
    {"a pawn next to the king counts nothing", "6k1/6P1/8/8/8/8/8/K7 w - - 0 1", 0, 0},
    {"king b1, c5 a4 b3: 100 + 300 + 600", "k7/8/8/2p5/p7/1p6/8/1K6 w - - 0 1", 1, 1000},
};

TEST(PawnStorm, Cases)
{
    for (const StormCase& c : Storms) {
        ChessBoard b = EvalBoard(c.fen);
        Prime(b);
        EXPECT_EQ(PE.PawnStorm(static_cast<char>(c.side)), c.storm) << c.name;
    }
    EXPECT_EQ(PE.PawnStorm(2), 0);
}

struct AttackCase {
    const char* name;
    const char* fen;
    int expected;
};

// Attacks on the Black king g8 (zone f8 h8 f7 g7 h7), worked out term by term:
// T kinds, U weight, F = open files + 1, A = (15 x attacked zone squares + 125 U) F (x T / 4 for two or
// three kinds), D = 30 (H - 1) F + A + 5 M KOF + 10 P KOF + diagonals, halved without a queen, minus E.
const AttackCase Attacks[] = {
    // Queen d4 hits g7 only: T 1, A 0. H 0, P 0, M 3, KOF 0: D = -30; queen on b2-g7: +10; E: rook c8
    // covers f8, 100. -20 - 100.
    {"one kind", "2r3k1/5ppp/8/8/3Q4/8/5PPP/3R2K1 w - - 0 1", -120},
    // Queen h5 and knight g5 hit f7 and h7: T 2, U 5, A = (30 + 625) x 2 / 4 = 327. H 1 (queen on the
    // pawnless h-file): 30 x 0. D = 327, E 0.
    {"two kinds", "6k1/5ppp/8/6NQ/8/8/8/6K1 w - - 0 1", 327},
    // Rook f1 and bishop b2 join: T 4, U 8, zone hits f7 h7 g7: A = 45 + 1000 = 1045 taken whole.
    // H 2: + 30. Bishop on b2-g7: + 10. 1085.
    {"four kinds", "6k1/5ppp/8/6NQ/8/8/1B6/5RK1 w - - 0 1", 1085},
    // No g-pawn: KOF 1, F 2. Rook g3 hits g7, bishop d3 hits h7: T 2, U 3, A = (30 + 375) x 2 x 2 / 4 =
    // 405. H 1, P 1, M 2: D = 0 + 405 + 10 + 10, bishop on c2-h7: + 20 = 445; no queen: 222. E: knight
    // f6 covers h7, 100.
    {"open file, no queen, a defender", "6k1/5p1p/5n2/8/8/3B2R1/8/K7 b - - 0 1", 122},
};

TEST(AttackCounts, Cases)
{
    for (const AttackCase& c : Attacks) {
        ChessBoard b = EvalBoard(c.fen);
        Prime(b);
        PE.PawnShield(1);
        EXPECT_EQ(PE.AttackCounts(1), c.expected) << c.name;
        // The same attack on the mirrored board is the White king's danger.
        ChessBoard f = Flip(b);
        Prime(f);
        PE.PawnShield(0);
        EXPECT_EQ(PE.AttackCounts(0), c.expected) << c.name << " (flipped)";
    }
}

struct KingCase {
    const char* name;
    const char* fen;
    int returned, mg, eg;
};

// Square tables into the accumulators; without pawns the stronger side is paid 80 per square of
// distance between the kings it closes.
const KingCase Kings[] = {
    // e1 against e5: mg -210 - (-400), eg -50 - 80; distance 4.
    {"K+R v K, 4 apart", "8/8/8/4k3/8/8/8/R3K3 w - - 0 1", -320, 190, -130},
    {"K v K+R, 4 apart", "r7/8/8/4k3/8/8/8/4K3 w - - 0 1", 320, 190, -130},
    {"a pawn on the board", "8/8/8/4k3/8/8/P7/R3K3 w - - 0 1", 0, 190, -130},
    {"both have a piece", "8/8/8/4k3/8/8/8/R3K2n w - - 0 1", 0, 190, -130},
};

TEST(KingEval, Cases)
{
    for (const KingCase& c : Kings) {
        ChessBoard b = EvalBoard(c.fen);
        Prime(b);
        EXPECT_EQ(PE.KingEval(0), c.returned) << c.name;
        EXPECT_EQ(PE.MidgameScore, c.mg) << c.name;
        EXPECT_EQ(PE.EndgameScore, c.eg) << c.name;
    }
}
} // namespace
