#pragma once
#include "board/board.h"

// The keys of the positions of the game being played, for the draw by repetition that the game loop
// claims. A new game or a new position starts it again.
namespace GameRecord {
void Reset();
// Adds the position with `side` to move.
void Record(const ChessBoard& board, char side);
// The position with `side` to move has now stood on the board three times.
bool ThirdOccurrence(const ChessBoard& board, char side);
} // namespace GameRecord
