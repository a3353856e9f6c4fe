#pragma once
#include <cstdint>

#include "board/board.h"

// Piece values in tenths of a centipawn: the one table that material, exchange evaluation, capture
// ordering and the search's capture tests read. A term that wants a different number derives it from
// these and says why.
inline constexpr int32_t PawnValue = 800;
inline constexpr int32_t MinorValue = 3250;
inline constexpr int32_t KnightValue = MinorValue;
inline constexpr int32_t BishopValue = MinorValue;
inline constexpr int32_t RookValue = 5000;
inline constexpr int32_t QueenValue = 9750;
inline constexpr int32_t KingValue = 1000000;

// Value of the piece of the colour opposite to `side` on the square (one bit), 0 for none. Side 1 asks
// about White's pieces, any other value about Black's.
inline int32_t CapturedPieceValue(char side, uint64_t square, const ChessBoard* board)
{
    const ChessBoard& b = *board;
    const bool white = side == 1;
    if (square & (white ? b.WhitePawns : b.BlackPawns)) return PawnValue;
    if (square & (white ? b.WhiteBishops : b.BlackBishops)) return BishopValue;
    if (square & (white ? b.WhiteKnights : b.BlackKnights)) return KnightValue;
    if (square & (white ? b.WhiteRooks : b.BlackRooks)) return RookValue;
    if (square & (white ? b.WhiteQueens : b.BlackQueens)) return QueenValue;
    if (square & (white ? b.WhiteKing : b.BlackKing)) return KingValue;
    return 0;
}
