#pragma once
#include <cstdint>

// Milliseconds of wall time since the process started. The engine's time control, perft speed and
// benchmark timings all read this clock; processor time would stop while the engine waits for input.
int32_t EngineClock();

// Gives the processor away for about `ms` milliseconds: a wait for input that must not spin.
void SleepMilliseconds(int32_t ms);
