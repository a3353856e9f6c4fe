#include <gtest/gtest.h>

#include "board/attacktables.h"
#include "fixture.h"

namespace {
struct Random64 {
    uint64_t s = 0x9E3779B97F4A7C15ULL;
    uint64_t Next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return s;
    }
    // About one square in eight.
    uint64_t Sparse() { return Next() & Next() & Next(); }
};

// The shift forms of the knight and king sets, square by square.
uint64_t KnightReference(int sq)
{
    uint64_t m = 0;
    const int f = sq & 7, r = sq >> 3;
    const int steps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
    for (auto& s : steps)
        if (f + s[0] >= 0 && f + s[0] < 8 && r + s[1] >= 0 && r + s[1] < 8) m |= SqBit((r + s[1]) * 8 + f + s[0]);
    return m;
}

uint64_t KingReference(int sq)
{
    uint64_t m = 0;
    const int f = sq & 7, r = sq >> 3;
    for (int df = -1; df <= 1; df++)
        for (int dr = -1; dr <= 1; dr++)
            if ((df || dr) && f + df >= 0 && f + df < 8 && r + dr >= 0 && r + dr < 8) m |= SqBit((r + dr) * 8 + f + df);
    return m;
}

TEST(AttackTables, SliderSetsEqualTheRayWalkOnRandomBoards)
{
    Random64 rng;
    ChessBoard b{};
    for (int round = 0; round < 400; round++) {
        const uint64_t occupied = round == 0 ? 0 : rng.Sparse() | (round & 1 ? rng.Sparse() : 0);
        for (int sq = 0; sq < 64; sq++) {
            // With and without the slider's own square in the occupancy.
            for (uint64_t occ : {occupied, occupied | SqBit(sq)}) {
                b.AllPieces = occ;
                ASSERT_EQ(b.BishopMask(SqBit(sq)), Attacks::WalkBishop(SqBit(sq), occ)) << sq << " " << occ;
                ASSERT_EQ(b.RookMask(SqBit(sq)), Attacks::WalkRook(SqBit(sq), occ)) << sq << " " << occ;
            }
        }
    }
}

// Every blocker pattern of every square, and any occupancy beyond the blockers, gives the walked set;
// the squares' tables follow one another without overlap.
TEST(AttackTables, SliderTablesHoldTheWalkForEveryBlockerPattern)
{
    Random64 rng;
    size_t sets = 0;
    for (bool rook : {false, true}) {
        const Attacks::SliderIndex* index = rook ? Attacks::RookIndex : Attacks::BishopIndex;
        for (int sq = 0; sq < 64; sq++) {
            const uint64_t mask = index[sq].Mask;
            ASSERT_EQ(mask, Attacks::BlockerMask(sq, rook));
            ASSERT_EQ(mask & SqBit(sq), 0u);
            ASSERT_EQ(index[sq].Sets, Attacks::BishopIndex[0].Sets + sets) << sq;
            sets += size_t{1} << SimpleBitCount(mask);
            uint64_t blockers = 0;
            do {
                // Squares off the mask (the slider's own among them) never change the set.
                const uint64_t occupied = blockers | (rng.Next() & ~mask);
                const uint64_t walked = rook ? Attacks::WalkRook(SqBit(sq), blockers)
                                             : Attacks::WalkBishop(SqBit(sq), blockers);
                ASSERT_EQ(rook ? Attacks::Rook(sq, blockers) : Attacks::Bishop(sq, blockers), walked) << sq;
                ASSERT_EQ(rook ? Attacks::Rook(sq, occupied) : Attacks::Bishop(sq, occupied), walked) << sq;
                blockers = (blockers - mask) & mask;
            } while (blockers);
        }
    }
    EXPECT_EQ(sets, size_t{5248 + 102400});
    EXPECT_EQ(SimpleBitCount(Attacks::BlockerMask(0, true)), 12);
    EXPECT_EQ(SimpleBitCount(Attacks::BlockerMask(27, true)), 10);
    EXPECT_EQ(SimpleBitCount(Attacks::BlockerMask(27, false)), 9);
}

