#pragma once
#include <cstdint>

#include "board/board.h"

// Key-table rows: a side's pawn, knight, bishop, rook, queen and king, Black's six after White's.
inline constexpr int KeyPawn = 0, KeyKnight = 1, KeyBishop = 2, KeyRook = 3, KeyQueen = 4, KeyKing = 5, KeyBlack = 6;
// The rows the pawn key covers.
inline constexpr int KeyWhitePawn = KeyPawn, KeyWhiteKing = KeyKing, KeyBlackPawn = KeyBlack + KeyPawn,
                     KeyBlackKing = KeyBlack + KeyKing;
// The side's first row, its pawn's, which its other five follow.
constexpr int FirstKeyRow(int side) { return side == 0 ? 0 : KeyBlack; }

// Key tables, indexed [row][square] by the rows above. Filled once by initPStable; the same values on
// every run.
extern uint64_t UPStable[12][64];
extern uint64_t LPStable[12][64];
extern uint64_t CastleCode[16];
extern uint64_t WtoMove, BtoMove;
// Filled with the rest, but no key uses them.
extern uint64_t UWCanEP[8], LWCanEP[8], UBCanEP[8], LBCanEP[8];

// Additive lagged-Fibonacci generator (lags 24 and 55) from a fixed seed table.
class BetterRandom32 {
public:
    static const uint32_t x[55];
    static uint32_t y[55];
    static int j, k;
    static int init;
    static uint32_t Next();
};

void initPStable();

// The 128-bit key of a position, always computed from scratch. En passant is not part of it.
void genhashcode(char side, int castle, uint64_t* upper, uint64_t* lower, const ChessBoard* board);

// The same key from the board's piece-square halves, which MakeMove keeps: equal to genhashcode's
// wherever the board's keys are current (ChessBoard::InitKeys).
inline void currenthashcode(char side, int castle, uint64_t* upper, uint64_t* lower, const ChessBoard& board)
{
    const uint64_t common = (side ? BtoMove : WtoMove) ^ CastleCode[castle & 15];
    *upper = board.PieceKeyUpper ^ common;
    *lower = board.PieceKeyLower ^ common;
}

// The 32-bit pawn key over pawns and both kings: the quantity ChessBoard::MakeMove keeps move by move.
void genpawnhashcode(char side, ChessBoard board, uint32_t* key);

// Never called by the engine; kept with the generator.
int BitCount32(uint32_t v);
int FindRandom(uint32_t value, int n);
int Random32();
void initPawnSquareMap();
