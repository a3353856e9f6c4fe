#include <gtest/gtest.h>

#include <cstring>

#include "board/piecevalues.h"
#include "board/see.h"
#include "fixture.h"
#include "search/compmov.h"

namespace {
struct Exchange {
    const char* name;
    const char* fen;
    const char* from;
    const char* to;
    int value;
};

const Exchange Exchanges[] = {
    {"undefended rook", "4k3/8/8/3r4/8/4N3/8/4K3 w - - 0 1", "e3", "d5", 5000},
    {"knight defended by a pawn", "4k3/8/2p5/3n4/4P3/8/8/4K3 w - - 0 1", "e4", "d5", 2450},
    {"queen takes a defended pawn", "4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "d1", "d5", -8950},
    // The rook behind the capturer joins in, looking either way along the rank.
    {"x-ray along the rank towards h", "4k3/8/8/8/2RRp2r/8/8/4K3 w - - 0 1", "d4", "e4", 800},
    {"x-ray along the rank towards a", "4k3/8/8/8/r3pRR1/8/8/4K3 w - - 0 1", "f4", "e4", 800},
    // The queen behind the bishop wins the knight; without her the exchange would stop even.
    {"x-ray along a diagonal", "k7/6b1/8/4n3/8/2B5/1Q6/4K3 w - - 0 1", "c3", "e5", 3250},
    // Looking on past h4 would wrap to a5, where a rook stands that must not count.
    {"no x-ray round the board's edge", "4r1k1/8/8/R7/4p2R/8/8/4K3 w - - 0 1", "h4", "e4", -4200},
    // The king may not take back onto a square the knight still covers.
    {"the king as the last defender", "8/8/4k3/4p3/3P4/5N2/8/4K3 w - - 0 1", "d4", "e5", 800},
    // Both kings take part: their value enters the 16-bit gain list as 16960 and wraps.
    {"both kings in the exchange", "8/8/3pk3/4n3/3P1K2/8/8/8 w - - 0 1", "f4", "e5", -13710},
    {"black captures", "4k3/8/8/2n5/4P3/5P2/8/4K3 b - - 0 1", "c5", "e4", 800 - 3250},
};

class StaticExchange : public ::testing::TestWithParam<Exchange> {};

TEST_P(StaticExchange, GivesTheBestStoppingPoint)
{
    const Exchange& e = GetParam();
    ChessBoard b = BoardFromFen(e.fen);
    const ChessBoard before = b;
    const uint64_t to = Sq(e.to);
    EXPECT_EQ(see.StaticExchangeEvaluation(b.PieceColor(to), Sq(e.from), to, &b), e.value);
    EXPECT_EQ(see.Board, &b);
    EXPECT_EQ(0, std::memcmp(&before, &b, sizeof b)) << "the board is only read";
}

INSTANTIATE_TEST_SUITE_P(Positions, StaticExchange, ::testing::ValuesIn(Exchanges), RowName());

TEST(StaticExchangeParts, DirectionsAttackersLeastValuableAndPieceValues)
{
    auto d = [](const char* a, const char* b) { return see.Direction[RightMostBit(Sq(a)) - 1][RightMostBit(Sq(b)) - 1]; };
    EXPECT_EQ(d("e4", "e8"), 8);
    EXPECT_EQ(d("e4", "e1"), -8);
    EXPECT_EQ(d("e4", "h4"), 1);
    EXPECT_EQ(d("e4", "a4"), -1);
    EXPECT_EQ(d("a1", "h8"), 9);
    EXPECT_EQ(d("h1", "a8"), 7);
    EXPECT_EQ(d("a8", "h1"), -7);
    EXPECT_EQ(d("h8", "a1"), -9);
    EXPECT_EQ(d("a1", "b3"), 0);
    EXPECT_EQ(d("c3", "c3"), 0);

    ChessBoard b = BoardFromFen("4k3/8/2p5/3n4/4P3/2N5/8/3QK3 w - - 0 1");
    see.Board = &b;
    EXPECT_EQ(see.SquareAttacksDefences(Sq("d5")), Sq("c6") | Sq("e4") | Sq("c3") | Sq("d1"));
    EXPECT_EQ(see.LVP(0, Sq("c3") | Sq("d1") | Sq("e4")), RightMostBit(Sq("e4")) - 1);
    EXPECT_EQ(see.LVP(0, Sq("c3") | Sq("d1")), RightMostBit(Sq("c3")) - 1);
    EXPECT_EQ(see.LVP(1, Sq("c3") | Sq("d1")), -1);
    // Walking down the file from d4 finds the queen on d1.
    EXPECT_EQ(see.AddXrayAttacker(0, RightMostBit(Sq("d4")) - 1, -8), Sq("d1"));

    ChessBoard k = BoardFromFen("4k3/8/8/4n3/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(Search.ValueCapturedPiece(0, Sq("e5"), &k), 3250);
    EXPECT_EQ(Search.ValueCapturedPiece(1, Sq("e5"), &k), 0);
    EXPECT_EQ(Search.ValueCapturedPiece(1, Sq("e1"), &k), 1000000);
    EXPECT_EQ(Search.ValueCapturedPiece(0, Sq("d4"), &k), 0);
}

TEST(PieceValues, CapturedPieceValueReadsTheOtherColour)
{
    ChessBoard b = BoardFromFen("r2qk3/1p6/2n5/8/4B3/8/6P1/3QK2R w - - 0 1");
    // Side 0 asks about Black's pieces.
    EXPECT_EQ(CapturedPieceValue(0, Sq("b7"), &b), 800);
    EXPECT_EQ(CapturedPieceValue(0, Sq("c6"), &b), 3250);
    EXPECT_EQ(CapturedPieceValue(0, Sq("a8"), &b), 5000);
    EXPECT_EQ(CapturedPieceValue(0, Sq("d8"), &b), 9750);
    EXPECT_EQ(CapturedPieceValue(0, Sq("e8"), &b), 1000000);
    EXPECT_EQ(CapturedPieceValue(0, Sq("e4"), &b), 0) << "a White piece";
    EXPECT_EQ(CapturedPieceValue(0, Sq("d4"), &b), 0) << "an empty square";
    // Side 1 asks about White's pieces; any other side value about Black's, as side 0.
    EXPECT_EQ(CapturedPieceValue(1, Sq("g2"), &b), 800);
    EXPECT_EQ(CapturedPieceValue(1, Sq("e4"), &b), 3250);
    EXPECT_EQ(CapturedPieceValue(1, Sq("h1"), &b), 5000);
    EXPECT_EQ(CapturedPieceValue(1, Sq("d1"), &b), 9750);
    EXPECT_EQ(CapturedPieceValue(1, Sq("e1"), &b), 1000000);
    EXPECT_EQ(CapturedPieceValue(1, Sq("c6"), &b), 0);
    EXPECT_EQ(CapturedPieceValue(2, Sq("c6"), &b), 3250);
    EXPECT_EQ(CapturedPieceValue(2, Sq("e4"), &b), 0);
    // The search's reader gives the same on every square.
    for (int sq = 0; sq < 64; sq++)
        for (char side = 0; side < 2; side++)
            EXPECT_EQ(CapturedPieceValue(side, SqBit(sq), &b), Search.ValueCapturedPiece(side, SqBit(sq), &b));
}

TEST(StaticExchangeParts, AnImpossibleDirectionEndsTheProcess)
{
    ChessBoard b = BoardFromFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    see.Board = &b;
    EXPECT_EXIT(see.AddXrayAttacker(0, 10, 5), ::testing::ExitedWithCode(0), "");
}
} // namespace
