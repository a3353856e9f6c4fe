#include "eval/pawnhash.h"

#include <cstring>

PawnHashEntry PawnHashArray[PawnHashEntries];
int64_t Phashattempts;
int64_t Phashmisses;

void ClearPawnHash()
{
    std::memset(PawnHashArray, 0, sizeof PawnHashArray);
}
