#include "board/bitmasks.h"
#include "board/board.h"

#include "board/attacktables.h"
#include "board/magics.h"

namespace {
using namespace BitMasks;

// One ray walked from b: each square reached is added; the walk ends after the first occupied square,
// after a square on the edge file it runs towards, or off the board. No edge file for north and south.
template <int Shift>
inline uint64_t Ray(uint64_t b, uint64_t occupied, uint64_t edge)
{
    uint64_t ray = 0;
    if (b & edge) return 0;
    uint64_t s = b;
    for (;;) {
        s = Shift > 0 ? s << Shift : s >> -Shift;
        if (!s) break;
        ray |= s;
        if (s & (occupied | edge)) break;
    }
    return ray;
}

inline uint64_t SouthEast(uint64_t b, uint64_t occ) { return Ray<-7>(b, occ, FileH); }
inline uint64_t SouthWest(uint64_t b, uint64_t occ) { return Ray<-9>(b, occ, FileA); }
inline uint64_t NorthWest(uint64_t b, uint64_t occ) { return Ray<7>(b, occ, FileA); }
inline uint64_t NorthEast(uint64_t b, uint64_t occ) { return Ray<9>(b, occ, FileH); }
inline uint64_t South(uint64_t b, uint64_t occ) { return Ray<-8>(b, occ, 0); }
inline uint64_t West(uint64_t b, uint64_t occ) { return Ray<-1>(b, occ, FileA); }
inline uint64_t East(uint64_t b, uint64_t occ) { return Ray<1>(b, occ, FileH); }
inline uint64_t North(uint64_t b, uint64_t occ) { return Ray<8>(b, occ, 0); }

inline uint64_t IfHits(uint64_t ray, uint64_t checkers) { return (ray & checkers) ? ray : 0; }

constexpr uint64_t KnightShifts(uint64_t b)
{
    uint64_t m = 0;
    if (!(b & FilesGH)) m |= b >> 6 | b << 10;
    if (!(b & FilesAB)) m |= b >> 10 | b << 6;
    if (!(b & FileH)) m |= b >> 15 | b << 17;
    if (!(b & FileA)) m |= b >> 17 | b << 15;
    return m;
}

constexpr uint64_t KingShifts(uint64_t b)
{
    uint64_t m = b << 8 | b >> 8;
    if (!(b & FileH)) m |= b << 9 | b >> 7 | b << 1;
    if (!(b & FileA)) m |= b << 7 | b >> 9 | b >> 1;
    return m;
}

constexpr Attacks::Tables BuildTables()
{
    Attacks::Tables t{};
    for (int sq = 0; sq < 64; sq++) {
        const int file = sq & 7, rank = sq >> 3;
        for (int other = 0; other < 64; other++) {
            if (other == sq) continue;
            const int f = other & 7, r = other >> 3;
            const uint64_t bit = 1ULL << other;
            if (r == rank || f == file) t.Orthogonals[sq] |= bit;
            else if (f - file == r - rank || f - file == rank - r) t.Diagonals[sq] |= bit;
        }
        t.Knight[sq] = KnightShifts(1ULL << sq);
        t.King[sq] = KingShifts(1ULL << sq);
    }
    return t;
}

// Room for every square's sets: 2 to the number of its blocker squares each, summed over the board.
constexpr int BishopSetCount = 5248, RookSetCount = 102400;
uint64_t SliderSets[BishopSetCount + RookSetCount];

// Every blocker pattern of every square, with the set the ray walk gives for it, put where its index
// points. The multipliers guarantee that patterns sharing an index share the set.
struct SliderTables {
    SliderTables()
    {
        uint64_t* next = SliderSets;
        const auto fill = [&next](Attacks::SliderIndex* index, const uint64_t* numbers, bool rook) {
            for (int sq = 0; sq < 64; sq++) {
                Attacks::SliderIndex& s = index[sq];
                s.Mask = Attacks::BlockerMask(sq, rook);
                s.Number = numbers[sq];
                s.Shift = static_cast<uint32_t>(64 - SimpleBitCount(s.Mask));
                s.Sets = next;
                uint64_t blockers = 0;
                do {
                    next[(blockers * s.Number) >> s.Shift] =
                        rook ? Attacks::WalkRook(1ULL << sq, blockers) : Attacks::WalkBishop(1ULL << sq, blockers);
                    blockers = (blockers - s.Mask) & s.Mask;
                } while (blockers);
                next += size_t{1} << (64 - s.Shift);
            }
        };
        fill(Attacks::BishopIndex, Magics::BishopNumbers, false);
        fill(Attacks::RookIndex, Magics::RookNumbers, true);
    }
};
} // namespace

const Attacks::Tables Attacks::Table = BuildTables();
Attacks::SliderIndex Attacks::BishopIndex[64];
Attacks::SliderIndex Attacks::RookIndex[64];

