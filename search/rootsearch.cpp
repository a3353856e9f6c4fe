// The root search, the exact-depth search and iterative deepening, which plays the chosen move.
#include "search/compmov.h"

#include <cstring>

#include "board/hashcode.h"
#include "board/matchlog.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "board/movhist.h"
#include "eval/poseval.h"
#include "platform/clock.h"
#include "search/book.h"
#include "search/hashtab.h"
#include "search/searchcore.h"

using namespace SearchCore;

namespace {

// How much of the root line is a sequence of legal moves. Table hits put moves into lines that another
// position left in the table, so the printed line and the ponder move stop before the first one that
// does not fit; the table itself and the search are untouched.
int LegalLinePrefix(ChessBoard board, char side, int length)
{
    for (int k = 0; k < length; k++) {
        const PVEntry& e = Search.PVTable[0][k];
        const uint64_t from = SqBit((e.Move >> 6) & 63), to = SqBit(e.Move & 63);
        const char mover = static_cast<char>(side ^ (k & 1));
        if (!IsLegalMove(board, mover, from, to, e.Promote)) return k;
        char mask;
        board.MakeMove(from, to, e.Promote, &mask);
        board.Castling &= static_cast<uint8_t>(mask);
    }
    return length;
}

// Marks the time a search runs, for the commands that act differently then.
struct SearchingNow {
    explicit SearchingNow(uint8_t& flag) : Flag(flag) { Flag = 1; }
    ~SearchingNow() { Flag = 0; }
    SearchingNow(const SearchingNow&) = delete;
    SearchingNow& operator=(const SearchingNow&) = delete;
    uint8_t& Flag;
};
} // namespace

// The root

