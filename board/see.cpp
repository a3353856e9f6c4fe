#include "board/see.h"

#include <cstdio>
#include <cstdlib>

#include "board/bitmasks.h"
#include "board/piecevalues.h"

using namespace BitMasks;

constinit SEE see;

namespace {
// Gains are kept in 16 bits, so a king (KingValue 1000000) enters the list as 16960.
inline int16_t Gain16(int32_t v)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v)));
}

// One entry per capture; an exchange can never use more captures than there are pieces.
constexpr int MaxGains = 128;

inline bool DirectionInRange(int d)
{
    return d >= -9 && d <= 9;
}
} // namespace

uint64_t SEE::SquareAttacksDefences(uint64_t square)
{
    const ChessBoard& b = *Board;
    uint64_t attackers = b.RookMask(square) & (b.WhiteRooks | b.WhiteQueens | b.BlackRooks | b.BlackQueens);
    attackers |= b.BishopMask(square) & (b.WhiteBishops | b.WhiteQueens | b.BlackBishops | b.BlackQueens);
    attackers |= ChessBoard::KnightMask(square) & (b.WhiteKnights | b.BlackKnights);
    // A White pawn attacks the square from where a Black pawn on it would attack, and the other way round.
    attackers |= BlackPawnAttacks(square) & b.WhitePawns;
    attackers |= WhitePawnAttacks(square) & b.BlackPawns;
    attackers |= ChessBoard::KingMask(square) & (b.WhiteKing | b.BlackKing);
    return attackers;
}

int SEE::LVP(char side, uint64_t attackers)
{
    const ChessBoard& b = *Board;
    const bool white = side == 0;
    const uint64_t kinds[6] = {
        white ? b.WhitePawns : b.BlackPawns,     white ? b.WhiteKnights : b.BlackKnights,
        white ? b.WhiteBishops : b.BlackBishops, white ? b.WhiteRooks : b.BlackRooks,
        white ? b.WhiteQueens : b.BlackQueens,   white ? b.WhiteKing : b.BlackKing,
    };
    for (uint64_t kind : kinds)
        if (kind & attackers) return SquareOf(kind & attackers);
    return -1;
}

uint64_t SEE::AddXrayAttacker(uint64_t attackers, int square, int direction)
{
    // A step onto the guard file has wrapped round the board's edge.
    uint64_t guard;
    bool straight;
    switch (direction) {
    case 1: guard = FileA; straight = true; break;
    case -1: guard = FileH; straight = true; break;
    case 8: case -8: guard = 0; straight = true; break;
    case 9: case -7: guard = FileA; straight = false; break;
    case 7: case -9: guard = FileH; straight = false; break;
    default:
        printf("ERROR: dir not in range. dir = %d\n", direction);
        fflush(stdout);
        exit(0);
    }
    const ChessBoard& b = *Board;
    int sq = square & 63;
    for (;;) {
        const int next = sq + direction;
        if (next < 0 || next > 63) return attackers;
        const uint64_t bit = SqBit(next);
        if (bit & guard) return attackers;
        if (!(bit & b.AllPieces)) {
            sq = next;
            continue;
        }
        const uint64_t sliders = straight
            ? (b.WhiteRooks | b.WhiteQueens | b.BlackRooks | b.BlackQueens)
            : (b.WhiteBishops | b.WhiteQueens | b.BlackBishops | b.BlackQueens);
        if (bit & sliders) attackers ^= bit;
        return attackers;
    }
}

int SEE::StaticExchangeEvaluation(char side, uint64_t from, uint64_t to, ChessBoard* board)
{
    Board = board;
    const int f = SquareOf(from), t = SquareOf(to);
    uint64_t attackers = SquareAttacksDefences(to) ^ from;

    int16_t gain[MaxGains];
    gain[0] = Gain16(CapturedPieceValue(side ^ 1, to, board));
    int32_t current = CapturedPieceValue(side, from, board);

    int d = Direction[t][f];
    if (!DirectionInRange(d)) {
        printf("ERROR: Location #1\n");
        printf("ERROR: dir > 10: dir = %d to = %d from = %d\n", d, t, f);
        fflush(stdout);
        exit(0);
    }
    if (d != 0) attackers = AddXrayAttacker(attackers, f, d);

    char mover = side;
    int s = LVP(mover, attackers);
    int n = 1;
    while (s >= 0 && n < MaxGains) {
        gain[n] = Gain16(current - gain[n - 1]);
        mover ^= 1;
        const uint64_t bit = SqBit(s);
        current = CapturedPieceValue(mover, bit, board);
        attackers ^= bit;
        d = Direction[t][s];
        if (!DirectionInRange(d)) {
            printf("ERROR: Location #2\n");
            printf("ERROR: dir > 10: dir = %d to = %d from = %d\n", d, t, s);
            fflush(stdout);
        }
        if (d != 0) attackers = AddXrayAttacker(attackers, s, d);
        s = LVP(mover, attackers);
        n++;
    }

    // Each side may stop where going on would be worse for it.
    for (int k = n - 1; k >= 1; k--)
        if (int32_t(gain[k]) > -int32_t(gain[k - 1])) gain[k - 1] = Gain16(-int32_t(gain[k]));
    return gain[0];
}
