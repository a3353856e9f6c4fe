#pragma once
#include <cstdint>

#include "board/bitops.h"

// Table-driven attack sets of one square, for the hot paths. Each returns exactly the set that walking
// the rays square by square gives (first blocker of either colour included, nothing past an edge file);
// the ray walk itself stays in attacks.cpp as the reference the tests compare against.

namespace Attacks {

struct Tables {
    uint64_t Knight[64];
    uint64_t King[64];
    // Every square a bishop or a rook on the square would reach on an empty board.
    uint64_t Diagonals[64];
    uint64_t Orthogonals[64];
};

extern const Tables Table;

// A slider's attack set is looked up by its blockers: the occupancy of the squares that can stop it
// (its lines without their last squares, which end a ray whether occupied or not), multiplied by the
// square's number, keeps in its top bits an index that no other blocker pattern with a different set
// shares. The numbers are fixed (board/magics.h); the sets are filled at start-up.
struct SliderIndex {
    uint64_t Mask;
    uint64_t Number;
    const uint64_t* Sets;
    uint32_t Shift; // 64 less the number of squares in Mask
};

extern SliderIndex BishopIndex[64];
extern SliderIndex RookIndex[64];

// The squares whose occupancy can change the attack set of a rook (or a bishop) on the square.
uint64_t BlockerMask(int square, bool rook);

inline uint64_t Bishop(int square, uint64_t occupied)
{
    const SliderIndex& s = BishopIndex[square];
    return s.Sets[((occupied & s.Mask) * s.Number) >> s.Shift];
}

inline uint64_t Rook(int square, uint64_t occupied)
{
    const SliderIndex& s = RookIndex[square];
    return s.Sets[((occupied & s.Mask) * s.Number) >> s.Shift];
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
