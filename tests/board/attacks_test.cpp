#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "board/bitmasks.h"
#include "board/board.h"
#include "fixture.h"

namespace {
uint64_t Squares(std::initializer_list<const char*> names)
{
    uint64_t b = 0;
    for (const char* n : names) b |= Sq(n);
    return b;
}

TEST(Attacks, LeaperMasksAtTheCorners)
{
    EXPECT_EQ(ChessBoard::KnightMask(Sq("a1")), Squares({"b3", "c2"}));
    EXPECT_EQ(ChessBoard::KnightMask(Sq("h8")), Squares({"g6", "f7"}));
    EXPECT_EQ(ChessBoard::KnightMask(Sq("h1")), Squares({"g3", "f2"}));
    EXPECT_EQ(ChessBoard::KnightMask(Sq("b7")), Squares({"a5", "c5", "d6", "d8"}));
    EXPECT_EQ(ChessBoard::KingMask(Sq("a1")), Squares({"a2", "b1", "b2"}));
    EXPECT_EQ(ChessBoard::KingMask(Sq("h5")), Squares({"h4", "h6", "g4", "g5", "g6"}));
    EXPECT_EQ(ChessBoard::KnightMask(0) | ChessBoard::KingMask(0), 0u);
}

TEST(Attacks, SlidersOnEmptyAndStartBoards)
{
    InitEngineOnce();
    ChessBoard empty{};
    EXPECT_EQ(empty.RookMask(Sq("a1")), (0x0101010101010101ULL | 0xFFULL) & ~1ULL);
    EXPECT_EQ(SimpleBitCount(empty.BishopMask(Sq("d4"))), 13);
    EXPECT_EQ(empty.BishopMask(0) | empty.RookMask(0), 0u);

    ChessBoard start = BoardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(start.RookMask(Sq("a1")), Squares({"a2", "b1"})) << "own blockers are included";
    EXPECT_EQ(start.RookAttackCount(Sq("a1")), 0);
    EXPECT_EQ(start.BishopMask(Sq("c8")), Squares({"b7", "d7"}));

    ChessBoard open = BoardFromFen("4k3/8/8/3p4/8/8/8/R3K3 w - - 0 1");
    EXPECT_EQ(open.RookAttackCount(Sq("a1")), 10); // a2..a8 and b1..d1, stopping at the own king
}

TEST(Attacks, CheckMasksAreTheRaysThatHoldACheckingPiece)
{
    ChessBoard b = BoardFromFen("4k3/8/8/8/1b6/8/8/4K3 w - - 0 1");
    EXPECT_EQ(b.BishopCheckMask(Sq("e1"), Sq("b4")), Squares({"d2", "c3", "b4"}));
    // A checker set that also holds a piece on no ray of the king gives the same result.
    EXPECT_EQ(b.BishopCheckMask(Sq("e1"), Sq("b4") | Sq("e8")), Squares({"d2", "c3", "b4"}));
    EXPECT_EQ(b.RookCheckMask(Sq("e1"), Sq("b4")), 0u);

    ChessBoard r = BoardFromFen("4k3/8/8/8/4r3/8/8/4K3 w - - 0 1");
    EXPECT_EQ(r.RookCheckMask(Sq("e1"), Sq("e4")), Squares({"e2", "e3", "e4"}));
}

TEST(Attacks, IsAttackedByPawnsPiecesAndKing)
{
    struct Case {
        const char* fen;
        const char* square;
        char side;
        bool attacked;
    };
    const Case cases[] = {
        {"4k3/8/8/3p4/8/8/8/4K3 w - - 0 1", "e4", 0, true},
        {"4k3/8/8/5p2/8/8/8/4K3 w - - 0 1", "e4", 0, true},
        {"4k3/8/8/4p3/8/8/8/4K3 w - - 0 1", "e4", 0, false},
        // A black pawn on h5 must not wrap to attack a4.
        {"4k3/8/8/7p/8/8/8/4K3 w - - 0 1", "a4", 0, false},
        {"4k3/8/8/8/8/8/3P4/4K3 b - - 0 1", "e3", 1, true},
        {"4k3/8/8/8/8/8/P7/4K3 b - - 0 1", "h3", 1, false},
        {"4k3/8/8/8/8/5n2/8/4K3 w - - 0 1", "e1", 0, true},
        {"4k3/8/8/8/8/8/8/q3K3 w - - 0 1", "e1", 0, true},
        {"4k3/8/8/8/8/8/8/q2NK3 w - - 0 1", "e1", 0, false},
        {"4k3/8/8/8/7b/8/8/4K3 w - - 0 1", "e1", 0, true},
        {"8/8/8/8/8/8/3k4/4K3 w - - 0 1", "e1", 0, true},
        {"4k3/4R3/8/8/8/8/8/4K3 b - - 0 1", "e8", 1, true},
    };
    for (const Case& c : cases) {
        // Some of these are not legal positions (the side not to move is in check), so the board is
        // taken from the parser without the set-up's verdict.
        InitEngineOnce();
        ChessBoard b{};
        ParseFen(c.fen, b, nullptr);
        EXPECT_EQ(b.IsAttacked(Sq(c.square), c.side), c.attacked) << c.fen << " " << c.square;
        EXPECT_EQ(b.InCheck(Sq(c.square), c.side), c.attacked);
    }
}

TEST(Attacks, OccludedFills)
{
    uint64_t empty = ~Sq("e2");
    EXPECT_EQ(ChessBoard::SouthAttacks(Sq("e5"), ~0ULL), Squares({"e4", "e3", "e2", "e1"}));
    EXPECT_EQ(ChessBoard::SouthAttacks(Sq("e5"), empty & ~Sq("e3")), Squares({"e4", "e3"}));
    EXPECT_EQ(ChessBoard::NorthAttacks(Sq("a6"), ~0ULL), Squares({"a7", "a8"}));
}

struct DrawCase {
    const char* fen;
    int clock;
    int result;
};

TEST(PawnAttacks, DiagonalStepsThatNeverWrap)
{
    using namespace BitMasks;
    EXPECT_EQ(WhitePawnAttacks(Sq("e4")), Squares({"d5", "f5"}));
    EXPECT_EQ(WhitePawnAttacks(Sq("a2")), Sq("b3"));
    EXPECT_EQ(WhitePawnAttacks(Sq("h2")), Sq("g3"));
    EXPECT_EQ(WhitePawnAttacks(Sq("c8")), 0u) << "nothing beyond the last rank";
    EXPECT_EQ(BlackPawnAttacks(Sq("e5")), Squares({"d4", "f4"}));
    EXPECT_EQ(BlackPawnAttacks(Sq("a7")), Sq("b6"));
    EXPECT_EQ(BlackPawnAttacks(Sq("h7")), Sq("g6"));
    EXPECT_EQ(BlackPawnAttacks(Sq("c1")), 0u);
    // Whole sets at once: the union of the single pawns.
    EXPECT_EQ(WhitePawnAttacks(Rank2), Rank3);
    EXPECT_EQ(BlackPawnAttacks(Rank7), Rank6);
    EXPECT_EQ(WhitePawnAttacks(Squares({"a2", "c2"})), Squares({"b3", "d3"}));
}

TEST(Draw, CheckDrawRules)
{
    const DrawCase cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0, NotDrawn},
        {"8/8/8/8/8/2k5/8/KB6 w - - 0 1", 0, NotDrawn},        // corner king at distance 2 may still be mated
        {"8/8/8/8/2k5/8/8/KB6 w - - 0 1", 0, MaterialDraw},    // distance 3
        {"8/8/8/4k3/8/8/8/KB6 w - - 0 1", 0, MaterialDraw},    // distance 4
        {"8/8/3k4/8/8/8/3K4/1NN5 w - - 0 1", 0, MaterialDraw}, // two knights, no corner
        {"8/8/3k4/8/8/8/3K4/1NB5 w - - 0 1", 0, NotDrawn},     // bishop and knight mate
        {"8/8/3k4/8/8/8/3KP3/8 w - - 0 1", 0, NotDrawn},
        {"8/8/3k4/8/8/8/3K4/8 w - - 0 1", 0, MaterialDraw},
        {"8/6k1/8/7P/8/8/8/4KB2 w - - 0 1", 0, MaterialDraw},  // light bishop cannot cover h8
        {"8/6k1/8/7P/8/8/8/4K1B1 w - - 0 1", 0, NotDrawn},     // dark bishop can
        {"8/1k6/8/8/P7/8/8/2B1K3 w - - 0 1", 0, MaterialDraw}, // a-pawn with the dark bishop, king near a8
        {"8/1k6/8/8/P7/8/8/3BK3 w - - 0 1", 0, NotDrawn},
        {"8/2k5/8/8/P7/8/8/2B1K3 w - - 0 1", 0, NotDrawn},     // king outside the corner region
        {"4k3/8/8/8/7p/8/6K1/2b5 b - - 0 1", 0, MaterialDraw}, // Black: h-pawn, dark bishop, king near h1
        {"4k3/8/8/8/7p/8/6K1/3b4 b - - 0 1", 0, NotDrawn},
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 100, FiftyMoveDraw},
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 99, NotDrawn},
        // Material comes before the clock; the corner exception falls through to it.
        {"8/8/3k4/8/8/8/3K4/8 w - - 0 1", 100, MaterialDraw},
        {"8/8/8/8/8/2k5/8/KB6 w - - 0 1", 100, FiftyMoveDraw},
    };
    for (const DrawCase& c : cases) {
        ChessBoard b = BoardFromFen(c.fen);
        b.FiftyMoveCount = c.clock;
        EXPECT_EQ(b.CheckDraw(0), c.result) << c.fen << " clock " << c.clock;
    }
}

