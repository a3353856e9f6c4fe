#pragma once
#include <cstdint>

// The benchmarks: fixed positions searched to the depth MainStatus.FD (0 leaves the depth to the
// search's time control), one statistics block per run on standard output and one banner per position
// in the log. Each leaves MainBoard at its last position after the engine's move.

// Six positions with iterative deepening; the transposition table is cleared between them (not after
// the last).
void Bench();
// The fifth position twice: with iterative deepening, then with one search at exactly the depth; the
// table is cleared after each.
void Bench2();
// Bench2 with three FEN conversions timed inside the first run. No option starts it.
void Bench3();

// Node counts of one benchmark run, summed over its positions. 64 bits: deep runs pass 2^31.
struct BenchCounts {
    int64_t Interior = 0;
    int64_t Quiesce = 0;
    int64_t LeafInterior = 0;
};

// The statistics block of one run: time and node counts, leaf count, transposition-table and
// pawn-hash counters (those two cumulative). An elapsed time of 0 ms counts as 1. When the table has
// neither hits nor misses, its miss counter becomes 1 after the line has shown the 0.
void PrintBenchReport(int32_t elapsedMs, const BenchCounts& counts);
