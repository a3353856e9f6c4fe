#include <gtest/gtest.h>

#include <cstring>

#include "search/hashtab.h"
#include "tests/support/residency.h"

namespace {
constexpr uint8_t Upper = UpperBound, Lower = LowerBound;

// Two positions that share bucket 0x0abcde: the bucket comes from the low 21 bits of the lower half only.
constexpr uint32_t Bucket = 0x0abcde;
constexpr uint64_t KeyA = 0x1111222233334444ULL, KeyALow = 0x5555000000000000ULL | Bucket;
constexpr uint64_t KeyB = 0x1111222233334444ULL, KeyBLow = 0x5555000000200000ULL | Bucket;
constexpr uint64_t KeyC = 0x9999888877776666ULL, KeyCLow = 0x0000000100000000ULL | Bucket;

// The table is the process-wide one; each test starts from an empty bucket and its own counters.
class TranspositionTable : public testing::Test {
protected:
    void SetUp() override
    {
        std::memset(static_cast<void*>(&PositionCache.Table[Bucket]), 0, sizeof(TTBucket));
        PositionCache.Hits = 0;
        PositionCache.Misses = 0;
    }

    // As the next probe sees it: an ageing applies to a bucket when it is next used.
    static TTEntry SlotOf(int i) { return PositionCache.BucketAt(Bucket).Entry(i, Bucket); }

    struct Probe {
        ProbeResult result;
        int value;
        int move;
    };
    static Probe ProbeA(int depth, int alpha, int beta)
    {
        Probe p{NoCut, -12345, -1};
        p.result = PositionCache.SearchTranspositionTables(KeyA, KeyALow, depth, alpha, beta, &p.value, &p.move);
        return p;
    }
};

TEST_F(TranspositionTable, MasksAndBucketIndex)
{
    EXPECT_EQ(PositionCache.IndexMasks[0], 0x3u);
    EXPECT_EQ(PositionCache.IndexMasks[1], 0x3fu);
    EXPECT_EQ(PositionCache.IndexMasks[2], 0xffu);
    EXPECT_EQ(PositionCache.IndexMasks[15], 0x1fffffu);
    EXPECT_EQ(PositionCache.IndexMasks[22], 0xfffffffu);
    EXPECT_EQ(PositionCache.IndexMasks[23], 0xffffffffu);

    // KeyA, KeyB and KeyC differ above bit 20 of the lower half (or in the upper half), so all three land
    // in one bucket as three different positions.
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 1, 10, 0, ExactBound);
    PositionCache.InsertTranspositionTables(KeyB, KeyBLow, 1, 20, 0, ExactBound);
    PositionCache.InsertTranspositionTables(KeyC, KeyCLow, 1, 30, 0, ExactBound);
    EXPECT_EQ(SlotOf(0).Move, 10);
    EXPECT_EQ(SlotOf(1).Move, 30);
    EXPECT_EQ(SlotOf(2).Move, 20);
}

TEST_F(TranspositionTable, NeverStoredPositionMisses)
{
    Probe p = ProbeA(5, -100, 100);
    EXPECT_EQ(p.result, NoCut);
    EXPECT_EQ(p.move, -1);
    EXPECT_EQ(p.value, -12345);
    EXPECT_EQ(PositionCache.Misses, 1);
    EXPECT_EQ(PositionCache.Hits, 0);
}

