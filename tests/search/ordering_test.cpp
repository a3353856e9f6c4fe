#include <gtest/gtest.h>

#include <cstring>

#include "board/movegen.h"
#include "search/compmov.h"
#include "tests/board/fixture.h"
#include "tests/board/movetools.h"

namespace {
class Ordering : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(Search.History, 0, sizeof Search.History);
        std::memset(Search.PVTable, 0, sizeof Search.PVTable);
        std::memset(Search.Killers, 0, sizeof Search.Killers);
    }

    // Generates the side to move's list and values it as the node search would.
    void Value(const char* fen, int ply = 0, int hashMove = NoPackedMove, char mode = PvNode)
    {
        board = BoardFromFen(fen);
        n = list.GenerateAllMoves(board.ToMove, &board, 0);
        list.AssignMoveOrderValues(n, ply, board.ToMove == 0 ? board.BlackKing : board.WhiteKing, hashMove, mode);
    }

    int32_t Of(const std::string& move) const
    {
        std::vector<std::string> names = ListNames(list, n);
        auto it = std::find(names.begin(), names.end(), move);
        EXPECT_NE(it, names.end()) << move;
        return it == names.end() ? INT32_MIN : list.OrderValue[it - names.begin()];
    }

    static int Packed(const char* move)
    {
        std::string m = move;
        return PackMove(Sq(m.substr(0, 2).c_str()), Sq(m.substr(2, 2).c_str()));
    }

    ChessBoard board{};
    MoveGen list;
    int n = 0;
};

struct CaptureCase {
    const char* fen;
    const char* move;
    int32_t value;
};

TEST_F(Ordering, CapturesAreValuedByVictimAndCapturer)
{
    const CaptureCase cases[] = {
        // Knight onto an outpost: 9750 + 3250 - (10 - WKnightPost[d5] 120).
        {"4k3/8/8/3b4/8/4N3/8/4K3 w - - 0 1", "e3d5", 13110},
        {"4k3/8/8/8/3B4/8/4n3/4K3 b - - 0 1", "e2d4", 13110},
        // A pawn that becomes passed gains Passers[4] - Passers[3]; a knight victim is 3248.
        {"4k3/8/8/3n4/4P3/8/8/4K3 w - - 0 1", "e4d5", 13105},
        {"4k3/2p5/8/3n4/4P3/8/8/4K3 w - - 0 1", "e4d5", 12995},
        {"4k3/8/8/4p3/3N4/8/8/4K3 b - - 0 1", "e5d4", 13105},
        {"4k3/8/8/4p3/3N4/8/2P5/4K3 b - - 0 1", "e5d4", 12995},
        // Onto the last rank the passer table falls back to 0: 9750 + 3248 - (3 + 1100).
        {"1n2k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7b8q", 11895},
        // Rook onto an open file and the seventh rank: 9750 + 5000 - 19 + 200 + 350.
        {"4k3/3r4/8/8/8/8/8/3RK3 w - - 0 1", "d1d7", 15281},
        {"8/3r3k/8/8/8/8/8/3RK3 w - - 0 1", "d1d7", 15309},
        {"4k3/3r4/8/3p4/8/8/8/3RK3 w - - 0 1", "d1d5", 10512 + 38 - 19},
        {"4k3/8/8/8/8/7K/3R4/3r4 b - - 0 1", "d1d2", 15281},
        {"4k3/8/8/8/8/8/3p4/3QK3 w - - 0 1", "d1d2", 10512},
        {"4k3/8/8/8/8/8/3p4/2B1K3 w - - 0 1", "c1d2", 10538},
        // The king pays 14625: only a queen taken by it outranks the killers.
        {"4k3/8/8/8/8/8/3q4/4K3 w - - 0 1", "e1d2", 4875},
        {"4k3/8/8/8/8/8/3p4/4K3 w - - 0 1", "e1d2", -4075},
    };
    for (const CaptureCase& c : cases) {
        Value(c.fen);
        EXPECT_EQ(Of(c.move), c.value) << c.fen << " " << c.move;
    }
}

