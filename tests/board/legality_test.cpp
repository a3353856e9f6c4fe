#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "board/legality.h"
#include "board/movegen.h"
#include "fixture.h"
#include "movetools.h"

namespace {
// The distinct positions of the perft reference table, in table order.
std::vector<std::string> ReferenceFens()
{
    std::ifstream in(std::string(ORVEX_TEST_DATA) + "/../e2e/perft_reference.tsv");
    std::vector<std::string> fens;
    std::string line;
    std::getline(in, line); // the column names
    while (std::getline(in, line)) {
        const std::string fen = line.substr(0, line.find('\t'));
        if (!fen.empty() && (fens.empty() || fens.back() != fen)) fens.push_back(fen);
    }
    return fens;
}

char InCheckOf(const ChessBoard& b, char side)
{
    return b.InCheck(side == 0 ? b.WhiteKing : b.BlackKing, side);
}

// The list perft walks for the side: the evasions in check, otherwise every move with the rights.
int Generate(ChessBoard& b, char side, char rights, MoveGen& list)
{
    return InCheckOf(b, side) ? list.GenCheckEvasions(side, &b) : list.GenerateAllMoves(side, &b, rights);
}

// Holds KingSafety and CountLegalMoves to the answer of making each generated move; gives the number
// of moves that keep the king safe. Neither may change the board.
int ExpectAgreement(const ChessBoard& b, char side, char rights, const std::string& where)
{
    ChessBoard board = b;
    MoveGen list;
    const int n = Generate(board, side, rights, list);
    std::vector<bool> expected;
    ChessBoard scratch = b;
    for (int i = 0; i < n; i++) expected.push_back(KingSafeAfter(scratch, side, list, i));

    const bool inCheck = InCheckOf(board, side);
    const KingSafety safety(board, side, inCheck);
    int safe = 0;
    for (int i = 0; i < n; i++) {
        EXPECT_EQ(safety.IsLegal(list.From[i], list.To[i], list.Promote[i]), expected[i])
            << where << " side " << int(side) << " move " << MoveName(list.From[i], list.To[i], list.Promote[i]);
        safe += expected[i];
    }
    EXPECT_EQ(CountLegalMoves(board, side, rights, inCheck), safe) << where << " side " << int(side);
    EXPECT_EQ(std::memcmp(&board, &b, sizeof b), 0) << where << ": the board was changed";
    return safe;
}

TEST(KingSafety, AgreesWithMakingTheMoveAlongRandomGames)
{
    const std::vector<std::string> fens = ReferenceFens();
    ASSERT_GT(fens.size(), 10u);
    std::mt19937 random(20240611);
    int positions = 0;
    for (const std::string& fen : fens) {
        const ChessBoard start = BoardFromFen(fen);
        for (int walk = 0; walk < 8; walk++) {
            ChessBoard b = start;
            char side = b.ToMove;
            char rights = static_cast<char>(b.Castling);
            for (int ply = 0; ply < 40; ply++) {
                const std::string where = fen + " walk " + std::to_string(walk) + " ply " + std::to_string(ply);
                // The mover with the rights it has and with every right (castling without its king or
                // rook at home); the side that has just moved, whose list may take the enemy king.
                ExpectAgreement(b, side, rights, where);
                ExpectAgreement(b, side, 15, where + " all rights");
                ExpectAgreement(b, static_cast<char>(side ^ 1), 0, where + " other side");
                positions++;

                MoveGen list;
                ChessBoard scratch = b;
                const int n = Generate(scratch, side, rights, list);
                std::vector<int> legal;
                for (int i = 0; i < n; i++)
                    if (KingSafeAfter(scratch, side, list, i)) legal.push_back(i);
                if (legal.empty()) break;
                const int i = legal[random() % legal.size()];
                ChessBoard child = b;
                char mask;
                child.MakeMove(list.From[i], list.To[i], list.Promote[i], &mask);
                b = child;
                rights = static_cast<char>(rights & mask);
                side ^= 1;
            }
        }
    }
    EXPECT_GT(positions, 1000);
}

struct Case {
    const char* name;
    const char* fen;
    const char* move;  // one generated move of the side to move
    bool legal;
};

const Case Cases[] = {
    // Taking en passant lifts both pawns off the king's rank.
    {"en passant uncovers the rank", "8/8/8/KPp4r/8/8/8/7k w - c6 0 1", "b5c6", false},
    {"en passant with the rank still closed", "8/8/8/KPp1P2r/8/8/8/7k w - c6 0 1", "b5c6", true},
    {"en passant along a diagonal pin", "8/7k/8/8/3Pp3/8/8/KB6 b - d3 0 1", "e4d3", true},
    {"en passant out of a file pin", "4k3/8/8/8/3Pp3/8/8/K3R3 b - d3 0 1", "e4d3", false},
    {"pinned rook along its file", "4k3/4r3/8/8/8/8/4R3/4K3 w - - 0 1", "e2e5", true},
    {"pinned rook takes the pinner", "4k3/4r3/8/8/8/8/4R3/4K3 w - - 0 1", "e2e7", true},
    {"pinned rook off its file", "4k3/4r3/8/8/8/8/4R3/4K3 w - - 0 1", "e2d2", false},
    {"pinned bishop along the diagonal", "4k3/8/8/b7/8/8/3B4/4K3 w - - 0 1", "d2b4", true},
    {"pinned bishop off the diagonal", "4k3/8/8/b7/8/8/3B4/4K3 w - - 0 1", "d2e3", false},
    {"pinned queen off the diagonal", "4k3/8/8/b7/8/8/3Q4/4K3 w - - 0 1", "d2d5", false},
    {"pinned pawn pushes on the file", "4r1k1/8/8/8/8/8/4P3/4K3 w - - 0 1", "e2e4", true},
    {"pinned pawn cannot take aside", "4r1k1/8/8/8/8/3n4/4P3/4K3 w - - 0 1", "e2d3", false},
    {"pawn pinned on a diagonal takes the pinner", "4k3/8/8/8/8/6b1/5P2/4K3 w - - 0 1", "f2g3", true},
    {"pinned pawn promotes taking the pinner", "1r2k3/K1P5/8/8/8/8/8/8 w - - 0 1", "c7b8q", true},
    {"two pieces on the line: neither pinned", "4k3/4r3/8/8/4N3/8/4R3/4K3 w - - 0 1", "e4d6", true},
    {"a black piece pinned by a queen", "4k3/3n4/8/1Q6/8/8/8/4K3 b - - 0 1", "d7f6", false},
    {"king steps into a pawn's attack", "4k3/8/8/8/8/3p4/8/4K3 w - - 0 1", "e1e2", false},
    {"king steps along a rook's rank", "4k3/8/8/8/8/8/r7/4K3 w - - 0 1", "e1d2", false},
    {"king takes a defended piece", "3rk3/8/8/8/8/8/3r4/4K3 w - - 0 1", "e1d2", false},
    {"king takes an undefended piece", "4k3/8/8/8/8/8/3r4/4K3 w - - 0 1", "e1d2", true},
    {"king next to the other king", "8/8/8/8/8/3k4/8/3K4 w - - 0 1", "d1d2", false},
    {"castling", "4k3/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", true},
    {"evasion by a pinned piece", "4r1k1/8/8/8/1b6/8/3B4/4K3 w - - 0 1", "d2e3", false},
    {"evasion that takes the checker", "4k3/8/8/8/8/8/4r3/3BK3 w - - 0 1", "d1e2", true},
    {"evasion that blocks one of two line checks", "4r1k1/8/8/8/8/2N5/8/q3K3 w - - 0 1", "c3e2", false},
};

class KingSafetyCases : public ::testing::TestWithParam<Case> {};

TEST_P(KingSafetyCases, JudgeTheMoveAsMakingItDoes)
{
    const Case& c = GetParam();
    const ChessBoard b = BoardFromFen(c.fen);
    ChessBoard board = b;
    MoveGen list;
    const int n = Generate(board, b.ToMove, static_cast<char>(b.Castling), list);
    const bool inCheck = InCheckOf(board, b.ToMove);
    const KingSafety safety(board, b.ToMove, inCheck);
    int found = 0;
    for (int i = 0; i < n; i++) {
        if (MoveName(list.From[i], list.To[i], list.Promote[i]) != c.move) continue;
        found++;
        ChessBoard scratch = b;
        EXPECT_EQ(KingSafeAfter(scratch, b.ToMove, list, i), c.legal) << "the case itself";
        EXPECT_EQ(safety.IsLegal(list.From[i], list.To[i], list.Promote[i]), c.legal);
    }
    EXPECT_EQ(found, 1) << c.move << " is generated once";
    ExpectAgreement(b, b.ToMove, static_cast<char>(b.Castling), c.name);
}

INSTANTIATE_TEST_SUITE_P(Moves, KingSafetyCases, ::testing::ValuesIn(Cases), RowName());

TEST(KingSafety, ASideThatCanTakeTheKingIsCountedByMakingTheMoves)
{
    // White to move with Black in check: the count of the side that has just moved includes the
    // capture of the king, as making it says.
    const ChessBoard b = BoardFromFen("4k3/8/8/8/8/8/4R3/4K3 b - - 0 1");
    EXPECT_GT(ExpectAgreement(b, 0, 0, "rook takes king"), 0);
    ExpectAgreement(b, 1, 0, "king in check");
}
TEST(KingSafety, CastlingRightsThatDoNotFitTheBoardAreJudgedByMakingTheMove)
{
    // With the right handed in, castling is generated from e1, where a black knight stands: making
    // the move carries the knight to g1, next to the White king.
    const ChessBoard b = BoardFromFen("4k3/8/8/8/8/8/4K3/4n2R w - - 0 1");
    ChessBoard board = b;
    MoveGen list;
    const int n = list.GenerateAllMoves(0, &board, CastleWK);
    const std::vector<std::string> names = ListNames(list, n);
    ASSERT_NE(std::find(names.begin(), names.end(), "e1g1"), names.end());
    ExpectAgreement(b, 0, CastleWK, "knight on e1");
}

TEST(KingSafety, APositionWithoutExactlyOneKingIsJudgedByMakingTheMoves)
{
    ChessBoard b = BoardFromFen("4k3/8/8/8/8/8/4P3/R3K3 w - - 0 1");
    b.WhiteKing = 0;
    b.RecountOccupancy();
    ChessBoard two = BoardFromFen("4k3/8/8/8/8/8/4P3/R3K3 w - - 0 1");
    // A second White king, on h4, in check from a rook on h8 while the one on e1 is not.
    two.WhiteKing |= Sq("h4");
    two.BlackRooks |= Sq("h8");
    two.RecountOccupancy();
    // The generator reports the odd king count on the way.
    CaptureStdout([&] {
        EXPECT_GT(ExpectAgreement(b, 0, 0, "no White king"), 0);
        EXPECT_GT(ExpectAgreement(two, 0, 0, "two White kings"), 0);
    });
}
} // namespace
