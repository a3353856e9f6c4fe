#include "board/attacktables.h"
#include "eval/evalmasks.h"
#include "eval/poseval.h"

using namespace evalmask;

void PositionEvaluate::AttackMasks()
{
    const ChessBoard& b = *bb;
    WKnightAtk = BKnightAtk = 0;
    WPawnAtk = WhitePawnAttacks(b.WhitePawns);
    BPawnAtk = BlackPawnAttacks(b.BlackPawns);
    for (uint64_t p = b.WhiteKnights; p; p &= p - 1) WKnightAtk |= Attacks::Knight(SquareOf(p));
    for (uint64_t p = b.BlackKnights; p; p &= p - 1) BKnightAtk |= Attacks::Knight(SquareOf(p));
    // Each slider's own set is kept by its square for the piece terms.
    const uint64_t occupied = b.AllPieces;
    const auto sliders = [&](uint64_t pieces, uint64_t (*attacks)(int, uint64_t)) {
        uint64_t kind = 0;
        for (uint64_t p = pieces; p; p &= p - 1) {
            const int sq = SquareOf(p);
            kind |= SliderAtk[sq] = attacks(sq, occupied);
        }
        return kind;
    };
    WBishopAtk = sliders(b.WhiteBishops, Attacks::Bishop);
    BBishopAtk = sliders(b.BlackBishops, Attacks::Bishop);
    WRookAtk = sliders(b.WhiteRooks, Attacks::Rook);
    BRookAtk = sliders(b.BlackRooks, Attacks::Rook);
    WQueenAtk = sliders(b.WhiteQueens, Attacks::Queen);
    BQueenAtk = sliders(b.BlackQueens, Attacks::Queen);
    WKingAtk = ChessBoard::KingMask(b.WhiteKing);
    BKingAtk = ChessBoard::KingMask(b.BlackKing);
    WAllAtk = WPawnAtk | WKnightAtk | WBishopAtk | WRookAtk | WQueenAtk | WKingAtk;
    BAllAtk = BPawnAtk | BKnightAtk | BBishopAtk | BRookAtk | BQueenAtk | BKingAtk;
}

int PositionEvaluate::BitBoardRank(uint64_t b)
{
    // An unsigned comparison with the rank masks, halving the range at each test.
    if (b <= Rank4) {
        if (b <= Rank2) return b > Rank1 ? 2 : 1;
        return b > Rank3 ? 4 : 3;
    }
    if (b <= Rank6) return b > Rank5 ? 6 : 5;
    return b > Rank7 ? 8 : 7;
}

int PositionEvaluate::PawnFilePenalty(char side, uint64_t p)
{
    int32_t& openFiles = side == 0 ? WKingOpenFiles : BKingOpenFiles;
    if (!p) {
        openFiles++;
        return 350;
    }
    // Judged by the least advanced pawn: 35 per step from home; three steps count as an open file too.
    // Its rank (1 to 8 from the side's own edge) is BitBoardRank of that pawn's bit, taken from the bit's
    // index, which spares the comparisons' unpredictable branches.
    const int r = side == 0 ? (SquareOf(p) >> 3) + 1 : 8 - (MyLog2(p) >> 3);
    if (r > 4) openFiles++;
    return (r - 2) * 35;
}

int PositionEvaluate::PawnShield(char side)
{
    if (side == 0) return ShieldOf<0>();
    return side == 1 ? ShieldOf<1>() : 0;
}

template <int Side>
int32_t PositionEvaluate::ShieldOf()
{
    constexpr char side = Side;
    const ChessBoard& b = *bb;
    const int file = (side == 0 ? WKingSq : BKingSq) & 7;
    const uint64_t pawns = side == 0 ? b.WhitePawns : b.BlackPawns;
    const uint64_t king = side == 0 ? b.WhiteKing : b.BlackKing;
    const uint64_t pieces = side == 0 ? b.WhitePieces & ~b.WhitePawns : b.BlackPieces & ~b.BlackPawns;
    const uint64_t inFront = side == 0 ? king << 8 : king >> 8;
    (side == 0 ? WKingOpenFiles : BKingOpenFiles) = 0;

    // The king's own file counts double, except that a piece in front of the king halves an empty file.
    int p = PawnFilePenalty(side, pawns & (side == 0 ? WKingFile : BKingFile));
    int v = 2 * p;
    if ((pieces & inFront) && 2 * p >= 351) v = p;
    const int right = file == 7 ? 5 : file + 1;
    const int left = file == 0 ? 2 : file - 1;
    v += PawnFilePenalty(side, pawns & (FileA << right));
    v += PawnFilePenalty(side, pawns & (FileA << left));
    return v;
}

int PositionEvaluate::PawnStorm(char side)
{
    if (side != 0 && side != 1) return 0;
    const ChessBoard& b = *bb;
    const bool white = side == 0;
    const uint64_t p = (white ? b.WhitePawns : b.BlackPawns) & KingFiles((white ? BKingSq : WKingSq) & 7);
    // The side's pawns on its fourth, fifth and sixth ranks.
    const uint64_t fourth = white ? Rank4 : Rank5, fifth = white ? Rank5 : Rank4, sixth = white ? Rank6 : Rank3;
    return 100 * SimpleBitCount(p & fourth) + 300 * SimpleBitCount(p & fifth) + 600 * SimpleBitCount(p & sixth);
}