TEST_F(TranspositionTable, CutOffsAreFailHard)
{
    struct Case {
        uint8_t bound;
        int stored;
        ProbeResult result;
        int value; // -12345: left untouched
    };
    // Window -100..100, entry depth 6 probed at depth 6.
    const Case cases[] = {
        {ExactBound, 250, Exact, 250},   // exact: the stored value, even outside the window
        {ExactBound, 0, Exact, 0},
        {Lower, 100, LowerCut, 100},     // at beta
        {Lower, 400, LowerCut, 100},     // the bound, not the stored value
        {Lower, 99, NoCut, -12345},
        {Upper, -100, UpperCut, -100},   // at alpha
        {Upper, -400, UpperCut, -100},
        {Upper, -99, NoCutAvoidNull, -12345}, // no cut, but a fresh upper bound below beta
        {Upper, 100, NoCut, -12345},     // not below beta
    };
    for (const Case& c : cases) {
        SetUp();
        PositionCache.InsertTranspositionTables(KeyA, KeyALow, 6, 77, c.stored, static_cast<char>(c.bound));
        Probe p = ProbeA(6, -100, 100);
        SCOPED_TRACE(testing::Message() << "bound " << int(c.bound) << " value " << c.stored);
        EXPECT_EQ(p.result, c.result);
        EXPECT_EQ(p.value, c.value);
        EXPECT_EQ(p.move, 77);
        const bool cut = c.result <= Exact;
        EXPECT_EQ(PositionCache.Hits, cut ? 1 : 0);
        EXPECT_EQ(PositionCache.Misses, cut ? 0 : 1);
    }
}

TEST_F(TranspositionTable, ShallowerEntryNeverCutsOff)
{
    for (uint8_t bound : {Upper, Lower, uint8_t{ExactBound}}) {
        SetUp();
        PositionCache.InsertTranspositionTables(KeyA, KeyALow, 5, 77, bound == Upper ? -500 : 500,
                                                static_cast<char>(bound));
        Probe p = ProbeA(6, -100, 100);
        EXPECT_GE(p.result, NoCut) << "bound " << int(bound);
        EXPECT_EQ(p.move, 77);
        EXPECT_EQ(PositionCache.Hits, 0);
    }
}

TEST_F(TranspositionTable, NullMoveHintAllowsShallowerUpperBounds)
{
    // An upper bound of depth 4 with value 0: R is 3 from probe depth 6 on, else 2.
    struct Case {
        int probeDepth;
        int alpha, beta;
        ProbeResult result;
    };
    const Case cases[] = {
        {7, -100, 100, NoCutAvoidNull}, // 4 >= 7 - 3
        {8, -100, 100, NoCut},          // 4 < 8 - 3
        {6, -100, 100, NoCutAvoidNull}, // 4 >= 6 - 3
        {5, -100, 100, NoCutAvoidNull}, // 4 >= 5 - 2
        {7, -100, 0, NoCut},            // value not below beta
        {4, -100, 100, NoCutAvoidNull}, // deep enough to cut, but above alpha
        {4, 0, 100, UpperCut},
    };
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 4, 77, 0, Upper);
    for (const Case& c : cases) {
        Probe p = ProbeA(c.probeDepth, c.alpha, c.beta);
        EXPECT_EQ(p.result, c.result) << "probe depth " << c.probeDepth << " beta " << c.beta;
    }
}

TEST_F(TranspositionTable, StaleSlotGivesItsMoveOnlyAndIsReplaced)
{
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 9, 77, 0, ExactBound);
    PositionCache.InsertTranspositionTables(KeyC, KeyCLow, 9, 88, -500, Upper);
    PositionCache.AgeTranspositionTables();
    EXPECT_EQ(SlotOf(0).Fresh, 0);
    EXPECT_EQ(SlotOf(1).Fresh, 0);
    EXPECT_EQ(SlotOf(0).Depth, 9);

    Probe p = ProbeA(3, -100, 100);
    EXPECT_EQ(p.result, NoCut);
    EXPECT_EQ(p.move, 77);
    int value = -12345, move = 0;
    EXPECT_EQ(PositionCache.SearchTranspositionTables(KeyC, KeyCLow, 3, -100, 100, &value, &move), NoCut);
    EXPECT_EQ(move, 88);
    EXPECT_EQ(PositionCache.Hits, 0);

    // A shallower result of another position takes the stale slot 0, and everything shifts down.
    PositionCache.InsertTranspositionTables(KeyB, KeyBLow, 1, 99, 5, Lower);
    EXPECT_EQ(SlotOf(0).LowerHashCode, KeyBLow);
    EXPECT_EQ(SlotOf(0).Fresh, 2);
    EXPECT_EQ(SlotOf(1).Move, 77);
    EXPECT_EQ(SlotOf(2).Move, 88);
}

