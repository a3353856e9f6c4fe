#include <gtest/gtest.h>

#include "evalfixture.h"

namespace {
struct EndingCase {
    const char* name;
    const char* fen;
    int expected;
};

// A rook against a lone knight or bishop, no pawns, wherever the pieces stand.
const EndingCase Drawish[] = {
    {"rook against knight", "1n2k3/8/8/8/8/8/8/R3K3 w - - 0 1", 1},
    {"rook against knight in the centre", "4k3/8/8/3n4/8/8/8/R3K3 w - - 0 1", 1},
    {"rook against bishop", "4k3/8/8/8/8/8/7b/4K2R w - - 0 1", 1},
    {"bishop against rook", "r3k3/8/8/8/8/8/8/2B1K3 w - - 0 1", 1},
    {"rook and knight against a bare king", "4k3/8/8/8/8/8/8/RN2K3 w - - 0 1", 0},
    {"rook against rook", "r3k3/8/8/8/8/8/8/R3K3 w - - 0 1", 0},
    {"queen against rook", "r3k3/8/8/8/8/8/8/Q3K3 w - - 0 1", 0},
    {"a pawn on the board", "1n2k3/p7/8/8/8/8/8/R3K3 w - - 0 1", 0},
    {"rook against knight and bishop", "1nb1k3/8/8/8/8/8/8/R3K3 w - - 0 1", 0},
};

TEST(Endgame, DrawishEnding)
{
    for (const EndingCase& c : Drawish) {
        ChessBoard b = EvalBoard(c.fen);
        Prime(b);
        EXPECT_EQ(PE.DrawishEnding(0), c.expected) << c.name;
        EXPECT_EQ(PE.ThreePieceEndings(0), 0) << c.name;
    }
}

struct RecogniserCase {
    const char* name;
    const char* fen;
    int (PositionEvaluate::*recogniser)(char);
    int side;
    int expected;
};

// The recognisers kept for endgame work, which the evaluation does not consult.
const RecogniserCase Recognisers[] = {
    {"KRPKR, king in front of the pawn", "r3k3/8/8/4P3/8/8/8/2KR4 w - - 0 1", &PositionEvaluate::KRPKR, 0, 1},
    {"KRPKR, king beside the file", "r4k2/8/8/4P3/8/8/8/2KR4 w - - 0 1", &PositionEvaluate::KRPKR, 0, 0},
    {"DrawnEnding through KRPKR", "r3k3/8/8/4P3/8/8/8/2KR4 w - - 0 1", &PositionEvaluate::DrawnEnding, 0, 1},
    {"KQPKQ, king in front of the pawn", "q3k3/8/8/4P3/8/8/8/2KQ4 w - - 0 1", &PositionEvaluate::KQPKQ, 0, 1},
    {"KNPK, king next to the corner", "1k6/P7/8/8/8/2N5/8/2K5 b - - 0 1", &PositionEvaluate::KNPK, 0, 1},
    {"KNPK, king two away", "2k5/P7/8/8/8/2N5/8/2K5 w - - 0 1", &PositionEvaluate::KNPK, 0, 0},
    {"KPKR, rook behind, king far", "7k/3K4/4P3/8/8/8/8/4r3 w - - 0 1", &PositionEvaluate::KPKR, 0, 1},
    {"KPKR, defending king near", "5k2/3K4/4P3/8/8/8/8/4r3 w - - 0 1", &PositionEvaluate::KPKR, 0, 0},
    {"KPKB, bishop covers e2", "7k/8/8/7B/8/4p3/8/6K1 w - - 0 1", &PositionEvaluate::KPKB, 0, 1},
    {"KPKB, pawn on its 3rd rank, unguarded path", "7k/8/8/8/8/4p3/B7/6K1 w - - 0 1", &PositionEvaluate::KPKB, 0, 0},
    {"KPKB, pawn still far", "7k/8/8/8/4p3/8/B7/6K1 w - - 0 1", &PositionEvaluate::KPKB, 0, 1},
    {"KPKB, bishop hits the pawn, White to move", "7k/8/8/8/8/4p3/8/2B3K1 w - - 0 1", &PositionEvaluate::KPKB, 0, 1},
    {"KPKB, bishop hits the pawn, Black to move", "7k/8/8/8/8/4p3/8/2B3K1 b - - 0 1", &PositionEvaluate::KPKB, 1, 0},
    {"KPKN, knight covers e2", "7k/8/8/8/8/4p3/8/2N3K1 w - - 0 1", &PositionEvaluate::KPKN, 0, 1},
    {"KPKN, nothing on the path", "7k/8/8/8/8/4p3/8/N5K1 w - - 0 1", &PositionEvaluate::KPKN, 0, 0},
    {"KBPKB, opposite bishops", "7k/8/8/7B/8/4p3/8/b5K1 w - - 0 1", &PositionEvaluate::KBPKB, 0, 1},
    {"KBPKB, same-coloured bishops", "7k/8/8/7B/8/4p3/8/1b4K1 w - - 0 1", &PositionEvaluate::KBPKB, 0, 0},
};

TEST(Endgame, Recognisers)
{
    for (const RecogniserCase& c : Recognisers) {
        ChessBoard b = EvalBoard(c.fen);
        Prime(b);
        EXPECT_EQ((PE.*c.recogniser)(static_cast<char>(c.side)), c.expected) << c.name;
        // The colour-flipped ending is recognised for the other side.
        ChessBoard f = Flip(b);
        Prime(f);
        EXPECT_EQ((PE.*c.recogniser)(static_cast<char>(1 - c.side)), c.expected) << c.name << " (flipped)";
    }
}
} // namespace
