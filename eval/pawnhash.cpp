#include "eval/pawnhash.h"

#include <cstring>

PawnHashEntry PawnHashArray[PawnHashEntries];
int64_t Phashattempts;
int64_t Phashmisses;

bool InPawnHash(uint32_t key, uint64_t pawns)
{
    const PawnHashEntry& e = PawnHashArray[key & PawnHashIndexMask];
    return e.Valid && e.Key == key && e.Pawns == pawns;
}

void ClearPawnHash()
{
    std::memset(PawnHashArray, 0, sizeof PawnHashArray);
}
