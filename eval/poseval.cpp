#include "eval/poseval.h"

#include <cstdlib>

#include "board/piecevalues.h"
#include "eval/evalmasks.h"

using namespace evalmask;

PositionEvaluate PE;
ChessBoard* bb;

PositionEvaluate::PositionEvaluate()
{
    // Built from arithmetic alone: MainStatus's masks are not filled yet during static initialisation.
    for (int sq = 0; sq < 64; sq++) {
        const int f = sq & 7, r = sq >> 3;
        const uint64_t file = FileA << f, adjacent = AdjacentFiles(f);
        FileMaskExcl[sq] = file & ~(1ULL << sq);
        AdjacentFilesMask[sq] = adjacent;
        WPassedSpan[sq] = (file | adjacent) & RanksAhead<0>(r);
        BPassedSpan[sq] = (file | adjacent) & RanksAhead<1>(r);
        NeighbourMask[sq] = adjacent & RanksFrom(r > 0 ? r - 1 : 0) & RanksUpTo(r < 7 ? r + 1 : 7);
    }
}

namespace {
constexpr int LazyMargin1 = 6000, LazyMargin2 = 2000;

// Rooks on the side's seventh and eighth ranks, when there are pawns or the king to attack there: the
// table's bonus in the end game and half of it in the middle game, and 200 more for a queen there.
template <int Side> void MajorsOnSeventh(const ChessBoard& b, int32_t& mg, int32_t& eg)
{
    const uint64_t seventh = Side == 0 ? Rank7 : Rank2, eighth = Side == 0 ? Rank8 : Rank1;
    mg = eg = 0;
    if (!(PawnsOf<1 - Side>(b) & seventh) && !(KingOf<1 - Side>(b) & eighth)) return;
    const int n = SimpleBitCount(RooksOf<Side>(b) & (seventh | eighth));
    const int32_t v = Majorson7[n < 15 ? n : 15];
    mg = v / 2;
    eg = (QueensOf<Side>(b) & (seventh | eighth)) ? v + 200 : v;
}
} // namespace

