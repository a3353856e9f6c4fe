#pragma once
#include <cstdint>
#include <cstdio>

// File letters of square numbers: files[n & 7].
extern const char files[16];

// Room for a move followed by the longest principal variation.
inline constexpr int MoveTextSize = 9 + 5 * 200 + 16;

// " e2e4 \n", " e7e8q;\n", or with pvFlag the rest of the root line after the move. buffer must hold
// MoveTextSize chars.
void fillmovestring(char* buffer, int score, char from, char to, char promote, int pvFlag);

// The match log "match.log": one line per entry, each flushed at once.
extern FILE* dlog;
void OpenLogFile();
void WriteLogFile(const char* text);
void CloseLogFile();
