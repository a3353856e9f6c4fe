#pragma once
#include <cstdint>
#include <cstdlib>

#include "board/bitmasks.h"
#include "board/bitops.h"

// Square sets and square arithmetic the evaluation terms test against, on top of the board's constants.
namespace evalmask {
using namespace BitMasks;
inline constexpr uint64_t FilesBtoG = ~(FileA | FileH);
inline constexpr uint64_t Centre = 0x0000001818000000ULL; // d4, e4, d5, e5

constexpr uint64_t Bit(int file, int rank) { return 1ULL << (rank * 8 + file); }

// Files f - 1 and f + 1 where they exist.
inline uint64_t AdjacentFiles(int file)
{
    uint64_t f = FileA << file;
    return ((f & ~FileH) << 1) | ((f & ~FileA) >> 1);
}

// The three king files: f - 1, f, f + 1, pulled inwards on the edges (a-file king: a, b, c).
inline uint64_t KingFiles(int file)
{
    int centre = file == 0 ? 1 : file == 7 ? 6 : file;
    return (FileA | FileB | FileC) << (centre - 1);
}

// Ranks strictly above / strictly below / at or below rank index r (0 = rank 1).
inline uint64_t RanksAbove(int r) { return (~0ULL << (8 * r)) << 8; }
inline uint64_t RanksBelow(int r) { return (1ULL << (8 * r)) - 1; }
inline uint64_t RanksUpTo(int r) { return ~0ULL >> (8 * (7 - r)); }
inline uint64_t RanksFrom(int r) { return ~0ULL << (8 * r); }

// King distance: the larger of the file and the rank difference.
inline int Distance(int a, int b)
{
    int df = std::abs((a & 7) - (b & 7)), dr = std::abs((a >> 3) - (b >> 3));
    return df > dr ? df : dr;
}

inline int LowestSquare(uint64_t b) { return RightMostBit(b) - 1; }
} // namespace evalmask