TEST(AttackTables, KnightAndKingSetsAndOddArguments)
{
    for (int sq = 0; sq < 64; sq++) {
        EXPECT_EQ(ChessBoard::KnightMask(SqBit(sq)), KnightReference(sq)) << sq;
        EXPECT_EQ(ChessBoard::KingMask(SqBit(sq)), KingReference(sq)) << sq;
    }
    EXPECT_EQ(ChessBoard::KnightMask(Sq("a1")), Sq("b3") | Sq("c2"));
    EXPECT_EQ(ChessBoard::KnightMask(Sq("h8")), Sq("g6") | Sq("f7"));
    EXPECT_EQ(ChessBoard::KingMask(Sq("a1")), Sq("a2") | Sq("b1") | Sq("b2"));

    // An empty set attacks nothing; a set of several squares gets the walk of the whole set.
    ChessBoard b = BoardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(b.BishopMask(0), 0u);
    EXPECT_EQ(b.RookMask(0), 0u);
    EXPECT_EQ(ChessBoard::KnightMask(0), 0u);
    EXPECT_EQ(ChessBoard::KingMask(0), 0u);
    EXPECT_FALSE(b.IsAttacked(0, 0));
    const uint64_t two = Sq("c4") | Sq("f5");
    EXPECT_EQ(b.BishopMask(two), Attacks::WalkBishop(two, b.AllPieces));
    EXPECT_EQ(b.RookMask(two), Attacks::WalkRook(two, b.AllPieces));

    EXPECT_EQ(b.RookMask(Sq("a1")), Sq("a2") | Sq("b1")) << "own blockers are included";
    b.AllPieces = 0;
    EXPECT_EQ(SimpleBitCount(b.RookMask(Sq("a1"))), 14);
    EXPECT_EQ(SimpleBitCount(b.BishopMask(Sq("d4"))), 13);
}

// The attack test, written out from the ray walk, against the engine's on random positions.
bool AttackedReference(const ChessBoard& b, int sq, char side)
{
    const uint64_t s = SqBit(sq), fileA = 0x0101010101010101ULL, fileH = fileA << 7;
    const bool white = side == 0;
    const uint64_t pawns = white ? b.BlackPawns : b.WhitePawns;
    const uint64_t pawnFrom = white ? ((s & ~fileA) << 7 | (s & ~fileH) << 9) : ((s & ~fileH) >> 7 | (s & ~fileA) >> 9);
    if (pawnFrom & pawns) return true;
    if (KnightReference(sq) & (white ? b.BlackKnights : b.WhiteKnights)) return true;
    if (Attacks::WalkBishop(s, b.AllPieces) &
        (white ? b.BlackBishops | b.BlackQueens : b.WhiteBishops | b.WhiteQueens))
        return true;
    if (Attacks::WalkRook(s, b.AllPieces) & (white ? b.BlackRooks | b.BlackQueens : b.WhiteRooks | b.WhiteQueens))
        return true;
    return (KingReference(sq) & (white ? b.BlackKing : b.WhiteKing)) != 0;
}

TEST(AttackTables, AttackTestAgreesWithTheWalkOnRandomPositions)
{
    Random64 rng;
    for (int round = 0; round < 300; round++) {
        ChessBoard b{};
        uint64_t* boards[12] = {&b.WhitePawns, &b.WhiteBishops, &b.WhiteKnights, &b.WhiteRooks,
                                &b.WhiteQueens, &b.WhiteKing,  &b.BlackPawns,  &b.BlackBishops,
                                &b.BlackKnights, &b.BlackRooks, &b.BlackQueens, &b.BlackKing};
        uint64_t used = 0;
        for (uint64_t* board : boards) {
            *board = rng.Sparse() & rng.Next() & ~used;
            used |= *board;
        }
        b.RecountOccupancy();
        for (int sq = 0; sq < 64; sq++)
            for (char side = 0; side < 2; side++)
                ASSERT_EQ(b.IsAttacked(SqBit(sq), side), AttackedReference(b, sq, side)) << round << " " << sq;
    }
}
} // namespace
