#include "protocol/pending.h"

#include <cstdio>
#include <cstring>

#include "eval/pawnhash.h"
#include "board/movetext.h"
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

