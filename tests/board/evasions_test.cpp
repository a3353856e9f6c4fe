#include <gtest/gtest.h>

#include <cstring>

#include "board/hashcode.h"
#include "board/movegen.h"
#include "fixture.h"
#include "movetools.h"

namespace {
struct CheckCase {
    const char* name;
    const char* fen;
    const char* push;       // a double push made first, so that en passant is available ("" for none)
    const char* evasions;   // the evasion list in order ("" to skip the order)
    const char* legal;      // its legal moves, sorted
};

const CheckCase Checks[] = {
    // The lifted king does not shield e2; a bishop blocks or takes, a knight that reaches nothing is silent.
    {"rook on the open file", "4r1k1/8/8/8/8/8/8/N3K3 w - - 0 1", "", "e1d1 e1f1 e1d2 e1f2",
     "e1d1 e1d2 e1f1 e1f2"},
    {"bishop blocks or takes", "4r1k1/8/8/1B6/8/8/8/N3K3 w - - 0 1", "", "e1d1 e1f1 e1d2 e1f2 b5e2 b5e8",
     "b5e2 b5e8 e1d1 e1d2 e1f1 e1f2"},
    // d7-d5 gives check; only en passant answers it with a pawn.
    {"en passant takes the checking pawn", "4k3/3p4/8/4P3/4K3/8/8/8 b - - 0 1", "d7d5", "",
     "e4d3 e4d4 e4d5 e4e3 e4f3 e4f4 e4f5 e5d6"},
    {"en passant from the other side", "4k3/3p4/8/2P5/4K3/8/8/8 b - - 0 1", "d7d5", "",
     "c5d6 e4d3 e4d4 e4d5 e4e3 e4e5 e4f3 e4f4 e4f5"},
    {"en passant set up from the FEN", "4k3/8/8/3pP3/4K3/8/8/8 w - d6 0 1", "", "",
     "e4d3 e4d4 e4d5 e4e3 e4f3 e4f4 e4f5 e5d6"},
    {"black takes en passant", "8/8/8/3k4/3p4/8/2P5/4K3 w - - 0 1", "c2c4", "",
     "d4c3 d5c4 d5c5 d5c6 d5d6 d5e4 d5e5 d5e6"},
    // Knight and rook at once: king moves only, even though the bishop could take the knight.
    {"double check", "4r1k1/8/8/8/8/3n4/8/4KB2 w - - 0 1", "", "e1d1 e1d2", "e1d1 e1d2"},
    // A rook on the file and a queen on the rank count as one: the knight's moves onto either ray are
    // generated and none of them is legal.
    {"two line checkers", "4r1k1/8/8/8/8/2N5/8/q3K3 w - - 0 1", "", "e1d2 e1f2 c3b1 c3d1 c3e2 c3e4", "e1d2 e1f2"},
    {"promotions block and take", "K4r2/4P1P1/8/8/8/8/8/7k w - - 0 1", "", "a8a7 a8b7 e7e8q g7f8q e7f8q",
     "a8a7 a8b7 e7e8q e7f8q g7f8q"},
    {"double push blocks", "4k3/8/8/8/K6r/8/2P5/8 w - - 0 1", "", "a4a3 a4b3 a4a5 a4b5 c2c4", "a4a3 a4a5 a4b3 a4b5 c2c4"},
    {"double push over an occupied square", "4k3/8/8/8/K6r/2N5/2P5/8 w - - 0 1", "", "a4a3 a4b3 a4a5 a4b5 c3e4",
     "a4a3 a4a5 a4b3 a4b5 c3e4"},
    // The bishop on d2 could block on e3 but is pinned.
    {"pinned defender", "4r1k1/8/8/8/1b6/8/3B4/4K3 w - - 0 1", "", "e1d1 e1f1 e1f2 d2e3", "e1d1 e1f1 e1f2"},
    {"black in check from a knight", "4k3/8/5N2/8/8/8/8/4K2R b - - 0 1", "", "e8e7 e8f7 e8d8 e8f8", "e8d8 e8e7 e8f7 e8f8"},
};

class Evasions : public ::testing::TestWithParam<CheckCase> {};

TEST_P(Evasions, GiveExactlyTheLegalAnswers)
{
    const CheckCase& c = GetParam();
    ChessBoard b = BoardFromFen(c.fen);
    if (*c.push) {
        char mask;
        std::string m = c.push;
        b.MakeMove(Sq(m.substr(0, 2).c_str()), Sq(m.substr(2, 2).c_str()), NoPromotion, &mask);
        b.ToMove ^= 1;
    }
    const char side = b.ToMove;
    ASSERT_TRUE(b.InCheck(side == 0 ? b.WhiteKing : b.BlackKing, side));
    const ChessBoard before = b;

    MoveGen list;
    list.NumMoves = 3;
    int n = list.GenCheckEvasions(side, &b);
    EXPECT_EQ(list.NumMoves, 3) << "the count is not stored";
    EXPECT_EQ(std::memcmp(&before, &b, sizeof b), 0) << "the lifted king is put back";
    if (*c.evasions) {
        EXPECT_EQ(ListNames(list, n), Split(c.evasions));
    }
    EXPECT_EQ(LegalNames(b, list, n, side), Split(c.legal));

    MoveGen all;
    int m = all.GenerateAllMoves(side, &b, 0);
    EXPECT_EQ(LegalNames(b, all, m, side), Split(c.legal)) << "the same answers as the whole list";
}

INSTANTIATE_TEST_SUITE_P(Positions, Evasions, ::testing::ValuesIn(Checks), RowName());

// Walks a move tree with the generators and the one-level undo, checking at every node that the
// evasions give exactly the legal moves of the whole list, that every king evasion is legal, and that
// each move keeps the record consistent and is undone byte for byte.
class TreeChecker {
public:
    int CheckNodes = 0;

