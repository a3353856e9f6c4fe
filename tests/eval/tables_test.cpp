#include <gtest/gtest.h>

#include "eval/poseval.h"

namespace {
struct MirrorPair {
    const char* name;
    const int32_t* white;
    const int32_t* black;
};

// Black's tables are White's seen from the other side: a1 and a8 swap, e4 and e5 swap. The colour-free
// end-game tables are their own mirror.
TEST(EvalTables, BlackTablesMirrorWhite)
{
    const MirrorPair pairs[] = {
        {"pawn", WPawnSquare, BPawnSquare},       {"knight", WKnightSquare, BKnightSquare},
        {"outpost", WKnightPost, BKnightPost},    {"bishop", WBishopSquare, BBishopSquare},
        {"king", WKingSquare, BKingSquare},       {"knight ending", KnightEnding, KnightEnding},
        {"bishop ending", BishopEnding, BishopEnding}, {"king ending", KingEnding, KingEnding},
    };
    for (const MirrorPair& p : pairs)
        for (int sq = 0; sq < 64; sq++) EXPECT_EQ(p.black[sq], p.white[sq ^ 56]) << p.name << " square " << sq;
}

TEST(EvalTables, SpotValues)
{
    struct Entry {
        const char* name;
        int32_t value, expected;
    } entries[] = {
        {"QueenMobility[21]", QueenMobility[21], 280},   {"QueenMobility[27]", QueenMobility[27], 280},
        {"QueenMobility[0]", QueenMobility[0], -140},    {"QueenMobility[29]", QueenMobility[29], 0},
        {"BishopMobility[13]", BishopMobility[13], 90},  {"BishopMobility[6]", BishopMobility[6], 60},
        {"KnightMobility[8]", KnightMobility[8], 120},   {"RookMobility[0]", RookMobility[0], -220},
        {"RookMobility[14]", RookMobility[14], 240},     {"KnightEnding d4", KnightEnding[27], 150},
        {"KnightEnding c3", KnightEnding[18], 50},       {"KnightEnding b7", KnightEnding[49], -50},
        {"KnightEnding h5", KnightEnding[39], -250},     {"WKingSquare g1", WKingSquare[6], 210},
        {"WKingSquare f2", WKingSquare[13], -120},       {"WKingSquare c2", WKingSquare[10], -100},
        {"WPawnSquare e4", WPawnSquare[28], 187},        {"WPawnSquare g3", WPawnSquare[22], 3},
        {"WKnightPost d6", WKnightPost[43], 160},        {"Majorson7[10]", Majorson7[10], 1500},
        {"Majorson7[11]", Majorson7[11], 0},             {"OpenFileControl d", OpenFileControl[3], 200},
        {"Passers[6]", Passers[6], 1100},                {"ConnectedPassers[3]", ConnectedPassers[3], 180},
    };
    for (const Entry& e : entries) EXPECT_EQ(e.value, e.expected) << e.name;
}

TEST(EvalTables, ConstructorMasks)
{
    const uint64_t fileA = 0x0101010101010101ULL;
    for (int sq = 0; sq < 64; sq++) {
        const int f = sq & 7;
        EXPECT_EQ(PE.FileMaskExcl[sq], (fileA << f) & ~(1ULL << sq)) << sq;
        if (f == 0) {
            EXPECT_EQ(PE.AdjacentFilesMask[sq], fileA << 1) << sq;
        }
        if (f == 7) {
            EXPECT_EQ(PE.AdjacentFilesMask[sq], fileA << 6) << sq;
        }
        if (sq >= 56) {
            EXPECT_EQ(PE.WPassedSpan[sq], 0u) << sq;
        }
        if (sq < 8) {
            EXPECT_EQ(PE.BPassedSpan[sq], 0u) << sq;
        }
    }
    // e4: files d-f from rank 5 up; d-f below rank 4; d and f files on ranks 3 to 5.
    EXPECT_EQ(PE.WPassedSpan[28], 0x3838383800000000ULL);
    EXPECT_EQ(PE.BPassedSpan[28], 0x0000000000383838ULL);
    EXPECT_EQ(PE.NeighbourMask[28], 0x0000002828280000ULL);
    // a1: only the b-file, ranks 1 and 2.
    EXPECT_EQ(PE.NeighbourMask[0], 0x0202ULL);
}
} // namespace
