#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "board/matchlog.h"
#include "board/movetext.h"
#include "search/compmov.h"
#include "fixture.h"

namespace {
std::string MoveText(int from, int to, char promote, int pv)
{
    char buffer[MoveTextSize];
    fillmovestring(buffer, 0, static_cast<char>(from), static_cast<char>(to), promote, pv);
    return buffer;
}

TEST(MoveText, SingleMoves)
{
    Search.PVLength = 0;
    EXPECT_EQ(MoveText(12, 28, NoPromotion, 0), " e2e4 \n");
    EXPECT_EQ(MoveText(52, 60, 'q', 0), " e7e8q;\n");
    EXPECT_EQ(MoveText(52, 60, 'Q', 0), " e7e8q;\n");
    EXPECT_EQ(MoveText(52, 61, 'N', 0), " e7f8n;\n");
    EXPECT_EQ(MoveText(11, 2, 'b', 0), " d2c1b;\n");
    EXPECT_EQ(MoveText(11, 3, 'R', 0), " d2d1r;\n");
    EXPECT_EQ(MoveText(0, 63, PromoteWhiteQueen, 0), " a1h8 \n") << "a piece-type code is not a promotion letter";
}

TEST(MoveText, OneMoveWithoutTheLineEnd)
{
    char buffer[MoveTextSize];
    EXPECT_EQ(WriteMoveText(buffer, MoveTextSize, 12, 28, NoPromotion), 6);
    EXPECT_STREQ(buffer, " e2e4 ");
    EXPECT_EQ(WriteMoveText(buffer, MoveTextSize, 52, 61, 'n'), 7);
    EXPECT_STREQ(buffer, " e7f8n;");
}

TEST(MoveText, PrincipalVariation)
{
    auto packed = [](int from, int to) { return static_cast<int16_t>(from * 64 + to); };
    Search.PVTable[0][0].Move = packed(12, 28);
    Search.PVTable[0][1].Move = packed(52, 36);
    Search.PVTable[0][2].Move = packed(6, 21);
    Search.PVLength = 3;
    EXPECT_EQ(MoveText(12, 28, NoPromotion, 1), " e2e4 e7e5 g1f3 \n");
    EXPECT_EQ(MoveText(12, 28, NoPromotion, 0), " e2e4 \n");
    Search.PVLength = 1;
    EXPECT_EQ(MoveText(12, 28, NoPromotion, 1), " e2e4 \n");
    // The longest line fits the buffer.
    for (int k = 0; k < MaxPly; k++) Search.PVTable[0][k].Move = packed(63, 0);
    Search.PVLength = MaxPly;
    std::string longest = MoveText(63, 0, 'q', 1);
    EXPECT_EQ(longest.size(), 8u + 5u * (MaxPly - 1));
    Search.PVLength = 0;
}

TEST(MatchLog, LinesAreWrittenAsGiven)
{
    char dir[] = "/tmp/orvex-log-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir), 0);
    WriteLogFile("before the log is open");
    OpenLogFile();
    WriteLogFile("abc");
    WriteLogFile("abc\n");
    WriteLogFile("100% of %s");
    CloseLogFile();
    WriteLogFile("after it is closed");
    CloseLogFile();
    std::ifstream in("match.log");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "abc\nabc\n\n100% of %s\n");
    std::remove("match.log");
    ASSERT_EQ(chdir(cwd), 0);
    rmdir(dir);
}
} // namespace
