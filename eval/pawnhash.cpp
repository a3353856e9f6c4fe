#include "eval/pawnhash.h"

#include <cstddef>
#include <cstring>

#include <sys/mman.h>

namespace {
constexpr size_t LargePage = size_t{2} << 20;
}

// On large-page boundaries and advised as large pages, like the transposition table: an evaluation's
// probe then rarely needs a page walk of its own.
alignas(LargePage) PawnHashEntry PawnHashArray[PawnHashEntries];

namespace {
struct AdviseLargePages {
    AdviseLargePages() { madvise(PawnHashArray, sizeof PawnHashArray / LargePage * LargePage, MADV_HUGEPAGE); }
} Advised;
} // namespace
int64_t Phashattempts;
int64_t Phashmisses;

void ClearPawnHash()
{
    std::memset(PawnHashArray, 0, sizeof PawnHashArray);
}
