#include "protocol/pending.h"

#include <cstdio>

namespace {
void NotYet(const char* what)
{
    printf("ERROR: %s is not available in this build\n", what);
    fflush(stdout);
}
} // namespace

void Pending::BuildBook() {}

void Pending::ClearHashTables() {}

void Pending::ResetMatchCounters() {}

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
