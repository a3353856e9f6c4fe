#include <gtest/gtest.h>

#include "evalfixture.h"

namespace {
struct ScoreCase {
    const char* name;
    const char* fen;
    int whiteView;  // side 0
    int blackView;  // side 1
};

// Whole evaluations worked out term by term, full window. Notation: s is the running score after each
// step, mg/eg the accumulators, blend = (Phase x eg + (24 - Phase) x mg) / 24.
const ScoreCase Scores[] = {
    {"start position", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0, 0},
    // Kings only: KingEnding[e1] - KingEnding[e8] = -50 - -50.
    {"bare kings", "4k3/8/8/8/8/8/8/4K3 w - - 0 1", 0, 0},
    // A single minor more, no pawns: KingEnding 0 + (3 x 3250) / 4 = 2437, not rounded.
    {"bishop against bare king", "4k3/8/8/8/8/8/8/2B1K3 w - - 0 1", 2437, -2437},
    // (3 x -3250) / 4 = -2437 (toward zero).
    {"bare king against bishop", "2b1k3/8/8/8/8/8/8/4K3 w - - 0 1", -2437, 2437},
    // Rook: md 5000, Phase 22. Pawns: Ws = Bs = -30, 0. King: mg -210 - -210, eg -50 - -50, kings 7 apart:
    // -560. s = 4440, blend 0. Rook a1 on the open a-file: 10 targets: mg 170 + 320 = 490,
    // eg 238 + 140 = 378; blend (22 x 378 + 2 x 490) / 24 = 9296 / 24 = 387; s = 4827.
    // Mating material (White only): + 800 = 5627 -> 5620.
    {"rook against bare king", "4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 5620, -5620},
    // md 1750, Phase 21, kings e1 e8: s = 1750; rook against knight: 1750 / 2.
    {"rook against knight, halved", "1n2k3/8/8/8/8/8/8/R3K3 w - - 0 1", 875, -875},
    // md -1750, Phase 21. King: mg 210 - -210 = 420, eg -150 - -50 = -100; blend (21 x -100 + 3 x 420) /
    // 24 = -35; s = -1785; halved: -892 (toward zero).
    {"knight against rook, halved", "r3k3/8/8/8/8/8/8/1N4K1 w - - 0 1", -892, 892},
    // Phase 24, so the pawn is worth 800 + 200. Pawns: a2 -5 (wing), isolated -90 / -90 and -50, passed
    // +50: Ws = -5, Bs = -30: 25; passer 40, +150 unstoppable (Kh8 7 from a8); eg + (7 - 4) x 17 / 2 = 25,
    // - (7 - 7) x 17. s = 1025; mg = -90 + 13 x 190 / 10 = 157, eg = -65 + 19 x 190 / 10 = 296.
    // King: mg -210 - 180, eg -50 - -250: eg 496; blend 496: s = 1521. Rule of the square: + 5700.
    // Mating material: + 800 = 8021 -> 8020. Black to move changes nothing: Kh8 is 7 away.
    {"pawn race won", "7k/8/8/8/8/8/P7/4K3 w - - 0 1", 8020, -8020},
    // As above with Kg8, 6 from a8: unstoppable only with White to move (n 5 < 6).
    // White to move: proximity - (7 - 6) x 17: eg = -82 + 361 + 100 = 379, s = 1025 + 379 + 5700 + 800
    // = 7904 -> 7900. Black to move: passer 40: mg -90 + 52 - 420, eg -82 + 76 + 100 = 94; s = 1025 + 94
    // + 0 + 800 = 1919 -> 1910, Black's view -1910.
    {"pawn race, side to move decides", "6k1/8/8/8/8/8/P7/4K3 w - - 0 1", 7900, -1910},
    // md 9750, Phase 16, pawns f2 g2 h2 against f7 g7 h7: all 0; kings g1 g8 cancel. s = 9750.
    // King safety (only White attacks: queen and rook): shield of g8 0; attack on g8: -120 (queen alone
    // on g7: D = -30 + 10 for b2-g7, E = 100 for the c8 rook on f8); storm 0. mg = -120, blend -40: 9710.
    // Centre: rook d1 sees d4: mg = 30. Rooks: d1 7 targets 100 / 140 + open 320 / 140; c8 12 targets
    // -210 / -294, open -320 / -140. Queen d4: 22 targets 280 / 280. mg = 200, eg = 126: blend
    // (16 x 126 + 8 x 200) / 24 = 150: 9860. Both have mating material: 0.
    {"queen and rook against rook", "2r3k1/5ppp/8/8/3Q4/8/5PPP/3R2K1 w - - 0 1", 9860, -9860},
    // md 9750, Phase 21; s = 9750 + 800 + (200 x 1 x 21) / 24 = 10725. Pawns: f2 backward -40, g3 +3:
    // Ws -37; f7 and h7 isolated +100 / +90 into mg and eg, h7 outside d-f: Bs 10: -47; candidate g3
    // 26: mg 190 + 33, eg 190 + 49. King: mg + 420, eg - 100; blend (21 x 139 + 3 x 643) / 24 = 202:
    // s = 10880. Trapped knight h8: -1219 both, blend: 9661. Centre: bishop g2 sees d5 and e4: mg 60.
    // Knight h8: -250 / -250, 1 target -70 / -70. Bishops: c1 -200 / -120 + 90 / 90, g2 25 / -50 +
    // 90 / 90 + fianchetto 200; pair + 500 to s. mg -55, eg -310, blend -278: 10161 - 278 = 9883 -> 9880.
    {"trapped knight, bishop pair", "4k2N/5p1p/8/8/8/6P1/5PBP/2B3K1 w - - 0 1", 9880, -9880},
};

TEST(PosEval, WorkedPositions)
{
    for (const ScoreCase& c : Scores) {
        ChessBoard b = EvalBoard(c.fen);
        ClearPawnHash();
        EXPECT_EQ(Eval(b, 0), c.whiteView) << c.name;
        EXPECT_EQ(Eval(b, 1), c.blackView) << c.name;
    }
}

TEST(PosEval, StartPositionPhase)
{
    ChessBoard b = EvalBoard("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    Eval(b, 0);
    EXPECT_EQ(PE.Phase, 1);
}

// Two bishops against a knight is not a single minor more: the full evaluation runs and rounds.
TEST(PosEval, TwoBishopsAgainstKnightIsNotShortened)
{
    ChessBoard b = EvalBoard("1n2k3/8/8/8/8/8/8/2B1KB2 w - - 0 1");
    const int v = Eval(b, 0);
    EXPECT_EQ(v % 10, 0);
    EXPECT_NE(v, 2437);
}

struct LazyCase {
    const char* name;
    const char* fen;
    int side, alpha, beta;
    int expected;
};

// The two lazy exits return the running score unrounded, in the side's view, when it misses the window
// by more than 6000 (after the first blend) or 2000 (after the second).
const LazyCase Lazy[] = {
    // s = 4440 after the first blend (see "rook against bare king"): 4440 + 6000 < 20000.
    {"first exit, below alpha", "4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 0, 20000, 30000, 4440},
    // Trapped knight position: s = 10880 after the first blend, 9661 after the second.
    {"first exit, below alpha", "4k2N/5p1p/8/8/8/6P1/5PBP/2B3K1 w - - 0 1", 0, 17000, 20000, 10880},
    {"first exit, above beta", "4k2N/5p1p/8/8/8/6P1/5PBP/2B3K1 w - - 0 1", 0, FullAlpha, 4000, 10880},
    {"first exit, Black's view", "4k2N/5p1p/8/8/8/6P1/5PBP/2B3K1 w - - 0 1", 1, -20000, -17000, -10880},
    // 10880 + 6000 >= 12000 goes on; 9661 + 2000 < 12000 stops.
    {"second exit", "4k2N/5p1p/8/8/8/6P1/5PBP/2B3K1 w - - 0 1", 0, 12000, 13000, 9661},
    {"second exit, Black's view", "4k2N/5p1p/8/8/8/6P1/5PBP/2B3K1 w - - 0 1", 1, -13000, -12000, -9661},
    // Within 2000 of the window: the full score.
    {"no exit", "4k2N/5p1p/8/8/8/6P1/5PBP/2B3K1 w - - 0 1", 0, 11000, 12000, 9880},
};

TEST(PosEval, LazyExits)
{
    for (const LazyCase& c : Lazy) {
        ChessBoard b = EvalBoard(c.fen);
        EXPECT_EQ(Eval(b, c.side, c.alpha, c.beta), c.expected) << c.name;
    }
}

// The evaluation line under the text board: PosEval from White's view with the full window, raw units.
TEST(PosEval, DisplayBoardLine)
{
    InitEngineOnce();
    const ChessBoard saved = MainBoard;
    MainBoard = EvalBoard("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    std::string out = CaptureStdout([] { MainBoard.DisplayBoard(); });
    EXPECT_NE(out.find("   A B C D E F G H\n\n PosEval from White view 0\n"), std::string::npos) << out;

    MainBoard = EvalBoard("4k3/8/8/8/8/8/8/R3K3 b - - 0 1");
    out = CaptureStdout([] { MainBoard.DisplayBoard(); });
    EXPECT_NE(out.find("\n PosEval from White view 5620\n"), std::string::npos) << out;

    MainStatus.PEV = 1;
    out = CaptureStdout([] { MainBoard.DisplayBoard(); });
    EXPECT_EQ(out.find("PosEval"), std::string::npos) << out;
    MainStatus.PEV = 0;
    MainBoard = saved;
}
} // namespace
