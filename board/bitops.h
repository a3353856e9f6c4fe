#pragma once
#include <cstdint>

// Bit n of a bitboard is square n: a1 = 0, h1 = 7, a8 = 56, h8 = 63.

inline constexpr uint64_t Somemagic = 0x03F79D71B4CB0A89ULL;
extern const int32_t magictable[64];

// 1-based index of the lowest set bit; 1 for an empty set, so callers test for empty first.
inline int32_t RightMostBit(uint64_t b)
{
    return b ? __builtin_ctzll(b) + 1 : 1;
}

// Square number of a one-bit board (of the lowest bit of a larger set); 0, a1, for an empty set.
inline int SquareOf(uint64_t b)
{
    return b ? __builtin_ctzll(b) : 0;
}

inline int32_t SimpleBitCount(uint64_t b)
{
    return __builtin_popcountll(b);
}

// 0-based index of the highest set bit; -1 for an empty set.
inline int32_t MyLog2(uint64_t b)
{
    return b ? 63 - __builtin_clzll(b) : -1;
}

// One-bit bitboard of a square number; the index is masked so text or arithmetic can never shift past 63.
inline uint64_t SqBit(int n)
{
    return 1ULL << (n & 63);
}

// Kept with the bit operations, called by nothing in the engine
// The same as RightMostBit, but 64 for an empty set.
int32_t MybitScanForward(uint64_t b);
// The plain reference forms, kept to cross-check the intrinsic versions above.
int32_t RightMostBitTable(uint64_t b);
int32_t SimpleBitCountLoop(uint64_t b);
int32_t MyLog2Smear(uint64_t b);
// Print a bitboard as an 8 x 8 grid.
void DisplayBit(int n, uint64_t b);
void Displaybits(uint64_t b);
