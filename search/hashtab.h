#pragma once
#include <cstdint>

// What a stored value is: a bound from above (the node failed low), from below (it failed high), or exact.
enum TTBound : uint8_t { UpperBound = 0, LowerBound = 1, ExactBound = 2 };

// The index mask of IndexMasks that picks a bucket: 21 bits, so the last three buckets are never addressed.
inline constexpr int BucketMaskIndex = 15;

// One stored search result. Fresh is 0 for an aged or empty slot, 2 or 4 for one written since the
// last ageing (written into slot 0 or slot 1).
struct TTEntry {
    uint64_t UpperHashCode;
    uint64_t LowerHashCode;
    int32_t Move;
    uint8_t BoundType; // a TTBound
    int8_t Fresh;
    // Held in slot 0 of a bucket, in what would be padding: the ageing that the bucket's Fresh marks
    // belong to. A bucket of an older ageing has its marks cleared when it is next used.
    uint16_t Age;
    int32_t Value;
    int8_t Depth;
    // Held in slot 0 too: the clear that the bucket's contents belong to. A bucket of an older clear
    // reads as empty.
    uint8_t Generation;
};
static_assert(sizeof(TTEntry) == 32);

struct TTBucket {
    TTEntry Slot[3];
};

inline constexpr int32_t TTABLESIZE = 2097155;

enum ProbeResult : char { UpperCut = 0, LowerCut = 1, Exact = 2, NoCut = 3, NoCutAvoidNull = 4 };

// The transposition table: TTABLESIZE buckets of three slots, addressed by the low 21 bits of the
// lower key half, allocated once at start and never freed.
class TranspositionTables {
public:
    TTBucket* Table;
    int32_t Hits;
    int32_t Misses;
    uint64_t IndexMasks[24];
    // Counts clears; a clear only moves it on, and each bucket is emptied when next used.
    uint8_t CurrentGeneration = 0;
    // Counts ageings the same way: each bucket's entries lose their Fresh marks when next used.
    uint16_t CurrentAge = 0;

    TranspositionTables();
    void InsertTranspositionTables(uint64_t upper, uint64_t lower, int depth, int16_t move, int value, char bound);
    ProbeResult SearchTranspositionTables(uint64_t upper, uint64_t lower, int depth, int alpha, int beta, int* value,
                                          int* move);
    void ClearTranspositionTables();
    void AgeTranspositionTables();
    // Starts loading the bucket of a position whose probe comes a little later. A 96-byte bucket always
    // spans two cache lines, so both its first and its last byte are asked for.
    void Prefetch(uint64_t lower) const
    {
        const char* bucket = reinterpret_cast<const char*>(
            &Table[static_cast<uint32_t>(lower) & static_cast<uint32_t>(IndexMasks[BucketMaskIndex])]);
        __builtin_prefetch(bucket);
        __builtin_prefetch(bucket + sizeof(TTBucket) - 1);
    }

    // The bucket at `index` as probes and stores see it, with any pending clear or ageing applied.
    TTBucket& BucketAt(uint32_t index)
    {
        TTBucket& b = Table[index];
        if (b.Slot[0].Generation != CurrentGeneration) {
            b = TTBucket{};
            b.Slot[0].Generation = CurrentGeneration;
            b.Slot[0].Age = CurrentAge;
        } else if (b.Slot[0].Age != CurrentAge) {
            for (TTEntry& e : b.Slot) e.Fresh = 0;
            b.Slot[0].Age = CurrentAge;
        }
        return b;
    }
};

extern TranspositionTables PositionCache;
