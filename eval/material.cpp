#include "board/piecevalues.h"
#include "eval/evalmasks.h"
#include "eval/poseval.h"

using namespace evalmask;

namespace {
int32_t PieceMaterial(const int32_t* c)
{
    return c[CountQueens] * QueenValue + c[CountRooks] * RookValue + (c[CountBishops] + c[CountKnights]) * MinorValue;
}

int32_t Material(const int32_t* c)
{
    return PieceMaterial(c) + c[CountPawns] * PawnValue;
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

constexpr int a = 0, b = 1, c = 2, d = 3, e = 4, f = 5, g = 6, h = 7;

// The square at file and rank, the rank counted from the side's own first rank.
template <int Side> constexpr uint64_t S(int file, int rank) { return Bit(file, RelativeRank<Side>(rank)); }

// The side's pieces shut in by the enemy pawns (or, for a rook, its own king), each at its penalty.
template <int Side> int32_t TrappedPieces(const ChessBoard& bd)
{
    constexpr int32_t Knight = 1219, Bishop = 1600, Rook = 1670;
    const uint64_t n = KnightsOf<Side>(bd), ep = PawnsOf<1 - Side>(bd);
    int32_t v = 0;

    // Knights in a corner, cut off by the enemy pawns.
    if ((n & S<Side>(h, 7)) && (ep & (S<Side>(h, 6) | S<Side>(f, 6)))) v += Knight;
    if ((n & S<Side>(h, 6)) && (ep & S<Side>(g, 6)) && (ep & (S<Side>(h, 5) | S<Side>(f, 5)))) v += Knight;
    if ((n & S<Side>(g, 6)) && (ep & S<Side>(h, 6)) && (ep & S<Side>(g, 5)) && (ep & S<Side>(f, 6))) v += Knight;
    if ((n & S<Side>(a, 7)) && (ep & (S<Side>(a, 6) | S<Side>(c, 6)))) v += Knight;
    if ((n & S<Side>(a, 6)) && (ep & S<Side>(b, 6)) && (ep & (S<Side>(a, 5) | S<Side>(c, 5)))) v += Knight;
    if ((n & S<Side>(b, 6)) && (ep & S<Side>(a, 6)) && (ep & S<Side>(b, 5)) && (ep & S<Side>(c, 6))) v += Knight;

    // A bishop shut in behind b6 and c7 (or g6 and f7); one per pattern however many stand there.
    const uint64_t bishops = BishopsOf<Side>(bd);
    if ((bishops & (S<Side>(a, 6) | S<Side>(b, 7))) && (ep & S<Side>(b, 5)) && (ep & S<Side>(c, 6))) v += Bishop;
    if ((bishops & (S<Side>(h, 6) | S<Side>(g, 7))) && (ep & S<Side>(g, 5)) && (ep & S<Side>(f, 6))) v += Bishop;

    // A rook boxed in by its own uncastled king, when the enemy has heavy pieces to use the time.
    const int32_t* enemy = bd.PieceCounts[1 - Side];
    const uint64_t k = KingOf<Side>(bd), r = RooksOf<Side>(bd), p = PawnsOf<Side>(bd);
    if (enemy[CountRooks] || enemy[CountQueens]) {
        if ((k & (S<Side>(f, 0) | S<Side>(g, 0))) && (r & (S<Side>(g, 0) | S<Side>(h, 0))) &&
            (p & (S<Side>(f, 1) | S<Side>(g, 1) | S<Side>(h, 1))))
            v += Rook;
        else if ((k & (S<Side>(b, 0) | S<Side>(c, 0))) && (r & (S<Side>(a, 0) | S<Side>(b, 0))) &&
                 (p & (S<Side>(a, 1) | S<Side>(b, 1) | S<Side>(c, 1))))
            v += Rook;
    }
    return v;
}

// Pawns of the side on the four central diagonal chains: d7-e6-f5, c5-d6-e7, d6-e5-f4 and c4-d5-e6 for
// White, the same seen from Black's side for Black.
template <int Side> int PhalanxPawns(uint64_t pawns)
{
    constexpr uint64_t chains[4] = {S<Side>(d, 6) | S<Side>(e, 5) | S<Side>(f, 4),
                                    S<Side>(c, 4) | S<Side>(d, 5) | S<Side>(e, 6),
                                    S<Side>(d, 5) | S<Side>(e, 4) | S<Side>(f, 3),
                                    S<Side>(c, 3) | S<Side>(d, 4) | S<Side>(e, 5)};
    int n = 0;
    for (const uint64_t chain : chains) n += SimpleBitCount(pawns & chain);
    return n;
}
} // namespace

int PositionEvaluate::MaterialOnly(char side, int, ChessBoard& board)
{
    const int32_t m = Material(board.PieceCounts[0]) - Material(board.PieceCounts[1]);
    return side == 0 ? m : -m;
}

int PositionEvaluate::SideMaterialValue(char side, ChessBoard* board)
{
    return PieceMaterial(board->PieceCounts[side == 0 ? 0 : 1]);
}

int PositionEvaluate::DynamicPieceAdjustments(int)
{
    const int32_t* w = bb->PieceCounts[0];
    const int32_t* k = bb->PieceCounts[1];
    // What a side loses for a lone minor against pawns, which it cannot win against and may even lose
    // to, and for its doubled pawns.
    const auto penalty = [](const int32_t* own, const int32_t* enemy, int32_t doubledPawns) {
        int32_t v = doubledPawns * DoubledWeight(own);
        if (enemy[CountPawns] > 0 && NoPieces(enemy)) {
            if (LoneMinor(own, CountBishops)) v += 750;
            if (LoneMinor(own, CountKnights)) v += 800;
        }
        return v;
    };
    return penalty(k, w, BDoubledPawns) - penalty(w, k, WDoubledPawns);
}

int PositionEvaluate::Traps(char)
{
    return TrappedPieces<1>(*bb) - TrappedPieces<0>(*bb);
}

int PositionEvaluate::PawnPhalanx()
{
    return 20 * (PhalanxPawns<0>(bb->WhitePawns) - PhalanxPawns<1>(bb->BlackPawns));
}