int SearchRoutines::SearchTreeRoot(char side, ChessBoard board, int alpha, int beta, int depth, uint64_t* from,
                                   uint64_t* to, char* promo, char castle)
{
    if (MainStatus.BenchMode == NoBench && MainStatus.UseBook == 1 && depth == 1) {
        const int index = InBook(side, castle, MainBoard);
        if (index >= 0) {
            MoveGen list;
            list.GenerateAllMoves(side, &board, castle);
            list.GetMove(index, from, to, promo);
            BookMovePlayed = 1;
            LastBookMoveNumber = MainStatus.MoveNumber;
            return 0;
        }
    }
    PrintRootStart(depth);

    const int start = PVTable[0][0].Move;
    uint64_t bestFrom = 1ULL << ((start >> 6) & 63), bestTo = 1ULL << (start & 63);
    char bestPromo = PVTable[0][0].Promote;
    LogLine("Init Tree Root Search Choice From=%d  To=%d  Promo=%c\n", (start >> 6) & 63, start & 63, bestPromo);

    SecondBestScore = NoScore;
    PE.PosEval(side, alpha, beta, &board, castle);
    RootDepth = depth;

    MoveGen list;
    const int n = list.GenerateAllMoves(side, &board, castle);
    RootMoveCount = n;
    list.AssignMoveOrderValues(n, 0, EnemyKing(board, side), NoPackedMove, PvNode);
    int best = NoScore, legal = 0, v = NoScore;
    const uint64_t enemyBefore = side == 0 ? board.BlackPieces : board.WhitePieces;
    const bool holdOn = SearchHeldOn();
    const int majors = board.PieceCounts[0][CountQueens] + board.PieceCounts[0][CountRooks] +
                       board.PieceCounts[0][CountBishops] + board.PieceCounts[0][CountKnights] +
                       board.PieceCounts[1][CountQueens] + board.PieceCounts[1][CountRooks] +
                       board.PieceCounts[1][CountBishops] + board.PieceCounts[1][CountKnights];
    char text[MoveTextSize];

    auto handBack = [&]() {
        *from = bestFrom;
        *to = bestTo;
        *promo = bestPromo;
    };
    auto logChoice = [&]() {
        LogLine("Tree Root Search Choice #1 From=%d  To=%d  Promo=%d\n", SquareOf(bestFrom), SquareOf(bestTo),
                bestPromo);
        RootMoveText(text, bestPromo);
        WriteLogFile(text);
    };

    for (int m = 0; m < n && best < beta; m++) {
        if (TimeUp && !holdOn) {
            LogLine("Tree Root Search Interrupted at m=%d LegalMoves=%d NumMove=%d\n", m, legal, n);
            break;
        }
        RootMoveNumber = m + 1;
        uint64_t f, t;
        char pr;
        list.NextMove(m, n, &f, &t, &pr);
        char mask;
        board.MakeMove(f, t, pr, &mask);
        const char childCastling = static_cast<char>(castle & mask);
        uint64_t upper, lower;
        currenthashcode(side ^ 1, childCastling, &upper, &lower, board);
        PositionCache.Prefetch(lower);
        if (board.InCheck(OwnKing(board, side), side)) {
            board.UndoMove(0);
            continue;
        }
        InteriorNodes++;
        legal++;
        PrintCurrentMove(f, t, legal, depth);
        const bool chk = board.InCheck(EnemyKing(board, side), side ^ 1);
        const bool capture = (side == 0 ? board.BlackPieces : board.WhitePieces) != enemyBefore;
        const int d = depth - 1 + (chk ? 1 : 0);

        auto child = [&](int a, int b, int childDepth, char inCheck, char type) {
            PVTable[1][0].Move = 1;
            return -Search(side ^ 1, a, b, board, childDepth, 1, 1, childCastling, inCheck, upper, lower, type, 4,
                           board.PlyLimit, 1);
        };
        auto quiesce = [&](int a, int b) {
            PVTable[1][0].Move = 1;
            return -Quiesce(side ^ 1, a, b, board, 0, 0, 1);
        };
        bool interrupted = false;
        if (legal == 1) {
            v = d == 0 ? quiesce(-beta, -alpha) : child(-beta, -alpha, d, chk ? InCheckNow : NotInCheck, PvNode);
        } else if (d == 0) {
            v = quiesce(-beta, -alpha);
            interrupted = StopEndsSearch(holdOn);
        } else {
            bool searchOn = true;
            const bool reducible = pr == NoPromotion && depth > 2 && legal > 2 && !chk && !capture &&
                                   list.OrderValue[m] <= ReducibleOrderValue && majors > 2;
            if (reducible) {
                v = child(-alpha - 1, -alpha, depth - 2, NotInCheck, AllNode);
                interrupted = StopEndsSearch(holdOn);
                searchOn = !interrupted && v > alpha;
            }
            if (searchOn) {
                v = child(-alpha - 1, -alpha, d, chk ? InCheckNow : NotInCheck, AllNode);
                interrupted = StopEndsSearch(holdOn);
                if (!interrupted && v > alpha && v < beta) v = child(-beta, -alpha, d, chk ? InCheckNow : NotInCheck, PvNode);
            }
        }

        if (interrupted) {
            board.UndoMove(0);
            LogLine("Tree Search #1 Interrupted at m=%d LegalMoves=%d NumMove=%d\n", m, legal, n);
            handBack();
            logChoice();
            PrintStoppedInMove(depth, v, legal);
            return v;
        }

        board.UndoMove(0);
        if (StopEndsSearch(holdOn)) {
            LogLine("Tree Search #2 Interrupted at m=%d LegalMoves=%d NumMove=%d\n", m, legal, n);
            handBack();
            logChoice();
            PrintStoppedAfterMove(depth, v);
            return v;
        }
        if (Abort) break;

        if (v > best) {
            SecondBestScore = best;
            bestFrom = f;
            bestTo = t;
            bestPromo = pr;
            if (depth > 9 && (MainStatus.MovesPerSession == 0 || MainStatus.MovesPerSession > 2) &&
                v + 200 < LastIterationScore && MainStatus.TimeLeft / 4 >= 1000 * static_cast<int64_t>(MainStatus.TimeInc))
                FailingLow = 1;
            best = v;
            if (v > alpha) {
                RootBestChanges++;
                PVTable[0][0].Move = static_cast<int16_t>(PackMove(f, t));
                PVTable[0][0].Promote = static_cast<int8_t>(pr);
                int end = PVTable[1][0].Move;
                if (end > MaxPly) end = MaxPly;
                for (int k = 1; k < end; k++) PVTable[0][k] = PVTable[1][k];
                PVLength = LegalLinePrefix(board, side, end);
                if (depth > 7) {
                    RootMoveText(text, pr);
                    LogLine("ply %d  v %d  TimeLastPly %d  TotalNodes %lld  %s", depth, v, MainStatus.MoveTime,
                            static_cast<long long>(Nodes()), text);
                }
                alpha = v;
                PrintNewBestLine(depth, v);
            }
        } else if (v > SecondBestScore) {
            SecondBestScore = v;
        }
    }

    // Cut short by an abort, the clock or a stop: outside pondering, the iteration shows where it stopped.
    const bool cutShort = (Abort || TimeUp || StopSearch) && !MainStatus.Ponder;
    if (cutShort) {
        // An iteration stopped before its first move has no score to show.
        if (v != NoScore) PrintStoppedIteration(depth, v);
        if (StopSearch) return best;
        handBack();
        return best;
    }
    if (Abort || TimeUp) {
        handBack();
        return best;
    }
    LegalRootMoves = legal;
    if (legal == 0) {
        RootHadNoMove = true;
        if (board.InCheck(OwnKing(board, side), side)) best = -MATE;
        else if (board.InCheck(EnemyKing(board, side), side ^ 1)) best = MATE;
        else best = STALEMATE;
    }
    handBack();
    return best;
}

