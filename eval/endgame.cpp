#include "eval/evalmasks.h"
#include "eval/poseval.h"

using namespace evalmask;

// Recognisers of particular endings by material and a few placements. Each answers 1 when its pattern
// holds. PosEval asks only DrawishEnding; the rest are kept for endgame work. `side` is the side to move.

int PositionEvaluate::DrawishEnding(char side)
{
    const int32_t* w = bb->PieceCounts[0];
    const int32_t* k = bb->PieceCounts[1];
    if (w[CountPawns] || k[CountPawns]) return 0;
    if (WOfficerCount + BOfficerCount != 2) return 0;
    return TwoPieceEndings(side);
}

int PositionEvaluate::TwoPieceEndings(char)
{
    const int32_t* w = bb->PieceCounts[0];
    const int32_t* k = bb->PieceCounts[1];
    // A rook against a lone minor piece.
    if (w[CountRooks] == 1 && (k[CountKnights] == 1 || k[CountBishops] == 1)) return 1;
    if (k[CountRooks] == 1 && (w[CountKnights] == 1 || w[CountBishops] == 1)) return 1;
    return 0;
}

int PositionEvaluate::ThreePieceEndings(char)
{
    return 0;
}

int PositionEvaluate::DrawnEnding(char side)
{
    const int32_t* w = bb->PieceCounts[0];
    const int32_t* k = bb->PieceCounts[1];
    if (WOfficerCount + w[CountPawns] + BOfficerCount + k[CountPawns] != 3) return 0;
    return (KRPKR(side) == 1 || KQPKQ(side) == 1) ? 1 : 0;
}

namespace {
// The defending king stands on the pawn's file in front of the pawn, with one piece of `kind` each and the
// pawn White's (tested first) or Black's.
int KingInFrontOfPawn(const ChessBoard& b, int kind)
{
    const int32_t* w = b.PieceCounts[0];
    const int32_t* k = b.PieceCounts[1];
    if (k[kind] == 1 && w[CountPawns] == 1 && w[kind] == 1) {
        const int sq = LowestSquare(b.WhitePawns);
        return (b.BlackKing & FileOf(sq) & RanksAbove(sq >> 3)) ? 1 : 0;
    }
    if (w[kind] == 1 && k[CountPawns] == 1 && k[kind] == 1) {
        const int sq = LowestSquare(b.BlackPawns);
        return (b.WhiteKing & FileOf(sq) & RanksBelow(sq >> 3)) ? 1 : 0;
    }
    return 0;
}
} // namespace

int PositionEvaluate::KRPKR(char)
{
    return KingInFrontOfPawn(*bb, CountRooks);
}

int PositionEvaluate::KQPKQ(char)
{
    return KingInFrontOfPawn(*bb, CountQueens);
}

int PositionEvaluate::KPKR(char side)
{
    const ChessBoard& b = *bb;
    const int32_t* w = b.PieceCounts[0];
    const int32_t* k = b.PieceCounts[1];
    const int whiteToMove = side == 0 ? 1 : 0, blackToMove = 1 - whiteToMove;
    if (k[CountRooks] == 1 && w[CountPawns] == 1) {
        const int sq = LowestSquare(b.WhitePawns), r = sq >> 3, promo = (sq & 7) + 56;
        if (Distance(WKingSq, promo) - whiteToMove > 1) return 0;
        if (!((r == 5 || r == 6) && (b.BlackRooks & FileOf(sq)))) return 0;
        return Distance(BKingSq, promo) - blackToMove > 1 ? 1 : 0;
    }
    if (w[CountRooks] == 1 && k[CountPawns] == 1) {
        const int sq = LowestSquare(b.BlackPawns), r = sq >> 3, promo = sq & 7;
        if (Distance(BKingSq, promo) - blackToMove > 1) return 0;
        if (!((r == 2 || r == 1) && (b.WhiteRooks & FileOf(sq)))) return 0;
        return Distance(WKingSq, promo) - whiteToMove > 1 ? 1 : 0;
    }
    return 0;
}

