#include <gtest/gtest.h>

#include "board/movhist.h"
#include "fixture.h"

namespace {
constexpr uint64_t A = 0xA, B = 0xB, C = 0xC;

MoveHistory& Fresh()
{
    static MoveHistory h;
    h.Init();
    return h;
}

void Push(MoveHistory& h, std::initializer_list<uint64_t> keys)
{
    for (uint64_t k : keys) h.InsertHashCodeMoveHistory(k, ~k);
}

TEST(MoveHistory, StartsEmpty)
{
    MoveHistory h;
    EXPECT_EQ(h.NumMoves, 0);
    EXPECT_EQ(h.Entries[599].UpperHashCode | h.Entries[0].LowerHashCode, 0u);
}

TEST(MoveHistory, RepetitionWindows)
{
    struct Case {
        std::initializer_list<uint64_t> keys;
        int window;
        int expected;
    };
    const Case cases[] = {
        {{A}, 1, 0},
        {{A}, 0, -1},           // nothing examined
        {{A, B, A}, 3, 1},
        {{A, B, A}, 2, 0},      // the older A sits just outside the window
        {{A, B, C, A}, 4, 0},   // odd distance: the other side was to move
        {{A, B, A, B, A}, 5, 2},
        {{A, B, A, B, A}, 99, 2}, // window larger than the list runs down to index 0
        {{B, A, B, A}, 99, 1},
        {{B, A, C}, 3, -1},     // the newest entry is not the position asked about
    };
    for (const Case& c : cases) {
        MoveHistory& h = Fresh();
        Push(h, c.keys);
        EXPECT_EQ(h.ThreeFoldRepDetection(c.window, A, ~A), c.expected) << "window " << c.window;
    }
}

TEST(MoveHistory, BothHalvesMustMatch)
{
    MoveHistory& h = Fresh();
    h.InsertMoveHistory(A, 1);
    h.InsertMoveHistory(B, 2);
    h.InsertMoveHistory(A, 3);
    EXPECT_EQ(h.ThreeFoldRepDetection(3, A, 3), 0);
}

TEST(MoveHistory, ThresholdMessagesAndAFullList)
{
    MoveHistory& h = Fresh();
    std::string out = CaptureStdout([&] {
        for (uint64_t i = 0; i < 590; i++) h.InsertHashCodeMoveHistory(i, i);
    });
    EXPECT_EQ(out, "");
    const std::string message = "MAJOR ERROR: NumMoves > 590 in InsertHashCodeMoveHistor \n";
    EXPECT_EQ(CaptureStdout([&] { h.InsertHashCodeMoveHistory(590, 590); }), message);
    // Said once: a search pushes and retracts past the mark at every node.
    EXPECT_EQ(CaptureStdout([&] {
                  h.InsertHashCodeMoveHistory(591, 591);
                  h.RetractMove();
                  h.InsertHashCodeMoveHistory(591, 591);
              }),
              "");
    out = CaptureStdout([&] {
        for (uint64_t i = 592; i < 700; i++) h.InsertHashCodeMoveHistory(i, i);
    });
    EXPECT_EQ(out, "");
    // The list never passes its records: the oldest half made room, the newest keys are all there.
    EXPECT_LE(h.NumMoves, MoveHistory::Capacity);
    EXPECT_EQ(h.Entries[h.NumMoves - 1].UpperHashCode, 699u);
    for (int i = 1; i < h.NumMoves; i++) EXPECT_EQ(h.Entries[i].UpperHashCode, h.Entries[i - 1].UpperHashCode + 1);
    EXPECT_EQ(h.ThreeFoldRepDetection(100, 699, 699), 0);
    // A new search says it again, once.
    h.RearmLongListMessage();
    EXPECT_EQ(CaptureStdout([&] {
                  while (h.NumMoves < 595) h.InsertHashCodeMoveHistory(7, 7);
              }),
              message);

    // More pops than pushes leave it empty, and the next push lands in the first record.
    for (int i = 0; i < 1000; i++) h.RetractMove();
    EXPECT_EQ(h.NumMoves, 0);
    EXPECT_EQ(CaptureStdout([&] { h.InsertHashCodeMoveHistory(A, A); }), "");
    EXPECT_EQ(h.NumMoves, 1);
    EXPECT_EQ(h.Entries[0].UpperHashCode, A);
}
} // namespace
