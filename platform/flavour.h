#pragma once
#include <cstdint>

// The only differences between the 64-bit program orvex and the 32-bit program orvex32.
#if defined(ORVEX_32BIT)
inline constexpr const char OrvexVersion[] = "1.005.2 w32";
inline constexpr int32_t StartNodesPerSecond = 200004;
inline constexpr int32_t InfiniteNodesPerSecond = 200003;
inline constexpr int32_t NewGameNodesPerSecond = 200004;
#else
inline constexpr const char OrvexVersion[] = "1.005.2 w64";
inline constexpr int32_t StartNodesPerSecond = 1200000;
inline constexpr int32_t InfiniteNodesPerSecond = 800000;
inline constexpr int32_t NewGameNodesPerSecond = 800000;
#endif
