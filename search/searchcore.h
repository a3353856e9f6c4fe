#pragma once
// What the search's own files share: small board helpers, the mate-score adjustment of table values, the
// order value above which no move is reduced, the log line and the move texts. Not for use outside
// search/.
#include <cstdint>

#include "board/board.h"
#include "search/scores.h"

namespace SearchCore {
inline uint64_t OwnKing(const ChessBoard& b, char side)
{
    return side == 0 ? b.WhiteKing : b.BlackKing;
}

inline uint64_t EnemyKing(const ChessBoard& b, char side)
{
    return side == 0 ? b.BlackKing : b.WhiteKing;
}

// Table values past this are mate scores, stored relative to the node; the search makes them relative
// to the root again by its ply.
inline constexpr int MateStoredBound = MateInPlyRange - 1;

inline int MateAdjust(int value, int ply)
{
    if (value > MateStoredBound) return value - ply;
    if (value < -MateStoredBound) return value + ply;
    return value;
}

// Moves with an order value above this (hash, killers, captures, promotions) are never reduced.
inline constexpr int32_t ReducibleOrderValue = 950;

// One printf-style line of the match log.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The move text of a move given as bitboards, optionally with the rest of the root line.
void MoveText(char* buffer, uint64_t from, uint64_t to, char promo, int pvFlag);

// The move text of the root's best move (PV entry 0) with the given promotion and the rest of its line.
void RootMoveText(char* buffer, char promo);
} // namespace SearchCore
