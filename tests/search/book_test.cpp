#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "board/hashcode.h"
#include "board/movegen.h"
#include "search/book.h"
#include "tests/board/fixture.h"

namespace {
const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const std::string Banner = "Look through the Opening Book\n";

// The key of the position after move i of the generated list, as the book stores positions.
BookEntry KeyAfterMove(ChessBoard board, char side, char castle, int i)
{
    MoveGen list;
    list.GenerateAllMoves(side, &board, castle);
    uint64_t from, to;
    char promote, mask;
    list.GetMove(i, &from, &to, &promote);
    board.MakeMove(from, to, promote, &mask);
    BookEntry key;
    genhashcode(static_cast<char>(side ^ 1), castle & mask, &key.UpperHashCode, &key.LowerHashCode, &board);
    return key;
}

int CountNodes(const treenode* node)
{
    return node ? 1 + CountNodes(node->left) + CountNodes(node->right) : 0;
}

// The book is process-wide: each test fills the entries it needs and leaves the empty book behind.
class OpeningBookTest : public testing::Test {
protected:
    void SetUp() override
    {
        InitEngineOnce();
        savedTrace = MainStatus.Trace;
        savedXboard = MainStatus.xboard;
        MainStatus.Trace = 0;
        MainStatus.xboard = 0;
        buildbook();
    }
    void TearDown() override
    {
        for (int i = 0; i < used; i++) {
            OpeningBook[i] = BookEntry{};
            BookValue[i] = 0;
        }
        buildbook();
        MainStatus.Trace = savedTrace;
        MainStatus.xboard = savedXboard;
    }

    void Fill(const std::vector<std::pair<BookEntry, int>>& entries)
    {
        for (size_t i = 0; i < entries.size(); i++) {
            OpeningBook[i] = entries[i].first;
            BookValue[i] = entries[i].second;
        }
        used = std::max(used, static_cast<int>(entries.size()));
        booksize = static_cast<int>(entries.size());
        buildbooktree(booksize);
    }

