#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "board/hashcode.h"
#include "tests/search/searchfixture.h"
#include "tests/support/pipedstdin.h"

namespace {
enum Mode { Console, Uci };

struct Limits {
    Mode mode;
    int32_t timeLeft; // ms
    int32_t st;       // ms
    int32_t rateEstimate;
    int8_t fixedDepth;
};

struct Outcome {
    int score;
    std::string move;
    bool legal;  // a legal move of the position was chosen
    bool played; // and it is the one now on MainBoard
    double seconds;
};

// One search of `position` as the engine runs it; MainBoard and MainStatus are restored after.
Outcome RunSearch(const ChessBoard& position, const Limits& limits)
{
    const SavedMainState saved;
    MainBoard = position;
    SetSearchSettings({.uci = limits.mode == Uci,
                       .fixedDepth = limits.fixedDepth,
                       .st = limits.st,
                       .timeLeft = limits.timeLeft,
                       .moveNumber = 30,
                       .nodesPerSecond = limits.rateEstimate});
    RootSearch s;
    {
        // Standard input is an open pipe with nothing in it, so the poll of a UCI search finds no input.
        const PipedStdin quiet;
        s = SearchMainBoard();
    }
    Outcome o{};
    o.score = s.score;
    o.seconds = s.seconds;
    o.move = MoveName(s);
    o.legal = IsLegalMove(position, position.ToMove, s.from, s.to, s.promo);
    o.played = o.legal && MainBoardShowsMove(position, s.from, s.to, s.promo);
    return o;
}

constexpr const char* Middlegame = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 0 8";

class TimeControl : public testing::Test {
protected:
    void SetUp() override
    {
        InitEngineOnce();
        FreshSearchState();
    }
};
} // namespace

namespace {
// A rate estimate a thousand times too high makes every node budget far too large; the wall clock must
// still end the search in time.
struct TooHighEstimate {
    const char* what;
    Limits limits;
    double bound; // seconds
};

void ExpectInTime(const TooHighEstimate& c)
{
    FreshSearchState();
    const ChessBoard position = BoardFromFen(Middlegame);
    const Outcome o = RunSearch(position, c.limits);
    EXPECT_TRUE(o.legal) << c.what << ": " << o.move;
    EXPECT_TRUE(o.played) << c.what;
    EXPECT_LT(o.seconds, c.bound) << c.what;
}
} // namespace

TEST_F(TimeControl, FixedTimeEndsInTimeWhenTheRateEstimateIsFarTooHigh)
{
    ExpectInTime({"fixed 200 ms", {Uci, 12000, 200, 1200000000, 0}, 2.0});
}

TEST_F(TimeControl, ClockEndsTheSearchBeforeItRunsOutWhenTheRateEstimateIsFarTooHigh)
{
    const TooHighEstimate cases[] = {
        {"UCI, 2 s on the clock", {Uci, 2000, 0, 1200000000, 0}, 2.0},
        {"console, 2 s on the clock", {Console, 2000, 0, 1200000000, 0}, 2.0},
    };
    for (const TooHighEstimate& c : cases) ExpectInTime(c);
}

// Whatever the budget says, the first iteration is searched to its end.
TEST_F(TimeControl, DepthOneAlwaysCompletes)
{
    const Limits cases[] = {
        {Uci, 2000, 0, 10, 0},
        {Console, 2000, 0, 10, 0},
        {Uci, 12000, 200, 10, 0},
        {Uci, 0, 0, 1200000, 0}, // nothing left on the clock
    };
    const ChessBoard position = BoardFromFen(Middlegame);
    for (const Limits& limits : cases) {
        FreshSearchState();
        const Outcome o = RunSearch(position, limits);
        EXPECT_TRUE(o.legal) << "rate " << limits.rateEstimate << ": " << o.move;
        EXPECT_TRUE(o.played) << "rate " << limits.rateEstimate;
        // Set only when a root iteration ran to its end.
        EXPECT_EQ(Search.LegalRootMoves, LegalMoveCount(position)) << "rate " << limits.rateEstimate;
        EXPECT_LT(o.seconds, 5.0);
    }
}

