#include <gtest/gtest.h>

#include <cstring>

#include "board/board.h"
#include "board/hashcode.h"
#include "fixture.h"

namespace {
struct MoveCase {
    const char* name;
    const char* fen;
    const char* from;
    const char* to;
    char promote;
    const char* expected; // placement after the move
    int mask;
    bool resetsClock;
};

const MoveCase Moves[] = {
    {"quiet knight", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 5 1", "g1", "f3", NoPromotion,
     "rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R", 15, false},
    {"double push", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 5 1", "e2", "e4", NoPromotion,
     "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR", 15, true},
    {"bishop takes pawn", "4k3/8/8/3p4/8/1B6/8/4K3 w - - 5 1", "b3", "d5", NoPromotion,
     "4k3/8/8/3B4/8/8/8/4K3", 15, true},
    {"black queen takes knight", "4k3/8/8/3q4/8/5N2/8/4K3 b - - 5 1", "d5", "f3", NoPromotion,
     "4k3/8/8/8/8/5q2/8/4K3", 15, true},
    {"en passant by white", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 5 1", "e5", "d6", NoPromotion,
     "4k3/8/3P4/8/8/8/8/4K3", 15, true},
    {"en passant by black", "4k3/8/8/8/5Pp1/8/8/4K3 b - f3 5 1", "g4", "f3", NoPromotion,
     "4k3/8/8/8/8/5p2/8/4K3", 15, true},
    {"en passant by white from the west", "4k3/8/8/2Pp4/8/8/8/4K3 w - d6 5 1", "c5", "d6", NoPromotion,
     "4k3/8/3P4/8/8/8/8/4K3", 15, true},
    {"en passant by black from the east", "4k3/8/8/8/3Pp3/8/8/4K3 b - d3 5 1", "e4", "d3", NoPromotion,
     "4k3/8/8/8/8/3p4/8/4K3", 15, true},
    // A typed castling without its rook moves the king only; no rook appears.
    {"castling without the rook", "4k3/8/8/8/8/8/8/4K3 w - - 5 1", "e1", "g1", NoPromotion,
     "4k3/8/8/8/8/8/8/6K1", 12, false},
    // Without the double push just made, the same diagonal step captures nothing.
    {"no en passant right", "4k3/8/8/3pP3/8/8/8/4K3 w - - 5 1", "e5", "d6", NoPromotion,
     "4k3/8/3P4/3p4/8/8/8/4K3", 15, true},
    {"white king side castling", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 5 1", "e1", "g1", NoPromotion,
     "r3k2r/8/8/8/8/8/8/R4RK1", 12, false},
    {"white queen side castling", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 5 1", "e1", "c1", NoPromotion,
     "r3k2r/8/8/8/8/8/8/2KR3R", 12, false},
    {"black king side castling", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 5 1", "e8", "g8", NoPromotion,
     "r4rk1/8/8/8/8/8/8/R3K2R", 3, false},
    {"black queen side castling", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 5 1", "e8", "c8", NoPromotion,
     "2kr3r/8/8/8/8/8/8/R3K2R", 3, false},
    {"king step", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 5 1", "e1", "f2", NoPromotion,
     "r3k2r/8/8/8/8/8/5K2/R6R", 12, false},
    {"rook leaves h1", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 5 1", "h1", "h5", NoPromotion,
     "r3k2r/8/8/7R/8/8/8/R3K3", 14, false},
    {"rook leaves a1", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 5 1", "a1", "a5", NoPromotion,
     "r3k2r/8/8/R7/8/8/8/4K2R", 13, false},
    {"rook leaves h8", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 5 1", "h8", "h4", NoPromotion,
     "r3k3/8/8/8/7r/8/8/R3K2R", 11, false},
    {"rook leaves a8", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 5 1", "a8", "a4", NoPromotion,
     "4k2r/8/8/8/r7/8/8/R3K2R", 7, false},
    // Taking a rook on its corner also ends that corner's right.
    {"rook takes rook a8-a1", "r3k3/8/8/8/8/8/8/R3K3 b Qq - 5 1", "a8", "a1", NoPromotion,
     "4k3/8/8/8/8/8/8/r3K3", 5, true},
    {"bishop takes rook on h8", "4k2r/8/8/8/8/8/1B6/4K3 w k - 5 1", "b2", "h8", NoPromotion,
     "4k2B/8/8/8/8/8/8/4K3", 11, true},
    {"knight takes rook on h1", "4k3/8/8/8/8/6n1/8/4K2R b K - 5 1", "g3", "h1", NoPromotion,
     "4k3/8/8/8/8/8/8/4K2n", 14, true},
    {"promotion Q", "4k3/P7/8/8/8/8/8/4K3 w - - 5 1", "a7", "a8", 'Q', "Q3k3/8/8/8/8/8/8/4K3", 15, true},
    {"promotion q", "4k3/P7/8/8/8/8/8/4K3 w - - 5 1", "a7", "a8", 'q', "Q3k3/8/8/8/8/8/8/4K3", 15, true},
    {"promotion R", "4k3/P7/8/8/8/8/8/4K3 w - - 5 1", "a7", "a8", 'R', "R3k3/8/8/8/8/8/8/4K3", 15, true},
    {"promotion r", "4k3/P7/8/8/8/8/8/4K3 w - - 5 1", "a7", "a8", 'r', "R3k3/8/8/8/8/8/8/4K3", 15, true},
    {"promotion B", "4k3/P7/8/8/8/8/8/4K3 w - - 5 1", "a7", "a8", 'B', "B3k3/8/8/8/8/8/8/4K3", 15, true},
    {"promotion b", "4k3/P7/8/8/8/8/8/4K3 w - - 5 1", "a7", "a8", 'b', "B3k3/8/8/8/8/8/8/4K3", 15, true},
    {"promotion N", "4k3/P7/8/8/8/8/8/4K3 w - - 5 1", "a7", "a8", 'N', "N3k3/8/8/8/8/8/8/4K3", 15, true},
    {"promotion n", "4k3/P7/8/8/8/8/8/4K3 w - - 5 1", "a7", "a8", 'n', "N3k3/8/8/8/8/8/8/4K3", 15, true},
    // No letter: the pawn becomes a queen rather than staying on the last rank.
    {"promotion without letter", "4k3/P7/8/8/8/8/8/4K3 w - - 5 1", "a7", "a8", NoPromotion,
     "Q3k3/8/8/8/8/8/8/4K3", 15, true},
    {"black promotion q", "4k3/8/8/8/8/8/p7/4K3 b - - 5 1", "a2", "a1", 'q', "4k3/8/8/8/8/8/8/q3K3", 15, true},
    {"black promotion N", "4k3/8/8/8/8/8/p7/4K3 b - - 5 1", "a2", "a1", 'N', "4k3/8/8/8/8/8/8/n3K3", 15, true},
    {"black promotion r", "4k3/8/8/8/8/8/p7/4K3 b - - 5 1", "a2", "a1", 'r', "4k3/8/8/8/8/8/8/r3K3", 15, true},
    {"black promotion B", "4k3/8/8/8/8/8/p7/4K3 b - - 5 1", "a2", "a1", 'B', "4k3/8/8/8/8/8/8/b3K3", 15, true},
    {"capture promotion onto b8", "1r2k3/P7/8/8/8/8/8/4K3 w - - 5 1", "a7", "b8", 'n',
     "1N2k3/8/8/8/8/8/8/4K3", 15, true},
    {"capture promotion takes the h8 rook", "4k1nr/6P1/8/8/8/8/8/4K3 w k - 5 1", "g7", "h8", 'Q',
     "4k1nQ/8/8/8/8/8/8/4K3", 11, true},
};

void ExpectSameBoards(const ChessBoard& a, const ChessBoard& b)
{
    const uint64_t* x = &a.WhitePieces;
    const uint64_t* y = &b.WhitePieces;
    for (int i = 0; i < 15; i++) EXPECT_EQ(x[i], y[i]) << "bitboard " << i;
}

class MakeMoveTable : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MakeMoveTable, MovesPiecesKeepsCountsAndKeysAndUndoesExactly)
{
    const MoveCase& c = GetParam();
    ChessBoard board = BoardFromFen(c.fen);
    board.FiftyMoveCount = 5;
    ChessBoard before = board;