namespace {
// The diagonals from h2 pass White's king-side corner and Black's queen-side one, those from c2 the others.
constexpr uint64_t DiagonalsFromH2 = CastledKingDiagonals[0] | CastledKingDiagonals[1] | CastledKingDiagonals[2];
constexpr uint64_t DiagonalsFromC2 = CastledKingDiagonals[3] | CastledKingDiagonals[4] | CastledKingDiagonals[5];
constexpr uint64_t WhiteKingSideCorner = 0xE0E0ULL;        // f1-h1, f2-h2
constexpr uint64_t WhiteQueenSideCorner = 0x0707ULL;       // a1-c1, a2-c2
constexpr uint64_t BlackKingSideCorner = 0xE0E0ULL << 48;  // f7-h7, f8-h8
constexpr uint64_t BlackQueenSideCorner = 0x0707ULL << 48; // a7-c7, a8-c8
} // namespace

int PositionEvaluate::AttackCounts(char side)
{
    return side == 0 ? AttackCountsOf<0>() : AttackCountsOf<1>();
}

template <int Side>
int32_t PositionEvaluate::AttackCountsOf()
{
    const ChessBoard& b = *bb;
    constexpr bool white = Side == 0;
    const uint64_t zone = white ? WKingAtk : BKingAtk;
    const uint64_t ownKing = white ? b.WhiteKing : b.BlackKing;
    const int32_t* enemy = b.PieceCounts[white ? 1 : 0];
    const uint64_t eKnights = white ? b.BlackKnights : b.WhiteKnights;
    const uint64_t eBishops = white ? b.BlackBishops : b.WhiteBishops;
    const uint64_t eRooks = white ? b.BlackRooks : b.WhiteRooks;
    const uint64_t eQueens = white ? b.BlackQueens : b.WhiteQueens;

    // Kinds of enemy attackers on the king zone, and their weight.
    const bool pawn = (white ? BPawnAtk : WPawnAtk) & zone;
    const bool knight = ((white ? BKnightAtk : WKnightAtk) & (zone | ownKing)) || (eKnights & zone);
    const bool bishop = (white ? BBishopAtk : WBishopAtk) & zone;
    const bool queen = (white ? BQueenAtk : WQueenAtk) & zone;
    const bool rook = (white ? BRookAtk : WRookAtk) & zone;
    const int kinds = pawn + knight + bishop + queen + rook;
    const int weight = pawn + knight + bishop + 2 * rook + 4 * queen;

    const int32_t kof = white ? WKingOpenFiles : BKingOpenFiles;
    const int32_t f = kof + 1;
    int32_t a = 0;
    if (kinds > 1) {
        a = (15 * SimpleBitCount(zone & (white ? BAllAtk : WAllAtk)) + 125 * weight) * f;
        if (kinds <= 3) a = (kinds * a) / 4;
    }

    const uint64_t kingFiles = KingFiles((white ? WKingSq : BKingSq) & 7);
    const int h = SimpleBitCount((eQueens | eRooks) & kingFiles & (white ? BHalfOpenFiles : WHalfOpenFiles));
    const int p = SimpleBitCount((eKnights | eBishops | eRooks | eQueens) & kingFiles);
    const int m = 2 * enemy[CountQueens] + enemy[CountRooks] + enemy[CountBishops] + enemy[CountKnights];
    int32_t d = 30 * (h - 1) * f + a + 5 * m * kof + 10 * p * kof;

    const uint64_t sliders = eQueens | eBishops;
    if (ownKing & (white ? WhiteKingSideCorner : BlackQueenSideCorner))
        d += 10 * f * SimpleBitCount(sliders & DiagonalsFromH2);
    else if (ownKing & (white ? WhiteQueenSideCorner : BlackKingSideCorner))
        d += 10 * f * SimpleBitCount(sliders & DiagonalsFromC2);
    if (enemy[CountQueens] == 0) d /= 2;

    const uint64_t ownOfficers = white ? b.WhitePieces & ~(b.WhitePawns | b.WhiteKing)
                                       : b.BlackPieces & ~(b.BlackPawns | b.BlackKing);
    int32_t e = 100 * SimpleBitCount(ownOfficers & zone);
    if ((white ? WKnightAtk : BKnightAtk) & zone) e += 100;
    if ((white ? WBishopAtk : BBishopAtk) & zone) e += 100;
    if ((white ? WRookAtk : BRookAtk) & zone) e += 100;
    if ((white ? WQueenAtk : BQueenAtk) & zone) e += 500;
    return d - e;
}

template <int Side>
int32_t PositionEvaluate::KingDanger(bool oppositeWings)
{
    // The shield first: it counts the open files by the king, which AttackCounts reads.
    const int32_t shield = ShieldOf<Side>();
    const int32_t storm = PawnStorm(1 - Side);
    return shield + AttackCountsOf<Side>() + (oppositeWings ? storm : storm / 2);
}

template int32_t PositionEvaluate::KingDanger<0>(bool);
template int32_t PositionEvaluate::KingDanger<1>(bool);

int PositionEvaluate::KingEval(char)
{
    const ChessBoard& b = *bb;
    MidgameScore += WKingSquare[WKingSq] - BKingSquare[BKingSq];
    EndgameScore += KingEnding[WKingSq] - KingEnding[BKingSq];
    // Without pawns the side with material wants the kings close.
    if (b.PieceCounts[0][CountPawns] || b.PieceCounts[1][CountPawns]) return 0;
    const int d = Distance(WKingSq, BKingSq);
    if (BOfficerCount == 0 && WOfficerCount > 0) return -80 * d;
    if (WOfficerCount == 0 && BOfficerCount > 0) return 80 * d;
    return 0;
}
