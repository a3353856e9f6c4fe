#pragma once

// Entry points of the parts of the engine that are not built yet: the opening book, the search tables,
// the test-suite runner, the benchmarks and play. Each stands in for the real call at its place in
// start-up and the match loop, so that the offline modes that exist run exactly as they will.
namespace Pending {
void BuildBook();
// The pawn hash table and the transposition table, cleared before an xboard match.
void ClearHashTables();
// The pawn-hash counters and the history table, reset before every match.
void ResetMatchCounters();
void ParseEPDSuite(const char* path);
void Bench();
void Bench2();
// The console and xboard game loop.
void PlayGame();
// The UCI loop; true when another match is to follow.
bool UCIPrep(const char* word);
} // namespace Pending
