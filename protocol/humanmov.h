#pragma once

// Runs one console or xboard word: 0 it is a move, 2 leave the turn (a running search aborts), 3 quit,
// 4 handled.
int DoCommand(const char* word);