namespace {
// Filled before every other object of the program is set up, since some may ask for attack sets.
SliderTables FilledSliderTables __attribute__((init_priority(101)));
} // namespace

uint64_t Attacks::BlockerMask(int square, bool rook)
{
    const uint64_t bit = 1ULL << square;
    if (!rook) return Table.Diagonals[square] & ~(FileA | FileH | Rank1 | Rank8);
    const uint64_t rank = Rank1 << (square & 56), file = FileA << (square & 7);
    return ((rank & ~(FileA | FileH)) | (file & ~(Rank1 | Rank8))) & ~bit;
}

uint64_t Attacks::WalkBishop(uint64_t b, uint64_t occ)
{
    return SouthEast(b, occ) | SouthWest(b, occ) | NorthWest(b, occ) | NorthEast(b, occ);
}

uint64_t Attacks::WalkRook(uint64_t b, uint64_t occ)
{
    return South(b, occ) | West(b, occ) | East(b, occ) | North(b, occ);
}

uint64_t Attacks::ShiftKnight(uint64_t b)
{
    return KnightShifts(b);
}

uint64_t Attacks::ShiftKing(uint64_t b)
{
    return KingShifts(b);
}

uint64_t ChessBoard::BishopCheckMask(uint64_t king, uint64_t checkers) const
{
    return IfHits(SouthEast(king, AllPieces), checkers) | IfHits(SouthWest(king, AllPieces), checkers) |
           IfHits(NorthWest(king, AllPieces), checkers) | IfHits(NorthEast(king, AllPieces), checkers);
}

uint64_t ChessBoard::RookCheckMask(uint64_t king, uint64_t checkers) const
{
    return IfHits(South(king, AllPieces), checkers) | IfHits(West(king, AllPieces), checkers) |
           IfHits(East(king, AllPieces), checkers) | IfHits(North(king, AllPieces), checkers);
}

bool ChessBoard::IsAttacked(uint64_t square, char side) const
{
    if (Attacks::IsOneBit(square)) {
        // The same tests with table attack sets; only the answer matters, so the order is free. A slider
        // set is only computed when an enemy slider stands on one of the square's lines at all.
        const int sq = SquareOf(square);
        const bool white = side == 0;
        const uint64_t pawns = white ? BlackPawns : WhitePawns;
        const uint64_t pawnSquares = white ? WhitePawnAttacks(square) : BlackPawnAttacks(square);
        if (pawnSquares & pawns) return true;
        if (Attacks::Knight(sq) & (white ? BlackKnights : WhiteKnights)) return true;
        if (Attacks::King(sq) & (white ? BlackKing : WhiteKing)) return true;
        const uint64_t queens = white ? BlackQueens : WhiteQueens;
        const uint64_t diagonal = (white ? BlackBishops : WhiteBishops) | queens;
        if ((Attacks::Table.Diagonals[sq] & diagonal) && (Attacks::Bishop(sq, AllPieces) & diagonal)) return true;
        const uint64_t straight = (white ? BlackRooks : WhiteRooks) | queens;
        return (Attacks::Table.Orthogonals[sq] & straight) && (Attacks::Rook(sq, AllPieces) & straight);
    }
    if (side == 0) {
        if (!(square & FileA) && ((square << 7) & BlackPawns)) return true;
        if (!(square & FileH) && ((square << 9) & BlackPawns)) return true;
        if (KnightMask(square) & BlackKnights) return true;
        if (BishopMask(square) & (BlackBishops | BlackQueens)) return true;
        if (RookMask(square) & (BlackRooks | BlackQueens)) return true;
        return (KingMask(square) & BlackKing) != 0;
    }
    if (!(square & FileH) && ((square >> 7) & WhitePawns)) return true;
    if (!(square & FileA) && ((square >> 9) & WhitePawns)) return true;
    if (KnightMask(square) & WhiteKnights) return true;
    if (BishopMask(square) & (WhiteBishops | WhiteQueens)) return true;
    if (RookMask(square) & (WhiteRooks | WhiteQueens)) return true;
    return (KingMask(square) & WhiteKing) != 0;
}

int ChessBoard::RookAttackCount(uint64_t b) const
{
    uint64_t own = (b & (WhiteRooks | WhiteQueens)) ? WhitePieces : BlackPieces;
    return SimpleBitCount(RookMask(b) & ~own);
}

uint64_t ChessBoard::SouthAttacks(uint64_t g, uint64_t e)
{
    g |= e & (g >> 8);
    e &= e >> 8;
    g |= e & (g >> 16);
    e &= e >> 16;
    g |= e & (g >> 32);
    return g >> 8;
}

uint64_t ChessBoard::NorthAttacks(uint64_t g, uint64_t e)
{
    g |= e & (g << 8);
    e &= e << 8;
    g |= e & (g << 16);
    e &= e << 16;
    g |= e & (g << 32);
    return g << 8;
}
