#include "board/piecevalues.h"
#include "eval/evalmasks.h"
#include "eval/poseval.h"

using namespace evalmask;

namespace {
int32_t Material(const int32_t* c)
{
    return c[CountQueens] * QueenValue + c[CountRooks] * RookValue +
           (c[CountBishops] + c[CountKnights]) * MinorValue + c[CountPawns] * PawnValue;
}

bool NoPieces(const int32_t* c)
{
    return c[CountQueens] == 0 && c[CountRooks] == 0 && c[CountBishops] == 0 && c[CountKnights] == 0;
}

// Exactly one piece of the kind at `index` and nothing else, not even a pawn.
bool LoneMinor(const int32_t* c, int index)
{
    return c[index] == 1 && c[CountPawns] == 0 && c[CountQueens] + c[CountRooks] + c[CountBishops] +
                                                          c[CountKnights] == 1;
}

// Doubled pawns hurt more the fewer heavy pieces their owner has to make use of the open lines.
int32_t DoubledWeight(const int32_t* c)
{
    if (c[CountQueens] > 0 || c[CountRooks] >= 2) return 62;
    if (c[CountRooks] == 1) return 125;
    return 190;
}

constexpr uint64_t S(int file, int rank) { return Bit(file, rank); }
constexpr int a = 0, b = 1, c = 2, f = 5, g = 6, h = 7;
} // namespace

int PositionEvaluate::MaterialOnly(char side, int, ChessBoard& board)
{
    const int32_t m = Material(board.PieceCounts[0]) - Material(board.PieceCounts[1]);
    return side == 0 ? m : -m;
}

int PositionEvaluate::SideMaterialValue(char side, ChessBoard* board)
{
    const int32_t* c = board->PieceCounts[side == 0 ? 0 : 1];
    return c[CountQueens] * QueenValue + c[CountRooks] * RookValue + (c[CountBishops] + c[CountKnights]) * MinorValue;
}

int PositionEvaluate::DynamicPieceAdjustments(int)
{
    const int32_t* w = bb->PieceCounts[0];
    const int32_t* k = bb->PieceCounts[1];
    int32_t v = 0;
    // A lone minor cannot win against pawns and may even lose to them.
    if (LoneMinor(w, CountBishops) && k[CountPawns] > 0 && NoPieces(k)) v -= 750;
    if (LoneMinor(k, CountBishops) && w[CountPawns] > 0 && NoPieces(w)) v += 750;
    if (LoneMinor(w, CountKnights) && k[CountPawns] > 0 && NoPieces(k)) v -= 800;
    if (LoneMinor(k, CountKnights) && w[CountPawns] > 0 && NoPieces(w)) v += 800;
    v -= WDoubledPawns * DoubledWeight(w);
    v += BDoubledPawns * DoubledWeight(k);
    return v;
}