TEST_F(Ordering, QuietMovesFollowPromotionHistoryAndTheCross)
{
    Value("4k3/P7/8/8/8/8/8/R3K3 w - - 0 1");
    EXPECT_EQ(Of("a7a8q"), 4875);
    EXPECT_EQ(Of("a1a2"), 0);
    EXPECT_EQ(Of("a1b1"), 0);
    EXPECT_EQ(Of("e1e2"), 0) << "a king move onto the cross gains nothing";

    // A rook or queen landing on the enemy king's rank or file gains 28.
    Value("4k3/8/8/8/8/8/8/R2QK3 w - - 0 1");
    EXPECT_EQ(Of("a1a8"), 28);
    EXPECT_EQ(Of("d1e2"), 28);
    EXPECT_EQ(Of("d1d8"), 28);
    EXPECT_EQ(Of("d1c2"), 0);
    // A king in a corner: the cross is its whole rank and file, nothing past the edge.
    Value("k7/8/8/8/8/8/8/4K2R w - - 0 1");
    EXPECT_EQ(Of("h1h8"), 28);
    EXPECT_EQ(Of("h1h7"), 0);
    Value("7k/8/8/8/8/8/8/R3K3 w - - 0 1");
    EXPECT_EQ(Of("a1a8"), 28);
    EXPECT_EQ(Of("a1a7"), 0);
    // Without an enemy king there is no cross.
    Value("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    list.AssignMoveOrderValues(n, 0, 0, NoPackedMove, PvNode);
    for (int i = 0; i < n; i++) EXPECT_EQ(list.OrderValue[i], 0);

    // History counters, shifted right by 7 with the sign kept, per colour.
    Search.History[0][Packed("a1a5")] = 1000;
    Search.History[0][Packed("a1a6")] = -1000;
    Search.History[1][Packed("a1a5")] = 5000;
    Value("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    EXPECT_EQ(Of("a1a5"), 7);
    EXPECT_EQ(Of("a1a6"), -8);
    Search.History[1][Packed("e8d7")] = 256;
    Value("4k3/8/8/8/8/8/8/R3K3 b - - 0 1");
    EXPECT_EQ(Of("e8d7"), 2);

    // A black queen promotion, and a promotion letter the generator never gives.
    Value("4k3/8/8/8/8/8/p7/4K3 b - - 0 1");
    EXPECT_EQ(Of("a2a1q"), 4875);
    list.Promote[n - 1] = 'N';
    list.AssignMoveOrderValues(n, 0, board.WhiteKing, NoPackedMove, PvNode);
    EXPECT_EQ(list.OrderValue[n - 1], 500);

}

TEST_F(Ordering, SearchKnowledgeComesFirstAndOnce)
{
    const char* fen = "4k3/8/8/8/8/8/8/R3K3 w - - 0 1";
    Search.PVTable[3][3] = {static_cast<int16_t>(Packed("a1a4")), NoPromotion};
    Search.Killers[3] = {static_cast<int16_t>(Packed("a1b1")), static_cast<int16_t>(Packed("a1c1"))};
    Value(fen, 3, Packed("a1a3"));
    EXPECT_EQ(Of("a1a4"), 28998);
    EXPECT_EQ(Of("a1a3"), 29000);
    EXPECT_EQ(Of("a1b1"), 1020);
    EXPECT_EQ(Of("a1c1"), 1010);
    EXPECT_EQ(Of("a1a8"), 28) << "no bonus on a special value, only on the ordinary ones";

    // One move that is both the table move and the principal variation: the variation wins unless the
    // node type turns it off.
    Value(fen, 3, Packed("a1a4"), PvNode);
    EXPECT_EQ(Of("a1a4"), 28998);
    Value(fen, 3, Packed("a1a4"), AllNode);
    EXPECT_EQ(Of("a1a4"), 29000);
    // The principal variation also has to match the promotion char.
    Search.PVTable[3][3].Promote = 'Q';
    Value(fen, 3);
    EXPECT_EQ(Of("a1a4"), 0);

    // Each special value goes to the first matching entry only.
    Search.PVTable[3][3].Promote = NoPromotion;
    Value(fen, 3);
    const std::vector<std::string> names = ListNames(list, n);
    const int pvAt = static_cast<int>(std::find(names.begin(), names.end(), "a1a4") - names.begin());
    list.From[n] = list.From[pvAt];
    list.To[n] = list.To[pvAt];
    list.Promote[n] = list.Promote[pvAt];
    list.AssignMoveOrderValues(n + 1, 3, board.BlackKing, NoPackedMove, PvNode);
    EXPECT_EQ(list.OrderValue[pvAt], 28998);
    EXPECT_EQ(list.OrderValue[n], 0);

    // Plies past the tables use neither the variation nor the killers.
    Value(fen, 250, Packed("a1a3"));
    EXPECT_EQ(Of("a1a3"), 29000);
    EXPECT_EQ(Of("a1b1"), 0);
}

TEST_F(Ordering, PickingSwapsTheBestForwardAndKeepsTheLowestOnTies)
{
    auto pick = [&](std::vector<int32_t> values) {
        // Entry k goes from square k to square k + 8, so the picked order reads off the from squares.
        for (size_t k = 0; k < values.size(); k++) {
            list.From[k] = SqBit(static_cast<int>(k));
            list.To[k] = SqBit(static_cast<int>(k) + 8);
            list.Promote[k] = NoPromotion;
            list.OrderValue[k] = values[k];
        }
        std::vector<int> order;
        const int count = static_cast<int>(values.size());
        for (int i = 0; i < count; i++) {
            uint64_t from, to;
            char promote;
            list.NextMove(i, count, &from, &to, &promote);
            EXPECT_EQ(to, from << 8);
            order.push_back(SquareOf(from));
        }
        return order;
    };
    EXPECT_EQ(pick({5, 9, 9, 1}), (std::vector<int>{1, 2, 0, 3}));
    // A swap, not a stable sort: the entry swapped out of the front goes behind its equals.
    EXPECT_EQ(pick({1, 1, 2, 1}), (std::vector<int>{2, 1, 0, 3}));
    EXPECT_EQ(pick({0, 0, 0}), (std::vector<int>{0, 1, 2}));

    // With no special moves and no history the quiet moves come in generation order.
    Value("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    std::vector<std::string> generated = ListNames(list, n), picked;
    for (int i = 0; i < n; i++) {
        uint64_t from, to;
        char promote;
        list.NextMove(i, n, &from, &to, &promote);
        picked.push_back(MoveName(from, to, promote));
    }
    EXPECT_EQ(picked, generated);
}

TEST_F(Ordering, QuiescenceValuesCapturesAndPromotionPushes)
{
    struct Q {
        const char* fen;
        const char* move;
        int32_t order, victim, attacker;
    };
    const Q cases[] = {
        {"4k3/8/8/3q4/4P3/8/8/4K3 w - - 0 1", "e4d5", 9757, 9750, 384},
        {"4k3/8/8/8/8/8/3p4/3QK3 w - - 0 1", "d1d2", 772, 800, 4864},
        {"4k3/8/8/8/8/8/3p4/4K3 w - - 0 1", "e1d2", 772, 800, 4864},
        {"4k3/8/8/3r4/8/4N3/8/4K3 w - - 0 1", "e3d5", 4998, 5000, 1536},
        {"4k3/8/8/3r4/8/1B6/8/4K3 w - - 0 1", "b3d5", 4998, 5000, 1536},
        {"4k3/8/8/3n4/8/8/8/3RK3 w - - 0 1", "d1d5", 3248 - 19 + 10, 3248, 2432},
        {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8q", 750, 0, -1},
        {"4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a2a1q", 750, 0, -1},
        {"4k3/8/8/8/8/8/P7/4K3 w - - 0 1", "a2a3", 0, 0, -1},
    };
    for (const Q& c : cases) {
        board = BoardFromFen(c.fen);
        n = list.GenerateQuiesceMoves(board.ToMove, &board);
        std::fill(list.AttackerValue, list.AttackerValue + MaxMoves, -1);
        list.QuiesceAssignMoveOrderValues(n);
        std::vector<std::string> names = ListNames(list, n);
        const auto at = std::find(names.begin(), names.end(), c.move) - names.begin();
        ASSERT_LT(at, n) << c.fen;
        EXPECT_EQ(list.OrderValue[at], c.order) << c.fen;
        EXPECT_EQ(list.VictimValue[at], c.victim) << c.fen;
        EXPECT_EQ(list.AttackerValue[at], c.attacker) << c.fen;
    }
}
} // namespace

namespace {
// The whole-list generators record which piece kind made each run of the list, and the ordering reads
// the mover from there: the values must be the ones the board itself gives, and the quiescence count of
// captures and promotions must be right.
TEST_F(Ordering, MoverKindsFromTheGeneratorGiveTheBoardsValues)
{
    const char* fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1",
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
        "1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1",
        "r1bq2r1/1pppkppp/1b3n2/pP1PP3/2n5/2P5/P3QPPP/RNB1K2R w KQ a6 0 1",
        "4k3/1P6/8/8/8/8/6p1/4K2R b K - 0 1",
        "8/8/8/3k4/8/8/8/3K4 w - - 0 1",
    };
    Search.Killers[2].Killer0 = static_cast<int16_t>(Packed("e1g1"));
    Search.History[0][Packed("a2a3")] = 4000;
    for (const char* fen : fens) {
        SCOPED_TRACE(fen);
        board = BoardFromFen(fen);
        const uint64_t enemyKing = board.ToMove == 0 ? board.BlackKing : board.WhiteKing;
        MoveGen fromBoard;
        n = list.GenerateAllMoves(board.ToMove, &board, 15);
        ASSERT_GT(list.RunCount, 0);
        ASSERT_EQ(fromBoard.GenerateAllMoves(board.ToMove, &board, 15), n);
        fromBoard.RunCount = 0;
        list.AssignMoveOrderValues(n, 2, enemyKing, NoPackedMove, PvNode);
        fromBoard.AssignMoveOrderValues(n, 2, enemyKing, NoPackedMove, PvNode);
        for (int i = 0; i < n; i++) EXPECT_EQ(list.OrderValue[i], fromBoard.OrderValue[i]) << ListNames(list, n)[i];

        n = list.GenerateQuiesceMoves(board.ToMove, &board);
        ASSERT_EQ(fromBoard.GenerateQuiesceMoves(board.ToMove, &board), n);
        fromBoard.RunCount = 0;
        const int active = list.QuiesceAssignMoveOrderValues(n);
        EXPECT_EQ(fromBoard.QuiesceAssignMoveOrderValues(n), active);
        int positive = 0;
        for (int i = 0; i < n; i++) {
            EXPECT_EQ(list.OrderValue[i], fromBoard.OrderValue[i]) << ListNames(list, n)[i];
            EXPECT_EQ(list.VictimValue[i], fromBoard.VictimValue[i]) << ListNames(list, n)[i];
            if (list.VictimValue[i] > 0) {
                EXPECT_EQ(list.AttackerValue[i], fromBoard.AttackerValue[i]) << ListNames(list, n)[i];
            }
            positive += list.OrderValue[i] > 0;
        }
        EXPECT_EQ(active, positive);
    }
}
} // namespace
