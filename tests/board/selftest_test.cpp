#include <gtest/gtest.h>

#include "board/selftest.h"
#include "fixture.h"

namespace {
size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

// The first-rank line starts every board's last row, so it counts boards.
const char* const BoardMark = "\n1  ";

class SelfTests : public KeepsMainBoard {
protected:
    void SetUp() override
    {
        KeepsMainBoard::SetUp();
        MainBoard = BoardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    }
};

TEST_F(SelfTests, MaskKeepsOnlyThePiecesInside)
{
    const std::string out = CaptureStdout([] { Mask(MainStatus.FileMask[0]); });
    EXPECT_NE(out.find("8  r - - - - - - -  8\n"), std::string::npos);
    EXPECT_NE(out.find("2  P - - - - - - -  2\n"), std::string::npos);
    EXPECT_EQ(MainBoard.AllPieces, Sq("a1") | Sq("a2") | Sq("a7") | Sq("a8"));
    EXPECT_EQ(MainBoard.WhiteKing | MainBoard.BlackKing, 0u);
}

TEST_F(SelfTests, OpenFieldMovesDrawsTheReachFromEverySquare)
{
    const std::string out = CaptureStdout([] { OpenFieldMoves(&MainBoard.WhiteKnights, 0); });
    EXPECT_EQ(Count(out, BoardMark), 64u);
    // The first board is the knight's reach from a1.
    const std::string first = out.substr(0, out.find(BoardMark) + 24);
    EXPECT_NE(first.find("\n3  - N - - - - - -  3\n"), std::string::npos);
    EXPECT_NE(first.find("\n2  - - N - - - - -  2\n"), std::string::npos);
    EXPECT_EQ(Count(first, " N "), 2u);
    // The king generators report the missing king every time.
    EXPECT_EQ(Count(out, "Major Error: There is No king of a given color\n"), 128u);
    EXPECT_EQ(MainBoard.AllPieces, 0u);
}

TEST_F(SelfTests, TestMovesAndQuickTestDrawEveryStep)
{
    std::string out = CaptureStdout([] { TestMoves(); });
    EXPECT_EQ(Count(out, BoardMark), 40u) << "after each make and each undo";

    out = CaptureStdout([] { QuickTest(); });
    EXPECT_EQ(out.rfind("Quick Test of Constants and Setup\nWhole Board\n", 0), 0u);
    for (const char* marker : {"Test A File \n", "Test H File \n", "Test 1 Row \n", "Test 8 Row \n", "Bg2 Ba3 test\n"})
        EXPECT_NE(out.find(marker), std::string::npos) << marker;
    // The whole board, sixteen masks and two boards for each of the 21 moves of the last position.
    EXPECT_EQ(Count(out, BoardMark), 1u + 16u + 42u);
}

TEST_F(SelfTests, OpenFieldPieceMovesTestCoversTenPieceKinds)
{
    const std::string out = CaptureStdout([] { OpenFieldPieceMovesTest(); });
    EXPECT_EQ(Count(out, BoardMark), 640u);
}
} // namespace
