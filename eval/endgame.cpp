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
    // A rook against a lone minor piece.
    const auto rookAgainstMinor = [](const int32_t* rookSide, const int32_t* minorSide) {
        return rookSide[CountRooks] == 1 && (minorSide[CountKnights] == 1 || minorSide[CountBishops] == 1);
    };
    const int32_t* w = bb->PieceCounts[0];
    const int32_t* k = bb->PieceCounts[1];
    return (rookAgainstMinor(w, k) || rookAgainstMinor(k, w)) ? 1 : 0;
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
// The cases of the recognisers below are written once, for the colour that owns the pawn (Side). Each
// recogniser asks one colour's case and the other's only when the first one's material does not fit, so
// the order decides its answer when both fit.

template <int Side> int PawnSquare(const ChessBoard& b) { return SquareOf(PawnsOf<Side>(b)); }

// The squares in front of the pawn on `sq`, up to its last rank.
template <int Side> uint64_t PawnPath(int sq) { return FileOf(sq) & RanksAhead<Side>(sq >> 3); }

template <int Side> int QueeningSquare(int sq) { return (sq & 7) + (Side == 0 ? 56 : 0); }

// 1 when it is the side's move; `side` is the side to move, 0 for White and anything else for Black.
template <int Side> int ToMove(char side) { return (side != 0) == (Side == 1) ? 1 : 0; }

template <int Side> int KingSquare(const PositionEvaluate& e) { return Side == 0 ? e.WKingSq : e.BKingSq; }

template <int Side> uint64_t BishopAttacks(const PositionEvaluate& e)
{
    return Side == 0 ? e.WBishopAtk : e.BBishopAtk;
}

// A pawn and a piece of `kind` against a piece of `kind`.
bool PieceAndPawnAgainstPiece(const int32_t* own, const int32_t* enemy, int kind)
{
    return enemy[kind] == 1 && own[CountPawns] == 1 && own[kind] == 1;
}

// The defending king stands on the pawn's file in front of the pawn, with one piece of `kind` each and the
// pawn White's (tested first) or Black's.
int KingInFrontOfPawn(const ChessBoard& b, int kind)
{
    const int32_t* w = b.PieceCounts[0];
    const int32_t* k = b.PieceCounts[1];
    if (PieceAndPawnAgainstPiece(w, k, kind)) return (b.BlackKing & PawnPath<0>(PawnSquare<0>(b))) ? 1 : 0;
    if (PieceAndPawnAgainstPiece(k, w, kind)) return (b.WhiteKing & PawnPath<1>(PawnSquare<1>(b))) ? 1 : 0;
    return 0;
}

// A pawn on its sixth or seventh rank with its king by the queening square, the rook on the pawn's file and
// the defending king too far away.
template <int Side> int PawnAgainstRook(const PositionEvaluate& e, const ChessBoard& b, char side)
{
    const int sq = PawnSquare<Side>(b), r = RelativeRank<Side>(sq >> 3), promo = QueeningSquare<Side>(sq);
    if (Distance(KingSquare<Side>(e), promo) - ToMove<Side>(side) > 1) return 0;
    if (!((r == 5 || r == 6) && (RooksOf<1 - Side>(b) & FileOf(sq)))) return 0;
    return Distance(KingSquare<1 - Side>(e), promo) - ToMove<1 - Side>(side) > 1 ? 1 : 0;
}

// The bishop takes the pawn with the move, or covers a square in front of it, or the pawn is not yet on
// its sixth or seventh rank.
template <int Side> int PawnAgainstBishop(const PositionEvaluate& e, const ChessBoard& b, char side)
{
    const int sq = PawnSquare<Side>(b), r = RelativeRank<Side>(sq >> 3);
    const uint64_t bishop = BishopAttacks<1 - Side>(e);
    if ((bishop & PawnsOf<Side>(b)) && ToMove<1 - Side>(side)) return 1;
    if (bishop & PawnPath<Side>(sq)) return 1;
    return (r != 6 && r != 5) ? 1 : 0;
}

