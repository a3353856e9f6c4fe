#include <gtest/gtest.h>

#include "board/status.h"

namespace {
TEST(Status, MasksAreConsistent)
{
    Status s{};
    s.initVars();
    EXPECT_EQ(s.FileMask[0] | s.FileMask[7], 0x8181818181818181ULL);
    EXPECT_EQ(s.LightSquares | s.DarkSquares, ~0ULL);
    EXPECT_EQ(s.LightSquares & s.DarkSquares, 0u);
    EXPECT_TRUE(s.DarkSquares & 1ULL) << "a1 is dark";
    EXPECT_TRUE(s.LightSquares & (1ULL << 7)) << "h1 is light";
    EXPECT_EQ(s.FilesGH, s.FileMask[6] | s.FileMask[7]);
    EXPECT_EQ(s.FilesABC, s.FileMask[0] | s.FileMask[1] | s.FileMask[2]);
    EXPECT_EQ(s.WhiteHalf, s.RankMask[0] | s.RankMask[1] | s.RankMask[2] | s.RankMask[3]);
    EXPECT_EQ(s.Corners, s.SqA1 | s.SqH1 | s.SqA8 | s.SqH8);
    // d7 e6 f5 / c5 d6 e7 / d6 e5 f4 / c4 d5 e6 / d2 e3 f4 / e2 d3 c4 / d3 e4 f5 / e3 d4 c5
    const int phalanx[8][3] = {{51, 44, 37}, {34, 43, 52}, {43, 36, 29}, {26, 35, 44},
                               {11, 20, 29}, {12, 19, 26}, {19, 28, 37}, {20, 27, 34}};
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(s.PhalanxMask[i], (1ULL << phalanx[i][0]) | (1ULL << phalanx[i][1]) | (1ULL << phalanx[i][2])) << i;
    // h2-c7, g2-b7, f2-a7, c2-h7, b2-g7, a2-f7: six squares each, one file and rank step apiece.
    const int diagonalStart[6] = {15, 14, 13, 10, 9, 8};
    const int diagonalStep[6] = {7, 7, 7, 9, 9, 9};
    for (int i = 0; i < 6; i++) {
        uint64_t expected = 0;
        for (int k = 0; k < 6; k++) expected |= 1ULL << (diagonalStart[i] + k * diagonalStep[i]);
        EXPECT_EQ(s.DiagonalMask[i], expected) << i;
    }
    EXPECT_EQ(s.SqG7, 1ULL << 54);
    EXPECT_EQ(s.SqB3, 1ULL << 17);
}

TEST(Status, InitVarsKeepsProtocolModeAndUciSettings)
{
    Status s{};
    s.Kibitz = 1;
    s.Post = 1;
    s.FD = 5;
    s.ST = 3000;
    s.MoveNumber = 40;
    s.GameInProgress = 0;
    s.xboard = 1;
    s.TimeLeft = 1234;
    s.initVars();
    EXPECT_EQ(s.Kibitz, 1);
    EXPECT_EQ(s.Post, 0);
    EXPECT_EQ(s.FD, 0) << "xboard new resets the fixed depth";
    EXPECT_EQ(s.ST, 0);
    EXPECT_EQ(s.MoveNumber, 1);
    EXPECT_EQ(s.GameInProgress, 1);
    EXPECT_EQ(s.xboard, 1);
    EXPECT_EQ(s.TimeLeft, 1234);
    EXPECT_EQ(s.DefaultMovesPerSession, 50);

    Status u{};
    u.UCIMode = 1;
    u.FD = 5;
    u.ST = 3000;
    u.UseBook = 0;
    u.Mimic = ORACLE;
    u.initVars();
    EXPECT_EQ(u.UCIMode, 1);
    EXPECT_EQ(u.FD, 5) << "UCI keeps the depth of its last go";
    EXPECT_EQ(u.ST, 3000);
    EXPECT_EQ(u.UseBook, 0);
    EXPECT_EQ(u.Mimic, 0);
}

TEST(Status, NodeRateStartsAtTheBuildDefault)
{
    Status s{};
    EXPECT_EQ(s.NodesPerSecond, StartNodesPerSecond);
    EXPECT_EQ(MainStatus.NodesPerSecond, sizeof(void*) == 8 ? 1200000 : 200004);
}
} // namespace

