#pragma once
#include <cstdint>
#include <cstdlib>

// Named files, ranks, squares and square sets as compile-time constants, for the hot paths. The masks of
// MainStatus are filled from them; code that reads these does not depend on Status::initVars having run.
namespace BitMasks {
inline constexpr uint64_t FileA = 0x0101010101010101ULL;
inline constexpr uint64_t FileB = FileA << 1, FileC = FileA << 2, FileF = FileA << 5, FileG = FileA << 6;
inline constexpr uint64_t FileH = FileA << 7;
inline constexpr uint64_t FilesAB = FileA | FileB, FilesGH = FileG | FileH;
inline constexpr uint64_t Rank1 = 0xFFULL;
inline constexpr uint64_t Rank2 = Rank1 << 8, Rank3 = Rank1 << 16, Rank4 = Rank1 << 24, Rank5 = Rank1 << 32;
inline constexpr uint64_t Rank6 = Rank1 << 40, Rank7 = Rank1 << 48, Rank8 = Rank1 << 56;
inline constexpr uint64_t WhiteHalf = 0x00000000FFFFFFFFULL, BlackHalf = 0xFFFFFFFF00000000ULL;
inline constexpr uint64_t LightSquares = 0x55AA55AA55AA55AAULL, DarkSquares = 0xAA55AA55AA55AA55ULL;

inline constexpr uint64_t A1 = 1ULL << 0, B1 = 1ULL << 1, C1 = 1ULL << 2, D1 = 1ULL << 3, E1 = 1ULL << 4,
                          F1 = 1ULL << 5, G1 = 1ULL << 6, H1 = 1ULL << 7;
inline constexpr uint64_t A8 = 1ULL << 56, B8 = 1ULL << 57, C8 = 1ULL << 58, D8 = 1ULL << 59, E8 = 1ULL << 60,
                          F8 = 1ULL << 61, G8 = 1ULL << 62, H8 = 1ULL << 63;

// The whole file of a square.
constexpr uint64_t FileOf(int sq) { return FileA << (sq & 7); }

// King distance: the larger of the file and the rank difference.
inline int Distance(int a, int b)
{
    int df = std::abs((a & 7) - (b & 7)), dr = std::abs((a >> 3) - (b >> 3));
    return df > dr ? df : dr;
}

// The six diagonals that pass in front of a castled king: h2-c7, g2-b7, f2-a7 (by White's king side and
// Black's queen side) and c2-h7, b2-g7, a2-f7 (by White's queen side and Black's king side).
inline constexpr uint64_t CastledKingDiagonals[6] = {0x0004081020408000ULL, 0x0002040810204000ULL,
                                                     0x0001020408102000ULL, 0x0080402010080400ULL,
                                                     0x0040201008040200ULL, 0x0020100804020100ULL};

// Squares the given White pawns attack (one rank up, one file aside, nothing wrapping round the edge).
constexpr uint64_t WhitePawnAttacks(uint64_t pawns) { return ((pawns & ~FileH) << 9) | ((pawns & ~FileA) << 7); }
// Squares the given Black pawns attack (one rank down, one file aside).
constexpr uint64_t BlackPawnAttacks(uint64_t pawns) { return ((pawns & ~FileH) >> 7) | ((pawns & ~FileA) >> 9); }
} // namespace BitMasks