// The colour-flipped FEN: ranks in the other order, each piece the other colour's, the other side to move.
// Castling and en passant are left out; the draw cases have none.
std::string FlippedFen(const std::string& fen)
{
    std::istringstream in(fen);
    std::string placement, side;
    in >> placement >> side;
    std::vector<std::string> ranks;
    std::istringstream rows(placement);
    for (std::string row; std::getline(rows, row, '/');) ranks.insert(ranks.begin(), row);
    std::string out;
    for (const std::string& row : ranks) {
        if (!out.empty()) out += '/';
        for (char c : row) out += std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c);
    }
    return out + (side == "w" ? " b" : " w") + " - - 0 1";
}

// Bishop and rook pawn against the bare king, from either colour: the same verdict on the flipped board.
TEST(Draw, WrongBishopAndRookPawnForBothColours)
{
    const struct {
        const char* fen;
        int result;
    } cases[] = {
        {"8/6k1/8/7P/8/8/8/4KB2 w - - 0 1", MaterialDraw}, // h-pawn, light bishop, king on g7
        {"7k/8/8/7P/8/8/8/4KB2 w - - 0 1", MaterialDraw},  // king on h8
        {"8/6k1/8/7P/8/8/8/4K1B1 w - - 0 1", NotDrawn},    // the dark bishop covers h8
        {"8/5k2/8/7P/8/8/8/4KB2 w - - 0 1", NotDrawn},     // king on f7, outside the corner
        {"8/1k6/8/8/P7/8/8/2B1K3 w - - 0 1", MaterialDraw}, // a-pawn, dark bishop, king on b7
        {"k7/8/8/8/P7/8/8/2B1K3 w - - 0 1", MaterialDraw},  // king on a8
        {"8/1k6/8/8/P7/8/8/3BK3 w - - 0 1", NotDrawn},      // the light bishop covers a8
        {"8/6k1/8/7P/8/8/p7/4KB2 w - - 0 1", NotDrawn},     // the defender has a pawn
        {"8/6k1/8/7P/8/8/8/n3KB2 w - - 0 1", NotDrawn},     // the defender has a knight
        {"8/6k1/8/6PP/8/8/8/4KB2 w - - 0 1", NotDrawn},     // two pawns
        {"8/6k1/8/6P1/8/8/8/4KB2 w - - 0 1", NotDrawn},     // not a rook pawn
    };
    for (const auto& c : cases) {
        ChessBoard b = BoardFromFen(c.fen);
        EXPECT_EQ(b.CheckDraw(0), c.result) << c.fen;
        const std::string flipped = FlippedFen(c.fen);
        ChessBoard f = BoardFromFen(flipped);
        EXPECT_EQ(f.CheckDraw(0), c.result) << flipped;
    }
}