int PositionEvaluate::Traps(char)
{
    const ChessBoard& bd = *bb;
    const uint64_t wn = bd.WhiteKnights, bn = bd.BlackKnights, wp = bd.WhitePawns, bp = bd.BlackPawns;
    constexpr int32_t Knight = 1219, Bishop = 1600, Rook = 1670;
    int32_t v = 0;

    // Knights in a corner, cut off by the enemy pawns.
    if ((wn & S(h, 7)) && (bp & (S(h, 6) | S(f, 6)))) v -= Knight;
    if ((wn & S(h, 6)) && (bp & S(g, 6)) && (bp & (S(h, 5) | S(f, 5)))) v -= Knight;
    if ((wn & S(g, 6)) && (bp & S(h, 6)) && (bp & S(g, 5)) && (bp & S(f, 6))) v -= Knight;
    if ((wn & S(a, 7)) && (bp & (S(a, 6) | S(c, 6)))) v -= Knight;
    if ((wn & S(a, 6)) && (bp & S(b, 6)) && (bp & (S(a, 5) | S(c, 5)))) v -= Knight;
    if ((wn & S(b, 6)) && (bp & S(a, 6)) && (bp & S(b, 5)) && (bp & S(c, 6))) v -= Knight;
    if ((bn & S(h, 0)) && (wp & (S(h, 1) | S(f, 1)))) v += Knight;
    if ((bn & S(h, 1)) && (wp & S(g, 1)) && (wp & (S(h, 2) | S(f, 2)))) v += Knight;
    if ((bn & S(g, 1)) && (wp & S(g, 2)) && (wp & S(h, 1)) && (wp & S(f, 1))) v += Knight;
    if ((bn & S(a, 0)) && (wp & (S(a, 1) | S(c, 1)))) v += Knight;
    if ((bn & S(a, 1)) && (wp & S(b, 1)) && (wp & (S(a, 2) | S(c, 2)))) v += Knight;
    if ((bn & S(b, 1)) && (wp & S(b, 2)) && (wp & S(a, 1)) && (wp & S(c, 1))) v += Knight;

    // A bishop shut in behind b6 and c7 (or g6 and f7); one per pattern however many stand there.
    const uint64_t bishopsW = bd.WhiteBishops, bishopsB = bd.BlackBishops;
    if ((bishopsW & (S(a, 6) | S(b, 7))) && (bp & S(b, 5)) && (bp & S(c, 6))) v -= Bishop;
    if ((bishopsW & (S(h, 6) | S(g, 7))) && (bp & S(g, 5)) && (bp & S(f, 6))) v -= Bishop;
    if ((bishopsB & (S(a, 1) | S(b, 0))) && (wp & S(b, 2)) && (wp & S(c, 1))) v += Bishop;
    if ((bishopsB & (S(h, 1) | S(g, 0))) && (wp & S(g, 2)) && (wp & S(f, 1))) v += Bishop;

    // A rook boxed in by its own uncastled king, when the enemy has heavy pieces to use the time.
    const int32_t* w = bd.PieceCounts[0];
    const int32_t* k = bd.PieceCounts[1];
    const uint64_t wk = bd.WhiteKing, wr = bd.WhiteRooks, bk = bd.BlackKing, br = bd.BlackRooks;
    if (k[CountRooks] || k[CountQueens]) {
        if ((wk & (S(f, 0) | S(g, 0))) && (wr & (S(g, 0) | S(h, 0))) && (wp & (S(f, 1) | S(g, 1) | S(h, 1))))
            v -= Rook;
        else if ((wk & (S(b, 0) | S(c, 0))) && (wr & (S(a, 0) | S(b, 0))) && (wp & (S(a, 1) | S(b, 1) | S(c, 1))))
            v -= Rook;
    }
    if (w[CountRooks] || w[CountQueens]) {
        if ((bk & (S(f, 7) | S(g, 7))) && (br & (S(g, 7) | S(h, 7))) && (bp & (S(f, 6) | S(g, 6) | S(h, 6))))
            v += Rook;
        else if ((bk & (S(b, 7) | S(c, 7))) && (br & (S(a, 7) | S(b, 7))) && (bp & (S(a, 6) | S(b, 6) | S(c, 6))))
            v += Rook;
    }
    return v;
}

int PositionEvaluate::PawnPhalanx()
{
    const ChessBoard& bd = *bb;
    // d7-e6-f5, c5-d6-e7, d6-e5-f4, c4-d5-e6 for White; d2-e3-f4, e2-d3-c4, d3-e4-f5, e3-d4-c5 for Black.
    const uint64_t white[4] = {S(3, 6) | S(4, 5) | S(5, 4), S(2, 4) | S(3, 5) | S(4, 6), S(3, 5) | S(4, 4) | S(5, 3),
                               S(2, 3) | S(3, 4) | S(4, 5)};
    const uint64_t black[4] = {S(3, 1) | S(4, 2) | S(5, 3), S(4, 1) | S(3, 2) | S(2, 3), S(3, 2) | S(4, 3) | S(5, 4),
                               S(4, 2) | S(3, 3) | S(2, 4)};
    int n = 0;
    for (int i = 0; i < 4; i++)
        n += SimpleBitCount(bd.WhitePawns & white[i]) - SimpleBitCount(bd.BlackPawns & black[i]);
    return 20 * n;
}
