#include "protocol/pending.h"

#include <cstdio>
#include <cstring>

#include "eval/pawnhash.h"
#include "search/compmov.h"

namespace {
void NotYet(const char* what)
{
    printf("ERROR: %s is not available in this build\n", what);
    fflush(stdout);
}
} // namespace

void Pending::BuildBook() {}

// The transposition table joins this when the search lands.
void Pending::ClearHashTables()
{
    ClearPawnHash();
}

void Pending::ResetMatchCounters()
{
    Phashattempts = 0;
    Phashmisses = 0;
    std::memset(Search.History, 0, sizeof Search.History);
}

void Pending::ParseEPDSuite(const char*)
{
    NotYet("the test-suite runner");
}

void Pending::Bench()
{
    NotYet("the benchmark");
}

void Pending::Bench2()
{
    NotYet("the benchmark");
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