TEST_F(TranspositionTable, SlotRotationForOnePosition)
{
    struct Contents {
        int depth;
        int8_t fresh;
    };
    auto expectSlots = [](std::initializer_list<Contents> want) {
        int i = 0;
        for (const Contents& c : want) {
            SCOPED_TRACE(testing::Message() << "slot " << i);
            EXPECT_EQ(SlotOf(i).Depth, c.depth);
            EXPECT_EQ(SlotOf(i).Fresh, c.fresh);
            EXPECT_EQ(SlotOf(i).Move, c.depth == 0 ? 0 : 100 + c.depth);
            i++;
        }
    };
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 3, 103, 0, ExactBound);
    expectSlots({{3, 2}, {0, 0}, {0, 0}});
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 5, 105, 0, ExactBound);
    expectSlots({{5, 2}, {3, 2}, {0, 0}});
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 2, 102, 0, ExactBound);
    expectSlots({{5, 2}, {2, 4}, {3, 2}});
    // An equal depth replaces slot 0.
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 5, 105, 1, ExactBound);
    EXPECT_EQ(SlotOf(0).Value, 1);
    EXPECT_EQ(SlotOf(1).Value, 0);
    EXPECT_EQ(SlotOf(1).Depth, 5);
    EXPECT_EQ(SlotOf(2).Depth, 2);
}

TEST_F(TranspositionTable, HashMoveComesFromTheDeepestMatchingSlot)
{
    // Ageing lets a shallow result into slot 0 and pushes the deep one to slot 1.
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 6, 106, 0, ExactBound);
    PositionCache.AgeTranspositionTables();
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 2, 102, 0, ExactBound);
    EXPECT_EQ(ProbeA(8, -100, 100).move, 106);

    // Slot 0 held by another position: slot 1 and slot 2 compete by depth.
    SetUp();
    PositionCache.InsertTranspositionTables(KeyC, KeyCLow, 9, 99, 0, ExactBound);
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 6, 106, 0, ExactBound);
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 2, 102, 0, ExactBound);
    EXPECT_EQ(SlotOf(2).Move, 106);
    Probe p = ProbeA(8, -100, 100);
    EXPECT_EQ(p.result, NoCut);
    EXPECT_EQ(p.move, 106);
    // The deeper slot 2 entry cuts off where slot 1 cannot.
    EXPECT_EQ(ProbeA(6, -100, 100).result, Exact);
}

TEST_F(TranspositionTable, MateScoresAreStoredShiftedByDepth)
{
    const struct {
        int value;
        int stored;
    } cases[] = {
        {109900, 109904}, {-109900, -109904}, {109800, 109800}, {109801, 109805},
        {-109800, -109800}, {-109801, -109805}, {0, 0},
    };
    for (auto c : cases) {
        SetUp();
        PositionCache.InsertTranspositionTables(KeyA, KeyALow, 4, 1, c.value, ExactBound);
        EXPECT_EQ(SlotOf(0).Value, c.stored) << c.value;
        // The probe hands the stored value back as it is.
        EXPECT_EQ(ProbeA(4, -200000, 200000).value, c.stored) << c.value;
    }
}

TEST_F(TranspositionTable, StoredFieldsAndSignExtendedMove)
{
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, -2, static_cast<int16_t>(0x8001), 42, Lower);
    const TTEntry e = SlotOf(0);
    EXPECT_EQ(e.UpperHashCode, KeyA);
    EXPECT_EQ(e.LowerHashCode, KeyALow);
    EXPECT_EQ(e.Move, -32767);
    EXPECT_EQ(e.BoundType, Lower);
    EXPECT_EQ(e.Value, 42);
    EXPECT_EQ(e.Depth, -2);
}

