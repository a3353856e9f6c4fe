#pragma once
#include <cstdint>

// What a stored value is: a bound from above (the node failed low), from below (it failed high), or exact.
enum TTBound : uint8_t { UpperBound = 0, LowerBound = 1, ExactBound = 2 };

// The index mask of IndexMasks that picks a bucket: 21 bits, so the last three buckets are never addressed.
inline constexpr int BucketMaskIndex = 15;

// One stored search result as the probe and the store see it. Fresh is 0 for an aged or empty slot, 2 or
// 4 for one written since the last ageing (written into slot 0 or slot 1).
struct TTEntry {
    uint64_t UpperHashCode;
    uint64_t LowerHashCode;
    int32_t Move;
    uint8_t BoundType; // a TTBound
    int8_t Fresh;
    int32_t Value;
    int8_t Depth;
};

// Three results in one cache line. The low 21 bits of a slot's lower key are the bucket's own index, so
// the slot keeps only the bits above them and packs its move, bound and fresh mark into the rest:
//   Tag: bits 21-63 the lower key, 5-20 the move (16 bits, read back sign-extended), 3-4 the bound plus
//        1 (0 for a slot never written), 0-2 the fresh mark;
//   ValueDepth: the value times 256 plus the depth as a byte (values stay far inside 24 bits).
// An empty slot holds the key (0, 0), as an all-zero slot would with the whole key stored.
struct alignas(64) TTBucket {
    uint64_t Upper[3];
    uint64_t Tag[3];
    int32_t ValueDepth[3];
    // The ageing that the bucket's fresh marks belong to: a bucket of an older one has them cleared when
    // it is next used.
    uint16_t Age;
    // The clear that the bucket's contents belong to: a bucket of an older clear reads as empty.
    uint8_t Generation;

    static constexpr int IndexBits = 21;
    static constexpr uint64_t KeyBits = ~uint64_t{0} << IndexBits;

    bool Written(int i) const { return (Tag[i] & (3u << 3)) != 0; }
    bool Holds(int i, uint64_t upper, uint64_t lower) const
    {
        return Upper[i] == upper && ((Tag[i] ^ lower) & KeyBits) == 0 && (Written(i) || lower == 0);
    }
    int8_t Fresh(int i) const { return static_cast<int8_t>(Tag[i] & 7); }
    uint8_t Bound(int i) const { return Written(i) ? static_cast<uint8_t>(((Tag[i] >> 3) & 3) - 1) : 0; }
    int32_t Move(int i) const { return static_cast<int16_t>(static_cast<uint16_t>(Tag[i] >> 5)); }
    int32_t Value(int i) const { return ValueDepth[i] >> 8; }
    int8_t Depth(int i) const { return static_cast<int8_t>(static_cast<uint8_t>(ValueDepth[i])); }
    void ClearFresh(int i) { Tag[i] &= ~uint64_t{7}; }
    // bound is a TTBound; any other value leaves a slot that reads as never written.
    void Put(int i, uint64_t upper, uint64_t lower, int16_t move, uint8_t bound, int8_t fresh, int32_t value,
             int8_t depth)
    {
        Upper[i] = upper;
        const uint64_t written = ((bound & 3u) + 1) & 3u;
        Tag[i] = (lower & KeyBits) | uint64_t{static_cast<uint16_t>(move)} << 5 | written << 3 |
                 (static_cast<uint8_t>(fresh) & 7u);
        ValueDepth[i] = static_cast<int32_t>(static_cast<uint32_t>(value) << 8 | static_cast<uint8_t>(depth));
    }
    void Copy(int to, int from)
    {
        Upper[to] = Upper[from];
        Tag[to] = Tag[from];
        ValueDepth[to] = ValueDepth[from];
    }
    // The slot unpacked; the bucket's index gives back the lower key's low bits.
    TTEntry Entry(int i, uint32_t index) const
    {
        const uint64_t lower = Written(i) ? (Tag[i] & KeyBits) | index : 0;
        return {Upper[i], lower, Move(i), Bound(i), Fresh(i), Value(i), Depth(i)};
    }
};
static_assert(sizeof(TTBucket) == 64);

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
    // Has every page of the table present now rather than at its first use, contents unchanged: for a moment
    // nobody times (before a benchmark's clock, before an interface's first search), so that no search pays
    // for the paging in of a table that was never touched.
    void Populate();
    // Starts loading the bucket of a position whose probe comes a little later.
    void Prefetch(uint64_t lower) const
    {
        __builtin_prefetch(&Table[static_cast<uint32_t>(lower) & static_cast<uint32_t>(IndexMasks[BucketMaskIndex])]);
    }

    // The bucket at `index` as probes and stores see it, with any pending clear or ageing applied.
    TTBucket& BucketAt(uint32_t index)
    {
        TTBucket& b = Table[index];
        if (b.Generation != CurrentGeneration) {
            b = TTBucket{};
            b.Generation = CurrentGeneration;
            b.Age = CurrentAge;
        } else if (b.Age != CurrentAge) {
            for (int i = 0; i < 3; i++) b.ClearFresh(i);
            b.Age = CurrentAge;
        }
        return b;
    }
};

extern TranspositionTables PositionCache;
