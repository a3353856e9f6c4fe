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
    for (int i = 0; i < 8; i++) EXPECT_EQ(__builtin_popcountll(s.PhalanxMask[i]), 3);
    for (int i = 0; i < 6; i++) EXPECT_EQ(__builtin_popcountll(s.DiagonalMask[i]), 6);
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
