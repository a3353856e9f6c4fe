#pragma once
#include <cstdint>

#include "board/board.h"

// Static exchange evaluation: what a capture on one square wins or loses when both sides keep
// recapturing there with their least valuable piece and each may stop when going on would lose.
class SEE {
public:
    ChessBoard* Board;
    // Direction[a][b]: the square-number step from a towards b along their common line, 0 when none.
    int16_t Direction[64][64];

    constexpr SEE() : Board(nullptr), Direction{}
    {
        for (int a = 0; a < 64; a++)
            for (int b = 0; b < 64; b++) Direction[a][b] = StepBetween(a, b);
    }

    // side is the colour of the piece on `to` (the side captured first); the result is from the point
    // of view of the capturer, in the units of CapturedPieceValue (board/piecevalues.h).
    int StaticExchangeEvaluation(char side, uint64_t from, uint64_t to, ChessBoard* board);
    // Every piece of both colours that attacks the square on the board's occupancy.
    uint64_t SquareAttacksDefences(uint64_t square);
    // Square of side's least valuable piece among the attackers, -1 if none.
    int LVP(char side, uint64_t attackers);
    // The attackers with the slider uncovered behind `square`, looking away along `direction`.
    uint64_t AddXrayAttacker(uint64_t attackers, int square, int direction);

private:
    static constexpr int16_t StepBetween(int a, int b)
    {
        const int df = (b & 7) - (a & 7), dr = (b >> 3) - (a >> 3);
        if (a == b) return 0;
        if (df == 0) return dr > 0 ? 8 : -8;
        if (dr == 0) return df > 0 ? 1 : -1;
        if (df == dr) return dr > 0 ? 9 : -9;
        if (df == -dr) return dr > 0 ? 7 : -7;
        return 0;
    }
};

extern SEE see;
