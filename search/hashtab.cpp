#include "search/hashtab.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/matchlog.h"
#include "platform/memory.h"
#include "search/scores.h"

TranspositionTables PositionCache;

namespace {
constexpr size_t TableBytes = static_cast<size_t>(TTABLESIZE) * sizeof(TTBucket);
static_assert(TableBytes == 134217920);

// Fresh marks of an entry written since the last ageing, by the slot it was written into.
constexpr int8_t FreshSlot0 = 2;
constexpr int8_t FreshSlot1 = 4;

// The counters only feed a report; wrapping keeps a very long session free of signed overflow.
inline void Count(int32_t& counter)
{
    counter = static_cast<int32_t>(static_cast<uint32_t>(counter) + 1u);
}
} // namespace

TranspositionTables::TranspositionTables() : Hits(0), Misses(0)
{
    // Handed out page by page as it is first touched, so start-up stays fast; on large pages, since a probe
    // per node over 128 MiB would otherwise pay a TLB miss each.
    Table = static_cast<TTBucket*>(AllocateLargePages(TableBytes));
    if (!Table) {
        printf("ERROR: cannot allocate the transposition table (%zu bytes)\n", TableBytes);
        fflush(stdout);
        exit(1);
    }
    IndexMasks[0] = 0x3;
    IndexMasks[1] = 0x3f;
    for (int k = 2; k <= 22; k++) IndexMasks[k] = (1ULL << (k + 6)) - 1;
    IndexMasks[23] = 0xffffffffULL;
}

void TranspositionTables::InsertTranspositionTables(uint64_t upper, uint64_t lower, int depth, int16_t move, int value,
                                                    char bound)
{
    const uint32_t index = static_cast<uint32_t>(lower) & static_cast<uint32_t>(IndexMasks[BucketMaskIndex]);
    if (index > static_cast<uint32_t>(TTABLESIZE)) {
        printf("Major problem1: index > TTABLESIZE %u\n", index);
        fflush(stdout);
        exit(0);
    }
    // A mate score is stored shifted by the entry's remaining depth.
    if (value > MateInPlyRange) value += depth;
    else if (value < -MateInPlyRange) value -= depth;

    TTBucket& bucket = BucketAt(index);
    const int8_t d = static_cast<int8_t>(depth);
    if (bucket.Fresh(0) <= 0 || (bucket.Holds(0, upper, lower) && bucket.Depth(0) <= depth)) {
        bucket.Copy(2, 1);
        bucket.Copy(1, 0);
        bucket.Put(0, upper, lower, move, static_cast<uint8_t>(bound), FreshSlot0, value, d);
    } else {
        bucket.Copy(2, 1);
        bucket.Put(1, upper, lower, move, static_cast<uint8_t>(bound), FreshSlot1, value, d);
    }
}

ProbeResult TranspositionTables::SearchTranspositionTables(uint64_t upper, uint64_t lower, int depth, int alpha,
                                                           int beta, int* value, int* move)
{
    const uint32_t index = static_cast<uint32_t>(lower) & static_cast<uint32_t>(IndexMasks[BucketMaskIndex]);
    if (index > static_cast<uint32_t>(TTABLESIZE)) {
        printf("Major problem2: index > TTABLESIZE %u\n", index);
        fflush(stdout);
        exit(0);
    }
    // How much shallower a fresh upper bound may be and still say the null move will not help.
    const int reduction = depth >= 6 ? 3 : 2;
    ProbeResult result = NoCut;
    int bestDepth = -1;
    const TTBucket& bucket = BucketAt(index);
    for (int i = 0; i < 3; i++) {
        if (!bucket.Holds(i, upper, lower)) continue;
        const int slotDepth = bucket.Depth(i);
        // Slot 0's move is taken as it stands; a later slot's only when it comes from a deeper search.
        if (i == 0 || slotDepth > bestDepth) {
            *move = bucket.Move(i);
            bestDepth = slotDepth;
        }
        if (bucket.Fresh(i) <= 0) continue;
        const uint8_t bound = bucket.Bound(i);
        const int stored = bucket.Value(i);
        if (bound == UpperBound && stored < beta && slotDepth >= depth - reduction) result = NoCutAvoidNull;
        if (slotDepth < depth) continue;
        if (bound == ExactBound) {
            *value = stored;
            Count(Hits);
            return Exact;
        }
        if (bound == LowerBound && stored >= beta) {
            *value = beta;
            Count(Hits);
            return LowerCut;
        }
        if (bound == UpperBound && stored <= alpha) {
            *value = alpha;
            Count(Hits);
            return UpperCut;
        }
    }
    Count(Misses);
    return result;
}

void TranspositionTables::ClearTranspositionTables()
{
    WriteLogFile("Clearing Transposition Tables\n");
    // Every bucket of an older generation reads as empty; only when the counter comes round again must
    // the whole table really be zeroed (all tags then match generation 0).
    if (++CurrentGeneration == 0) memset(static_cast<void*>(Table), 0, TableBytes);
}

void TranspositionTables::Populate()
{
    PageIn(Table, TableBytes);
}

void TranspositionTables::AgeTranspositionTables()
{
    // Only when the counter comes round again must every entry really lose its mark, since a bucket
    // untouched for that long carries the new count already. Otherwise nothing is touched now: the
    // interface's turn would pay for paging in the whole table.
    if (++CurrentAge != 0) return;
    for (TTBucket* bucket = Table; bucket != Table + TTABLESIZE; ++bucket) {
        for (int i = 0; i < 3; i++) bucket->ClearFresh(i);
        bucket->Age = 0;
    }
}
