#include <gtest/gtest.h>

#include "board/consistency.h"
#include "board/movegen.h"
#include "fixture.h"

namespace {
// Positions with castling both ways, en passant, promotions by both sides and captures of every kind.
const char* Fens[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
};

// Makes and undoes every pseudo-legal move `depth` plies deep, testing the record after each make and undo;
// like every consumer it goes on only from moves that leave the own king safe.
void Walk(ChessBoard& b, char side, int depth)
{
    MoveGen list;
    const int n = list.GenerateAllMoves(side, &b, static_cast<char>(b.Castling));
    for (int i = 0; i < n; i++) {
        char mask;
        b.MakeMove(list.From[i], list.To[i], list.Promote[i], &mask);
        if (!b.IsConsistent()) {
            ADD_FAILURE() << "after move " << i << " with " << depth << " plies to go";
            return;
        }
        const bool legal = !b.InCheck(side == 0 ? b.WhiteKing : b.BlackKing, side);
        if (legal && depth > 1) {
            ChessBoard child = b;
            child.Castling &= static_cast<uint8_t>(mask);
            Walk(child, static_cast<char>(side ^ 1), depth - 1);
        }
        b.UndoMove(0);
        if (!b.IsConsistent()) {
            ADD_FAILURE() << "after undoing move " << i << " with " << depth << " plies to go";
            return;
        }
    }
}

TEST(Consistency, SetUpPositionsAndEveryMoveAndUndoAreConsistent)
{
    for (const char* fen : Fens) {
        ChessBoard b = BoardFromFen(fen);
        ASSERT_TRUE(b.IsConsistent()) << fen;
        SCOPED_TRACE(fen);
        Walk(b, b.ToMove, 3);
    }
}

// A set-up replaces the pieces only: FinishSetUp brings counts, totals and both keys in line with them,
// whatever the record held before, and leaves the half-move clock alone.
TEST(Consistency, FinishSetUpMakesASetUpBoardConsistent)
{
    InitEngineOnce();
    const ChessBoard saved = MainBoard;
    for (const char* fen : Fens) {
        MainBoard.InitRep();
        for (int side = 0; side < 2; side++)
            for (int i = 0; i < SavedCountOffset; i++) MainBoard.PieceCounts[side][i] = 9;
        MainBoard.WhitePieceCount = MainBoard.BlackPieceCount = 99;
        MainBoard.PawnHashCode = 99;
        MainBoard.PieceKeyUpper ^= 1;
        MainBoard.PieceKeyLower ^= 1;
        MainBoard.FiftyMoveCount = 17;
        ASSERT_TRUE(SetupBoard(fen)) << fen;
        MainBoard.FinishSetUp();
        EXPECT_TRUE(MainBoard.IsConsistent()) << fen;
        const int32_t* w = MainBoard.PieceCounts[0];
        const int32_t* k = MainBoard.PieceCounts[1];
        EXPECT_EQ(MainBoard.WhitePieceCount, w[0] + w[1] + w[2] + w[3] + w[4]) << fen;
        EXPECT_EQ(MainBoard.BlackPieceCount, k[0] + k[1] + k[2] + k[3] + k[4]) << fen;
        EXPECT_EQ(MainBoard.FiftyMoveCount, 17) << fen;
    }
    MainBoard = saved;
}

TEST(Consistency, EachBrokenFactIsCaught)
{
    const ChessBoard good = BoardFromFen(Fens[1]);
    ASSERT_TRUE(good.IsConsistent());
    struct Breakage {
        const char* what;
        void (*apply)(ChessBoard&);
    };
    const Breakage breakages[] = {
        {"occupancy misses a piece", [](ChessBoard& b) { b.AllPieces &= ~Sq("e1"); }},
        {"White occupancy misses a piece", [](ChessBoard& b) { b.WhitePieces &= ~Sq("a2"); }},
        {"two pieces on one square",
         [](ChessBoard& b) {
             b.WhiteKnights |= Sq("a6");
             b.WhitePieces |= Sq("a6");
             b.AllPieces |= Sq("a6");
         }},
        {"no Black king",
         [](ChessBoard& b) {
             b.BlackKing = 0;
             b.BlackPieces &= ~Sq("e8");
             b.AllPieces &= ~Sq("e8");
         }},
        {"a second White king",
         [](ChessBoard& b) {
             b.WhiteKing |= Sq("d4");
             b.WhitePieces |= Sq("d4");
             b.AllPieces |= Sq("d4");
         }},
        {"a stale rook count", [](ChessBoard& b) { b.PieceCounts[0][CountRooks]++; }},
        {"a stale pawn count", [](ChessBoard& b) { b.PieceCounts[1][CountPawns]--; }},
        {"a stale total", [](ChessBoard& b) { b.BlackPieceCount++; }},
        {"a stale pawn key", [](ChessBoard& b) { b.PawnHashCode ^= 1; }},
        {"a stale upper piece-square key", [](ChessBoard& b) { b.PieceKeyUpper ^= 1ULL << 40; }},
        {"a stale lower piece-square key", [](ChessBoard& b) { b.PieceKeyLower ^= 1; }},
    };
    for (const Breakage& k : breakages) {
        ChessBoard b = good;
        k.apply(b);
        EXPECT_FALSE(b.IsConsistent()) << k.what;
    }
}

TEST(Consistency, TheMoveGuardComparesOffsetsSoStaleSetUpIsNoFault)
{
    // The program's own set-up leaves the pawn key and the counts as they were: a move from there must
    // keep them off by the same amount, and the guard accepts that.
    ChessBoard b = BoardFromFen(Fens[1]);
    b.PawnHashCode = 0;
    b.PieceKeyUpper = b.PieceKeyLower = 0;
    for (int side = 0; side < 2; side++)
        for (int i = 0; i < SavedCountOffset; i++) b.PieceCounts[side][i] = 0;
    ASSERT_FALSE(b.IsConsistent());
    char mask;
    {
        const PositionCheck check(b, "MakeMove");
        b.MakeMove(Sq("e2"), Sq("a6"), NoPromotion, &mask); // bishop takes bishop
    }
    {
        const PositionCheck check(b, "UndoMove");
        b.UndoMove(0);
    }
    EXPECT_TRUE(IsWellFormed(b));
}

TEST(ConsistencyDeathTest, TheMoveGuardStopsOnABrokenMove)
{
    const ChessBoard good = BoardFromFen(Fens[1]);
    struct Broken {
        const char* operation;
        void (*breakIt)(ChessBoard& b);
        const char* message;
    };
    const Broken cases[] = {
        {"MakeMove", [](ChessBoard& b) { b.PieceCounts[0][CountQueens]++; },
         "position check after MakeMove: a piece count"},
        {"UndoMove", [](ChessBoard& b) { b.PawnHashCode ^= 4; }, "position check after UndoMove: the pawn key"},
        {"MakeMove", [](ChessBoard& b) { b.PieceKeyLower ^= 8; },
         "position check after MakeMove: the piece-square key"},
        {"UndoMove", [](ChessBoard& b) { b.PieceKeyUpper ^= 8; },
         "position check after UndoMove: the piece-square key"},
        {"MakeMove",
         [](ChessBoard& b) {
             b.BlackPawns |= Sq("e2");
             b.BlackPieces |= Sq("e2");
         },
         "position check after MakeMove: occupancies"},
    };
    for (const Broken& c : cases) {
        EXPECT_DEATH(
            {
                ChessBoard b = good;
                const PositionCheck check(b, c.operation);
                c.breakIt(b);
            },
            c.message);
    }
    // A position that was odd before the move promises nothing.
    ChessBoard kingless = good;
    kingless.WhiteKing = 0;
    {
        const PositionCheck check(kingless, "MakeMove");
        kingless.PieceCounts[0][CountQueens]++;
    }
    // Nor does a move onto a king, which only a position with the side not to move in check offers.
    ChessBoard exposed = BoardFromFen("4k3/8/8/8/8/8/8/4RK2 b - - 0 1"); // White moves out of turn
    {
        char mask;
        const PositionCheck check(exposed, "MakeMove", Sq("e8"));
        exposed.MakeMove(Sq("e1"), Sq("e8"), NoPromotion, &mask);
    }
    EXPECT_FALSE(IsWellFormed(exposed)) << "the taken king stays on its board";
}
} // namespace
