#include "board/status.h"

#include "board/bitmasks.h"

Status MainStatus;

// The masks come from the named constants; where a member has a constant's name, the constant is qualified.
using namespace BitMasks;

void Status::SetLineMasks()
{
    for (int i = 0; i < 8; i++) {
        FileMask[i] = FileA << i;
        RankMask[i] = Rank1 << (8 * i);
    }
    FilesGH = BitMasks::FilesGH;
    FilesAB = BitMasks::FilesAB;
    FilesFGH = FileF | BitMasks::FilesGH;
    FilesABC = BitMasks::FilesAB | FileC;
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
    for (int i = 0; i < 6; i++) DiagonalMask[i] = CastledKingDiagonals[i];
    LightSquares = BitMasks::LightSquares;
    DarkSquares = BitMasks::DarkSquares;
    Corners = A1 | H1 | A8 | H8;
    WhiteHalf = BitMasks::WhiteHalf;
    BlackHalf = BitMasks::BlackHalf;

    SqH8 = H8; SqH7 = FileH & Rank7; SqF7 = FileF & Rank7; SqG7 = FileG & Rank7;
    SqH6 = FileH & Rank6; SqF6 = FileF & Rank6; SqG6 = FileG & Rank6; SqA8 = A8;
    SqA7 = FileA & Rank7; SqC7 = FileC & Rank7; SqA6 = FileA & Rank6; SqB7 = FileB & Rank7;
    SqC6 = FileC & Rank6; SqB6 = FileB & Rank6; SqH1 = H1; SqH2 = FileH & Rank2;
    SqF2 = FileF & Rank2; SqG2 = FileG & Rank2; SqH3 = FileH & Rank3; SqF3 = FileF & Rank3;
    SqG3 = FileG & Rank3; SqA1 = A1; SqA2 = FileA & Rank2; SqC2 = FileC & Rank2;
    SqB2 = FileB & Rank2; SqA3 = FileA & Rank3; SqC3 = FileC & Rank3; SqB3 = FileB & Rank3;
    SqB8 = B8; SqG8 = G8; SqB1 = B1; SqG1 = G1;

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
