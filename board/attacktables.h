#pragma once
#include <cstdint>

// Table-driven attack sets of one square, for the hot paths. Each returns exactly the set that walking
// the rays square by square gives (first blocker of either colour included, nothing past an edge file);
// the ray walk itself stays in attacks.cpp as the reference the tests compare against.

namespace Attacks {

// The part of one line through a square that lies below it (lower square numbers) and above it.
struct LineMasks {
    uint64_t Lower;
    uint64_t Upper;
};

// Per square: rank, file, diagonal (a1-h8 direction), anti-diagonal (h1-a8 direction).
enum Line { RankLine = 0, FileLine, DiagonalLine, AntiDiagonalLine };

struct Tables {
    LineMasks Lines[64][4];
    uint64_t Knight[64];
    uint64_t King[64];
    // Every square a bishop or a rook on the square would reach on an empty board.
    uint64_t Diagonals[64];
    uint64_t Orthogonals[64];
};

extern const Tables Table;

inline int Square(uint64_t oneBit)
{
    return __builtin_ctzll(oneBit);
}

// Squares of one line that a slider on the square reaches: upwards up to and including the lowest
// occupied square above it, downwards down to and including the highest occupied square below it.
inline uint64_t LineAttacks(const LineMasks& m, uint64_t occupied)
{
    uint64_t up = occupied & m.Upper;
    uint64_t down = occupied & m.Lower;
    // With nothing above, (0 - 1) keeps the whole upper part; bit 0 stands in for an empty lower part.
    uint64_t upper = m.Upper & (((up & (0 - up)) << 1) - 1);
    uint64_t lower = m.Lower & (~0ULL << (63 - __builtin_clzll(down | 1)));
    return upper | lower;
}

inline uint64_t Bishop(int square, uint64_t occupied)
{
    return LineAttacks(Table.Lines[square][DiagonalLine], occupied) |
           LineAttacks(Table.Lines[square][AntiDiagonalLine], occupied);
}

inline uint64_t Rook(int square, uint64_t occupied)
{
    return LineAttacks(Table.Lines[square][RankLine], occupied) |
           LineAttacks(Table.Lines[square][FileLine], occupied);
}

inline uint64_t Queen(int square, uint64_t occupied)
{
    return Bishop(square, occupied) | Rook(square, occupied);
}

inline uint64_t Knight(int square)
{
    return Table.Knight[square];
}

inline uint64_t King(int square)
{
    return Table.King[square];
}

inline bool IsOneBit(uint64_t b)
{
    return b && !(b & (b - 1));
}

// The ray-walking reference forms (the definition of the attack sets), for any argument.
uint64_t WalkBishop(uint64_t b, uint64_t occupied);
uint64_t WalkRook(uint64_t b, uint64_t occupied);

} // namespace Attacks