// The knight takes the pawn with the move, or the knight, its attacks or the king stand on the pawn's
// square or in front of it.
template <int Side> int PawnAgainstKnight(const PositionEvaluate& e, const ChessBoard& b, char side)
{
    const int sq = PawnSquare<Side>(b);
    const uint64_t knight = Side == 0 ? e.BKnightAtk : e.WKnightAtk;
    if ((knight & PawnsOf<Side>(b)) && ToMove<1 - Side>(side)) return 1;
    const uint64_t defence = knight | KingOf<1 - Side>(b) | KnightsOf<1 - Side>(b);
    return (FileOf(sq) & RanksLevelOrAhead<Side>(sq >> 3) & defence) ? 1 : 0;
}

// A rook pawn on its seventh rank with the defending king next to the queening corner.
template <int Side> int KnightAndRookPawn(const PositionEvaluate& e, const ChessBoard& b)
{
    const uint64_t pawns = PawnsOf<Side>(b);
    const int seventh = RelativeRank<Side>(6), corner = Side == 0 ? 56 : 0;
    if (pawns & Bit(0, seventh)) return Distance(KingSquare<1 - Side>(e), corner) <= 1 ? 1 : 0;
    if (pawns & Bit(7, seventh)) return Distance(KingSquare<1 - Side>(e), corner + 7) <= 1 ? 1 : 0;
    return 0;
}

// Bishops of opposite colours: the defending bishop takes the pawn with the move or covers its path.
template <int Side> int BishopsAgainstPawn(const PositionEvaluate& e, const ChessBoard& b, char side, bool opposite)
{
    const uint64_t bishop = BishopAttacks<1 - Side>(e);
    if ((bishop & PawnsOf<Side>(b)) && ToMove<1 - Side>(side)) return 1;
    return (opposite && (bishop & PawnPath<Side>(PawnSquare<Side>(b)))) ? 1 : 0;
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
    const int32_t* w = bb->PieceCounts[0];
    const int32_t* k = bb->PieceCounts[1];
    if (k[CountRooks] == 1 && w[CountPawns] == 1) return PawnAgainstRook<0>(*this, *bb, side);
    if (w[CountRooks] == 1 && k[CountPawns] == 1) return PawnAgainstRook<1>(*this, *bb, side);
    return 0;
}

int PositionEvaluate::KPKB(char side)
{
    const int32_t* w = bb->PieceCounts[0];
    const int32_t* k = bb->PieceCounts[1];
    if (w[CountBishops] == 1 && k[CountPawns] == 1) return PawnAgainstBishop<1>(*this, *bb, side);
    if (k[CountBishops] == 1 && w[CountPawns] == 1) return PawnAgainstBishop<0>(*this, *bb, side);
    return 0;
}

int PositionEvaluate::KPKN(char side)
{
    const int32_t* w = bb->PieceCounts[0];
    const int32_t* k = bb->PieceCounts[1];
    if (w[CountKnights] == 1 && k[CountPawns] == 1) return PawnAgainstKnight<1>(*this, *bb, side);
    if (k[CountKnights] == 1 && w[CountPawns] == 1) return PawnAgainstKnight<0>(*this, *bb, side);
    return 0;
}

int PositionEvaluate::KNPK(char)
{
    const int32_t* w = bb->PieceCounts[0];
    const int32_t* k = bb->PieceCounts[1];
    if (w[CountKnights] == 1 && w[CountPawns] == 1) return KnightAndRookPawn<0>(*this, *bb);
    if (k[CountKnights] == 1 && k[CountPawns] == 1) return KnightAndRookPawn<1>(*this, *bb);
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
    if (k[CountPawns] == 1) return BishopsAgainstPawn<1>(*this, b, side, opposite);
    if (w[CountPawns] == 1) return BishopsAgainstPawn<0>(*this, b, side, opposite);
    return 0;
}
