#include "eval/poseval.h"

// Knight outposts, rank 1 first; the Black table is the White one mirrored top to bottom.
const int32_t WKnightPost[64] = {
    0, 0, 0,   0,   0,   0,   0, 0,
    0, 0, 0,   0,   0,   0,   0, 0,
    0, 0, 0,   0,   0,   0,   0, 0,
    0, 0, 60,  80,  80,  60,  0, 0,
    0, 0, 80,  120, 120, 80,  0, 0,
    0, 0, 120, 160, 160, 120, 0, 0,
    0, 0, 64,  90,  90,  64,  0, 0,
    0, 0, 0,   0,   0,   0,   0, 0,
};

const int32_t BKnightPost[64] = {
    0, 0, 0,   0,   0,   0,   0, 0,
    0, 0, 64,  90,  90,  64,  0, 0,
    0, 0, 120, 160, 160, 120, 0, 0,
    0, 0, 80,  120, 120, 80,  0, 0,
    0, 0, 60,  80,  80,  60,  0, 0,
    0, 0, 0,   0,   0,   0,   0, 0,
    0, 0, 0,   0,   0,   0,   0, 0,
    0, 0, 0,   0,   0,   0,   0, 0,
};

const int32_t OpenFileControl[8] = {185, 185, 190, 200, 200, 190, 185, 185};

// By rank counted from the pawn's own side.
const int32_t Passers[8] = {0, 40, 80, 160, 270, 550, 1100, 0};

// By number of rooks (and queens) on the seventh rank.
const int16_t Majorson7[16] = {0, 350, 650, 950, 1250, 1400, 1450, 1500, 1500, 1500, 1500, 0, 0, 0, 0, 0};