    void Walk(ChessBoard board, char side, char castle, int depth)
    {
        const uint64_t king = side == 0 ? board.WhiteKing : board.BlackKing;
        const bool inCheck = board.InCheck(king, side);
        MoveGen list;
        const int n = inCheck ? list.GenCheckEvasions(side, &board) : list.GenerateAllMoves(side, &board, castle);
        if (inCheck) {
            CheckNodes++;
            MoveGen all;
            const int m = all.GenerateAllMoves(side, &board, castle);
            ASSERT_EQ(LegalNames(board, list, n, side), LegalNames(board, all, m, side));
        }
        for (int i = 0; i < n; i++) {
            const ChessBoard before = board;
            char mask;
            board.MakeMove(list.From[i], list.To[i], list.Promote[i], &mask);
            ExpectConsistent(board);
            const bool illegal = board.InCheck(side == 0 ? board.WhiteKing : board.BlackKing, side);
            if (inCheck && (list.From[i] & king)) {
                ASSERT_FALSE(illegal) << "king evasions are legal as generated";
            }
            if (!illegal && depth > 1) Walk(board, side ^ 1, static_cast<char>(castle & mask), depth - 1);
            board.UndoMove(0);
            ASSERT_TRUE(RestoredByUndo(before, board));
        }
    }

private:
    static void ExpectConsistent(const ChessBoard& b)
    {
        const uint64_t white = b.WhitePawns | b.WhiteBishops | b.WhiteKnights | b.WhiteRooks | b.WhiteQueens | b.WhiteKing;
        const uint64_t black = b.BlackPawns | b.BlackBishops | b.BlackKnights | b.BlackRooks | b.BlackQueens | b.BlackKing;
        ASSERT_EQ(b.WhitePieces, white);
        ASSERT_EQ(b.BlackPieces, black);
        ASSERT_EQ(b.AllPieces, white | black);
        ASSERT_EQ(white & black, 0u);
        const uint64_t kinds[2][5] = {{b.WhiteQueens, b.WhiteRooks, b.WhiteBishops, b.WhiteKnights, b.WhitePawns},
                                      {b.BlackQueens, b.BlackRooks, b.BlackBishops, b.BlackKnights, b.BlackPawns}};
        for (int s = 0; s < 2; s++)
            for (int k = 0; k < 5; k++) ASSERT_EQ(b.PieceCounts[s][k], SimpleBitCount(kinds[s][k]));
        uint32_t key;
        genpawnhashcode(0, b, &key);
        ASSERT_EQ(b.PawnHashCode, key) << "the incremental pawn key equals the one from scratch";
    }

};

TEST(EvasionTrees, AgreeWithTheWholeListAndMakeUndoStaysExact)
{
    struct Tree {
        const char* fen;
        int depth;
    };
    const Tree trees[] = {
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 3},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 3},
        {"8/8/8/2k5/4p3/8/3P4/4K3 w - - 0 1", 4},
        {"8/3p4/8/4P3/2K5/8/8/4k3 b - - 0 1", 4},
        {"8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1", 4},
    };
    int checks = 0;
    for (const Tree& t : trees) {
        ChessBoard b = BoardFromFen(t.fen);
        TreeChecker checker;
        checker.Walk(b, b.ToMove, static_cast<char>(b.Castling), t.depth);
        if (HasFatalFailure()) FAIL() << t.fen;
        checks += checker.CheckNodes;
    }
    EXPECT_GT(checks, 400) << "the trees hold plenty of checks";
}
} // namespace
