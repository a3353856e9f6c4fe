#include <gtest/gtest.h>

#include "board/movegen.h"
#include "fixture.h"
#include "movetools.h"

namespace {
std::vector<std::string> AllMoves(ChessBoard& board, char rights)
{
    MoveGen list;
    int n = list.GenerateAllMoves(board.ToMove, &board, rights);
    EXPECT_EQ(list.NumMoves, n);
    return ListNames(list, n);
}

std::vector<std::string> Tail(const std::vector<std::string>& v, size_t n)
{
    return std::vector<std::string>(v.end() - static_cast<long>(std::min(n, v.size())), v.end());
}

bool Contains(const std::vector<std::string>& v, const std::string& m)
{
    return std::find(v.begin(), v.end(), m) != v.end();
}

// Generation order is part of the contract: picking breaks ties by list position.
struct OrderCase {
    const char* name;
    const char* fen;
    const char* moves;
};

const OrderCase Orders[] = {
    {"white start position", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
     "b1a3 b1c3 g1f3 g1h3 a2a4 a2a3 b2b4 b2b3 c2c4 c2c3 d2d4 d2d3 e2e4 e2e3 f2f4 f2f3 g2g4 g2g3 h2h4 h2h3"},
    {"black start position", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1",
     "b8a6 b8c6 g8f6 g8h6 a7a5 a7a6 b7b5 b7b6 c7c5 c7c6 d7d5 d7d6 e7e5 e7e6 f7f5 f7f6 g7g5 g7g6 h7h5 h7h6"},
    // Captures by knight, bishop, rook, queen and king; then quiet moves by the same kinds, castling
    // king side before queen side, the other king moves and the pawns.
    {"every group in its place", "4k3/8/8/3p4/2B1N3/3Q4/8/R3K2R w KQ - 0 1",
     "c4d5 d3d5 e4d2 e4f2 e4c3 e4g3 e4c5 e4g5 e4d6 e4f6 c4a2 c4b3 c4b5 c4a6 "
     "a1b1 a1c1 a1d1 a1a2 a1a3 a1a4 a1a5 a1a6 a1a7 a1a8 h1f1 h1g1 h1h2 h1h3 h1h4 h1h5 h1h6 h1h7 h1h8 "
     "d3b1 d3d1 d3f1 d3c2 d3d2 d3e2 d3a3 d3b3 d3c3 d3e3 d3f3 d3g3 d3h3 d3d4 "
     "e1g1 e1c1 e1d1 e1f1 e1d2 e1e2 e1f2"},
    // Black pawns capture towards file h before file a.
    {"black pawn captures", "4k3/8/8/8/4p3/3N1N2/8/4K3 b - - 0 1", "e8d7 e8e7 e8f7 e8d8 e8f8 e4e3 e4f3 e4d3"},
    // Only queen promotions: the push, then the capture.
    {"promotion by push and capture", "r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1",
     "e1d1 e1f1 e1d2 e1e2 e1f2 b7b8q b7a8q"},
    {"black promotions", "4k3/8/8/8/8/8/6p1/4K2R b - - 0 1", "e8d7 e8e7 e8f7 e8d8 e8f8 g2g1q g2h1q"},
};

class GenerationOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(GenerationOrder, ListsEveryMoveInTheFixedOrder)
{
    ChessBoard b = BoardFromFen(GetParam().fen);
    EXPECT_EQ(AllMoves(b, static_cast<char>(b.Castling)), Split(GetParam().moves));
}

INSTANTIATE_TEST_SUITE_P(Positions, GenerationOrder, ::testing::ValuesIn(Orders), RowName());

TEST(MoveGen, PromotionsCarryTheGeneratorsQueenLetter)
{
    ChessBoard w = BoardFromFen("r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    MoveGen list;
    int n = list.GenerateAllMoves(0, &w, 0);
    EXPECT_EQ(list.Promote[n - 2], 'Q');
    EXPECT_EQ(list.Promote[n - 1], 'Q');
    EXPECT_EQ(list.Promote[0], NoPromotion);
    ChessBoard b = BoardFromFen("4k3/8/8/8/8/8/6p1/4K2R b - - 0 1");
    n = list.GenerateAllMoves(1, &b, 0);
    EXPECT_EQ(list.Promote[n - 1], 'q');
}

TEST(MoveGen, EnPassantFollowsOnlyTheDoublePushJustMade)
{
    char mask;
    // d7-d5 made on the board: the pawn beside it on either side may take.
    for (const char* fen : {"4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1", "4k3/3p4/8/2P5/8/8/8/4K3 b - - 0 1"}) {
        ChessBoard b = BoardFromFen(fen);
        b.MakeMove(Sq("d7"), Sq("d5"), NoPromotion, &mask);
        b.ToMove = 0;
        std::vector<std::string> moves = AllMoves(b, 0);
        const std::string pawn = (b.WhitePawns & Sq("e5")) ? "e5" : "c5";
        EXPECT_EQ(Tail(moves, 2), (std::vector<std::string>{pawn + pawn[0] + "6", pawn + "d6"})) << fen;
    }
    // Both neighbours: each pawn's capture comes in its own turn, lowest pawn first.
    ChessBoard both = BoardFromFen("4k3/3p4/8/2P1P3/8/8/8/4K3 b - - 0 1");
    both.MakeMove(Sq("d7"), Sq("d5"), NoPromotion, &mask);
    both.ToMove = 0;
    EXPECT_EQ(Tail(AllMoves(both, 0), 4), Split("c5c6 c5d6 e5e6 e5d6"));

    // The same pawn arriving in two steps gives no right.
    ChessBoard slow = BoardFromFen("4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1");
    slow.MakeMove(Sq("d7"), Sq("d6"), NoPromotion, &mask);
    slow.MakeMove(Sq("e1"), Sq("d1"), NoPromotion, &mask);
    slow.MakeMove(Sq("d6"), Sq("d5"), NoPromotion, &mask);
    slow.ToMove = 0;
    EXPECT_FALSE(Contains(AllMoves(slow, 0), "e5d6"));

    // A set-up position knows the right only from its en-passant field.
    ChessBoard fenWithout = BoardFromFen("4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1");
    EXPECT_FALSE(Contains(AllMoves(fenWithout, 0), "e5d6"));
    ChessBoard fenWith = BoardFromFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    EXPECT_TRUE(Contains(AllMoves(fenWith, 0), "e5d6"));

    // Black takes after e2-e4.
    ChessBoard black = BoardFromFen("4k3/8/8/8/3p1p2/8/4P3/4K3 w - - 0 1");
    black.MakeMove(Sq("e2"), Sq("e4"), NoPromotion, &mask);
    black.ToMove = 1;
    std::vector<std::string> moves = AllMoves(black, 0);
    EXPECT_EQ(Tail(moves, 4), Split("d4d3 d4e3 f4f3 f4e3"));
}

TEST(MoveGen, CastlingNeedsRightsEmptySquaresRookAndSafeKingPath)
{
    ChessBoard b = BoardFromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    MoveGen list;
    int n = list.GenerateAllMoves(0, &b, 15);
    std::vector<std::string> moves = ListNames(list, n);
    auto at = [&](const char* m) { return std::find(moves.begin(), moves.end(), m) - moves.begin(); };
    ASSERT_LT(at("e1g1"), n);
    EXPECT_EQ(at("e1c1"), at("e1g1") + 1);
    EXPECT_EQ(at("e1d1"), at("e1c1") + 1) << "the other king moves follow";
    EXPECT_GT(at("e1g1"), at("h1h7")) << "after the rook moves";
    EXPECT_EQ(list.OrderValue[at("e1g1")], 800);
    EXPECT_EQ(list.OrderValue[at("e1c1")], 800);

    // The rights passed in decide, not the board's own field.
    EXPECT_FALSE(Contains(AllMoves(b, 2), "e1g1"));
    EXPECT_TRUE(Contains(AllMoves(b, 2), "e1c1"));
    EXPECT_FALSE(Contains(AllMoves(b, 0), "e1c1"));

    ChessBoard black = BoardFromFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
    std::vector<std::string> bm = AllMoves(black, 15);
    EXPECT_TRUE(Contains(bm, "e8g8") && Contains(bm, "e8c8"));
    EXPECT_FALSE(Contains(AllMoves(black, 3), "e8g8"));

    // A bishop on f1's diagonal stops the king side only; one on b1's diagonal stops nothing.
    ChessBoard f1Attacked = BoardFromFen("r3k2r/8/b7/8/8/8/8/R3K2R w KQkq - 0 1");
    std::vector<std::string> fm = AllMoves(f1Attacked, 15);
    EXPECT_FALSE(Contains(fm, "e1g1"));
    EXPECT_TRUE(Contains(fm, "e1c1"));
    ChessBoard b1Attacked = BoardFromFen("r3k2r/7b/8/8/8/8/8/R3K2R w KQkq - 0 1");
    std::vector<std::string> bm1 = AllMoves(b1Attacked, 15);
    EXPECT_TRUE(Contains(bm1, "e1g1") && Contains(bm1, "e1c1"));

    // No castling out of check, through a blocked path or without the rook.
    ChessBoard checked = BoardFromFen("r3k2r/8/8/8/8/8/4r3/R3K2R w KQkq - 0 1");
    list.Board = &checked;
    EXPECT_EQ(list.GenCastle(0, 0, 15), 0);
    ChessBoard blocked = BoardFromFen("r3k2r/8/8/8/8/8/8/RN2K1NR w KQkq - 0 1");
    list.Board = &blocked;
    EXPECT_EQ(list.GenCastle(0, 0, 15), 0);
    ChessBoard noRooks = BoardFromFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    list.Board = &noRooks;
    EXPECT_EQ(list.GenCastle(0, 0, 15), 0);
}

TEST(MoveGen, KingCountIsReportedAndGenerationGoesOn)
{
    ChessBoard b = BoardFromFen("4k3/8/8/8/8/8/8/N3K3 w - - 0 1");
    b.WhitePieces ^= b.WhiteKing;
    b.AllPieces ^= b.WhiteKing;
    b.WhiteKing = 0;
    MoveGen list;
    int n = 0;
    std::string out = CaptureStdout([&] { n = list.GenerateAllMoves(0, &b, 0); });
    EXPECT_EQ(out, "Major Error: There is No king of a given color\n"
                   "Major Error: There is No king of a given color\n");
    EXPECT_EQ(ListNames(list, n), Split("a1c2 a1b3"));

    ChessBoard two = BoardFromFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    two.WhiteKing |= Sq("a1");
    two.WhitePieces |= Sq("a1");
    two.AllPieces |= Sq("a1");
    out = CaptureStdout([&] { n = list.GenerateAllMoves(0, &two, 0); });
    EXPECT_EQ(out, "Major Error: There is more than one king of a given color\n"
                   "Major Error: There is more than one king of a given color\n");
    EXPECT_EQ(ListNames(list, n), Split("a1b1 a1a2 a1b2 e1d1 e1f1 e1d2 e1e2 e1f2"));
}

TEST(MoveGen, QuiescenceListOrderAndItsQuietPart)
{
    ChessBoard b = BoardFromFen("6k1/p6p/8/1p1p4/4P3/8/3p4/QN2KB1R w - - 0 1");
    MoveGen list;
    list.NumMoves = 7;
    int n = list.GenerateQuiesceMoves(0, &b);
    EXPECT_EQ(ListNames(list, n), Split("a1a7 h1h7 b1d2 f1b5 e4e5 e4d5 e1d2"));
    EXPECT_EQ(list.NumMoves, 7) << "the quiescence driver leaves the stored count alone";

    // Without captures only pawn moves remain, pushes and promotions alike.
    ChessBoard quiet = BoardFromFen("4k3/1P6/8/8/8/8/PPPPPPP1/4K3 w - - 0 1");
    n = list.GenerateQuiesceMoves(0, &quiet);
    EXPECT_EQ(ListNames(list, n), Split("a2a4 a2a3 b2b4 b2b3 c2c4 c2c3 d2d4 d2d3 e2e4 e2e3 f2f4 f2f3 g2g4 g2g3 b7b8q"));
}

TEST(MoveGen, MembersOutsideTheDrivers)
{
    ChessBoard b = BoardFromFen("r1r1k3/1P6/8/3p1p2/4P3/8/8/4K2R w K - 0 1");
    MoveGen list;
    int n = list.GenCaptures(0, &b);
    EXPECT_EQ(list.NumMoves, n);
    EXPECT_EQ(n, 0) << "only pawns can capture here";
    // Set-wise pawn captures: all towards file h, then all towards file a, each group by target, and
    // never with a promotion letter.
    n = list.GenPawnCaptures(0, 0);
    EXPECT_EQ(ListNames(list, n), Split("e4f5 b7c8 e4d5 b7a8"));
    for (int i = 0; i < n; i++) EXPECT_EQ(list.Promote[i], NoPromotion);
    ChessBoard black = BoardFromFen("4k3/8/8/3p1p2/4P3/8/8/4K3 b - - 0 1");
    list.Board = &black;
    n = list.GenPawnCaptures(1, 0);
    EXPECT_EQ(ListNames(list, n), Split("d5e4 f5e4"));
    EXPECT_EQ(list.GenEnPassant(0, 5), 5);
    EXPECT_EQ(list.GenNonCaptures(0), 0);
    EXPECT_EQ(list.GenChecks(1), 0);
    EXPECT_EQ(list.GenerateMoves(0), 0);
    MoveGen fresh;
    EXPECT_EQ(fresh.NumMoves, 0);
}

TEST(MoveGen, GetMoveCopiesAnEntryOut)
{
    ChessBoard b = BoardFromFen("r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    MoveGen list;
    int n = list.GenerateAllMoves(0, &b, 0);
    uint64_t from = 0, to = 0;
    char promote = 0;
    EXPECT_EQ(list.GetMove(n - 1, &from, &to, &promote), 0);
    EXPECT_EQ(MoveName(from, to, promote), "b7a8q");
    EXPECT_EQ(promote, 'Q');
}
} // namespace
