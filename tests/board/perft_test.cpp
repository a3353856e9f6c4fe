#include <gtest/gtest.h>

#include "board/perft.h"
#include "fixture.h"
#include "movetools.h"

namespace {
const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Runs perft from a position on MainBoard, with or without the trace, and gives back what it printed.
class Perft : public KeepsMainBoard {
protected:
    void TearDown() override
    {
        KeepsMainBoard::TearDown();
        MainStatus.Trace = 0;
    }

    std::string Run(const char* fen, int depth, bool trace, uint64_t* total = nullptr, uint64_t* leaf = nullptr)
    {
        MainBoard = BoardFromFen(fen);
        MainStatus.Trace = trace ? 1 : 0;
        return CaptureStdout([&] {
            PerfT p(depth);
            if (total) *total = p.TotalNodes;
            if (leaf) *leaf = p.LeafNodes;
        });
    }
};


TEST_F(Perft, CountsTheStartPosition)
{
    const uint64_t leaves[] = {1, 20, 400, 8902, 197281};
    uint64_t sum = 0;
    for (int depth = 0; depth <= 4; depth++) {
        uint64_t total, leaf;
        Run(Start, depth, false, &total, &leaf);
        EXPECT_EQ(leaf, leaves[depth]) << depth;
        if (depth > 0) sum += leaf;
        EXPECT_EQ(total, sum) << "every level's moves, the root's excluded";
    }
}

TEST_F(Perft, ReportsDepthZeroWithoutDividingByZero)
{
    EXPECT_EQ(Run(Start, 0, false), "Starting PerfT test \n"
                                    "0 Total Nodes at Depth = 0\n"
                                    "1 Leaf Nodes at Depth = 0\n"
                                    "0 NPS\n");
    const std::vector<std::string> lines = Lines(Run(Start, 2, false));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "420 Total Nodes at Depth = 2");
    EXPECT_EQ(lines[2], "400 Leaf Nodes at Depth = 2");
    EXPECT_NE(lines[3].find(" NPS"), std::string::npos);
}

TEST_F(Perft, TraceOfOneLevelListsEveryMoveWithTheRunningCount)
{
    ChessBoard b = BoardFromFen(Start);
    MoveGen list;
    const int n = list.GenerateAllMoves(0, &b, 15);
    std::string expected = "Starting PerfT test \n<Trace name=\"Perft\">\n";
    for (int i = 0; i < n; i++)
        expected += "<Move name=\"{  " + MoveName(list.From[i], list.To[i], list.Promote[i]) + " \nnodes " +
                    std::to_string(i + 1) + "\">\n</Move >\n} \n";
    expected += "</Trace>\n20 Total Nodes at Depth = 1\n20 Leaf Nodes at Depth = 1\n";
    const std::string out = Run(Start, 1, true);
    ASSERT_GT(out.size(), expected.size());
    EXPECT_EQ(out.substr(0, expected.size()), expected);
}

// The trace as a tree: every move element with the path of moves leading to it.
struct TracedMove {
    std::vector<std::string> path; // the moves before it, from the root
    std::string move;
    uint64_t nodes;
};

std::vector<TracedMove> ParseTrace(const std::string& text)
{
    std::vector<TracedMove> moves;
    std::vector<std::string> stack;
    const std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < lines.size(); i++) {
        const std::string& line = lines[i];
        if (line.rfind("<Move name=\"{  ", 0) == 0) {
            const std::string move = line.substr(15, line.size() - 16);
            EXPECT_EQ(line.back(), ' ');
            const std::string& next = lines.at(++i);
            EXPECT_EQ(next.rfind("nodes ", 0), 0u);
            moves.push_back({stack, move, std::stoull(next.substr(6))});
            stack.push_back(move);
        } else if (line == "</Move >") {
            EXPECT_FALSE(stack.empty());
            EXPECT_EQ(lines.at(++i), "} ");
            stack.pop_back();
        }
    }
    EXPECT_TRUE(stack.empty()) << "every element is closed";
    return moves;
}

