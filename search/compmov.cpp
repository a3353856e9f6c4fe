#include "search/compmov.h"

SearchRoutines Search;
