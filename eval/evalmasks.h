#pragma once
#include <cstdint>
#include <cstdlib>

#include "board/bitops.h"

// Square sets the evaluation terms test against. They hold the same values as the masks of MainStatus,
// as compile-time constants, so the hot path loads nothing and an evaluation never depends on whether
// Status::initVars has run yet.
namespace evalmask {
inline constexpr uint64_t FileA = 0x0101010101010101ULL;
inline constexpr uint64_t FileB = FileA << 1, FileC = FileA << 2, FileF = FileA << 5, FileG = FileA << 6;
inline constexpr uint64_t FileH = FileA << 7;
inline constexpr uint64_t FilesBtoG = ~(FileA | FileH);
inline constexpr uint64_t Rank1 = 0xFFULL;
inline constexpr uint64_t Rank2 = Rank1 << 8, Rank3 = Rank1 << 16, Rank4 = Rank1 << 24, Rank5 = Rank1 << 32;
inline constexpr uint64_t Rank6 = Rank1 << 40, Rank7 = Rank1 << 48, Rank8 = Rank1 << 56;
inline constexpr uint64_t WhiteHalf = 0x00000000FFFFFFFFULL, BlackHalf = 0xFFFFFFFF00000000ULL;
inline constexpr uint64_t LightSquares = 0x55AA55AA55AA55AAULL, DarkSquares = 0xAA55AA55AA55AA55ULL;
inline constexpr uint64_t Centre = 0x0000001818000000ULL; // d4, e4, d5, e5

constexpr uint64_t Bit(int file, int rank) { return 1ULL << (rank * 8 + file); }

inline uint64_t FileOf(int sq) { return FileA << (sq & 7); }

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
