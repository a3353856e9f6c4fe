#include <csignal>
#include <cstdio>

#include "board/board.h"
#include "board/hashcode.h"
#include "board/movetext.h"

int main(int, char**)
{
    printf("Orvex \n");
    MainStatus.initVars();
    MainBoard.InitRep();
    initPStable();
    MainBoard.InitRep();
    MainStatus.initVars();
    MainBoard.InitPieceCounts();
    OpenLogFile();
    signal(SIGINT, SIG_IGN);
    setvbuf(stdin, nullptr, _IONBF, 0);
    setvbuf(stdout, nullptr, _IONBF, 0);
    MainBoard.DisplayBoard();
    CloseLogFile();
    return 0;
}
