#include <string>

#include <gtest/gtest.h>

#include "tests/search/searchfixture.h"

namespace {
struct Outcome : RootSearch {
    bool played; // the position on MainBoard changed
};

// A fixed-depth search of `fen` in console mode, as the engine runs one; MainBoard is restored after.
Outcome SearchFen(const std::string& fen, int depth)
{
    const SavedMainState saved;
    MainBoard = BoardFromFen(fen);
    SetSearchSettings({.fixedDepth = static_cast<int8_t>(depth)});
    const ChessBoard before = MainBoard;
    Outcome o{SearchMainBoard(), false};
    o.played = !SamePieces(before, MainBoard);
    return o;
}

// Whether the search's move is legal in `fen`, whatever promotion code it carries.
bool IsLegal(const std::string& fen, const Outcome& o)
{
    return IsLegalMoveAnyPromotion(BoardFromFen(fen), o.from, o.to);
}

class SearchTest : public testing::Test {
protected:
    void SetUp() override
    {
        InitEngineOnce();
        FreshSearchState();
    }
};
} // namespace

TEST_F(SearchTest, MatesAreFoundAtTheDepthTheyNeedWithTheirRawScores)
{
    struct Case {
        const char* fen;
        int depth;
        const char* move;
        int score;
    };
    const Case cases[] = {
        {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 1, "a1a8", MATE - 1},
        {"k7/8/1K6/8/8/8/8/7R w - - 0 1", 1, "h1h8", MATE - 1},
        {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", 1, "h5f7", MATE - 1},
        {"k7/8/2K5/8/8/8/8/1R6 w - - 0 1", 3, "c6c7", MATE - 3},
    };
    for (const Case& c : cases) {
        FreshSearchState();
        const Outcome o = SearchFen(c.fen, c.depth);
        EXPECT_EQ(MoveName(o), c.move) << c.fen;
        EXPECT_EQ(o.score, c.score) << c.fen;
        EXPECT_TRUE(o.played) << c.fen;
    }
}

TEST_F(SearchTest, RootWithoutLegalMoveReportsMateOrStalemateAndPlaysNothing)
{
    const Outcome stalemate = SearchFen("k7/8/1Q6/8/8/8/8/7K b - - 0 1", 3);
    EXPECT_EQ(stalemate.score, STALEMATE);
    EXPECT_FALSE(stalemate.played);
    EXPECT_TRUE(Search.RootHadNoMove);

    const Outcome mated = SearchFen("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", 3);
    EXPECT_EQ(mated.score, -MATE);
    EXPECT_FALSE(mated.played);
    EXPECT_TRUE(Search.RootHadNoMove);
}

TEST_F(SearchTest, FixedDepthSearchIsDeterministicFromAFreshState)
{
    const char* fens[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    };
    for (const char* fen : fens) {
        FreshSearchState();
        const Outcome a = SearchFen(fen, 5);
        FreshSearchState();
        const Outcome b = SearchFen(fen, 5);
        EXPECT_EQ(a.nodes, b.nodes) << fen;
        EXPECT_EQ(MoveName(a), MoveName(b)) << fen;
        EXPECT_EQ(a.score, b.score) << fen;
        EXPECT_TRUE(IsLegal(fen, a)) << fen << " " << MoveName(a);
    }
}

// Fixed-depth results from a fresh state: a change that alters any of them alters the search.
TEST_F(SearchTest, RegressionTableOfFixedDepthSearches)
{
    struct Case {
        const char* fen;
        int depth;
        const char* move;
        int score;
        int64_t nodes;
    };
    const Case cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 6, "g1f3", 0, 13624},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 5, "d5e6", 420, 39578},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 7, "b4c4", 220, 34982},
        // White in check: the answer must be an evasion.
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 5, "c4c5", -2940, 6868},
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", 9, "e2e4", 2140, 2384},
        {"3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - - 0 0", 6, "f2f3", 780, 49942},
    };
    for (const Case& c : cases) {
        FreshSearchState();
        const Outcome o = SearchFen(c.fen, c.depth);
        EXPECT_EQ(MoveName(o), c.move) << c.fen;
        EXPECT_EQ(o.score, c.score) << c.fen;
        EXPECT_EQ(o.nodes, c.nodes) << c.fen;
        EXPECT_TRUE(IsLegal(c.fen, o)) << c.fen;
    }
}
