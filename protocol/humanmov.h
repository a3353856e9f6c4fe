#pragma once
#include <cstdint>

// Console and xboard commands: the command interpreter, the interface's turn and the engine's move
// announcement. The board edit mode has its own header, protocol/editmode.h.

// What DoCommand tells its caller.
enum CommandResult : int {
    CommandIsMove = 0,   // the word is a move in coordinates; nothing has been done yet
    CommandEndsTurn = 2, // the turn ends: the game loop goes back to its top and a running search aborts
    CommandQuits = 3,
    CommandHandled = 4, // done (or ignored): read the next word
};

// Runs one console or xboard word; arguments are read from standard input by the command itself.
int DoCommand(const char* word);

// The interface's turn: reads words until a legal move is made on MainBoard (CommandIsMove, or the draw
// result FiftyMoveDraw once the half-move clock has passed 99) or a command ends the turn (CommandEndsTurn
// or CommandQuits).
int HumanMove();

// Announces the engine's move in xboard mode and logs it.
void MakeGUIMove(uint64_t from, uint64_t to, char promotion, int score);

// "quit" was given (or the input ended): the game loop ends.
bool QuitRequested();
