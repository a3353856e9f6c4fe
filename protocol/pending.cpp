#include "protocol/pending.h"

#include <cstdio>
#include <cstring>

#include "eval/pawnhash.h"
#include "board/movetext.h"
#include "protocol/humanmov.h"
#include "protocol/uciprotocol.h"
#include "search/compmov.h"

namespace {
void NotYet(const char* what)
{
    printf("ERROR: %s is not available in this build\n", what);
    fflush(stdout);
}
} // namespace

void Pending::ResetMatchCounters()
{
    Phashattempts = 0;
    Phashmisses = 0;
    Search.ClearHistory();
}

void Pending::ParseEPDSuite(const char*)
{
    NotYet("the test-suite runner");
}

void Pending::PlayGame()
{
    NotYet("play");
}

bool Pending::UCIPrep(const char*)
{
    NotYet("the UCI protocol");
    return false;
}

UCIProtocol UCI;

// Until the console and xboard commands exist, a word handed over during a search is only logged; at
// the end of input the engine has nothing left to do.
int DoCommand(const char* word)
{
    WriteLogFile(word);
    return word[0] == '\0' || std::strcmp(word, "quit") == 0 ? 3 : 4;
}

int UCIProtocol::UCIPrep(const char* word)
{
    WriteLogFile(word);
    return 4;
}