#include "board/bitmasks.h"

namespace {
// The hot paths use compile-time copies of these masks; they must never drift apart.
TEST(Status, CompileTimeMasksMatch)
{
    Status s{};
    s.initVars();
    using namespace BitMasks;
    EXPECT_EQ(FileA, s.FileMask[0]);
    EXPECT_EQ(FileB, s.FileMask[1]);
    EXPECT_EQ(FileC, s.FileMask[2]);
    EXPECT_EQ(FileF, s.FileMask[5]);
    EXPECT_EQ(FileG, s.FileMask[6]);
    EXPECT_EQ(FileH, s.FileMask[7]);
    EXPECT_EQ(FilesAB, s.FilesAB);
    EXPECT_EQ(FilesGH, s.FilesGH);
    const uint64_t ranks[8] = {Rank1, Rank2, Rank3, Rank4, Rank5, Rank6, Rank7, Rank8};
    for (int r = 0; r < 8; r++) EXPECT_EQ(ranks[r], s.RankMask[r]);
    EXPECT_EQ(WhiteHalf, s.WhiteHalf);
    EXPECT_EQ(BlackHalf, s.BlackHalf);
    EXPECT_EQ(LightSquares, s.LightSquares);
    EXPECT_EQ(DarkSquares, s.DarkSquares);
    EXPECT_EQ(A1 | H1 | A8 | H8, s.Corners);
    EXPECT_EQ(B1 | G1 | B8 | G8, s.SqB1 | s.SqG1 | s.SqB8 | s.SqG8);
}

TEST(Status, SquareMasksStandOnTheirSquares)
{
    Status s{};
    s.initVars();
    const struct {
        const char* name;
        uint64_t mask;
        int square;
    } cases[] = {
        {"a1", s.SqA1, 0},  {"b1", s.SqB1, 1},  {"g1", s.SqG1, 6},  {"h1", s.SqH1, 7},  {"a2", s.SqA2, 8},
        {"b2", s.SqB2, 9},  {"c2", s.SqC2, 10}, {"f2", s.SqF2, 13}, {"g2", s.SqG2, 14}, {"h2", s.SqH2, 15},
        {"a3", s.SqA3, 16}, {"b3", s.SqB3, 17}, {"c3", s.SqC3, 18}, {"f3", s.SqF3, 21}, {"g3", s.SqG3, 22},
        {"h3", s.SqH3, 23}, {"a6", s.SqA6, 40}, {"b6", s.SqB6, 41}, {"c6", s.SqC6, 42}, {"f6", s.SqF6, 45},
        {"g6", s.SqG6, 46}, {"h6", s.SqH6, 47}, {"a7", s.SqA7, 48}, {"b7", s.SqB7, 49}, {"c7", s.SqC7, 50},
        {"f7", s.SqF7, 53}, {"g7", s.SqG7, 54}, {"h7", s.SqH7, 55}, {"a8", s.SqA8, 56}, {"b8", s.SqB8, 57},
        {"g8", s.SqG8, 62}, {"h8", s.SqH8, 63},
    };
    for (const auto& c : cases) EXPECT_EQ(c.mask, 1ULL << c.square) << c.name;
    EXPECT_EQ(s.FilesFGH, 0xE0E0E0E0E0E0E0E0ULL);
    EXPECT_EQ(s.FilesABC, 0x0707070707070707ULL);
    EXPECT_EQ(s.Corners, 0x8100000000000081ULL);
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(s.FileMask[i], 0x0101010101010101ULL << i) << i;
        EXPECT_EQ(s.RankMask[i], 0xFFULL << (8 * i)) << i;
    }
}
} // namespace
