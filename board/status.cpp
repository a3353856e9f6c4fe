#include "board/status.h"

#include "board/bitmasks.h"

Status MainStatus;

void Status::SetLineMasks()
{
    for (int i = 0; i < 8; i++) {
        FileMask[i] = 0x0101010101010101ULL << i;
        RankMask[i] = 0xFFULL << (8 * i);
    }
    FilesGH = 0xC0C0C0C0C0C0C0C0ULL;
    FilesAB = 0x0303030303030303ULL;
    FilesFGH = 0xE0E0E0E0E0E0E0E0ULL;
    FilesABC = 0x0707070707070707ULL;
}

void Status::initVars()
{
    SetLineMasks();
    PhalanxMask[0] = 0x0008102000000000ULL;
    PhalanxMask[1] = 0x0010080400000000ULL;
    PhalanxMask[2] = 0x0000081020000000ULL;
    PhalanxMask[3] = 0x0000100804000000ULL;
    PhalanxMask[4] = 0x0000000020100800ULL;
    PhalanxMask[5] = 0x0000000004081000ULL;
    PhalanxMask[6] = 0x0000002010080000ULL;
    PhalanxMask[7] = 0x0000000408100000ULL;
    // The castled kings' diagonals, which the evaluation reads from the board's mask header too.
    for (int i = 0; i < 6; i++) DiagonalMask[i] = BitMasks::CastledKingDiagonals[i];
    LightSquares = 0x55AA55AA55AA55AAULL;
    DarkSquares = 0xAA55AA55AA55AA55ULL;
    Corners = 0x8100000000000081ULL;
    WhiteHalf = 0x00000000FFFFFFFFULL;
    BlackHalf = 0xFFFFFFFF00000000ULL;

    // Square numbers: a1 = 0 ... h8 = 63.
    SqH8 = 1ULL << 63; SqH7 = 1ULL << 55; SqF7 = 1ULL << 53; SqG7 = 1ULL << 54;
    SqH6 = 1ULL << 47; SqF6 = 1ULL << 45; SqG6 = 1ULL << 46; SqA8 = 1ULL << 56;
    SqA7 = 1ULL << 48; SqC7 = 1ULL << 50; SqA6 = 1ULL << 40; SqB7 = 1ULL << 49;
    SqC6 = 1ULL << 42; SqB6 = 1ULL << 41; SqH1 = 1ULL << 7;  SqH2 = 1ULL << 15;
    SqF2 = 1ULL << 13; SqG2 = 1ULL << 14; SqH3 = 1ULL << 23; SqF3 = 1ULL << 21;
    SqG3 = 1ULL << 22; SqA1 = 1ULL << 0;  SqA2 = 1ULL << 8;  SqC2 = 1ULL << 10;
    SqB2 = 1ULL << 9;  SqA3 = 1ULL << 16; SqC3 = 1ULL << 18; SqB3 = 1ULL << 17;
    SqB8 = 1ULL << 57; SqG8 = 1ULL << 62; SqB1 = 1ULL << 1;  SqG1 = 1ULL << 6;

    HumanToMove = 1;
    PERFT = 0;
    BenchMode = NoBench;
    SATrain = 0;
    Post = 0;
    if (UCIMode != 1) {
        UCIMode = 0;
        UseBook = 1;
        TimePerMove = 0;
        MovesPerSession = 0;
        DefaultMovesPerSession = 50;
        FD = 0;
        ST = 0;
    }
    if (Kibitz != 1) Kibitz = 0;
    Mimic = 0;
    DoTestSuite = 0;
    PEV = 0;
    SelfPlay = 0;
    Trace = 0;
    GameInProgress = 1;
    MoveNumber = 1;
}
