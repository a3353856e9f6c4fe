#pragma once
#include <cstdint>
#include <cstdlib>

#include "board/bitmasks.h"
#include "board/bitops.h"
#include "board/board.h"

// Square sets and square arithmetic the evaluation terms test against, on top of the board's constants.
namespace evalmask {
using namespace BitMasks;
inline constexpr uint64_t FilesBtoG = ~(FileA | FileH);
inline constexpr uint64_t Centre = 0x0000001818000000ULL; // d4, e4, d5, e5

constexpr uint64_t Bit(int file, int rank) { return 1ULL << (rank * 8 + file); }

// Files f - 1 and f + 1 where they exist.
inline uint64_t AdjacentFiles(int file)
{
    uint64_t f = FileA << file;
    return ((f & ~FileH) << 1) | ((f & ~FileA) >> 1);
}

// The three king files: f - 1, f, f + 1, pulled inwards on the edges (a-file king: a, b, c).
inline uint64_t KingFiles(int file)
{
    int centre = file == 0 ? 1 : file == 7 ? 6 : file;
    return (FileA | FileB | FileC) << (centre - 1);
}

// Ranks strictly above / strictly below / at or below rank index r (0 = rank 1).
inline uint64_t RanksAbove(int r) { return (~0ULL << (8 * r)) << 8; }
inline uint64_t RanksBelow(int r) { return (1ULL << (8 * r)) - 1; }
inline uint64_t RanksUpTo(int r) { return ~0ULL >> (8 * (7 - r)); }
inline uint64_t RanksFrom(int r) { return ~0ULL << (8 * r); }

// Colour-relative forms, for terms written once for both colours: Side 0 is White, whose pawns move up
// the board, Side 1 Black. Side is a template argument, so each choice folds away at compile time.

// Rank index counted from the side's own first rank.
template <int Side> constexpr int RelativeRank(int r) { return Side == 0 ? r : 7 - r; }

// One rank towards the enemy.
template <int Side> constexpr uint64_t Forward(uint64_t b) { return Side == 0 ? b << 8 : b >> 8; }

template <int Side> constexpr uint64_t PawnAttacks(uint64_t pawns)
{
    return Side == 0 ? WhitePawnAttacks(pawns) : BlackPawnAttacks(pawns);
}

// Ranks strictly ahead of / strictly behind / level with or behind / level with or ahead of rank index r.
template <int Side> uint64_t RanksAhead(int r) { return Side == 0 ? RanksAbove(r) : RanksBelow(r); }
template <int Side> uint64_t RanksBehind(int r) { return Side == 0 ? RanksBelow(r) : RanksAbove(r); }
template <int Side> uint64_t RanksLevelOrBehind(int r) { return Side == 0 ? RanksUpTo(r) : RanksFrom(r); }
template <int Side> uint64_t RanksLevelOrAhead(int r) { return Side == 0 ? RanksFrom(r) : RanksUpTo(r); }

// The side's piece sets.
template <int Side> uint64_t PawnsOf(const ChessBoard& b) { return Side == 0 ? b.WhitePawns : b.BlackPawns; }
template <int Side> uint64_t KnightsOf(const ChessBoard& b) { return Side == 0 ? b.WhiteKnights : b.BlackKnights; }
template <int Side> uint64_t BishopsOf(const ChessBoard& b) { return Side == 0 ? b.WhiteBishops : b.BlackBishops; }
template <int Side> uint64_t RooksOf(const ChessBoard& b) { return Side == 0 ? b.WhiteRooks : b.BlackRooks; }
template <int Side> uint64_t QueensOf(const ChessBoard& b) { return Side == 0 ? b.WhiteQueens : b.BlackQueens; }
template <int Side> uint64_t KingOf(const ChessBoard& b) { return Side == 0 ? b.WhiteKing : b.BlackKing; }
template <int Side> uint64_t PiecesOf(const ChessBoard& b) { return Side == 0 ? b.WhitePieces : b.BlackPieces; }
} // namespace evalmask
