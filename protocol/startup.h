#pragma once

// The engine's start-up, shared by the program, the tests and the benchmarks: the status record, the
// start position, the position-key tables and the opening book, in the order the program needs them,
// with MainBoard's piece counts current. The key tables come from one random stream, so only the first
// call of a process does anything. The match log is not opened here: only the program writes
// match.log, so tests and benchmarks never leave one in their working directory.
void EngineStartup();
