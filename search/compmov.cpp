// The node search: principal-variation alpha-beta with the table, razoring, null move, internal
// deepening, futility and late-move reductions; quiescence; history and killers.
#include "search/compmov.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/hashcode.h"
#include "board/movegen.h"
#include "board/movhist.h"
#include "board/piecevalues.h"
#include "board/see.h"
#include "eval/pawnhash.h"
#include "eval/poseval.h"
#include "search/hashtab.h"
#include "search/searchcore.h"

SearchRoutines Search;
RootMoveStore RootMoves;

using namespace SearchCore;

namespace {
// Razoring margins by remaining depth; only depths 1 to 3 are used.
constexpr int RazorMargins[8] = {1200, 1100, 1925, 2700, 3500, 4400, 5300, 6200};

// A null-move result this low is a mate against the side that passed, found within half the ply range:
// the node is under a threat of mate.
constexpr int MateThreatBound = -(MateInPlyRange - MaxPly / 2 - 1);

constexpr int32_t HistoryLimit = 65536;

// Null move. From depth 7 a side with no more piece material than this (less than a queen) passes no
// null move: with so little, zugzwang is likely.
constexpr int NullMoveMaterialFloor = 9300;
// Tried only where the material balance comes within this of beta.
constexpr int NullMoveMargin = 2000;
// With more piece material than this on the board (both sides) the reduction is one ply deeper.
constexpr int NullMoveRichMaterial = 33000;

// Futility at depth 2: a quiet move that leaves the material balance more than this below alpha is
// searched one ply less.
constexpr int FutilityMargin = 3440;

// Keeps the node's keys on the position history exactly while the node is on the search path.
struct HistoryPush {
    HistoryPush(uint64_t upper, uint64_t lower) { MoveList.InsertHashCodeMoveHistory(upper, lower); }
    ~HistoryPush() { MoveList.RetractMove(); }
    HistoryPush(const HistoryPush&) = delete;
    HistoryPush& operator=(const HistoryPush&) = delete;
};

#ifdef ORVEX_CHECK_POSITION
// The caller's keys of a node are the ones computed from scratch.
void CheckPassedKeys(char side, int castling, uint64_t upper, uint64_t lower, const ChessBoard& board)
{
    uint64_t u, l;
    genhashcode(side, castling, &u, &l, &board);
    if (u == upper && l == lower) return;
    fprintf(stderr, "search node: the keys passed down differ from the position's\n");
    std::abort();
}
#endif

// The keys of the node below `board` with `side` to move, whose bucket starts loading now so that it is
// there when the child probes.
inline void ChildKeys(char side, int castling, const ChessBoard& board, uint64_t* upper, uint64_t* lower)
{
    currenthashcode(side, castling, upper, lower, board);
    PositionCache.Prefetch(*lower);
}

// Starts loading the pawn-hash entry of the position just made: nearly every child evaluates it, and the
// evaluation would otherwise wait for it. Inlined by force for the reason given below.
[[gnu::always_inline]] inline void PrefetchPawnEntry(const ChessBoard& board)
{
    __builtin_prefetch(&PawnHashArray[board.PawnHashCode & PawnHashIndexMask]);
}

// The key-table row of the piece of `side` on the square, counted from the side's FirstKeyRow; KeyPawn for
// an empty square.
inline int PieceRowOn(const ChessBoard& b, char side, uint64_t square)
{
    const auto on = [square](uint64_t set) { return (set & square) != 0; };
    if (side == 0)
        return on(b.WhiteKnights) * KeyKnight + on(b.WhiteBishops) * KeyBishop + on(b.WhiteRooks) * KeyRook +
               on(b.WhiteQueens) * KeyQueen + on(b.WhiteKing) * KeyKing;
    return on(b.BlackKnights) * KeyKnight + on(b.BlackBishops) * KeyBishop + on(b.BlackRooks) * KeyRook +
           on(b.BlackQueens) * KeyQueen + on(b.BlackKing) * KeyKing;
}

// Starts loading the bucket that the child after the move of `side` will probe, long before the move is
// made. The key is worked out as for a plain move or capture; for castling, en passant or a promotion the
// guess is off, which only wastes the load. Inlined by force: GCC counts a function whose only effect is a
// prefetch as free of effects and drops its calls.
[[gnu::always_inline]] inline void PrefetchAfterMove(const ChessBoard& b, char side, int castling, uint64_t from,
                                                     uint64_t to)
{
    if (!from || !to) return;
    const int f = SquareOf(from), t = SquareOf(to);
    const int own = FirstKeyRow(side), enemy = KeyBlack - own;
    const int mover = own + PieceRowOn(b, side, from);
    uint64_t lower = b.PieceKeyLower ^ LPStable[mover][f] ^ LPStable[mover][t];
    if (to & (side == 0 ? b.BlackPieces : b.WhitePieces)) lower ^= LPStable[enemy + PieceRowOn(b, side ^ 1, to)][t];
    lower ^= (side == 0 ? BtoMove : WtoMove) ^ CastleCode[castling & CastlingKept[f] & CastlingKept[t] & 15];
    PositionCache.Prefetch(lower);
}

// A pawn that has passed every enemy pawn ahead of it on its own and the adjacent files.
bool PawnPushIsPassed(const ChessBoard& b, char side, uint64_t to)
{
    const uint64_t span = (side == 0 ? PE.WPassedSpan : PE.BPassedSpan)[SquareOf(to)];
    return ((side == 0 ? b.BlackPawns : b.WhitePawns) & span) == 0;
}
} // namespace

