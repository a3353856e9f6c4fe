#include "board/attacktables.h"
#include "eval/evalmasks.h"
#include "eval/poseval.h"

using namespace evalmask;

namespace {
// Mobility targets: the attacked squares minus the own pieces minus the empty squares an enemy pawn
// guards. Enemy pieces count even when a pawn defends them.
inline int TargetCount(uint64_t attacks, uint64_t own, uint64_t empty, uint64_t enemyPawnControl)
{
    return SimpleBitCount(attacks & ~own & ~(empty & enemyPawnControl));
}
} // namespace

template <int Side>
void PositionEvaluate::KnightTerms()
{
    constexpr bool White = Side == 0;
    const ChessBoard& b = *bb;
    const uint64_t empty = ~b.AllPieces, own = PiecesOf<Side>(b), enemyPawns = PawnsOf<1 - Side>(b);
    const uint64_t enemyControl = White ? BPawnControl : WPawnControl;
    const int32_t* const squareTable = White ? WKnightSquare : BKnightSquare;
    const int32_t* const post = White ? WKnightPost : BKnightPost;
    for (uint64_t p = KnightsOf<Side>(b); p; p &= p - 1) {
        const uint64_t bit = p & -p;
        const int sq = SquareOf(bit);
        AddOwn<Side>(squareTable[sq], KnightEnding[sq]);
        // An outpost: no enemy pawn attacks the square now (whether one could later is not asked).
        if (post[sq] && !(enemyPawns & PawnAttacks<Side>(bit))) AddOwn<Side>(post[sq], 0);
        const int n = TargetCount(Attacks::Knight(sq), own, empty, enemyControl);
        AddOwn<Side>(KnightMobility[n], KnightMobility[n]);
    }
}

int PositionEvaluate::KnightEval(char)
{
    KnightTerms<0>();
    KnightTerms<1>();
    return 0;
}

int PositionEvaluate::BishopEval(char)
{
    const ChessBoard& b = *bb;
    const uint64_t empty = ~b.AllPieces;
    BishopInfo[0] = {0, 0, 0, 14, b.PieceCounts[0][CountBishops], b.WhiteBishops, b.WhitePieces, b.WhitePawns,
                     Rank3, Rank2};
    BishopInfo[1] = {0, 0, 0, 54, b.PieceCounts[1][CountBishops], b.BlackBishops, b.BlackPieces, b.BlackPawns,
                     Rank6, Rank7};
    const uint64_t enemyControl[2] = {BPawnControl, WPawnControl};
    const int32_t* const squareTable[2] = {WBishopSquare, BBishopSquare};

    for (int s = 0; s < 2; s++) {
        BishopInfoRecord& info = BishopInfo[s];
        for (uint64_t p = info.Bishops; p; p &= p - 1) {
            const uint64_t bit = p & -p;
            const int sq = SquareOf(bit);
            info.Mg += squareTable[s][sq];
            info.Eg += BishopEnding[sq];
            const int n = TargetCount(SliderAtk[sq], info.OwnPieces, empty, enemyControl[s]);
            info.Mg += BishopMobility[n];
            info.Eg += BishopMobility[n];
            // Fianchetto: g2 with pawns g3 and f2 or h2 (g7 with g6 and f7 or h7).
            if (sq == info.FianchettoSq && (info.OwnPawns & FileG & info.FrontRank) &&
                (info.OwnPawns & (FileF | FileH) & info.HomeRank))
                info.Mg += 200;
        }
        if (info.BoardBishops > 1) info.PairBonus = 500;
    }
    MidgameScore += BishopInfo[0].Mg - BishopInfo[1].Mg;
    EndgameScore += BishopInfo[0].Eg - BishopInfo[1].Eg;
    return BishopInfo[0].PairBonus - BishopInfo[1].PairBonus;
}

template <int Side>
int32_t PositionEvaluate::RookTerms()
{
    constexpr bool White = Side == 0;
    const ChessBoard& b = *bb;
    const uint64_t empty = ~b.AllPieces, own = PiecesOf<Side>(b), enemyPawns = PawnsOf<1 - Side>(b);
    const uint64_t enemyControl = White ? BPawnControl : WPawnControl;
    const uint64_t halfOpen = White ? WHalfOpenFiles : BHalfOpenFiles;
    const uint8_t* const ownPassers = White ? WPasserRank : BPasserRank;
    const uint8_t* const enemyPassers = White ? BPasserRank : WPasserRank;
    int32_t halfOpenBonus = 0;
    for (uint64_t p = RooksOf<Side>(b); p; p &= p - 1) {
        const uint64_t bit = p & -p;
        const int sq = SquareOf(bit), f = sq & 7, r = RelativeRank<Side>(sq >> 3);
        const int32_t v = RookMobility[TargetCount(SliderAtk[sq], own, empty, enemyControl)];
        AddOwn<Side>(v, (14 * v) / 10);
        if (bit & OpenFiles) {
            AddOwn<Side>(320, 140);
        } else {
            // On the back rank with an enemy pawn right in front of it.
            if (r == 0 && (enemyPawns & Forward<Side>(bit))) AddOwn<Side>(-100, -200);
            if (bit & halfOpen) halfOpenBonus += 50;
        }
        // Behind a passer of either colour, counting ranks from the rook's side.
        const int ownPasser = ownPassers[f + 1], enemyPasser = enemyPassers[f + 1];
        if (ownPasser && r < RelativeRank<Side>(ownPasser)) AddOwn<Side>(37, 75);
        if (enemyPasser && r > RelativeRank<Side>(enemyPasser)) AddOwn<Side>(18, 37);
    }
    return halfOpenBonus;
}

int PositionEvaluate::RookEval(char)
{
    const int32_t white = RookTerms<0>();
    return white - RookTerms<1>();
}

template <int Side>
void PositionEvaluate::QueenTerms()
{
    constexpr bool White = Side == 0;
    const ChessBoard& b = *bb;
    const uint64_t empty = ~b.AllPieces, own = PiecesOf<Side>(b);
    const uint64_t enemyControl = White ? BPawnControl : WPawnControl, enemyAttacks = White ? BAllAtk : WAllAtk;
    const uint64_t enemyHalf = White ? BlackHalf : WhiteHalf;
    for (uint64_t p = QueensOf<Side>(b); p; p &= p - 1) {
        const uint64_t bit = p & -p;
        const uint64_t t = SliderAtk[SquareOf(p)] & ~own & ~(empty & enemyControl);
        const int32_t v = QueenMobility[SimpleBitCount(t)];
        AddOwn<Side>(v, v);
        // A queen deep in the enemy half with fewer than two safe squares is as good as lost.
        if (bit & enemyHalf) {
            const int m = SimpleBitCount(t & ~enemyAttacks);
            if (m < 2) AddOwn<Side>(0, (m - 2) * 3250);
        }
    }
}

int PositionEvaluate::QueenEval(char)
{
    QueenTerms<0>();
    QueenTerms<1>();
    return 0;
}
