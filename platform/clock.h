#pragma once
#include <cstdint>

// Milliseconds of wall time since the process started. The engine's time control, perft speed and
// benchmark timings all read this clock; processor time would stop while the engine waits for input.
int32_t EngineClock();
