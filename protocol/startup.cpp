#include "protocol/startup.h"

#include "board/board.h"
#include "board/hashcode.h"
#include "protocol/humanmov.h"
#include "protocol/uciprotocol.h"
#include "search/book.h"
#include "search/compmov.h"

namespace {
// A word that arrives during a search goes to the protocol that runs it; a command that ends the turn
// (xboard, console) or stops the search (UCI) aborts it.
SearchInput HandleSearchInput(const char* word)
{
    const bool stops = MainStatus.UCIMode ? UCI.UCIPrep(word) == UCIStopsSearch : DoCommand(word) == CommandEndsTurn;
    return stops ? SearchInput::Abort : SearchInput::GoOn;
}
} // namespace

void EngineStartup()
{
    static bool done = false;
    if (done) return;
    done = true;
    MainStatus.initVars();
    MainStatus.xboard = 0;
    MainStatus.UCIMode = 0;
    MainBoard.InitRep();
    initPStable();
    buildbook();
    MainBoard.InitRep();
    MainStatus.initVars();
    // Counts must be current for the draw test of the first game.
    MainBoard.InitPieceCounts();
    Search.CommandHandler = HandleSearchInput;
}
