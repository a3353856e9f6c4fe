#include "board/board.h"

namespace {
constexpr uint64_t FileA = 0x0101010101010101ULL;
constexpr uint64_t FileB = FileA << 1;
constexpr uint64_t FileG = FileA << 6;
constexpr uint64_t FileH = FileA << 7;
constexpr uint64_t FilesAB = FileA | FileB;
constexpr uint64_t FilesGH = FileG | FileH;

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
} // namespace

uint64_t ChessBoard::KnightMask(uint64_t b)
{
    uint64_t m = 0;
    if (!(b & FilesGH)) m |= b >> 6 | b << 10;
    if (!(b & FilesAB)) m |= b >> 10 | b << 6;
    if (!(b & FileH)) m |= b >> 15 | b << 17;
    if (!(b & FileA)) m |= b >> 17 | b << 15;
    return m;
}

uint64_t ChessBoard::KingMask(uint64_t b)
{
    uint64_t m = b << 8 | b >> 8;
    if (!(b & FileH)) m |= b << 9 | b >> 7 | b << 1;
    if (!(b & FileA)) m |= b << 7 | b >> 9 | b >> 1;
    return m;
}

uint64_t ChessBoard::BishopMask(uint64_t b) const
{
    return SouthEast(b, AllPieces) | SouthWest(b, AllPieces) | NorthWest(b, AllPieces) | NorthEast(b, AllPieces);
}

uint64_t ChessBoard::RookMask(uint64_t b) const
{
    return South(b, AllPieces) | West(b, AllPieces) | East(b, AllPieces) | North(b, AllPieces);
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
