#include <gtest/gtest.h>

#include <climits>

#include "evalfixture.h"

namespace {
const PawnHashEntry& EntryOf(const ChessBoard& b)
{
    return PawnHashArray[b.PawnHashCode & PawnHashIndexMask];
}

struct PawnCase {
    const char* name;
    const char* fen;
    int returned, mg, eg;
    int whitePasserScore; // as cached, before the terms that depend on the pieces
    int whiteDoubled;
};

// Ws - Bs, with MGs + EGs and the live passer terms in the accumulators.
const PawnCase Pawns[] = {
    // Both sides: square values -20, the a-pawn -5 (king on the e-file), +10 (Passers[1] >> 2) for the
    // five pawns outside the king files d-f. Ws = Bs = 25.
    {"start position", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0, 0, 0, 0, 0},
    // Ws = Bs = -30.
    {"no pawns", "4k3/8/8/8/8/8/8/4K3 w - - 0 1", 0, 0, 0, 0, 0},
    // a2: -5 wing, isolated -90/-90 and -50, passed +50, doubled -50. a3: -5, -90/-90, -50, +50.
    // Ws = -60, Bs = -30. Passer a3: Passers[2] x 15 / 16 = 75. Live: not unstoppable (Ke8 4 from a8);
    // eg + (7 - 4) x 34 / 2 - (7 - 5) x 34 = 51 - 68.
    {"doubled a-pawns", "4k3/8/8/8/8/P7/P7/4K3 w - - 0 1", -30, -180, -180 + 51 - 68, 75, 1},
    {"tripled a-pawns", "4k3/8/8/8/P7/P7/P7/4K3 w - - 0 1", INT_MIN, INT_MIN, INT_MIN, INT_MIN, 2},
    // a7: -5, -90/-90, -50, +50: Ws = -5, Bs = -30. Passers[6] 1100. Live: eg + (7 - 6) x 184 / 2 = 92,
    // Kh1 is 7 away: 0; a8 free and nothing Black on a7 or a8: + 1100.
    {"free passer on a7", "8/P7/8/8/8/8/8/4K2k w - - 0 1", 25, -90, -90 + 92 + 1100, 1100, 0},
    // Rook h8 covers a8: no free run.
    {"passer on a7, a8 covered", "7r/P7/8/8/8/8/8/4K2k w - - 0 1", 25, -90, -90 + 92, 1100, 0},
    // c7 is three ranks from d4: Passers[6] + Passers[3]; e4 is beside d4: ConnectedPassers[3].
    {"c7 d4 e4", "4k3/2P5/8/8/3PP3/8/8/K7 w - - 0 1", INT_MIN, INT_MIN, INT_MIN, 1100 + 160 + 180, 0},
    // d5 is guarded by e4, which f6 stops: ProtectedPassers[4] 300; e4 is a candidate, 1 stopper f6
    // against 2 helpers: Passers[3] / 3 = 53.
    {"protected passer and candidate", "7k/8/5p2/3P4/4P3/8/8/K7 w - - 0 1", INT_MIN, INT_MIN, INT_MIN, 353, 0},
};

TEST(PawnEval, Cases)
{
    for (const PawnCase& c : Pawns) {
        ChessBoard b = EvalBoard(c.fen);
        ClearPawnHash();
        PrimeBeforePawns(b);
        const int returned = PE.PawnEval04(0);
        if (c.returned != INT_MIN) {
            EXPECT_EQ(returned, c.returned) << c.name;
            EXPECT_EQ(PE.MidgameScore, c.mg) << c.name;
            EXPECT_EQ(PE.EndgameScore, c.eg) << c.name;
        }
        if (c.whitePasserScore != INT_MIN) {
            EXPECT_EQ(EntryOf(b).WPasserScore, c.whitePasserScore) << c.name;
        }
        EXPECT_EQ(PE.WDoubledPawns, c.whiteDoubled) << c.name;
    }
}

TEST(PawnEval, StartPositionPawnScores)
{
    ChessBoard b = EvalBoard("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    ClearPawnHash();
    Prime(b);
    EXPECT_EQ(EntryOf(b).WPawnScore, 25);
    EXPECT_EQ(EntryOf(b).BPawnScore, 25);
    EXPECT_EQ(PE.WPasserCount + PE.BPasserCount, 0);
    EXPECT_EQ(PE.BackwardPawns, 0u);
    EXPECT_EQ(PE.WDoubledPawns + PE.BDoubledPawns, 0);
}

// Without pawns every file is open and half-open for both sides and no square is pawn-controlled.
TEST(PawnEval, PawnlessBoardHasAllFilesOpen)
{
    ChessBoard b = EvalBoard("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    ClearPawnHash();
    Prime(b);
    EXPECT_EQ(PE.OpenFiles, ~0ULL);
    EXPECT_EQ(PE.WHalfOpenFiles, ~0ULL);
    EXPECT_EQ(PE.BHalfOpenFiles, ~0ULL);
    EXPECT_EQ(PE.WPawnControl | PE.BPawnControl, 0u);
}

TEST(PawnEval, BackwardAndIsolated)
{
    // f2 behind g3 with no e-pawn: backward (-40, the f-file has a Black pawn). Black f7 and h7 are
    // isolated: +100 and +90 into both accumulators.
    ChessBoard b = EvalBoard("4k2N/5p1p/8/8/8/6P1/5PBP/2B3K1 w - - 0 1");
    ClearPawnHash();
    PrimeBeforePawns(b);
    PE.PawnEval04(0);
    EXPECT_EQ(PE.BackwardPawns, Sq("f2"));
    EXPECT_EQ(PE.MidgameScore, 190);
    // Ws: -40 + 3 (g3) = -37; Bs: +10 for h7 outside the Black king files d-f.
    EXPECT_EQ(EntryOf(b).WPawnScore, -37);
    EXPECT_EQ(EntryOf(b).BPawnScore, 10);
    // g3 is a candidate: 2 stoppers against 3 helpers, Passers[2] / 3.
    EXPECT_EQ(EntryOf(b).WPasserScore, 26);
}

// The second probe of the same pawns and kings is a hit and gives the same result.
TEST(PawnHash, HitAndMissCounts)
{
    ChessBoard b = EvalBoard("8/P7/8/8/8/8/8/4K2k w - - 0 1");
    ClearPawnHash();
    Phashattempts = Phashmisses = 0;
    const int first = Eval(b, 0);
    EXPECT_EQ(Phashattempts, 1);
    EXPECT_EQ(Phashmisses, 1);
    const int second = Eval(b, 0);
    EXPECT_EQ(Phashattempts, 2);
    EXPECT_EQ(Phashmisses, 1);
    EXPECT_EQ(first, second);
    // Moving the Black king changes the key: a miss.
    ChessBoard moved = EvalBoard("8/P7/8/8/8/8/7k/4K3 w - - 0 1");
    Eval(moved, 0);
    EXPECT_EQ(Phashmisses, 2);
    ClearPawnHash();
    EXPECT_EQ(Eval(b, 0), first);
    EXPECT_EQ(Phashattempts, 4);
    EXPECT_EQ(Phashmisses, 3);
}

// An empty or cleared entry never matches, not even a pawnless board whose key is 0: that board still
// gets every file open, so the rook keeps its open-file bonus (K+R v K: 5620 whatever the key).
TEST(PawnHash, EmptyEntryNeverMatches)
{
    ChessBoard b = EvalBoard("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    ChessBoard zeroKey = b;
    zeroKey.PawnHashCode = 0;
    for (int round = 0; round < 2; round++) {
        ClearPawnHash();
        Phashattempts = Phashmisses = 0;
        EXPECT_EQ(Eval(zeroKey, 0), 5620);
        EXPECT_EQ(Phashmisses, 1);
        EXPECT_EQ(Eval(zeroKey, 0), 5620);
        EXPECT_EQ(Phashmisses, 1);
    }
    EXPECT_EQ(Eval(b, 0), 5620);
}

TEST(PawnHash, CountersDoNotWrap)
{
    ChessBoard b = EvalBoard("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
    Phashattempts = Phashmisses = INT_MAX;
    ClearPawnHash();
    Eval(b, 0);
    EXPECT_GT(Phashattempts, static_cast<int64_t>(INT_MAX));
    EXPECT_GT(Phashmisses, static_cast<int64_t>(INT_MAX));
    Phashattempts = Phashmisses = 0;
}

struct PromoteCase {
    const char* name;
    int side, rank, promoSquare, sideToMove, enemyKing;
    bool expected;
};

// Moves n = 7 - rank (White) or rank (Black); from the second rank n = 5 with limit 6, else limit n + 1.
// Unstoppable when the enemy king is farther than the limit, or the pawn's side moves and n < distance.
const PromoteCase Promotions[] = {
    {"a2, Black to move, king 6 away", 0, 1, 56, 1, 62, false},
    {"a2, Black to move, king 7 away", 0, 1, 56, 1, 63, true},
    {"a2, White to move, king 6 away", 0, 1, 56, 0, 62, true},
    {"a7, king 2 away", 0, 6, 56, 1, 58, false},
    {"a7, king 3 away", 0, 6, 56, 1, 59, true},
    {"black h7, king 6 away", 1, 6, 7, 0, 1, false},
    {"black h7, king 7 away", 1, 6, 7, 0, 0, true},
    {"black h4, Black to move, king 4 away", 1, 3, 7, 1, 3, true},
    {"black h4, White to move, king 4 away", 1, 3, 7, 0, 3, false},
};

TEST(PawnRace, DoesPawnPromote)
{
    for (const PromoteCase& c : Promotions) {
        (c.side == 0 ? PE.BKingSq : PE.WKingSq) = c.enemyKing;
        EXPECT_EQ(PE.DoesPawnPromote(static_cast<char>(c.side), c.rank, c.promoSquare, static_cast<char>(c.sideToMove)),
                  c.expected)
            << c.name;
    }
}

struct SquareCase {
    const char* name;
    const char* fen;
    int whiteToMove, blackToMove;
};

// Kings and pawns only: +5700 / -5700 for the side whose pawn cannot be caught, the faster one in a
// double race; in an equal race the first queen may check or win the other.
const SquareCase Races[] = {
    // a5 and h4 both three moves. White to move: a queen on a8 sees h1 (Kf5 4 from h1), and the h1
    // queen does not see Kc5: +5700. Black to move the mirror: the h1 queen sees a8, Kc5 3 from it.
    {"equal race", "8/8/8/P1K2k2/7p/8/8/8 w - - 0 1", 5700, -5700},
    // Kc6 blocks the long diagonal. White to move: an a8 queen no longer sees h1: 0. Black to move: an
    // h1 queen checks Kc6, but the king is 2 from a8: 0.
    {"equal race, king on the long diagonal", "8/8/2K5/P4k2/7p/8/8/8 w - - 0 1", 0, 0},
    // a6 needs two moves, h4 three.
    {"faster White pawn", "8/8/P7/2K2k2/7p/8/8/8 w - - 0 1", 5700, 5700},
    {"only Black has one", "8/8/8/2K2k2/7p/8/8/8 w - - 0 1", -5700, -5700},
    // White to move queens with check on e8. Black to move, Ke8 is back in a5's square.
    {"queen checks", "4k3/8/8/P1K5/7p/8/8/8 w - - 0 1", 5700, -5700},
    // h5 and a4 both three moves. White to move: the h8 queen sees a1 but not Kb7; the a1 queen then checks
    // Kg1 and sees h8, 7 from Kg1: -5700. Black to move the a1 queen checks Kg1 first: -5700.
    {"equal race, the second queen wins", "8/1k6/8/7P/p7/8/8/6K1 w - - 0 1", -5700, -5700},
    // a6 and h3 both two moves. Either side to move, the h1 queen checks Ka8 and sees a8, but the king
    // stands by White's queening square: 0.
    {"equal race, the first queen guarded by its king", "K7/7k/P7/8/8/7p/8/8 w - - 0 1", 0, 0},
    // a6 and h3 both two moves. White to move: the a8 queen sees h1, but Kf1 is 2 from it: 0. Black to
    // move: the h1 queen sees a8, 3 from Kb5: -5700.
    {"equal race, the other king by its queening square", "8/8/P7/1K6/8/7p/8/5k2 w - - 0 1", 0, -5700},
    {"both caught", "8/1k6/8/P7/7p/8/6K1/8 w - - 0 1", 0, 0},
    {"a knight on the board", "8/8/8/P1K2k2/7p/8/8/6N1 w - - 0 1", 0, 0},
};

TEST(PawnRace, RuleOfTheSquare)
{
    for (const SquareCase& c : Races) {
        ChessBoard b = EvalBoard(c.fen);
        Prime(b);
        EXPECT_EQ(PE.RuleofSquare(0), c.whiteToMove) << c.name;
        EXPECT_EQ(PE.RuleofSquare(1), c.blackToMove) << c.name;
        // The colour-flipped race is the same race for the other side.
        ChessBoard f = Flip(b);
        Prime(f);
        EXPECT_EQ(PE.RuleofSquare(1), -c.whiteToMove) << c.name << " (flipped)";
        EXPECT_EQ(PE.RuleofSquare(0), -c.blackToMove) << c.name << " (flipped)";
    }
}
} // namespace