TEST(Draw, MatingMaterialFlags)
{
    ChessBoard start = BoardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    start.CheckDraw(0);
    EXPECT_EQ(start.DrawFlags, BothCanMate);
    ChessBoard knight = BoardFromFen("rnbqkbnr/pppppppp/8/8/8/8/8/4K1N1 w kq - 0 1");
    knight.CheckDraw(0);
    EXPECT_EQ(knight.DrawFlags, BlackCanMate);
    ChessBoard black = BoardFromFen("4k3/8/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ - 0 1");
    black.CheckDraw(0);
    EXPECT_EQ(black.DrawFlags, WhiteCanMate);
    ChessBoard neither = BoardFromFen("4k3/8/8/8/8/8/8/1N2K1b1 w - - 0 1");
    neither.CheckDraw(0);
    EXPECT_EQ(neither.DrawFlags, 0);
}

TEST(Draw, FiftyMoveCounterOfTheGameLoop)
{
    ChessBoard b = BoardFromFen("4k3/8/8/3p4/8/8/4P3/4K1N1 w - - 0 1");
    b.FiftyMoveCount = 10;
    EXPECT_FALSE(b.Test50MoveRule(6, 21)); // g1-f3, a quiet knight move
    EXPECT_EQ(b.FiftyMoveCount, 11);
    EXPECT_FALSE(b.Test50MoveRule(12, 20)); // e2-e3, a pawn move
    EXPECT_EQ(b.FiftyMoveCount, 0);
    b.FiftyMoveCount = 10;
    EXPECT_FALSE(b.Test50MoveRule(6, 35)); // onto the occupied d5
    EXPECT_EQ(b.FiftyMoveCount, 0);
    b.FiftyMoveCount = 99;
    EXPECT_TRUE(b.Test50MoveRule(6, 21));
    // Square numbers out of range are folded onto the board, never shifted past it.
    b.FiftyMoveCount = 0;
    EXPECT_FALSE(b.Test50MoveRule(static_cast<char>(89), static_cast<char>(-3)));
}

