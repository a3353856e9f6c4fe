#include "board/attacktables.h"
#include "board/bitmasks.h"
#include "board/movegen.h"
#include "board/piecevalues.h"
#include "eval/evalmasks.h"
#include "eval/poseval.h"
#include "search/compmov.h"

using namespace BitMasks;

namespace {
// Order values of the search's own knowledge; they outrank every static judgement but the captures.
constexpr int32_t HashMoveValue = 29000;
constexpr int32_t PVMoveValue = 28998;
constexpr int32_t Killer0Value = 1020;
constexpr int32_t Killer1Value = 1010;
// A capture is valued a queen above its victim, which lifts every capture but the king's over the quiet moves.
constexpr int32_t CaptureBase = QueenValue;
constexpr int32_t QueenPromotionValue = 4875;
constexpr int32_t OtherPromotionValue = 500;
constexpr int32_t CrossBonus = 28;
constexpr int32_t QuiescePromotionValue = 750;
constexpr int32_t QuiesceCaptureBase = 10;

enum Piece { Pawn, Knight, Bishop, Rook, Queen, King };

// Victim values of the ordering: the shared piece values, but a knight a shade under a bishop so that of
// two equal captures the bishop is taken first; the king, whose capture only a position with the side
// not to move in check can offer, at the quiescence ordering's own 10000.
constexpr int32_t Victim[6] = {PawnValue, KnightValue - 2, BishopValue, RookValue, QueenValue, 10000};

struct Mover {
    bool White;
    Piece Kind;
};

template <int Side> inline Piece PieceOfSideOn(const ChessBoard& b, uint64_t square)
{
    using namespace evalmask;
    if (square & PawnsOf<Side>(b)) return Pawn;
    if (square & KnightsOf<Side>(b)) return Knight;
    if (square & BishopsOf<Side>(b)) return Bishop;
    if (square & RooksOf<Side>(b)) return Rook;
    if (square & QueensOf<Side>(b)) return Queen;
    return King;
}

inline Piece PieceOn(const ChessBoard& b, uint64_t square, bool white)
{
    return white ? PieceOfSideOn<0>(b, square) : PieceOfSideOn<1>(b, square);
}

inline Mover MoverOf(const ChessBoard& b, uint64_t from)
{
    const bool white = (from & b.WhitePieces) != 0;
    return {white, PieceOn(b, from, white)};
}


// The enemy pawns that could still stop a pawn standing on `square`: on its file and both neighbours,
// on every rank beyond it in the pawn's direction.
inline uint64_t StoppersAhead(uint64_t square, bool white)
{
    return (white ? PE.WPassedSpan : PE.BPassedSpan)[SquareOf(square)];
}

// What it costs, in the ordering's judgement, to capture with this piece on `to`; negative when the
// capture also improves the capturer.
int32_t CaptureCost(const ChessBoard& b, const Mover& m, uint64_t from, uint64_t to)
{
    switch (m.Kind) {
    case Bishop: return 12;
    case Knight: return 10 - (m.White ? WKnightPost : BKnightPost)[SquareOf(to)];
    case Rook: {
        int32_t cost = 19;
        if (!(FileOf(SquareOf(to)) & (b.WhitePawns | b.BlackPawns))) cost -= OpenFileControl[SquareOf(to) & 7];
        if (to & (m.White ? Rank7 : Rank2)) cost -= Majorson7[1];
        return cost;
    }
    case Pawn: {
        int32_t cost = 3;
        const uint64_t enemyPawns = m.White ? b.BlackPawns : b.WhitePawns;
        if (!(StoppersAhead(to, m.White) & enemyPawns)) {
            const int toRank = SquareOf(to) >> 3, fromRank = SquareOf(from) >> 3;
            const int ownTo = m.White ? toRank : 7 - toRank, ownFrom = m.White ? fromRank : 7 - fromRank;
            cost -= Passers[ownTo] - Passers[ownFrom];
        }
        return cost;
    }
    case Queen: return 38;
    default: return 14625;
    }
}

// The runs' kinds are read as the ordering's piece kinds.
constexpr bool SameKind(MoveGen::RunKind run, Piece piece)
{
    return static_cast<int>(run) == static_cast<int>(piece);
}
static_assert(SameKind(MoveGen::RunPawn, Pawn) && SameKind(MoveGen::RunKnight, Knight) &&
              SameKind(MoveGen::RunBishop, Bishop) && SameKind(MoveGen::RunRook, Rook) &&
              SameKind(MoveGen::RunQueen, Queen) && SameKind(MoveGen::RunKing, King));

// Calls f(i, mover) for each of the n moves: the mover's kind comes from the generator's runs where they
// describe the list, from the board otherwise.
template <class F> inline void ForEachMoverOf(const MoveGen& list, int n, F&& f)
{
    if (list.RunCount > 0 && list.RunTotal == n) {
        const bool white = list.RunSide == 0;
        int i = 0;
        for (int r = 0; r < list.RunCount; r++) {
            const Mover m{white, static_cast<Piece>(list.Runs[r].Kind)};
            for (const int end = list.Runs[r].End; i < end; i++) f(i, m);
        }
        return;
    }
    for (int i = 0; i < n; i++) f(i, MoverOf(*list.Board, list.From[i]));
}

inline Piece VictimOn(const ChessBoard& b, uint64_t to, bool moverWhite)
{
    return PieceOn(b, to, !moverWhite);
}

inline uint64_t EnemyPieces(const ChessBoard& b, bool moverWhite)
{
    return moverWhite ? b.BlackPieces : b.WhitePieces;
}
} // namespace

