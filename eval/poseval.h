#pragma once
#include <cstdint>

#include "board/board.h"

// Tables the move ordering reads as well as the evaluation.
extern const int32_t WKnightPost[64];
extern const int32_t BKnightPost[64];
extern const int32_t OpenFileControl[8];
extern const int32_t Passers[8];
extern const int16_t Majorson7[16];

// The static evaluator. Scores in tenths of a centipawn, computed from White's view and returned from
// the view of `side`.
class PositionEvaluate {
public:
    // Placeholder until the evaluation terms land: every position scores 0.
    int PosEval(char side, int alpha, int beta, ChessBoard* board, char castle);
};

extern PositionEvaluate PE;
// The position being evaluated; set by PosEval on every call.
extern ChessBoard* bb;