TEST(TextBoard, StartPositionFrame)
{
    InitEngineOnce();
    ChessBoard start = BoardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    MainStatus.PEV = 1;
    std::string withoutEval = CaptureStdout([&] { start.DisplayBoard(); });
    MainStatus.PEV = 0;
    const std::string frame =
        "   A B C D E F G H\n\n"
        "8  r n b q k b n r  8\n"
        "7  p p p p p p p p  7\n"
        "6  - - - - - - - -  6\n"
        "5  - - - - - - - -  5\n"
        "4  - - - - - - - -  4\n"
        "3  - - - - - - - -  3\n"
        "2  P P P P P P P P  2\n"
        "1  R N B Q K B N R  1\n\n"
        "   A B C D E F G H\n";
    EXPECT_EQ(withoutEval, frame);
    std::string withEval = CaptureStdout([&] { start.DisplayBoard(); });
    EXPECT_EQ(withEval.substr(0, frame.size()), frame);
    EXPECT_EQ(withEval.substr(frame.size(), 26), "\n PosEval from White view ");
    EXPECT_EQ(withEval.back(), '\n');
}

TEST(TextBoard, InconsistentRecordIsReported)
{
    ChessBoard b{};
    b.AllPieces = Sq("a1") | Sq("b1") | Sq("c1");
    b.WhitePieces = Sq("b1");
    b.BlackPieces = Sq("c1");
    EXPECT_EQ(CaptureStdout([&] { b.DisplayPiece(0); }), "Major Error: DisplayPiece has unknown Color\n ");
    EXPECT_EQ(CaptureStdout([&] { b.DisplayPiece(1); }), "Major Error: DisplayPiece unknown White Piece\n ");
    EXPECT_EQ(CaptureStdout([&] { b.DisplayPiece(2); }), "Major Error: DisplayPiece unknown Black Piece\n ");
    EXPECT_EQ(CaptureStdout([&] { b.DisplayPiece(3 + 64); }), "- ");
}
} // namespace
