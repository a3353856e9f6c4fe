#pragma once
#include <cstdint>

// Table-driven attack sets of one square, for the hot paths. Each returns exactly the set that walking
// the rays square by square gives (first blocker of either colour included, nothing past an edge file);
// the ray walk itself stays in attacks.cpp as the reference the tests compare against.

namespace Attacks {

// Per square: the file, diagonal (a1-h8 direction) and anti-diagonal (h1-a8 direction) through it, and
// the square's rank, each without the square itself.
enum Line { FileLine = 0, DiagonalLine, AntiDiagonalLine, RankLine };

struct Tables {
    uint64_t Lines[64][4];
    // By the slider's file and the occupancy of files b to g of its rank (bit 0 = file b): the squares of
    // the rank it reaches, as a rank-1 pattern. The edge files never stop a ray short of themselves.
    uint8_t RankReach[8][64];
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

// Squares of a file or diagonal through the square (`line`, the square left out) that a slider on it
// reaches, up to and including the first occupied square each way. Subtracting the slider's bit from
// the line's occupancy flips the squares from it up to the first blocker above; the same on the board
// mirrored top to bottom, where a file or diagonal keeps one square per rank in reverse order, flips
// those down to the first blocker below. Everything else the two results share cancels in the XOR.
inline uint64_t LineAttacks(int square, uint64_t line, uint64_t occupied)
{
    uint64_t forward = occupied & line;
    uint64_t reverse = __builtin_bswap64(forward);
    forward -= 1ULL << square;
    reverse -= 1ULL << (square ^ 56);
    return (forward ^ __builtin_bswap64(reverse)) & line;
}

// Squares of the square's rank that a slider on it reaches, from the rank's six inner squares.
inline uint64_t RankAttacks(int square, uint64_t occupied)
{
    const int rankShift = square & 56;
    return static_cast<uint64_t>(Table.RankReach[square & 7][(occupied >> (rankShift + 1)) & 63]) << rankShift;
}

inline uint64_t Bishop(int square, uint64_t occupied)
{
    return LineAttacks(square, Table.Lines[square][DiagonalLine], occupied) |
           LineAttacks(square, Table.Lines[square][AntiDiagonalLine], occupied);
}

inline uint64_t Rook(int square, uint64_t occupied)
{
    return RankAttacks(square, occupied) | LineAttacks(square, Table.Lines[square][FileLine], occupied);
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

// The ray-walking and shifting reference forms (the definition of the attack sets), for any argument.
uint64_t WalkBishop(uint64_t b, uint64_t occupied);
uint64_t WalkRook(uint64_t b, uint64_t occupied);
uint64_t ShiftKnight(uint64_t b);
uint64_t ShiftKing(uint64_t b);

} // namespace Attacks
