#pragma once
#include <cstdint>

struct MoveHistoryEntry {
    uint64_t UpperHashCode;
    uint64_t LowerHashCode;
};

// Stack of the position keys of the game and of the current search path, for repetition detection.
class MoveHistory {
public:
    static constexpr int Capacity = 600;

    MoveHistoryEntry Entries[Capacity];
    int NumMoves;
    // The message for a list past 590 entries has been printed since the last Init or search start: a
    // search pushes and retracts at every node, and one line says it all.
    bool LongListReported = false;

    MoveHistory();
    void Init()
    {
        NumMoves = 0;
        LongListReported = false;
    }
    // A new search may say once more that the list is long.
    void RearmLongListMessage() { LongListReported = false; }
    void InsertHashCodeMoveHistory(uint64_t upper, uint64_t lower);
    void InsertMoveHistory(uint64_t upper, uint64_t lower) { InsertHashCodeMoveHistory(upper, lower); }
    void RetractMove();
    // Earlier occurrences of the key at an even distance among the newest `window` entries; the key
    // itself is expected to have been pushed last.
    int ThreeFoldRepDetection(int window, uint64_t upper, uint64_t lower) const;
};

extern MoveHistory MoveList;