    char mask = 0;
    board.MakeMove(Sq(c.from), Sq(c.to), c.promote, &mask);

    // The side to move after the move is the other one, so the mover may give check.
    std::string expectedFen = std::string(c.expected) + (before.ToMove ? " w" : " b") + " - - 0 1";
    ChessBoard expected = BoardFromFen(expectedFen);
    ExpectSameBoards(board, expected);
    EXPECT_EQ(mask, c.mask);
    for (int side = 0; side < 2; side++)
        for (int i = 0; i < 5; i++) EXPECT_EQ(board.PieceCounts[side][i], expected.PieceCounts[side][i]) << side << i;
    EXPECT_EQ(board.WhitePieceCount, expected.WhitePieceCount);
    EXPECT_EQ(board.BlackPieceCount, expected.BlackPieceCount);
    uint32_t key = 0;
    genpawnhashcode(0, board, &key);
    EXPECT_EQ(board.PawnHashCode, key);
    EXPECT_EQ(board.FiftyMoveCount, c.resetsClock ? 0 : 6);
    EXPECT_EQ(board.LastMoveFrom, Sq(c.from));
    EXPECT_EQ(board.LastMoveTo, Sq(c.to));
    EXPECT_EQ(board.ToMove, before.ToMove) << "the caller flips the side";
    EXPECT_EQ(board.Castling, before.Castling) << "the caller applies the mask";

