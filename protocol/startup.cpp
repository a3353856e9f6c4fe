#include "protocol/startup.h"

#include "board/board.h"
#include "board/hashcode.h"
#include "search/book.h"

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
}