// A bucket packs its three results into one cache line: every field must come back as it went in, at
// the ends of its range too, and a key differing from a stored one in any bit must not match it.
TEST_F(TranspositionTable, PackedFieldsKeepTheirWholeRange)
{
    struct Case {
        uint64_t upper, lower;
        int depth;
        int16_t move;
        int value;
        uint8_t bound;
        int stored;
    };
    const Case cases[] = {
        {~0ULL, ~0ULL << 21 | Bucket, 127, 32767, -110200, Upper, -110200 - 127},
        {0x8000000000000001ULL, 1ULL << 63 | Bucket, -128, -32768, 110000, Lower, 110000 - 128},
        {KeyC, KeyCLow, 0, -1, -110000 - 1, ExactBound, -110001},
        {3, Bucket, 1, 4095, 200000, Upper, 200001},
        {KeyA, KeyALow, -1, 0, -200000, Lower, -200000 + 1},
    };
    for (const Case& c : cases) {
        SetUp();
        SCOPED_TRACE(testing::Message() << std::hex << c.upper << " " << c.lower << std::dec << " depth " << c.depth);
        PositionCache.InsertTranspositionTables(c.upper, c.lower, c.depth, c.move, c.value, static_cast<char>(c.bound));
        const TTEntry e = SlotOf(0);
        EXPECT_EQ(e.UpperHashCode, c.upper);
        EXPECT_EQ(e.LowerHashCode, c.lower);
        EXPECT_EQ(e.Depth, c.depth);
        EXPECT_EQ(e.Move, c.move);
        EXPECT_EQ(e.Value, c.stored);
        EXPECT_EQ(e.BoundType, c.bound);
        EXPECT_EQ(e.Fresh, 2);
        int value = 0, move = 12345;
        PositionCache.SearchTranspositionTables(c.upper, c.lower, 0, -300000, 300000, &value, &move);
        EXPECT_EQ(move, c.move);
        for (const int bit : {0, 31, 32, 63, 64 + 21, 64 + 40, 64 + 63}) {
            const uint64_t upper = bit < 64 ? c.upper ^ (1ULL << bit) : c.upper;
            const uint64_t lower = bit < 64 ? c.lower : c.lower ^ (1ULL << (bit - 64));
            move = 12345;
            EXPECT_EQ(PositionCache.SearchTranspositionTables(upper, lower, 0, -300000, 300000, &value, &move), NoCut)
                << "key bit " << bit;
            EXPECT_EQ(move, 12345) << "key bit " << bit;
        }
    }
}

// An empty slot holds the key (0, 0) and nothing else, even though a slot keeps only the key bits above
// its bucket's index: (0, its index) must not match it.
TEST_F(TranspositionTable, AnEmptySlotMatchesOnlyTheAllZeroKey)
{
    int value = 0, move = 12345;
    EXPECT_EQ(PositionCache.SearchTranspositionTables(0, Bucket, 0, -100, 100, &value, &move), NoCut);
    EXPECT_EQ(move, 12345);
    std::memset(static_cast<void*>(&PositionCache.Table[0]), 0, sizeof(TTBucket));
    EXPECT_EQ(PositionCache.SearchTranspositionTables(0, 0, 0, -100, 100, &value, &move), NoCut);
    EXPECT_EQ(move, 0);
    const TTEntry e = SlotOf(2);
    EXPECT_EQ(e.UpperHashCode, 0u);
    EXPECT_EQ(e.LowerHashCode, 0u);
    EXPECT_EQ(e.BoundType, 0);
}

