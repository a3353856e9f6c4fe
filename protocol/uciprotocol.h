#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/flavour.h"

enum UCIState : uint8_t { WAITING = 0, SEARCHING = 1, PONDERING = 2, INFINITE = 3 };

// What the UCI loop returns with: a search it runs on top of goes on (or the match loop starts the next
// match), or the search stops.
enum UCIResult : int { UCIGoesOn = 1, UCIStopsSearch = 2 };

// The UCI protocol. UCIPrep hands a command text to the loop UCICore, which dispatches it and, while
// it waits between searches, reads the next line itself. A word read by the search's input poll comes
// in the same way, as a nested pass on top of the running search.
class UCIProtocol {
public:
    std::string CommandLine;
    int FromSquare = 0;
    int ToSquare = 0;
    char Promote = 0;
    char ToMove = 0;
    uint8_t State = WAITING;
    uint64_t FromMask = 0;
    uint64_t ToMask = 0;
    const char* Version = OrvexVersion;
    uint8_t Active = 1;
    uint8_t PonderOption = 0;
    // Print "info currmove" lines in long searches.
    uint8_t ShowCurrLine = 1;

    // Takes a command text and returns a UCIResult; "quit" ends the process.
    int UCIPrep(const char* text);
    int UCICore();
    // Plays a move list on MainBoard; the number of moves made. The list may hold any byte, a NUL too.
    int ProcessMoves(std::string_view list);
    // Plays one move given as text; false when it is no legal move of the position.
    bool MakeMoves(const std::string& move);

private:
    void Identify();
    void Position();
    void Go();
    void SetOption();
    void NewGame();
};

extern UCIProtocol UCI;
