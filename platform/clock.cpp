#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace {
// Taken during static initialisation, so it is as close to process start as the program can get.
const std::chrono::steady_clock::time_point ProcessStart = std::chrono::steady_clock::now();
}

int32_t EngineClock()
{
    auto elapsed = std::chrono::steady_clock::now() - ProcessStart;
    return static_cast<int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void SleepMilliseconds(int32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
