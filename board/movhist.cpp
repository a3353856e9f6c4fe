#include "board/movhist.h"

#include <cstdio>
#include <cstring>

MoveHistory MoveList;

MoveHistory::MoveHistory() : Entries{}, NumMoves(0) {}

void MoveHistory::InsertHashCodeMoveHistory(uint64_t upper, uint64_t lower)
{
    // A full list drops its oldest half: those positions are far behind any repetition window that
    // matters, and the list never grows past its records.
    if (NumMoves >= Capacity) {
        constexpr int keep = Capacity / 2;
        std::memmove(Entries, Entries + (NumMoves - keep), keep * sizeof(MoveHistoryEntry));
        NumMoves = keep;
    }
    Entries[NumMoves].UpperHashCode = upper;
    Entries[NumMoves].LowerHashCode = lower;
    NumMoves++;
    if (NumMoves > 590 && !LongListReported) {
        printf("MAJOR ERROR: NumMoves > 590 in InsertHashCodeMoveHistor \n");
        LongListReported = true;
    }
    if (NumMoves < 0) printf("MAJOR ERROR: NumMoves < 0 in InsertHashCodeMoveHistor \n");
}

void MoveHistory::RetractMove()
{
    if (NumMoves > 0) NumMoves--;
}

int MoveHistory::ThreeFoldRepDetection(int window, uint64_t upper, uint64_t lower) const
{
    int n = NumMoves;
    int low = n >= window ? n - window : 0;
    int matches = 0;
    for (int i = n - 1; i >= low; i -= 2)
        if (Entries[i].UpperHashCode == upper && Entries[i].LowerHashCode == lower) matches++;
    return matches - 1;
}
