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

int PositionEvaluate::KnightEval(char)
{
    const ChessBoard& b = *bb;
    const uint64_t empty = ~b.AllPieces;
    for (uint64_t p = b.WhiteKnights; p; p &= p - 1) {
        const uint64_t bit = p & -p;
        const int sq = LowestSquare(bit);
        MidgameScore += WKnightSquare[sq];
        EndgameScore += KnightEnding[sq];
        // An outpost: no enemy pawn attacks the square now (whether one could later is not asked).
        if (WKnightPost[sq] && !(b.BlackPawns & WhitePawnAttacks(bit))) MidgameScore += WKnightPost[sq];
        const int n = TargetCount(Attacks::Knight(sq), b.WhitePieces, empty, BPawnControl);
        MidgameScore += KnightMobility[n];
        EndgameScore += KnightMobility[n];
    }
    for (uint64_t p = b.BlackKnights; p; p &= p - 1) {
        const uint64_t bit = p & -p;
        const int sq = LowestSquare(bit);
        if (BKnightPost[sq] && !(b.WhitePawns & BlackPawnAttacks(bit))) MidgameScore -= BKnightPost[sq];
        MidgameScore -= BKnightSquare[sq];
        EndgameScore -= KnightEnding[sq];
        const int n = TargetCount(Attacks::Knight(sq), b.BlackPieces, empty, WPawnControl);
        MidgameScore -= KnightMobility[n];
        EndgameScore -= KnightMobility[n];
    }
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
            const int sq = LowestSquare(bit);
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

int PositionEvaluate::RookEval(char)
{
    const ChessBoard& b = *bb;
    const uint64_t empty = ~b.AllPieces;
    int32_t whiteHalfOpen = 0, blackHalfOpen = 0;

    for (uint64_t p = b.WhiteRooks; p; p &= p - 1) {
        const uint64_t bit = p & -p;
        const int sq = LowestSquare(bit), f = sq & 7, r = sq >> 3;
        const int32_t v = RookMobility[TargetCount(SliderAtk[sq], b.WhitePieces, empty, BPawnControl)];
        MidgameScore += v;
        EndgameScore += (14 * v) / 10;
        if (bit & OpenFiles) {
            MidgameScore += 320;
            EndgameScore += 140;
        } else {
            // On the back rank with an enemy pawn right in front of it.
            if (r == 0 && (b.BlackPawns & (bit << 8))) {
                MidgameScore -= 100;
                EndgameScore -= 200;
            }
            if (bit & WHalfOpenFiles) whiteHalfOpen += 50;
        }
        const int own = WPasserRank[f + 1], enemy = BPasserRank[f + 1];
        if (own && r < own) {
            MidgameScore += 37;
            EndgameScore += 75;
        }
        if (enemy && r > enemy) {
            MidgameScore += 18;
            EndgameScore += 37;
        }
    }

    for (uint64_t p = b.BlackRooks; p; p &= p - 1) {
        const uint64_t bit = p & -p;
        const int sq = LowestSquare(bit), f = sq & 7, r = sq >> 3;
        const int32_t v = RookMobility[TargetCount(SliderAtk[sq], b.BlackPieces, empty, WPawnControl)];
        MidgameScore -= v;
        EndgameScore -= (14 * v) / 10;
        if (bit & OpenFiles) {
            MidgameScore -= 320;
            EndgameScore -= 140;
        } else {
            if (r == 7 && (b.WhitePawns & (bit >> 8))) {
                MidgameScore += 100;
                EndgameScore += 200;
            }
            if (bit & BHalfOpenFiles) blackHalfOpen += 50;
        }
        const int own = BPasserRank[f + 1], enemy = WPasserRank[f + 1];
        if (own && r > own) {
            MidgameScore -= 37;
            EndgameScore -= 75;
        }
        if (enemy && r < enemy) {
            MidgameScore -= 18;
            EndgameScore -= 37;
        }
    }
    return whiteHalfOpen - blackHalfOpen;
}

int PositionEvaluate::QueenEval(char)
{
    const ChessBoard& b = *bb;
    const uint64_t empty = ~b.AllPieces;

    for (uint64_t p = b.WhiteQueens; p; p &= p - 1) {
        const uint64_t bit = p & -p;
        const uint64_t t = SliderAtk[Attacks::Square(bit)] & ~b.WhitePieces & ~(empty & BPawnControl);
        const int32_t v = QueenMobility[SimpleBitCount(t)];
        MidgameScore += v;
        EndgameScore += v;
        // A queen deep in the enemy half with fewer than two safe squares is as good as lost.
        if (bit & BlackHalf) {
            const int m = SimpleBitCount(t & ~BAllAtk);
            if (m < 2) EndgameScore += (m - 2) * 3250;
        }
    }

    for (uint64_t p = b.BlackQueens; p; p &= p - 1) {
        const uint64_t bit = p & -p;
        const uint64_t t = SliderAtk[Attacks::Square(bit)] & ~b.BlackPieces & ~(empty & WPawnControl);
        const int32_t v = QueenMobility[SimpleBitCount(t)];
        MidgameScore -= v;
        EndgameScore -= v;
        if (bit & WhiteHalf) {
            const int m = SimpleBitCount(t & ~WAllAtk);
            if (m < 2) EndgameScore += (2 - m) * 3250;
        }
    }
    return 0;
}