TEST_F(TimeControl, FiftyMoveRuleScoresZeroInsideTheTree)
{
    struct Case {
        const char* what;
        const char* fen;
        int fifty;
        int depth;
        const char* move; // nullptr: any legal move
        bool drawn;
    };
    const Case cases[] = {
        {"any quiet move reaches 100", "8/8/8/4k3/8/8/8/4K2Q w - - 0 1", 99, 2, nullptr, true},
        {"any quiet move reaches 100", "8/8/8/4k3/8/8/8/4K2Q w - - 0 1", 99, 3, nullptr, true},
        {"the count is not yet near", "8/8/8/4k3/8/8/8/4K2Q w - - 0 1", 0, 3, nullptr, false},
        {"a capture restarts the count", "8/8/8/4k3/8/8/3r4/4K2Q w - - 0 1", 99, 3, "e1d2", false},
    };
    for (const Case& c : cases) {
        FreshSearchState();
        ChessBoard position = BoardFromFen(c.fen);
        position.FiftyMoveCount = c.fifty;
        const Outcome o = RunSearch(position, {Console, 0, 0, 1200000, static_cast<int8_t>(c.depth)});
        EXPECT_TRUE(o.legal) << c.what;
        if (c.move) {
            EXPECT_EQ(o.move, c.move) << c.what;
        }
        if (c.drawn) {
            EXPECT_EQ(o.score, 0) << c.what << " at depth " << c.depth;
        } else {
            EXPECT_GT(o.score, 5000) << c.what << " at depth " << c.depth;
        }
    }
}

TEST_F(TimeControl, RepetitionOfAGamePositionScoresZero)
{
    // Knights out and back twice; Black, a queen down, can repeat the position after move 4.
    ChessBoard game = BoardFromFen("6nk/8/8/8/8/8/8/1Q4NK w - - 0 1");
    const char* moves[][2] = {{"g1", "f3"}, {"g8", "f6"}, {"f3", "g1"}, {"f6", "g8"},
                              {"g1", "f3"}, {"g8", "f6"}, {"f3", "g1"}};
    for (const auto& m : moves) {
        char mask;
        game.MakeMove(Sq(m[0]), Sq(m[1]), NoPromotion, &mask);
        game.ToMove ^= 1;
    }
    ASSERT_EQ(game.ToMove, 1);
    ASSERT_EQ(game.FiftyMoveCount, 7);

    // The game history holds the key of each position after each move, as a move list received by
    // the protocol leaves it.
    auto loadHistory = [&] {
        MoveList.Init();
        ChessBoard b = BoardFromFen("6nk/8/8/8/8/8/8/1Q4NK w - - 0 1");
        for (const auto& m : moves) {
            char mask;
            b.MakeMove(Sq(m[0]), Sq(m[1]), NoPromotion, &mask);
            b.ToMove ^= 1;
            uint64_t upper, lower;
            genhashcode(b.ToMove, b.Castling, &upper, &lower, &b);
            MoveList.InsertMoveHistory(upper, lower);
        }
    };

    for (int depth = 1; depth <= 3; depth++) {
        FreshSearchState();
        loadHistory();
        const Outcome o = RunSearch(game, {Console, 0, 0, 1200000, static_cast<int8_t>(depth)});
        EXPECT_TRUE(o.legal) << depth;
        if (depth == 1) {
            // The root's children are quiescence nodes, which do not look at the history.
            EXPECT_LT(o.score, -5000) << o.move;
        } else {
            EXPECT_EQ(o.move, "f6g8") << depth;
            EXPECT_EQ(o.score, 0) << depth;
        }
        EXPECT_EQ(MoveList.NumMoves, 7) << "the search leaves the game history as it found it";
    }

    // Without the game's history the same search sees no repetition.
    FreshSearchState();
    const Outcome o = RunSearch(game, {Console, 0, 0, 1200000, 3});
    EXPECT_LT(o.score, -5000) << o.move;
}