TEST_F(Perft, TraceNestsEachSubtreeInsideItsMove)
{
    const std::vector<TracedMove> moves = ParseTrace(Run(Start, 2, true));
    ASSERT_EQ(moves.size(), 420u);
    for (size_t i = 0; i < moves.size(); i++) EXPECT_EQ(moves[i].nodes, i + 1) << "a running total, in order";
    // Each root move is followed by its 20 replies.
    for (size_t root = 0; root < moves.size(); root += 21) {
        EXPECT_TRUE(moves[root].path.empty());
        for (size_t k = 1; k <= 20; k++) EXPECT_EQ(moves[root + k].path, std::vector<std::string>{moves[root].move});
    }
}

TEST_F(Perft, IllegalMovesAreNeitherCountedNorTraced)
{
    uint64_t total;
    const std::vector<TracedMove> moves = ParseTrace(Run("4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1", 1, true, &total));
    EXPECT_EQ(total, 4u);
    std::vector<std::string> names;
    for (const TracedMove& m : moves) names.push_back(m.move);
    EXPECT_EQ(names, Split("e1d1 e1f1 e1d2 e1f2")) << "the pinned knight stays";
}

TEST_F(Perft, TheTraceCountsWhatThePlainCountCounts)
{
    // The trace makes and lists every leaf move; without it the last ply is only counted.
    const char* const fens[] = {
        Start,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
        "8/8/8/KPp4r/8/8/8/7k w - c6 0 1",
    };
    for (const char* fen : fens) {
        for (int depth = 1; depth <= 3; depth++) {
            uint64_t total, leaf, tracedTotal, tracedLeaf;
            Run(fen, depth, false, &total, &leaf);
            Run(fen, depth, true, &tracedTotal, &tracedLeaf);
            EXPECT_EQ(total, tracedTotal) << fen << " depth " << depth;
            EXPECT_EQ(leaf, tracedLeaf) << fen << " depth " << depth;
        }
    }
}

TEST_F(Perft, CastlingRightsNarrowDownTheTree)
{
    // The rook or king may leave and come back; the copy of the board would still allow castling, the
    // rights handed down do not.
    const std::vector<TracedMove> moves = ParseTrace(Run("k7/8/8/8/8/8/8/4K2R w K - 0 1", 5, true));
    int castles = 0, returns = 0;
    for (const TracedMove& m : moves) {
        // Follow White's king and rook along the path; "e1g1" is castling only while the king is on e1.
        std::string king = "e1", rook = "h1";
        bool moved = false;
        for (size_t ply = 0; ply < m.path.size(); ply += 2) {
            const std::string from = m.path[ply].substr(0, 2), to = m.path[ply].substr(2, 2);
            if (from == king) {
                if (m.path[ply] == "e1g1") rook = "f1";
                king = to;
                moved = true;
            } else if (from == rook) {
                rook = to;
                moved = true;
            }
        }
        if (m.path.size() % 2 == 0 && king == "e1" && m.move == "e1g1") {
            castles++;
            EXPECT_FALSE(moved) << "castled after a king or rook move";
        }
        if (m.path.size() == 4 && m.path[0] == "h1h2" && m.path[2] == "h2h1" && m.move.rfind("e1", 0) == 0) returns++;
    }
    EXPECT_GT(castles, 0);
    EXPECT_GT(returns, 0) << "the tree holds king moves after the rook came home";

    // The rights given to the count decide, not the board's own field.
    ChessBoard b = BoardFromFen("5k2/8/8/8/8/8/8/4K2R w K - 0 1");
    MainStatus.Trace = 0;
    CaptureStdout([&] {
        PerfT p(0);
        p.TotalNodes = p.LeafNodes = 0;
        p.PerformanceTest(0, 1, b, 1);
        EXPECT_EQ(p.TotalNodes, 15u);
        p.TotalNodes = 0;
        p.PerformanceTest(0, 1, b, 0);
        EXPECT_EQ(p.TotalNodes, 14u);
    });
}
} // namespace