int SearchRoutines::SearchExactDepth(ChessBoard board, char depth, uint64_t* from, uint64_t* to, char* promo)
{
    int d = depth;
    if (d < 1) {
        d = 200;
        board.PlyLimit = 400;
    } else {
        board.PlyLimit = 2 * d;
    }
    uint64_t upper, lower;
    StartSearch(board, upper, lower);
    MoveList.InsertMoveHistory(upper, lower);
    MainStatus.SearchDepth = MainStatus.FD;
    return SearchTreeRoot(board.ToMove, board, -FullWindow, FullWindow, d, from, to, promo,
                          static_cast<char>(board.Castling));
}

void SearchRoutines::StartSearch(ChessBoard& board, uint64_t& upper, uint64_t& lower)
{
    MainStatus.MoveTime = 0;
    LeafInteriorNodes = InteriorNodes = QuiesceNodes = 0;
    BookMovePlayed = StopSearch = TimeUp = Abort = TimeExtended = 0;
    LegalRootMoves = 0;
    LastIterationScore = 0;
    RootHadNoMove = false;
    MovePlayed = false;
    RootDepth = 0;
    board.InitPieceCounts();
    std::memset(PVTable, 0, sizeof PVTable);
    PVLength = 0;
    for (KillerPair& k : Killers) k.Killer0 = k.Killer1;
    MainStatus.StartTime = EngineClock();
    HardStopTime = 0;
    HardStopLimit = 0;
    genpawnhashcode(board.ToMove, board, &board.PawnHashCode);
    board.InitKeys();
    genhashcode(board.ToMove, board.Castling, &upper, &lower, &board);
    MoveList.RearmLongListMessage();
}

void SearchRoutines::TreeRootAssignMoveOrderValues(int n, char side, int alpha, int beta, ChessBoard* board,
                                                   MoveGen* list, int)
{
    for (int i = 0; i < n; i++) {
        uint64_t from, to;
        char promo, mask;
        list->GetMove(i, &from, &to, &promo);
        if (PackMove(from, to) == PVTable[0][0].Move && promo == PVTable[0][0].Promote) {
            list->OrderValue[i] = 30000;
            continue;
        }
        board->MakeMove(from, to, promo, &mask);
        list->OrderValue[i] =
            -Quiesce(side ^ 1, -beta, -alpha, *board, 100, static_cast<char>(board->Castling), PollPly + 1);
        board->UndoMove(0);
    }
}


// Iterative deepening

