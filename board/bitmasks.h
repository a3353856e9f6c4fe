#pragma once
#include <cstdint>

// Named squares, ranks and files as bitboards, for code that needs them as compile-time constants.
namespace BitMasks {
inline constexpr uint64_t FileA = 0x0101010101010101ULL;
inline constexpr uint64_t FileH = FileA << 7;
inline constexpr uint64_t Rank1 = 0xFFULL;
inline constexpr uint64_t Rank2 = Rank1 << 8;
inline constexpr uint64_t Rank4 = Rank1 << 24;
inline constexpr uint64_t Rank5 = Rank1 << 32;
inline constexpr uint64_t Rank7 = Rank1 << 48;
inline constexpr uint64_t Rank8 = Rank1 << 56;

inline constexpr uint64_t A1 = 1ULL << 0, B1 = 1ULL << 1, C1 = 1ULL << 2, D1 = 1ULL << 3, E1 = 1ULL << 4,
                          F1 = 1ULL << 5, G1 = 1ULL << 6, H1 = 1ULL << 7;
inline constexpr uint64_t A8 = 1ULL << 56, B8 = 1ULL << 57, C8 = 1ULL << 58, D8 = 1ULL << 59, E8 = 1ULL << 60,
                          F8 = 1ULL << 61, G8 = 1ULL << 62, H8 = 1ULL << 63;
} // namespace BitMasks
