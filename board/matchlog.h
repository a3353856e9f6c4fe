#pragma once
#include <cstdio>

// The match log "match.log": one line per entry, each flushed at once. Only the program opens it, so
// tests and benchmarks write nothing; until it is open, entries go nowhere.
extern FILE* dlog;
void OpenLogFile();
// Writes the text, then a newline; a text that ends with a newline is followed by an empty line.
void WriteLogFile(const char* text);
void CloseLogFile();
