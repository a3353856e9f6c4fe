#include "search/compmov.h"

#include "board/board.h"

SearchRoutines Search;

int SearchRoutines::ValueCapturedPiece(char side, uint64_t square, const ChessBoard* board) const
{
    const ChessBoard& b = *board;
    // Side 1 asks about White's pieces, any other value about Black's.
    const bool white = side == 1;
    if (square & (white ? b.WhitePawns : b.BlackPawns)) return 800;
    if (square & (white ? b.WhiteBishops : b.BlackBishops)) return 3250;
    if (square & (white ? b.WhiteKnights : b.BlackKnights)) return 3250;
    if (square & (white ? b.WhiteRooks : b.BlackRooks)) return 5000;
    if (square & (white ? b.WhiteQueens : b.BlackQueens)) return 9750;
    if (square & (white ? b.WhiteKing : b.BlackKing)) return 1000000;
    return 0;
}
