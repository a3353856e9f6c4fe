#include <gtest/gtest.h>

#include "evalfixture.h"
#include "support/walkpositions.h"

namespace {
bool HasPassedPawn(const ChessBoard& b)
{
    for (uint64_t p = b.WhitePawns; p; p &= p - 1)
        if (!(PE.WPassedSpan[SquareOf(p)] & b.BlackPawns)) return true;
    for (uint64_t p = b.BlackPawns; p; p &= p - 1)
        if (!(PE.BPassedSpan[SquareOf(p)] & b.WhitePawns)) return true;
    return false;
}

std::vector<ChessBoard> WalkPositions()
{
    InitEngineOnce();
    return walk::Positions();
}

// Colour symmetry. The terms are mirror images of each other for the two colours, so the flipped position
// (board mirrored top to bottom, colours swapped, the other side to move) scores the same for the other
// side. The side to move enters only through passed pawns (the race bonus and the rule of the square), so
// without passers the flipped position with White to move also scores the negation. The one asymmetry the
// rules keep, a passer's rank 0 meaning "no passer", needs a pawn on its own first rank and never arises
// from play.
TEST(EvalSymmetry, ColourFlip)
{
    const std::vector<ChessBoard> positions = WalkPositions();
    ASSERT_GE(positions.size(), 300u);
    int withoutPassers = 0;
    for (const ChessBoard& p : positions) {
        ChessBoard b = p;
        ChessBoard f = Flip(p);
        const int white = Eval(b, 0), black = Eval(b, 1);
        EXPECT_EQ(white, Eval(f, 1)) << "position " << &p - positions.data();
        EXPECT_EQ(black, Eval(f, 0)) << "position " << &p - positions.data();
        if (!HasPassedPawn(b)) {
            withoutPassers++;
            EXPECT_EQ(white, -Eval(f, 0)) << "position " << &p - positions.data();
            EXPECT_EQ(white, -black) << "position " << &p - positions.data();
        }
    }
    EXPECT_GE(withoutPassers, 100);
}

// The pawn hash changes no score: a cold table, a warm one and a table full of other positions agree.
TEST(EvalSymmetry, PawnHashIsTransparent)
{
    const std::vector<ChessBoard> positions = WalkPositions();
    std::vector<int> cold;
    for (const ChessBoard& p : positions) {
        ChessBoard b = p;
        ClearPawnHash();
        cold.push_back(Eval(b, b.ToMove));
    }
    for (size_t i = 0; i < positions.size(); i++) {
        ChessBoard b = positions[i];
        EXPECT_EQ(Eval(b, b.ToMove), cold[i]) << "position " << i;
        EXPECT_EQ(Eval(b, b.ToMove), cold[i]) << "position " << i;
    }
}

// Boards the edit mode or promotions can produce must stay within every table (the sanitizer build checks
// each access). Scores may pass the mate value here: sixteen queens are worth more than a mate.
struct OddBoard {
    const char* name;
    const char* placement;
    bool symmetric; // false where a pawn stands on its own first rank (its passer rank reads as none)
};

const OddBoard OddBoards[] = {
    {"sixteen queens", "QQQQQQQQ/QQQQQQQQ/8/8/8/8/8/K6k", true},
    {"fifteen rooks beside the black king", "RRRRRRRk/RRRRRRRR/8/8/8/8/pppppppp/K7", true},
    {"ten bishops and ten knights", "BBBBBBBB/BB6/NNNNNNNN/NN6/8/8/8/K6k", true},
    {"black army", "k7/8/8/8/nnnnnnnn/bbbbbbbb/qqqqrrrr/K7", true},
    {"no kings", "8/8/8/8/8/8/PPPP4/RNBQ4", true},
    {"no white king", "4k3/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1BNR", true},
    {"no black king", "rnbq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR", true},
    {"pawns on the last ranks", "PPPPPPPP/8/8/3k4/8/8/3K4/pppppppp", false},
    {"pawns on their first ranks", "pppppppp/8/8/3k4/8/8/3K4/PPPPPPPP", false},
    {"edge-file pawns", "k7/p6p/P6P/p6p/P6P/p6p/P6P/K7", true},
    {"lone pawns in the corners", "P6P/8/8/3k4/3K4/8/8/p6p", false},
    {"kings in the corners with rooks", "k6K/R6R/8/8/8/8/r6r/8", true},
};

TEST(EvalBounds, OddBoards)
{
    for (const OddBoard& o : OddBoards) {
        ChessBoard b = RawBoard(o.placement);
        ClearPawnHash();
        const int white = Eval(b, 0), black = Eval(b, 1);
        // The same board from a warm pawn hash.
        EXPECT_EQ(Eval(b, 0), white) << o.name;
        EXPECT_EQ(Eval(b, 1), black) << o.name;
        if (o.symmetric) {
            ChessBoard f = Flip(b);
            EXPECT_EQ(Eval(f, 1), white) << o.name;
            EXPECT_EQ(Eval(f, 0), black) << o.name;
        }
    }
}

// Without both kings nothing can be measured from a king: the score is the material balance.
TEST(EvalBounds, KinglessBoardScoresMaterial)
{
    ChessBoard b = RawBoard("8/8/8/8/8/8/PPPP4/RNBQ4");
    EXPECT_EQ(Eval(b, 0), 5000 + 3250 + 3250 + 9750 + 4 * 800);
    EXPECT_EQ(Eval(b, 1), -(5000 + 3250 + 3250 + 9750 + 4 * 800));
    ChessBoard c = RawBoard("4k3/8/8/8/8/8/8/R7");
    EXPECT_EQ(Eval(c, 0), 5000);
}
} // namespace