    int used = 0;
    uint8_t savedTrace = 0, savedXboard = 0;
};

TEST_F(OpeningBookTest, EmptyBookAnswersNoMoveAfterTheBanner)
{
    // A side that has nothing to move: king and pawns wedged in a corner (a hand-made board).
    ChessBoard wedged = BoardFromFen("K7/PP6/8/8/8/8/8/7k w - - 0 1");
    const uint64_t b8 = Sq("b8");
    wedged.WhitePawns |= b8;
    wedged.WhitePieces |= b8;
    wedged.AllPieces |= b8;

    const struct {
        ChessBoard board;
        char side, castle;
    } cases[] = {
        {BoardFromFen(StartFen), 0, 15},
        {BoardFromFen(StartFen), 1, 15},
        {BoardFromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"), 0, 15},
        {BoardFromFen("8/P6k/8/8/8/8/6Kp/8 b - - 0 1"), 1, 0},
        {wedged, 0, 0},
    };
    for (uint8_t xboard : {0, 1}) {
        MainStatus.xboard = xboard;
        for (const auto& c : cases) {
            int result = 0;
            const std::string out = CaptureStdout([&] { result = InBook(c.side, c.castle, c.board); });
            EXPECT_EQ(result, NO_BOOK_MOVE);
            EXPECT_EQ(out, xboard ? "" : Banner);
        }
    }

    // With the trace on, a side without moves still looks nothing up.
    MainStatus.Trace = 1;
    MainStatus.xboard = 0;
    EXPECT_EQ(CaptureStdout([&] { InBook(0, 0, wedged); }), Banner);
}

TEST_F(OpeningBookTest, TraceShowsEveryMoveAndItsValue)
{
    ChessBoard board = BoardFromFen("7k/8/8/8/8/8/8/K7 w - - 0 1");
    Fill({{KeyAfterMove(board, 0, 0, 1), 30}});
    MainStatus.Trace = 1;
    int result = 0;
    const std::string out = CaptureStdout([&] { result = InBook(0, 0, board); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(out, Banner +
                       "  { a1b1 \n  Not in Book: 0 a1b1 \n}\n"
                       "  { a1a2 \n  30 a1a2 \n}\n"
                       "  { a1b2 \n  Not in Book: 0 a1b2 \n}\n");

    // The empty book: one miss per generated move of the start position.
    Fill({{BookEntry{}, 0}});
    const std::string start = CaptureStdout([&] { EXPECT_EQ(InBook(0, 15, BoardFromFen(StartFen)), NO_BOOK_MOVE); });
    int misses = 0;
    for (size_t at = start.find("Not in Book: 0 "); at != std::string::npos; at = start.find("Not in Book: 0 ", at + 1))
        misses++;
    EXPECT_EQ(misses, 20);
}

TEST_F(OpeningBookTest, LowestValueWinsAndTiesGoToTheEarlierMove)
{
    const ChessBoard start = BoardFromFen(StartFen);
    struct Case {
        std::vector<std::pair<int, int>> moveValues; // move index in generation order, book value
        int expected;
    };
    const Case cases[] = {
        {{{4, 30}, {9, 30}}, 4},
        {{{9, 30}, {4, 30}}, 4}, // generation order decides, not book order
        {{{2, 50}, {11, 30}}, 11},
        {{{7, -5}}, 7},
        {{{3, 110000}, {5, 120000}}, NO_BOOK_MOVE},
        {{{3, 109999}, {5, 120000}}, 3},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<BookEntry, int>> entries;
        for (auto [move, value] : c.moveValues) entries.push_back({KeyAfterMove(start, 0, 15, move), value});
        Fill(entries);
        int result = 0;
        CaptureStdout([&] { result = InBook(0, 15, start); });
        EXPECT_EQ(result, c.expected) << "first entry: move " << c.moveValues[0].first;
    }
}

TEST_F(OpeningBookTest, BuildingAlwaysLeavesTheRootForEntryZero)
{
    for (int n : {0, 1}) {
        buildbooktree(n);
        const treenode* root = BookTreeRoot();
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->index, 0);
        EXPECT_EQ(root->left, nullptr);
        EXPECT_EQ(root->right, nullptr);
    }
    // buildbook ignores entries already in the tables.
    Fill({{{5, 1}, 0}, {{3, 2}, 0}, {{8, 3}, 0}});
    EXPECT_EQ(CountNodes(BookTreeRoot()), 3);
    buildbook();
    EXPECT_EQ(booksize, 0);
    EXPECT_EQ(CountNodes(BookTreeRoot()), 1);

    // The empty book finds only the all-zero key, which no position has.
    Fill({{BookEntry{}, 0}});
    EXPECT_EQ(BookTreeSearch(BookTreeRoot(), 0, 0), 0);
    const BookEntry startKey = KeyAfterMove(BoardFromFen(StartFen), 0, 15, 0);
    EXPECT_EQ(BookTreeSearch(BookTreeRoot(), startKey.UpperHashCode, startKey.LowerHashCode), -1);
    EXPECT_EQ(BookTreeSearch(nullptr, 0, 0), -1);
}

TEST_F(OpeningBookTest, TreeOrderAndLookup)
{
    const uint64_t top = 1ULL << 63;
    Fill({{{5, 1}, 0},
          {{3, 2}, 0},
          {{8, 3}, 0},
          {{5, 4}, 0},   // same upper half as the root, larger lower half: right subtree
          {{3, 2}, 0},   // duplicate: not inserted
          {{top, 0}, 0}, // unsigned order: larger than everything
          {{5, 0}, 0}}); // same upper half as the root, smaller lower half: left subtree
    const treenode* root = BookTreeRoot();
    EXPECT_EQ(CountNodes(root), 6);
    ASSERT_TRUE(root->left && root->right && root->right->left && root->right->right && root->left->right);
    EXPECT_EQ(root->left->index, 1);
    EXPECT_EQ(root->right->index, 2);
    EXPECT_EQ(root->right->left->index, 3);
    EXPECT_EQ(root->right->right->index, 5);
    EXPECT_EQ(root->left->right->index, 6);

    const struct {
        uint64_t upper, lower;
        int index;
    } lookups[] = {
        {5, 1, 0},
        {3, 2, 1},
        {8, 3, 2},
        {top, 0, 5},
        {5, 4, -1}, // its upper half stops the descent at the root
        {5, 0, -1},
        {7, 1, -1}, // a lower half equal to a node's on the way ends the search
        {9, 9, -1},
        {0, 0, -1},
    };
    for (auto l : lookups) EXPECT_EQ(BookTreeSearch(BookTreeRoot(), l.upper, l.lower), l.index) << l.upper << "," << l.lower;
}
} // namespace