int PositionEvaluate::PosEval(char side, int alpha, int beta, ChessBoard* board, char)
{
    side = side != 0 ? 1 : 0;
    const auto view = [side](int32_t x) { return side == 0 ? x : -x; };
    const ChessBoard& b = *board;
    // The pawn entry is read after the attack masks; its line is usually not in cache.
    __builtin_prefetch(&PawnHashArray[b.PawnHashCode & PawnHashIndexMask]);
    const int32_t* w = b.PieceCounts[0];
    const int32_t* k = b.PieceCounts[1];
    const int32_t wMinors = w[CountKnights] + w[CountBishops], bMinors = k[CountKnights] + k[CountBishops];
    const int32_t md = QueenValue * (w[CountQueens] - k[CountQueens]) + RookValue * (w[CountRooks] - k[CountRooks]) +
                       MinorValue * (wMinors - bMinors);
    Prepare(board);

    // Every term measures from the kings; a board without both (the edit mode can leave one) is scored by
    // its material alone, so no king square is ever invented.
    if (!b.WhiteKing || !b.BlackKing) return MaterialOnly(side, alpha, *board);

    // Pawnless endings with balanced material, or a single minor piece more.
    const int32_t wp = w[CountPawns], bp = k[CountPawns];
    if (wp == 0 && bp == 0) {
        const int32_t kings = KingEnding[WKingSq] - KingEnding[BKingSq];
        if (wMinors == bMinors && w[CountRooks] == k[CountRooks] && WOfficerCount == BOfficerCount)
            return view(kings);
        const bool bishopsAgainstKnight =
            (w[CountBishops] == 2 && k[CountBishops] == 0 && k[CountKnights] == 1) ||
            (k[CountBishops] == 2 && w[CountBishops] == 0 && w[CountKnights] == 1);
        if (w[CountQueens] == k[CountQueens] && w[CountRooks] == k[CountRooks] && std::abs(wMinors - bMinors) == 1 &&
            !bishopsAgainstKnight)
            return view(kings + (3 * md) / 4);
    }

    AttackMasks();
    Phase = 24 - (wMinors + bMinors + 2 * (w[CountRooks] + k[CountRooks]) + 4 * (w[CountQueens] + k[CountQueens]));
    if (Phase < 1) Phase = 1;

    // A pawn is worth PawnValue and grows by 200 more as the pieces come off.
    int32_t s = md + PawnValue * (wp - bp) + (200 * (wp - bp) * Phase) / 24 + PawnEval04(side);
    MidgameScore += 13 * WPasserScore / 10 - 13 * BPasserScore / 10;
    EndgameScore += 19 * WPasserScore / 10 - 19 * BPasserScore / 10;
    s += KingEval(side);
    s += Blend();
    MidgameScore = EndgameScore = 0;

    if (WOfficerCount + wp + BOfficerCount + bp <= 3 && DrawishEnding(side) == 1) return view(s / 2);
    const auto outsideWindow = [&](int margin) {
        const int32_t v = view(s);
        return v + margin < alpha || v - margin > beta;
    };
    if (outsideWindow(LazyMargin1)) return view(s);

    s += RuleofSquare(side);

    // A lone bishop fights the enemy pawns standing on its colour.
    const auto pawnsOnBishopColour = [](uint64_t bishop, uint64_t enemyPawns) {
        return 50 * SimpleBitCount(enemyPawns & ((bishop & LightSquares) ? LightSquares : DarkSquares));
    };
    if (k[CountBishops] == 1) EndgameScore -= pawnsOnBishopColour(b.BlackBishops, b.WhitePawns);
    if (w[CountBishops] == 1) EndgameScore += pawnsOnBishopColour(b.WhiteBishops, b.BlackPawns);

    const int32_t traps = Traps(side);
    MidgameScore += traps;
    EndgameScore += traps;

    // King safety counts only against a side that can attack: a queen, or at least four pieces.
    const auto canAttack = [](int officers, int32_t queens) { return officers > 1 && (queens > 0 || officers >= 4); };
    const int wkFile = WKingSq & 7, bkFile = BKingSq & 7;
    const bool oppositeWings = (wkFile >= 5 && bkFile <= 3) || (wkFile <= 3 && bkFile >= 5);
    if (canAttack(BOfficerCount, k[CountQueens])) MidgameScore -= KingDanger<0>(oppositeWings);
    if (canAttack(WOfficerCount, w[CountQueens])) MidgameScore += KingDanger<1>(oppositeWings);

    int32_t mgWhite, egWhite, mgBlack, egBlack;
    MajorsOnSeventh<0>(b, mgWhite, egWhite);
    MajorsOnSeventh<1>(b, mgBlack, egBlack);
    MidgameScore += mgWhite - mgBlack;
    EndgameScore += egWhite - egBlack;

    s += DynamicPieceAdjustments(Phase);
    s += Blend();
    MidgameScore = EndgameScore = 0;
    if (outsideWindow(LazyMargin2)) return view(s);

    const auto centre = [](uint64_t attacks) { return SimpleBitCount(attacks & Centre); };
    MidgameScore = 30 * (centre(WKnightAtk) + centre(WBishopAtk) + centre(WRookAtk) - centre(BKnightAtk) -
                         centre(BBishopAtk) - centre(BRookAtk));
    s += KnightEval(side);
    s += BishopEval(side);
    s += RookEval(side);
    s += QueenEval(side);
    s += Blend();

    if (b.DrawFlags & WhiteCanMate) s += 800;
    if (b.DrawFlags & BlackCanMate) s -= 800;

    // Pawns against an extra minor piece.
    const bool queensRooksEqual = w[CountQueens] == k[CountQueens] && w[CountRooks] == k[CountRooks];
    if (wp > 0 && bp == 0 && queensRooksEqual && bMinors == wMinors + 1) s += 1100;
    if (bp > 0 && wp == 0 && queensRooksEqual && wMinors == bMinors + 1) s -= 1100;

    // Bishops of opposite colours alone: keep the material and a quarter of the rest.
    const uint64_t bishops = b.WhiteBishops | b.BlackBishops;
    if (WOfficerCount == BOfficerCount && md == 0 && w[CountBishops] == 1 && k[CountBishops] == 1 &&
        w[CountKnights] == 0 && k[CountKnights] == 0 && w[CountQueens] == 0 && k[CountQueens] == 0 &&
        w[CountRooks] == 0 && k[CountRooks] == 0 && std::abs(wp - bp) <= 3 &&
        ((b.WhitePawns | b.BlackPawns) & FilesBtoG) && (bishops & LightSquares) && (bishops & DarkSquares))
        s -= 3 * (s - MaterialOnly(0, alpha, *board)) / 4;

    return view(10 * (s / 10));
}