TEST_F(TranspositionTable, ClearEmptiesEveryBucketAndKeepsCounters)
{
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 9, 77, 0, ExactBound);
    constexpr uint64_t FarLow = 0x1fffff;
    PositionCache.InsertTranspositionTables(KeyC, FarLow, 9, 88, 0, ExactBound);
    ProbeA(1, -100, 100);
    PositionCache.Misses = 5;

    PositionCache.ClearTranspositionTables();
    EXPECT_EQ(PositionCache.Hits, 1);
    EXPECT_EQ(PositionCache.Misses, 5);

    Probe p = ProbeA(1, -100, 100);
    EXPECT_EQ(p.result, NoCut);
    EXPECT_EQ(p.move, -1);
    int value = 0, move = -1;
    EXPECT_EQ(PositionCache.SearchTranspositionTables(KeyC, FarLow, 1, -100, 100, &value, &move), NoCut);
    EXPECT_EQ(move, -1);
    EXPECT_EQ(PositionCache.Hits, 1);
    EXPECT_EQ(PositionCache.Misses, 7);
}

// The table is paged in before the benchmark's clock and before an interface's first search: every page
// must then be resident, and what the table holds must not change.
TEST_F(TranspositionTable, PopulateKeepsTheContentsAndPagesInTheWholeTable)
{
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 6, 77, 123, ExactBound);
    PositionCache.Populate();
    EXPECT_EQ(ProbeA(6, -100, 100).result, Exact);
    EXPECT_EQ(ProbeA(6, -100, 100).value, 123);
    int value = 0, move = -1;
    EXPECT_EQ(PositionCache.SearchTranspositionTables(KeyC, KeyCLow, 1, -100, 100, &value, &move), NoCut);
    EXPECT_EQ(move, -1);

    if (!residency::Observable()) GTEST_SKIP() << "this kernel or emulator does not report page residency";
    const size_t bytes = static_cast<size_t>(TTABLESIZE) * sizeof(TTBucket);
    EXPECT_EQ(residency::Missing(static_cast<void*>(PositionCache.Table), bytes), 0u);
}

// Clears are counted in a byte: the table must read as empty across the count's wrap, too.
TEST_F(TranspositionTable, EveryClearEmptiesTheTableAcrossTheClearCountWrap)
{
    for (int round = 0; round < 300; round++) {
        PositionCache.InsertTranspositionTables(KeyA, KeyALow, 9, 77, 0, ExactBound);
        PositionCache.ClearTranspositionTables();
        const Probe p = ProbeA(1, -100, 100);
        ASSERT_EQ(p.result, NoCut) << "after clear " << round + 1;
        ASSERT_EQ(p.move, -1) << "after clear " << round + 1;
    }
    PositionCache.InsertTranspositionTables(KeyA, KeyALow, 9, 77, 0, ExactBound);
    EXPECT_EQ(ProbeA(1, -100, 100).result, Exact);
}

// Ageings are counted in 16 bits and applied to a bucket when it is next used: an entry is stale after
// one ageing, however many more pass before the next probe, the count's wrap included.
TEST_F(TranspositionTable, AnAgedEntryStaysStaleAcrossTheAgeCountWrap)
{
    for (const int ageings : {1, 2, 65535, 65536, 65537}) {
        SCOPED_TRACE(testing::Message() << ageings << " ageings");
        std::memset(static_cast<void*>(&PositionCache.Table[Bucket]), 0, sizeof(TTBucket));
        PositionCache.InsertTranspositionTables(KeyA, KeyALow, 9, 77, 0, ExactBound);
        for (int i = 0; i < ageings; i++) PositionCache.AgeTranspositionTables();
        const Probe p = ProbeA(1, -100, 100);
        EXPECT_EQ(p.result, NoCut);
        EXPECT_EQ(p.move, 77);
        // A result written after the ageing is fresh again.
        PositionCache.InsertTranspositionTables(KeyA, KeyALow, 9, 77, 0, ExactBound);
        EXPECT_EQ(ProbeA(1, -100, 100).result, Exact);
    }
}
} // namespace