int PositionEvaluate::KPKB(char side)
{
    const ChessBoard& b = *bb;
    const int32_t* w = b.PieceCounts[0];
    const int32_t* k = b.PieceCounts[1];
    if (w[CountBishops] == 1 && k[CountPawns] == 1) {
        const int sq = LowestSquare(b.BlackPawns), r = sq >> 3;
        if ((WBishopAtk & b.BlackPawns) && side == 0) return 1;
        if (WBishopAtk & FileOf(sq) & RanksBelow(r)) return 1;
        return (r != 1 && r != 2) ? 1 : 0;
    }
    if (k[CountBishops] == 1 && w[CountPawns] == 1) {
        const int sq = LowestSquare(b.WhitePawns), r = sq >> 3;
        if ((BBishopAtk & b.WhitePawns) && side != 0) return 1;
        if (BBishopAtk & FileOf(sq) & RanksAbove(r)) return 1;
        return (r != 6 && r != 5) ? 1 : 0;
    }
    return 0;
}

int PositionEvaluate::KPKN(char side)
{
    const ChessBoard& b = *bb;
    const int32_t* w = b.PieceCounts[0];
    const int32_t* k = b.PieceCounts[1];
    if (w[CountKnights] == 1 && k[CountPawns] == 1) {
        const int sq = LowestSquare(b.BlackPawns);
        if ((WKnightAtk & b.BlackPawns) && side == 0) return 1;
        return (FileOf(sq) & RanksUpTo(sq >> 3) & (WKnightAtk | b.WhiteKing | b.WhiteKnights)) ? 1 : 0;
    }
    if (k[CountKnights] == 1 && w[CountPawns] == 1) {
        const int sq = LowestSquare(b.WhitePawns);
        if ((BKnightAtk & b.WhitePawns) && side != 0) return 1;
        return (FileOf(sq) & RanksFrom(sq >> 3) & (BKnightAtk | b.BlackKing | b.BlackKnights)) ? 1 : 0;
    }
    return 0;
}

int PositionEvaluate::KNPK(char)
{
    const ChessBoard& b = *bb;
    const int32_t* w = b.PieceCounts[0];
    const int32_t* k = b.PieceCounts[1];
    // A rook pawn on its seventh rank with the defending king next to the queening corner.
    if (w[CountKnights] == 1 && w[CountPawns] == 1) {
        if (b.WhitePawns & Bit(0, 6)) return Distance(BKingSq, 56) <= 1 ? 1 : 0;
        if (b.WhitePawns & Bit(7, 6)) return Distance(BKingSq, 63) <= 1 ? 1 : 0;
        return 0;
    }
    if (k[CountKnights] == 1 && k[CountPawns] == 1) {
        if (b.BlackPawns & Bit(0, 1)) return Distance(WKingSq, 0) <= 1 ? 1 : 0;
        if (b.BlackPawns & Bit(7, 1)) return Distance(WKingSq, 7) <= 1 ? 1 : 0;
    }
    return 0;
}

int PositionEvaluate::KBPKB(char side)
{
    const ChessBoard& b = *bb;
    const int32_t* w = b.PieceCounts[0];
    const int32_t* k = b.PieceCounts[1];
    if (w[CountBishops] != 1 || k[CountBishops] != 1) return 0;
    const uint64_t bishops = b.WhiteBishops | b.BlackBishops;
    const bool opposite = (bishops & LightSquares) && (bishops & DarkSquares);
    if (k[CountPawns] == 1) {
        const int sq = LowestSquare(b.BlackPawns);
        if ((WBishopAtk & b.BlackPawns) && side == 0) return 1;
        return (opposite && (WBishopAtk & FileOf(sq) & RanksBelow(sq >> 3))) ? 1 : 0;
    }
    if (w[CountPawns] == 1) {
        const int sq = LowestSquare(b.WhitePawns);
        if ((BBishopAtk & b.WhitePawns) && side != 0) return 1;
        return (opposite && (BBishopAtk & FileOf(sq) & RanksAbove(sq >> 3))) ? 1 : 0;
    }
    return 0;
}
