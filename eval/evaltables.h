#pragma once
#include <cstdint>

// The evaluation's constant tables, in tenths of a centipawn. A 64-entry table is indexed by square
// (a1 = 0 ... h8 = 63); every Black table is its White one at the square mirrored top to bottom
// (B[sq] = W[sq ^ 56]). Tables by rank count from the pawn's own side.

// Square tables
extern const int32_t WPawnSquare[64], BPawnSquare[64];
extern const int32_t WKnightSquare[64], BKnightSquare[64];
extern const int32_t WKnightPost[64], BKnightPost[64];
extern const int32_t KnightEnding[64];
extern const int32_t WBishopSquare[64], BBishopSquare[64];
extern const int32_t BishopEnding[64];
extern const int32_t WKingSquare[64], BKingSquare[64];
extern const int32_t KingEnding[64];

// Mobility, by number of target squares
extern const int32_t QueenMobility[32];
extern const int32_t RookMobility[16];
extern const int32_t KnightMobility[16];
extern const int32_t BishopMobility[16];

// Pawns, by file or by rank
extern const int32_t IsolatedPawn[8];
extern const int32_t Passers[8];
extern const int32_t ProtectedPassers[8];
extern const int32_t ConnectedPassers[8];
extern const int32_t KingProximityPasserPenalty[8];

// Files and ranks
extern const int32_t OpenFileControl[8];
extern const int16_t Majorson7[16];
