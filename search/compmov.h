#pragma once
#include <cstdint>

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
};

extern SearchRoutines Search;