int SearchRoutines::ProgressiveDeepening(ChessBoard board, char maxdepth, uint64_t* from, uint64_t* to, char* promo)
{
    Status& st = MainStatus;
    SearchingNow guard(Searching);
    const bool analysing = st.Analyze != 0;
    uint64_t rootPieces[15];
    std::memcpy(rootPieces, &MainBoard.WhitePieces, sizeof rootPieces);
    const char rootSide = MainBoard.ToMove;
    int maxDepth = maxdepth <= 0 ? 100 : maxdepth;
    uint64_t upper, lower;
    StartSearch(board, upper, lower);
    if (st.xboard) MoveList.InsertMoveHistory(upper, lower);

    if (st.FD != 0) {
        // A depth beyond the signed byte is no valid setting; search as deep as an unlimited search would.
        maxDepth = st.FD > 0 ? st.FD : 100;
        st.SearchDepth = st.FD;
    } else {
        PlanSearch();
    }
    LogLine(" Initial Nodes Per Second = %d\n", st.NodesPerSecond);
    LogLine(" Initial NodesPeMove  = %d   Emergency Threshold = %d\n", NodesPerMove, st.EmergencyTimeThreshold);
    LogLine("Current TimerPerMove is %d\n", st.TimePerMove);
    NPSState = 0;

    int v = -MATE, depth = 1;
    bool easyMove = false;
    char text[MoveTextSize];
    for (;; depth++) {
        if (st.Analyze) {
            MeasureAnalysisRate();
            PrintAnalysisRate();
        } else if (!IterationMayStart(depth)) {
            depth--;
            break;
        }

        RootBestChanges = 255;
        FailingLow = 0;
        board.PlyLimit = depth <= 6 ? 2 * depth : 4 * depth;
        const int pv = v;
        v = SearchTreeRoot(MainBoard.ToMove, board, -FullWindow, FullWindow, depth, from, to, promo,
                           static_cast<char>(MainBoard.Castling));
        LastIterationScore = v;

        if (BookMovePlayed) {
            PrintBookMove();
            break;
        }
        st.MoveTime = static_cast<int32_t>(Nodes() / (st.NodesPerSecond > 0 ? st.NodesPerSecond : 1));
        if (st.MoveTime > 3) {
            LogLine("Move Time: %d milliseconds", st.MoveTime * 1000);
            MoveText(text, *from, *to, *promo, 1);
            LogLine(" %d  %d %d  %lld %s", depth, v, st.MoveTime, static_cast<long long>(Nodes()), text);
        }
        // An interrupted iteration, or one that searched no move at all, does not count.
        if (StopSearch || v == NoScore) {
            LogLine("New v from PreviousBestValue %d\n", pv);
            v = pv;
        }
        PrintIterationLine(depth, v);
        if (Abort && !st.Ponder) {
            MovePlayed = false;
            return v;
        }
        // A stop asked for during the iteration ("move now", the clock) ends the search here.
        const bool stopAsked = (StopSearch || TimeUp) && !st.Ponder && !analysing;
        if (stopAsked) break;
        if (IterationEndsSearch(depth, v, easyMove)) break;

        const bool mateFound = v > MateInHalfRange || (v >= -MATE && v <= -MateInHalfRange - 1);
        if (st.Ponder) {
            if (mateFound || LegalRootMoves == 1 || (v == 0 && depth > 71)) {
                WaitForInput();
                break;
            }
        } else {
            if (mateFound) break;
            if (LegalRootMoves == 1) break;
        }
        if (st.FD != 0 && depth == st.FD) break;
        if (depth >= maxDepth) break;
    }

    // An analysis or a ponder search that has nothing left to search waits for the interface: the
    // answer comes only after "stop" or "ponderhit". An analysis never plays its move.
    if ((analysing || st.Ponder) && !Abort) WaitForInput();

    // A search that has a legal move plays one, whatever cut it short; but never onto a position that a
    // command changed while it was searching.
    const char side = MainBoard.ToMove;
    const bool samePosition = std::memcmp(&MainBoard.WhitePieces, &rootPieces[0], sizeof rootPieces) == 0 &&
                              MainBoard.ToMove == rootSide;
    if (!RootHadNoMove && samePosition) {
        if (!IsLegalMove(MainBoard, side, *from, *to, *promo) && !FirstLegalMove(MainBoard, side, from, to, promo))
            RootHadNoMove = true;
    }
    MovePlayed = !RootHadNoMove && samePosition && !analysing;
    if (MovePlayed) {
        char mask;
        MainBoard.MakeMove(*from, *to, *promo, &mask);
        MainBoard.Castling &= static_cast<uint8_t>(mask);
    }
    if (depth < 1) depth = 1;
    PrintFinalLines(depth, v, *from, *to, *promo);
    return v;
}
