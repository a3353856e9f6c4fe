#include "eval/poseval.h"

PositionEvaluate PE;
ChessBoard* bb;

int PositionEvaluate::PosEval(char, int, int, ChessBoard* board, char)
{
    bb = board;
    return 0;
}