    board.Castling &= static_cast<uint8_t>(mask);
    board.UndoMove(0);
    EXPECT_TRUE(RestoredByUndo(before, board)) << "undo restores the record byte for byte";
}

INSTANTIATE_TEST_SUITE_P(Moves, MakeMoveTable, ::testing::ValuesIn(Moves), RowName());

TEST(Board, InitRepSetsTheStartPositionAndLeavesCountsAlone)
{
    InitEngineOnce();
    ChessBoard b{};
    b.PieceCounts[0][CountPawns] = 3;
    b.FiftyMoveCount = 7;
    b.InitRep();
    EXPECT_EQ(b.WhitePieces, 0xFFFFULL);
    EXPECT_EQ(b.BlackPieces, 0xFFFFULL << 48);
    EXPECT_EQ(b.Castling, 15);
    EXPECT_EQ(b.MaxDepth, 56);
    EXPECT_EQ(b.ToMove, 0);
    EXPECT_EQ(b.PieceCounts[0][CountPawns], 3);
    EXPECT_EQ(b.FiftyMoveCount, 7);
    b.InitPieceCounts();
    EXPECT_EQ(b.PieceCounts[0][CountPawns], 8);
    EXPECT_EQ(b.PieceCounts[1][CountKnights], 2);
    EXPECT_EQ(b.WhitePieceCount, 15);
    EXPECT_EQ(b.BlackPieceCount, 15);
}

TEST(Board, EnPassantRightLastsOneMove)
{
    // d7-d5 is made on the board, then a different move: the right has gone.
    ChessBoard b = BoardFromFen("4k3/3p4/8/4P3/8/8/8/4K2N b - - 0 1");
    char mask;
    b.MakeMove(Sq("d7"), Sq("d5"), NoPromotion, &mask);
    ChessBoard afterPush = b;
    b.MakeMove(Sq("e5"), Sq("d6"), NoPromotion, &mask);
    EXPECT_FALSE(b.BlackPawns & Sq("d5")) << "captured at once";
    EXPECT_EQ(b.PieceCounts[1][CountPawns], 0);

    b = afterPush;
    b.MakeMove(Sq("h1"), Sq("g3"), NoPromotion, &mask);
    b.MakeMove(Sq("e8"), Sq("e7"), NoPromotion, &mask);
    b.MakeMove(Sq("e5"), Sq("d6"), NoPromotion, &mask);
    EXPECT_TRUE(b.BlackPawns & Sq("d5")) << "one move later it is a plain diagonal step";
}

TEST(Board, PromoteAndSmallPieceTests)
{
    ChessBoard b = BoardFromFen("4k3/P6p/8/8/8/8/p6P/4K3 w - - 0 1");
    EXPECT_TRUE(b.PawnOn7th(0));
    EXPECT_TRUE(b.PawnOn7th(1));
    EXPECT_EQ(b.QuickPawnCount(0), 2);
    EXPECT_EQ(b.QuickPawnCount(1), 2);
    EXPECT_EQ(b.QuickPieceCount(0), 0);
    b.Promote(0, Sq("a7"), PromoteWhiteRook);
    EXPECT_TRUE(b.IsRook(0, Sq("a7")));
    EXPECT_FALSE(b.IsPawn(0, Sq("a7")));
    b.Promote(1, Sq("a2"), 5); // not a type: only the pawn goes
    EXPECT_FALSE(b.IsPawn(1, Sq("a2")));
    EXPECT_EQ(b.PieceColor(Sq("e1")), 0);
    EXPECT_EQ(b.PieceColor(Sq("e8")), 1);
    EXPECT_EQ(b.PieceColor(Sq("d4")), 1);
    EXPECT_TRUE(b.IsEmptySquare(Sq("d4")));
    b.DropPawn(0, Sq("d4"));
    EXPECT_TRUE(b.IsPawn(0, Sq("d4")));
    EXPECT_FALSE(b.IsEmptySquare(Sq("d4")));
}

TEST(Board, ClearFieldEmptiesPiecesAndCounts)
{
    ChessBoard b = BoardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    b.ClearField();
    EXPECT_EQ(b.AllPieces | b.WhiteKing | b.BlackKing | b.WhitePawns, 0u);
    EXPECT_EQ(b.Castling, 0);
    EXPECT_EQ(b.WhitePieceCount + b.BlackPieceCount + b.PieceCounts[0][CountPawns], 0);
}
} // namespace
