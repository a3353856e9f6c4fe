#pragma once
#include <cstdint>
#include <string>

#include "board/maxply.h"

// File letters of square numbers: files[n & 7].
extern const char files[16];

// Room for a move followed by the longest principal variation.
inline constexpr int MoveTextSize = 9 + 5 * MaxPly + 16;

// The text of one move into buffer (size chars): a blank, the from and to squares, then "n;", "b;", "r;"
// or "q;" for a promotion letter of either case, or one blank for any other promotion char. Returns the
// number of chars written.
int WriteMoveText(char* buffer, int size, char from, char to, char promote);

// A square as text: file letter and rank digit ("e4"); out-of-range numbers give what the arithmetic
// gives. Returns the number of chars written.
int WriteSquare(char* out, int size, int square);

// A move as UCI writes it: "e2e4", or "e7e8q" with the letter of a promotion char of either case.
std::string UciMoveText(int from, int to, char promote);

// " e2e4 \n", " e7e8q;\n", or with pvFlag the rest of the root line after the move. buffer must hold
// MoveTextSize chars. Defined in search/movetext.cpp, beside the root line it reads.
void fillmovestring(char* buffer, int score, char from, char to, char promote, int pvFlag);
