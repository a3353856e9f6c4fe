#pragma once
#include <cstdint>

#include "board/board.h"

// Counts the tree of legal moves from MainBoard to a fixed depth and prints the counts and the speed;
// with Status::Trace set it also prints every counted move as a nested trace.
class PerfT {
public:
    // Every legal move made at every level of the tree.
    uint64_t TotalNodes;
    // Sequences of exactly `depth` legal moves: the classic perft number.
    uint64_t LeafNodes;

    // Runs the whole count from MainBoard and prints the report.
    explicit PerfT(int depth);
    // Counts the subtree of the position; castle is its castling-rights nibble.
    void PerformanceTest(char side, int depth, ChessBoard board, char castle);

private:
    template <bool Trace>
    void Count(char side, int depth, ChessBoard& board, char castle);
};