int SearchRoutines::Search(char side, int alpha, int beta, ChessBoard& position, int depth, int ply, char nullAllowed,
                           char castling, char inCheck, uint64_t upper, uint64_t lower, char nodeType, char moveFlags,
                           int maxPly, char last)
{
    if (MainStatus.BenchMode == NoBench && !Abort && PollCountdown-- <= 0 && Poll()) return 0;

#ifdef ORVEX_CHECK_POSITION
    CheckPassedKeys(side, castling, upper, lower, position);
#endif
    HistoryPush onPath(upper, lower);

    // Past the ply limit a node is a horizon node unless in check; the tables end at the last ply.
    if (((ply > maxPly || depth <= 0) && inCheck != InCheckNow) || ply >= MaxPly - 1) {
        if (position.FiftyMoveCount > 2 && MoveList.ThreeFoldRepDetection(position.FiftyMoveCount, upper, lower) != 0)
            return 0;
        int value = 0, hashMove = 0;
        const ProbeResult r = PositionCache.SearchTranspositionTables(upper, lower, depth, alpha, beta, &value, &hashMove);
        if (r <= Exact) {
            LeafInteriorNodes++;
            return MateAdjust(value, ply);
        }
        const int v = Quiesce(side, alpha, beta, position, depth, 0, ply + 1);
        if (v >= beta) PositionCache.InsertTranspositionTables(upper, lower, depth, 0, v, LowerBound);
        else if (v > alpha) PositionCache.InsertTranspositionTables(upper, lower, depth, 0, v, ExactBound);
        else PositionCache.InsertTranspositionTables(upper, lower, depth, 0, alpha, UpperBound);
        LeafInteriorNodes++;
        return v;
    }

    if (position.CheckDraw(side) != NotDrawn) return 0;
    if (position.FiftyMoveCount > 2 && MoveList.ThreeFoldRepDetection(position.FiftyMoveCount, upper, lower) > 0) return 0;

    int hashMove = 0;
    int value = 0;
    const ProbeResult r = PositionCache.SearchTranspositionTables(upper, lower, depth, alpha, beta, &value, &hashMove);
    if (r <= Exact) {
        if (MainStatus.Trace == 1) {
            printf("Position Cache Hit: v=%d alpha=%d beta=%d\n", value, alpha, beta);
            printf("Upper HC %llu Lower HC %llu\n", static_cast<unsigned long long>(upper),
                   static_cast<unsigned long long>(lower));
        }
        if (nodeType != PvNode) {
            PVTable[ply][ply].Move = static_cast<int16_t>(hashMove);
            // An empty table move is no line to show.
            PVTable[ply][0].Move = static_cast<int16_t>(hashMove ? ply + 1 : ply);
            return MateAdjust(value, ply);
        }
    }

    const bool nonPV = nodeType != PvNode;
    // The buckets the node will probe next, asked for while the steps before them run: the table move's
    // child, then the null move's.
    if (hashMove && depth >= 2)
        PrefetchAfterMove(position, side, castling, SqBit((hashMove >> 6) & 63), SqBit(hashMove & 63));
    uint64_t nullUpper = 0, nullLower = 0;
    if (nonPV && nullAllowed && !inCheck) ChildKeys(side ^ 1, castling, position, &nullUpper, &nullLower);
    const int32_t sideTotal = side == 0 ? position.WhitePieceCount : position.BlackPieceCount;
    const int32_t sidePawns = position.PieceCounts[side == 0 ? 0 : 1][CountPawns];
    if (nonPV && nullAllowed && !inCheck && depth <= 3 && beta >= -MateInHalfRange && beta <= MateInHalfRange &&
        sideTotal > sidePawns) {
        const int e = PE.PosEval(side, alpha, beta, &position, castling) - RazorMargins[depth];
        if (e >= beta) return e;
    }

    bool mateThreat = false;
    // The null-move child sits two plies down and must stay inside the tables.
    if (nonPV && nullAllowed && !inCheck && r != NoCutAvoidNull && ply + 2 <= MaxPly - 1) {
        const int material = PE.SideMaterialValue(side, &position);
        if (!(material <= NullMoveMaterialFloor && depth > 6) &&
            PE.MaterialOnly(side, alpha, position) + NullMoveMargin >= beta) {
            int reduction = depth <= 5 ? 3 : 4;
            if (material + PE.SideMaterialValue(side ^ 1, &position) > NullMoveRichMaterial) reduction++;
            PVTable[ply + 2][0].Move = static_cast<int16_t>(ply + 2);
            const int v = -Search(side ^ 1, -beta, -beta + 1, position, depth - reduction, ply + 2, 0, castling, NotInCheck,
                                  nullUpper, nullLower, nodeType, moveFlags, maxPly, last);
            if (StopUnwindsNodes()) return 0;
            if (v >= beta) {
                PositionCache.InsertTranspositionTables(upper, lower, depth - 3, 0, v, LowerBound);
                if (MainStatus.Trace == 1) {
                    printf("Position Cache Insert (NullM): v=%d alpha=%d beta=%d\n", v, alpha, beta);
                    printf("Upper HC %llu Lower HC %llu\n", static_cast<unsigned long long>(upper),
                           static_cast<unsigned long long>(lower));
                }
                PVTable[ply][0].Move = 0;
                return beta;
            }
            mateThreat = v < MateThreatBound;
        }
    }

    // Internal deepening: a shallower search of the same node finds a move to try first.
    if (beta - alpha > 1 && nonPV && depth > 3) {
        Search(side, alpha, beta, position, depth - 3, ply, 0, castling, inCheck, upper, lower, nodeType, moveFlags,
               maxPly, last);
        if (StopEndsSearch(SearchHeldOn())) return 0;
        int ignored = 0;
        PositionCache.SearchTranspositionTables(upper, lower, depth, alpha, beta, &ignored, &hashMove);
    }

    // Until here the node only reads the caller's record (the draw test and the children's rewrite its
    // draw flags, which every evaluation rewrites first); its own moves need a record of its own.
    ChessBoard board = position;
    MoveGen list;
    bool singleReply = false;
    int n;
    if (inCheck) {
        n = list.GenCheckEvasions(side, &board);
        singleReply = n == 1;
    } else {
        n = list.GenerateAllMoves(side, &board, castling);
    }
    list.AssignMoveOrderValues(n, ply, EnemyKing(board, side), hashMove, nodeType);

    const int alphaIn = alpha;
    int best = NoScore;
    int legal = 0;
    char childType = nodeType;
    bool alphaRaised = false, bestFut = false;
    const uint64_t enemyBefore = side == 0 ? board.BlackPieces : board.WhitePieces;

    // From depth 2 on the children are nodes that probe the table: each move's bucket is asked for while
    // the move before it is searched. Picking the next move early leaves the order as it was.
    const bool prefetchNext = depth >= 2;
    if (n > 0 && beta >= NoScore + 1) {
        for (int i = 0; i < n && best < beta; i++) {
            uint64_t from, to;
            char promo;
            if (i == 0 || !prefetchNext) {
                list.NextMove(i, n, &from, &to, &promo);
            } else {
                from = list.From[i];
                to = list.To[i];
                promo = list.Promote[i];
            }
            if (prefetchNext && i + 1 < n && i + 1 < MaxMoves) {
                uint64_t nextFrom, nextTo;
                char nextPromo;
                list.NextMove(i + 1, n, &nextFrom, &nextTo, &nextPromo);
                PrefetchAfterMove(board, side, castling, nextFrom, nextTo);
            }
            const bool destinationEmpty = (board.AllPieces & to) == 0;
            char mask;
            board.MakeMove(from, to, promo, &mask);
            PrefetchPawnEntry(board);
            const char childCastling = static_cast<char>(castling & mask);
            uint64_t childUpper, childLower;
            ChildKeys(side ^ 1, childCastling, board, &childUpper, &childLower);
            if (board.InCheck(OwnKing(board, side), side)) {
                board.UndoMove(0);
                continue;
            }
            legal++;
            InteriorNodes++;
            const bool givesCheck = board.InCheck(EnemyKing(board, side), side ^ 1);
            const bool capture = (side == 0 ? board.BlackPieces : board.WhitePieces) != enemyBefore;

            const int ext = givesCheck || (nodeType == PvNode && singleReply) ? 1 : 0;
            bool reducible = legal > 2 && promo == NoPromotion && depth > 2 && !givesCheck && ply != 1 &&
                             !mateThreat && !singleReply && !capture && list.OrderValue[i] <= ReducibleOrderValue &&
                             !inCheck;
            if (reducible && board.IsPawn(side, to) && PawnPushIsPassed(board, side, to)) reducible = false;
            const int reduction = reducible ? (depth == 3 ? 1 : 2) : 0;
            const bool fut = depth == 2 && !inCheck && !givesCheck && !reducible && childType != PvNode &&
                             promo == NoPromotion && !capture &&
                             PE.MaterialOnly(side, alpha, board) + FutilityMargin < alpha;
            const int d = depth - 1 + ext - (fut ? 1 : 0) - reduction;

            auto child = [&](int a, int b, int childDepth, char type) {
                PVTable[ply + 1][0].Move = static_cast<int16_t>(ply + 1);
                return -Search(side ^ 1, a, b, board, childDepth, ply + 1, 1, childCastling, givesCheck ? InCheckNow : NotInCheck,
                               childUpper, childLower, type, moveFlags, maxPly, last);
            };
            auto quiesce = [&](int a, int b) {
                PVTable[ply + 1][0].Move = static_cast<int16_t>(ply + 1);
                return -Quiesce(side ^ 1, a, b, board, depth - 1, 0, ply + 1);
            };

            int v;
            if (nodeType != PvNode || legal == 1) {
                childType = nodeType == PvNode ? PvNode : nodeType == CutNode ? AllNode : CutNode;
                v = d > 0 || givesCheck ? child(-beta, -alpha, d, childType) : quiesce(-beta, -alpha);
                if (StopUnwindsNodes()) return 0;
            } else {
                if (d > 0 || givesCheck) {
                    v = child(-alpha - 1, -alpha, d, AllNode);
                    if (v > alpha && v < beta) v = child(-beta, -alpha, d, AllNode);
                } else {
                    v = quiesce(-beta, -alpha);
                }
                childType = AllNode;
            }
            if (v > alpha && reduction > 0) v = child(-beta, -alpha, depth - 1 + ext, PvNode);

            if (StopUnwindsNodes()) return 0;
            board.UndoMove(0);
            if (Abort) return 0;

            if (v > best) {
                best = v;
                bestFut = fut;
                if (v > alpha) {
                    const int packed = PackMove(from, to);
                    PVTable[ply][ply].Move = static_cast<int16_t>(packed);
                    PVTable[ply][ply].Promote = static_cast<int8_t>(promo);
                    if (depth + ext == 1) {
                        PVTable[ply][0].Move = static_cast<int16_t>(ply + 1);
                    } else {
                        int end = PVTable[ply + 1][0].Move;
                        if (end > MaxPly) end = MaxPly;
                        for (int k = ply + 1; k < end; k++) PVTable[ply][k] = PVTable[ply + 1][k];
                        PVTable[ply][0].Move = static_cast<int16_t>(end);
                    }
                    if (v >= beta) {
                        AddHistory(side, packed, depth);
                        if (destinationEmpty && promo == NoPromotion && Killers[ply].Killer0 != packed) {
                            Killers[ply].Killer1 = Killers[ply].Killer0;
                            Killers[ply].Killer0 = static_cast<int16_t>(packed);
                        }
                    }
                    alpha = v;
                    alphaRaised = true;
                }
            }
        }
    }

    if (legal == 0) {
        if (board.InCheck(OwnKing(board, side), side)) best = ply - MATE;
        else if (board.InCheck(EnemyKing(board, side), side ^ 1)) best = MATE - ply;
        else best = -ply;
    }

    if (!bestFut) {
        const int16_t move = PVTable[ply][ply].Move;
        if (best >= beta) PositionCache.InsertTranspositionTables(upper, lower, depth, move, best, LowerBound);
        else if (alphaRaised) PositionCache.InsertTranspositionTables(upper, lower, depth, move, best, ExactBound);
        else PositionCache.InsertTranspositionTables(upper, lower, depth, move, alphaIn, UpperBound);
    }
    return best;
}


