#pragma once
#include <cstdint>

class ChessBoard;

// One entry of the principal-variation table.
struct PVEntry {
    int16_t Move;   // from square x 64 + to square
    int8_t Promote; // the move's promotion char
};

struct KillerPair {
    int16_t Killer0; // the newer one
    int16_t Killer1;
};

inline constexpr int MaxPly = 200;

// The search's shared state. Only what the board code reads so far: the principal-variation table and
// the ordering tables.
class SearchRoutines {
public:
    int32_t History[2][4096];
    PVEntry PVTable[MaxPly][MaxPly];
    KillerPair Killers[MaxPly];
    int32_t PVLength;

    // Value of the piece of the colour opposite to `side` on the square (one bit), 0 for none: pawn 800,
    // bishop and knight 3250, rook 5000, queen 9750, king 1000000.
    int ValueCapturedPiece(char side, uint64_t square, const ChessBoard* board) const;
};

extern SearchRoutines Search;
