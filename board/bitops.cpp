#include "board/bitops.h"

#include <cstdio>

const int32_t magictable[64] = {
    0,  1,  48, 2,  57, 49, 28, 3,  61, 58, 50, 42, 38, 29, 17, 4,
    62, 55, 59, 36, 53, 51, 43, 22, 45, 39, 33, 30, 24, 18, 12, 5,
    63, 47, 56, 27, 60, 41, 37, 16, 54, 35, 52, 21, 44, 32, 23, 11,
    46, 26, 40, 15, 34, 20, 31, 10, 25, 14, 19, 9,  13, 8,  7,  6,
};

int32_t RightMostBitTable(uint64_t b)
{
    uint64_t lowest = b & (0 - b);
    return magictable[(lowest * Somemagic) >> 58] + 1;
}

int32_t MybitScanForward(uint64_t b)
{
    int32_t n = 1;
    if ((b & 0xFFFFFFFFULL) == 0) { n += 32; b >>= 32; }
    if ((b & 0xFFFFULL) == 0) { n += 16; b >>= 16; }
    if ((b & 0xFFULL) == 0) { n += 8; b >>= 8; }
    if ((b & 0xFULL) == 0) { n += 4; b >>= 4; }
    if ((b & 0x3ULL) == 0) { n += 2; b >>= 2; }
    // Last step: bit 0 decides; an empty set falls through to 64.
    if ((b & 0x1ULL) == 0) n += 1;
    return n;
}

int32_t SimpleBitCountLoop(uint64_t b)
{
    int32_t n = 0;
    while (b) {
        b &= b - 1;
        n++;
    }
    return n;
}

int32_t MyLog2Smear(uint64_t b)
{
    b |= b >> 1;
    b |= b >> 2;
    b |= b >> 4;
    b |= b >> 8;
    b |= b >> 16;
    b |= b >> 32;
    uint32_t halves[2] = {static_cast<uint32_t>(b), static_cast<uint32_t>(b >> 32)};
    uint32_t bytes = 0;
    for (uint32_t x : halves) {
        x -= (x >> 1) & 0x55555555U;
        x = (x & 0x33333333U) + ((x >> 2) & 0x33333333U);
        x = (x + (x >> 4)) & 0x0F0F0F0FU;
        bytes += x;
    }
    return static_cast<int32_t>((bytes * 0x01010101U) >> 24) - 1;
}

void DisplayBit(int n, uint64_t b)
{
    fputs((b & SqBit(n)) ? "1 " : "- ", stdout);
}

void Displaybits(uint64_t b)
{
    printf("   A B C D E F G H\n\n");
    for (int rank = 7; rank >= 0; rank--) {
        printf("%d  ", rank + 1);
        for (int file = 0; file < 8; file++) DisplayBit(rank * 8 + file, b);
        printf(" %d\n", rank + 1);
    }
    printf("\n");
    printf("   A B C D E F G H\n");
    fflush(stdout);
}