// Quiescence: captures and promotions until the position is quiet

int SearchRoutines::Quiesce(char side, int alpha, int beta, ChessBoard& position, int depth, char flag, int ply)
{
    QuiesceNodes++;
    PollCountdown--;
    // The draw test, the stand-pat evaluation and the move generation read the caller's record (the draw
    // test only rewrites its draw flags, which every evaluation rewrites first); a node that goes on to make
    // moves copies it, as its own moves need their own undo.
    if (position.CheckDraw(side) != NotDrawn) return 0;

    const int standPat = PE.PosEval(side, alpha, beta, &position, flag);
    if (standPat >= beta) return standPat;
    int best = standPat;
    if (standPat > alpha) alpha = standPat;

    MoveGen list;
    const int n = list.GenerateQuiesceMoves(side, &position);
    // Captures and promotions come first, so the first quiet move ends the list (an en passant capture
    // included): only they are picked, and a node without any needs no record of its own.
    const int active = list.QuiesceAssignMoveOrderValues(n);
    if (active == 0) return best;
    ChessBoard board = position;
    const uint64_t enemyKing = EnemyKing(board, side);
    for (int i = 0; i < active; i++) {
        uint64_t from, to;
        char promo;
        list.NextMove(i, n, &from, &to, &promo);
        if (to & enemyKing) return beta;
        const int victim = ValueCapturedPiece(side, to, &board);
        const int attacker = ValueCapturedPiece(side ^ 1, from, &board);
        if (victim < attacker && see.StaticExchangeEvaluation(side ^ 1, from, to, &board) < 0) continue;
        char mask;
        board.MakeMove(from, to, promo, &mask);
        PrefetchPawnEntry(board);
        if (board.InCheck(OwnKing(board, side), side)) {
            board.UndoMove(0);
            continue;
        }
        const int v = -Quiesce(side ^ 1, -beta, -alpha, board, depth - 1, flag, ply + 1);
        if (v > best) {
            best = v;
            if (v > alpha) alpha = v;
        }
        board.UndoMove(0);
        if (best >= beta) break;
    }
    return best;
}


