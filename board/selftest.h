#pragma once
#include <cstdint>

// Self tests that draw boards on standard output; they act on MainBoard and leave it changed.

// Keeps only the pieces inside the mask and draws the board.
void Mask(uint64_t mask);
// For one piece board of MainBoard: from every square of an otherwise empty board, draws the squares
// the piece reaches.
void OpenFieldMoves(uint64_t* pieceBoard, char colour);
// OpenFieldMoves for the king, queens, rooks, bishops and knights of White, then of Black.
void OpenFieldPieceMovesTest();
// Makes and undoes every generated move of MainBoard, drawing the board after each.
void TestMoves();
// Draws the board masked by each file and each rank, then runs TestMoves on a fixed position.
void QuickTest();
