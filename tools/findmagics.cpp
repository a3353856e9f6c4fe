// Finds the multipliers of board/magics.cpp: for each square and slider, the first sparse random number
// (a fixed xorshift sequence, so every run finds the same ones) that sends every blocker pattern of the
// square to an index of its own, or to one holding the same attack set. Prints the two tables as C++.
// Build and run: cmake --build build --target findmagics && build/findmagics
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "board/attacktables.h"

namespace {
uint64_t State = 0x9E3779B97F4A7C15ULL;

uint64_t Next()
{
    State ^= State >> 12;
    State ^= State << 25;
    State ^= State >> 27;
    return State * 2685821657736338717ULL;
}

uint64_t Find(int square, bool rook)
{
    const uint64_t mask = Attacks::BlockerMask(square, rook);
    const int bits = __builtin_popcountll(mask);
    std::vector<uint64_t> blockers, sets;
    uint64_t sub = 0;
    do {
        blockers.push_back(sub);
        sets.push_back(rook ? Attacks::WalkRook(1ULL << square, sub) : Attacks::WalkBishop(1ULL << square, sub));
        sub = (sub - mask) & mask;
    } while (sub);
    std::vector<uint64_t> table(size_t{1} << bits);
    std::vector<uint32_t> used(size_t{1} << bits, 0);
    for (uint32_t attempt = 1;; attempt++) {
        const uint64_t number = Next() & Next() & Next();
        // Too few bits in the top byte spreads the patterns too little to be worth testing.
        if (__builtin_popcountll((mask * number) >> 56) < 6) continue;
        bool ok = true;
        for (size_t i = 0; i < blockers.size() && ok; i++) {
            const uint64_t index = (blockers[i] * number) >> (64 - bits);
            if (used[index] != attempt) {
                used[index] = attempt;
                table[index] = sets[i];
            } else if (table[index] != sets[i]) {
                ok = false;
            }
        }
        if (ok) return number;
    }
}

void Print(const char* name, bool rook)
{
    printf("constexpr uint64_t %s[64] = {\n", name);
    for (int sq = 0; sq < 64; sq++)
        printf("%s0x%016" PRIX64 "ULL,%s", sq % 4 == 0 ? "    " : " ", Find(sq, rook), sq % 4 == 3 ? "\n" : "");
    printf("};\n");
}
} // namespace

int main()
{
    Print("BishopNumbers", false);
    Print("RookNumbers", true);
    return 0;
}
