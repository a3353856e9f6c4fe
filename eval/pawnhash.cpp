#include "eval/pawnhash.h"

#include <cstddef>
#include <cstring>

#include "platform/memory.h"

// On large-page boundaries and advised as large pages, like the transposition table: an evaluation's
// probe then rarely needs a page walk of its own.
alignas(LargePageSize) PawnHashEntry PawnHashArray[PawnHashEntries];

namespace {
struct LargePageAdvice {
    LargePageAdvice() { AdviseLargePages(PawnHashArray, sizeof PawnHashArray); }
} Advised;
} // namespace
int64_t Phashattempts;
int64_t Phashmisses;

void ClearPawnHash()
{
    std::memset(PawnHashArray, 0, sizeof PawnHashArray);
}

void PopulatePawnHash()
{
    PageIn(PawnHashArray, sizeof PawnHashArray);
}
