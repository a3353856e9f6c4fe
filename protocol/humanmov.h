#pragma once
#include <cstdint>
#include <string>

#include "board/board.h"

// Runs one console or xboard word: 0 it is a move, 2 leave the turn (a running search aborts), 3 quit,
// 4 handled. Arguments are read from standard input by the command itself.
int DoCommand(const char* word);

// The interface's turn: reads words until a legal move is made on MainBoard (0, or 7 when the move
// reaches the fifty-move limit) or a command ends the turn (2 or 3).
int HumanMove();

// Announces the engine's move in xboard mode and logs it.
void MakeGUIMove(uint64_t from, uint64_t to, char promotion, int score);

// The board edit mode that follows the word "edit".
void SetupBoardFromEdit();

// A move typed as text, checked against the position: from and to squares, optional promotion letter
// (q, r, b or n; none means queen). False when the text is no legal move of the side to move.
bool ParseTypedMove(const std::string& word, const ChessBoard& board, uint64_t* from, uint64_t* to,
                    char* promotion);

// Plays a move that ParseTypedMove accepted on MainBoard, with its castling rights; the side to move
// stays for the caller to flip.
void PlayCheckedMove(uint64_t from, uint64_t to, char promotion);

// Analysis mode as "analyze" and UCI_AnalyseMode switch it on: thinking output, no time control.
void EnterAnalysis(int32_t nodesPerSecond);
// Ends analysis mode and its thinking output, and gives back the time settings it replaced.
void LeaveAnalysis();

// A new game from the start position, as "new" and UCI's "position" begin it: history cleared, status
// reset, White to move, the interface to move first.
void ResetForNewGame();

// "quit" was given (or the input ended): the game loop ends.
bool QuitRequested();

// Everything a new game or a new position resets besides the board: the key history and the game record.
void StartNewPosition();