// History and killers

void SearchRoutines::ClearHistory()
{
    std::memset(History, 0, sizeof History);
}

void SearchRoutines::AddHistory(char side, int move, int depth)
{
    int32_t* h = History[side ? 1 : 0];
    h[move & 4095] += depth * depth;
    if (h[move & 4095] > HistoryLimit)
        for (int i = 0; i < 4096; i++) h[i] >>= 1;
}

void SearchRoutines::ReduceHistory()
{
    for (auto& side : History)
        for (int32_t& h : side) h >>= 1;
}


int SearchRoutines::ValueCapturedPiece(char side, uint64_t square, const ChessBoard* board) const
{
    return CapturedPieceValue(side, square, board);
}

bool SearchRoutines::InCheckmate(uint64_t kingBB, char side, char inCheck, ChessBoard* board)
{
    if (inCheck == CheckNotKnown) inCheck = board->InCheck(kingBB, side) ? 1 : 0;
    if (!inCheck) return false;
    MoveGen list;
    return list.GenCheckEvasions(side, board) <= 0;
}


void RootMoveStore::CopyMoves(int n, const MoveGen* list)
{
    if (n > 335) n = 335;
    NumMoves = n;
    for (int i = 0; i < n; i++) {
        From[i] = list->From[i];
        To[i] = list->To[i];
        Promote[i] = list->Promote[i];
        MoveValue[i] = OrderValue[i] = list->OrderValue[i];
    }
}

void RootMoveStore::NextRootMove(int i, int n, uint64_t* from, uint64_t* to, char* promo)
{
    for (int j = i + 1; j < n; j++) {
        if (OrderValue[j] <= OrderValue[i]) continue;
        std::swap(MoveValue[i], MoveValue[j]);
        std::swap(OrderValue[i], OrderValue[j]);
        std::swap(From[i], From[j]);
        std::swap(To[i], To[j]);
        std::swap(Promote[i], Promote[j]);
    }
    *from = From[i];
    *to = To[i];
    *promo = Promote[i];
}