void MoveGen::AssignMoveOrderValues(int n, int ply, uint64_t enemyKing, int hashMove, char mode)
{
    // The enemy king's rank and file, where a rook or queen gains a little.
    uint64_t cross = 0;
    if (enemyKing) {
        const int k = SquareOf(enemyKing);
        cross = (Rank1 << (8 * (k >> 3))) | (FileA << (k & 7));
    }
    if (n <= 0) return;

    const ChessBoard& b = *Board;
    // Plies beyond the tables have no line or killers of their own.
    const bool tables = ply >= 0 && ply < MaxPly;
    const PVEntry pv = tables ? Search.PVTable[ply][ply] : PVEntry{0, 0};
    const KillerPair killers = tables ? Search.Killers[ply] : KillerPair{0, 0};
    bool pvTaken = mode == AllNode || !tables, hashTaken = hashMove == NoPackedMove, killer0Taken = !tables, killer1Taken = !tables;

    const auto value = [&](int i, Mover m) {
        const uint64_t from = From[i], to = To[i];
        const int p = PackMove(from, to);
        if (!pvTaken && p == pv.Move && Promote[i] == pv.Promote) {
            OrderValue[i] = PVMoveValue;
            pvTaken = true;
            return;
        }
        if (!hashTaken && p == hashMove) {
            OrderValue[i] = HashMoveValue;
            hashTaken = true;
            return;
        }
        if (!killer0Taken && p == killers.Killer0) {
            OrderValue[i] = Killer0Value;
            killer0Taken = true;
            return;
        }
        if (!killer1Taken && p == killers.Killer1) {
            OrderValue[i] = Killer1Value;
            killer1Taken = true;
            return;
        }
        int32_t v;
        if (to & EnemyPieces(b, m.White)) {
            v = CaptureBase + Victim[VictimOn(b, to, m.White)] - CaptureCost(b, m, from, to);
        } else {
            const char queen = m.White ? 'Q' : 'q';
            if (Promote[i] == queen) v = QueenPromotionValue;
            else if (Promote[i] == NoPromotion) v = Search.History[m.White ? 0 : 1][p] >> 7;
            else v = OtherPromotionValue;
        }
        if ((m.Kind == Rook || m.Kind == Queen) && (to & cross)) v += CrossBonus;
        OrderValue[i] = v;
    };
    ForEachMoverOf(*this, n, value);
}

int MoveGen::QuiesceAssignMoveOrderValues(int n)
{
    // Cost and weight of the capturing piece, by kind.
    static constexpr int32_t Cost[6] = {3, 12, 12, 19, 38, 38};
    static constexpr int32_t Weight[6] = {384, 1536, 1536, 2432, 4864, 4864};
    // The cheapest capture, a pawn by a queen or king, still comes out above the quiet moves' 0.
    static_assert(PawnValue - Cost[Queen] + QuiesceCaptureBase > 0 && QuiescePromotionValue > 0);
    const ChessBoard& b = *Board;
    int active = 0;
    ForEachMoverOf(*this, n, [&](int i, Mover m) {
        const uint64_t to = To[i];
        if (to & EnemyPieces(b, m.White)) {
            VictimValue[i] = Victim[VictimOn(b, to, m.White)];
            AttackerValue[i] = Weight[m.Kind];
            OrderValue[i] = VictimValue[i] - Cost[m.Kind] + QuiesceCaptureBase;
            active++;
        } else {
            VictimValue[i] = 0;
            const bool promotion = m.Kind == Pawn && (to & (m.White ? Rank8 : Rank1));
            OrderValue[i] = promotion ? QuiescePromotionValue : 0;
            active += promotion;
        }
    });
    return active;
}

void MoveGen::NextMove(int i, int n, uint64_t* from, uint64_t* to, char* promotion)
{
    if (i < 0 || i >= MaxMoves) return;
    if (n > MaxMoves) n = MaxMoves;
    if (i < n) {
        int best = i;
        for (int j = i + 1; j < n; j++)
            if (OrderValue[j] > OrderValue[best]) best = j;
        if (best != i) {
            // The runs describe the list as generated, no longer once it is reordered.
            RunCount = 0;
            const uint64_t f = From[i], t = To[i];
            const char pr = Promote[i];
            const int32_t v = OrderValue[i];
            From[i] = From[best];
            To[i] = To[best];
            Promote[i] = Promote[best];
            OrderValue[i] = OrderValue[best];
            From[best] = f;
            To[best] = t;
            Promote[best] = pr;
            OrderValue[best] = v;
        }
    }
    *from = From[i];
    *to = To[i];
    *promotion = Promote[i];
}
