#pragma once

// Entry points of the parts of the engine that are not built yet: the test-suite runner. Each
// stands in for the real call at its place in the match loop, so that the offline modes that exist run
// exactly as they will.
namespace Pending {
// The pawn-hash counters and the history table, reset before every match.
void ResetMatchCounters();
void ParseEPDSuite(const char* path);
} // namespace Pending
