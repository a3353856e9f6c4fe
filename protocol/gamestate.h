#pragma once
#include <cstdint>
#include <string>

#include "board/board.h"

// What the console, xboard and UCI share about the game being played: typed moves, the fixed time a move,
// analysis mode, the mimic modes' evaluation, new games and positions, and the tables paged in.

// Typed moves
// A move typed as text, checked against the position: from and to squares, optional promotion letter
// (q, r, b or n; none means queen). False when the text is no legal move of the side to move.
bool ParseTypedMove(const std::string& word, const ChessBoard& board, uint64_t* from, uint64_t* to,
                    char* promotion);
// Plays a move that ParseTypedMove accepted on MainBoard, with its castling rights; the side to move
// stays for the caller to flip.
void PlayCheckedMove(uint64_t from, uint64_t to, char promotion);

// Time settings
// A fixed time a move, as "-st" and the console and xboard "st" give it in seconds: kept in milliseconds,
// with nine tenths of it as the time per move and sixty moves' worth on the clock.
void SetSecondsPerMove(int64_t seconds);

// Analysis mode
// The node-rate estimate analysis starts from, by the command that switched it on.
inline constexpr int32_t ConsoleAnalysisNodesPerSecond = 200001; // "analyze", console and xboard
inline constexpr int32_t UciAnalysisNodesPerSecond = 200005;     // UCI_AnalyseMode
// As "analyze" and UCI_AnalyseMode switch it on: thinking output, no time control.
void EnterAnalysis(int32_t nodesPerSecond);
// Ends analysis mode and its thinking output, and gives back the time settings it replaced.
void LeaveAnalysis();

// The mimic modes' evaluation: MainBoard's counts recounted, then the full-window evaluation for its side
// to move.
int EvaluateMainBoard();

// New games and positions
// A new game from the start position, as xboard "new" and "abort" and UCI "ucinewgame" and "position"
// begin one: the history table cleared (unless kept), the start position with current counts, the status
// record reset, White to move, the interface to move first, and the key history and game record started
// afresh. Each command adds its own differences.
void ResetForNewGame(bool clearHistory = true);
// Everything a new position resets besides the board: the key history and the game record.
void StartNewPosition();

// Memory
// Has the transposition table and the pawn hash paged in, once a process: at a moment the interface does
// not time, since a first search would otherwise wait for the kernel inside its clock.
void PageInSearchTables();
