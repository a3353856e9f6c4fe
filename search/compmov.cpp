#include "search/compmov.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "board/hashcode.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "board/movhist.h"
#include "board/piecevalues.h"
#include "board/see.h"
#include "eval/poseval.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "protocol/humanmov.h"
#include "protocol/uciprotocol.h"
#include "search/book.h"
#include "search/hashtab.h"

SearchRoutines Search;
RootMoveStore RootMoves;

namespace {
// Razoring margins by remaining depth; only depths 1 to 3 are used.
constexpr int RazorMargins[8] = {1200, 1100, 1925, 2700, 3500, 4400, 5300, 6200};

// Mate-range thresholds.
constexpr int MateStoredBound = 109799;  // table values beyond this are mate scores
constexpr int RazorWindowBound = 109899; // razoring only inside this window
constexpr int MateThreatBound = -109699; // a null-move result below this is a threat of mate
constexpr int MateFoundBound = 109899;   // an iteration score beyond this ends the iterations

// Moves with an order value above this (hash, killers, captures, promotions) are never reduced.
constexpr int32_t ReducibleOrderValue = 950;
constexpr int32_t HistoryLimit = 65536;

constexpr int32_t Clamp32(int64_t v)
{
    return v < 0 ? 0 : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}

inline int Square(uint64_t oneBit)
{
    return RightMostBit(oneBit) - 1;
}

inline uint64_t OwnKing(const ChessBoard& b, char side)
{
    return side == 0 ? b.WhiteKing : b.BlackKing;
}

inline uint64_t EnemyKing(const ChessBoard& b, char side)
{
    return side == 0 ? b.BlackKing : b.WhiteKing;
}

inline int MateAdjust(int value, int ply)
{
    if (value > MateStoredBound) return value - ply;
    if (value < -MateStoredBound) return value + ply;
    return value;
}

// Keeps the node's keys on the position history exactly while the node is on the search path.
struct HistoryPush {
    HistoryPush(uint64_t upper, uint64_t lower) { MoveList.InsertHashCodeMoveHistory(upper, lower); }
    ~HistoryPush() { MoveList.RetractMove(); }
    HistoryPush(const HistoryPush&) = delete;
    HistoryPush& operator=(const HistoryPush&) = delete;
};

// A pawn that has passed every enemy pawn ahead of it on its own and the adjacent files.
bool PawnPushIsPassed(const ChessBoard& b, char side, uint64_t to)
{
    const int sq = Square(to), file = sq & 7, rank = sq >> 3;
    uint64_t files = 0x0101010101010101ULL << file;
    if (file > 0) files |= 0x0101010101010101ULL << (file - 1);
    if (file < 7) files |= 0x0101010101010101ULL << (file + 1);
    uint64_t ahead;
    if (side == 0) ahead = rank == 7 ? 0 : ~0ULL << (8 * (rank + 1));
    else ahead = rank == 0 ? 0 : ~0ULL >> (8 * (8 - rank));
    const uint64_t enemyPawns = side == 0 ? b.BlackPawns : b.WhitePawns;
    return (enemyPawns & files & ahead) == 0;
}

void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogLine(const char* format, ...)
{
    // Long enough for the longest move text with its whole line.
    char text[MoveTextSize + 256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    WriteLogFile(text);
}

// Move text of a move given as bitboards, optionally with the rest of the root line.
void MoveText(char* buffer, uint64_t from, uint64_t to, char promo, int pvFlag)
{
    fillmovestring(buffer, 0, static_cast<char>(Square(from)), static_cast<char>(Square(to)), promo, pvFlag);
}

// Move text of the root's best move (PV entry 0) with the given promotion.
void RootMoveText(char* buffer, char promo)
{
    const int p = Search.PVTable[0][0].Move;
    fillmovestring(buffer, 0, static_cast<char>((p >> 6) & 63), static_cast<char>(p & 63), promo, 1);
}

// A word for the protocol: at the end of input there is nothing left to do but quit.
std::string ReadCommandWord()
{
    std::string word;
    if (!StdinReader::ReadWord(word)) word = "quit";
    return word;
}

int Dispatch(const std::string& word)
{
    return MainStatus.UCIMode ? UCI.UCIPrep(word.c_str()) : DoCommand(word.c_str());
}

void PrintAbortLine(const std::string& word)
{
    printf(" Search Aborted due to receiveing following string: %s\n", word.c_str());
    fflush(stdout);
}

// The measured node rate, or 0 when no usable measurement is possible.
int32_t MeasuredRate(int64_t nodes, double secs)
{
    if (secs <= 0) return 0;
    const float rate = static_cast<float>(nodes) / static_cast<float>(secs);
    return rate >= 1.0f && rate < 2147483520.0f ? static_cast<int32_t>(rate) : 0;
}

// Polls come every few milliseconds' worth of nodes, so a move keeps inside its hard limit and the
// protocol's questions are answered at once.
int64_t PollInterval()
{
    // Enough nodes for about 2 ms on a fast machine, however far off the rate estimate is.
    constexpr int64_t QuickPoll = 4096;
    const int64_t rate = MainStatus.NodesPerSecond;
    // An xboard analysis reports its progress at every poll.
    if (MainStatus.Analyze && MainStatus.xboard) return rate >> 3;
    // A fixed-depth search still answers the protocol promptly.
    if (MainStatus.FD != 0) return std::clamp<int64_t>(rate >> 1, 1, 16 * QuickPoll);
    return std::clamp<int64_t>(rate >> 8, 1, QuickPoll);
}

bool EndOfInputDelivered = false;

// Input is read during a search under the protocols, and in a console analysis, which nothing but a
// command can end.
bool InputPolled()
{
    return MainStatus.xboard == 1 || MainStatus.UCIMode == 1 || MainStatus.Analyze == 1;
}

// A timed search's first poll interval: the first touch of the table's pages can make nodes a hundred
// times slower than usual, so the interval starts small and grows while polls come close together.
constexpr int64_t FirstTimedPollInterval = 16;

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

// Time rules

TimePlan PlanMoveTime(const Status& status, int32_t lastBookMoveNumber, void (*log)(const char*))
{
    char text[128];
    auto say = [&](const char* format, int64_t a, int64_t b = 0) {
        if (!log) return;
        snprintf(text, sizeof text, format, static_cast<long long>(a), static_cast<long long>(b));
        log(text);
    };
    TimePlan plan{};
    const int64_t timeLeft = status.TimeLeft, inc = status.TimeInc;
    int64_t t;
    if (status.ST != 0) {
        t = status.ST;
        plan.EmergencyTime = Clamp32(status.ST);
        plan.EmergencyTimeSet = true;
        say(" TimePeMove after ST = %lld \n", t);
        say(" EmergencyTimeThreshold after ST = %lld \n", status.ST);
    } else if (status.MovesPerSession != 0) {
        const int64_t m = status.MovesPerSession;
        t = ((timeLeft * 95) / m) / 100;
        if (m <= 3) t /= 2;
    } else {
        t = status.MoveNumber > 120 && inc <= 0 ? timeLeft / 40 : timeLeft / 30;
        if (!status.UCIMode && status.MoveNumber <= lastBookMoveNumber + 7)
            t = (t * 3) >> 1;
        else if ((status.MoveNumber % 10 == 0 || status.MoveNumber % 9 == 0) && timeLeft > 60000)
            t = (t * 7) >> 2;
        say(" TimePerMove Before Inc = %lld \n", t);
        int64_t e = (inc > 0 ? 1000 * inc : 0) + 2 * t;
        if (e > timeLeft) {
            say("EmergencyTimeThreshold = %lld > TimeLeft %lld\n", e, timeLeft);
            e = 300 * inc;
        }
        say(" EmergencyTimeThreshold = %lld \n", e);
        if (inc > 0) {
            if (timeLeft > 20000) t += 1000 * inc;
            else if (timeLeft > 10000) t += 500 * inc;
        }
        say(" TimePerMove After Inc = %lld \n", t);
        if (e <= t + 1000) {
            t = e / 2;
            say(" Inc = %lld \n", t);
        }
        say(" Inc = %lld \n", inc);
        say(" EmergencyTimeThreshold after comparing to Inc = %lld \n", e);
        plan.EmergencyTime = Clamp32(e);
        plan.EmergencyTimeSet = true;
    }
    plan.TimePerMove = Clamp32(t);
    plan.NodesPerMove = Clamp32(static_cast<int64_t>(status.NodesPerSecond / 2000) * plan.TimePerMove);
    plan.EmergencyNodes = Clamp32(2 * static_cast<int64_t>(plan.NodesPerMove));
    return plan;
}

// History, killers and small services

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

void SearchRoutines::AbortSearch()
{
    Abort = 1;
    StopSearch = 1;
    TimeUp = 1;
}

int SearchRoutines::InputDetected()
{
    if (!InputPolled()) return 0;
    return StdinReader::WordWaiting() ? 1 : 0;
}

int64_t SearchRoutines::InitMoveTimer()
{
    return MainStatus.Analyze ? MainStatus.NodesPerSecond >> 3 : MainStatus.NodesPerSecond >> 1;
}

void SearchRoutines::InitValues()
{
    TimeExtended = 0;
    StopSearch = 0;
    TimeUp = 0;
    Abort = 0;
    LastIterationScore = 0;
}

int SearchRoutines::ValueCapturedPiece(char side, uint64_t square, const ChessBoard* board) const
{
    return CapturedPieceValue(side, square, board);
}

bool SearchRoutines::InCheckmate(uint64_t kingBB, char side, char inCheck, ChessBoard* board)
{
    if (inCheck == 2) inCheck = board->InCheck(kingBB, side) ? 1 : 0;
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

// Output

// The root line for the thinking and info lines; empty while the root has no move (packed 0 is a1a1,
// which no move is), so a mated or stalemated side shows no made-up move.
void SearchRoutines::PrintThinkingLine(int depth, int score)
{
    char text[MoveTextSize] = " \n";
    if (PVTable[0][0].Move != 0) RootMoveText(text, PVTable[0][0].Promote);
    printf("%d %d %d %lld %s", depth, score / 10, MainStatus.MoveTime * 100, static_cast<long long>(Nodes()), text);
    fflush(stdout);
}

void SearchRoutines::PrintInfoLine(int depth, int score, bool withTime)
{
    // Interfaces read the line as UCI moves: each with its promotion letter, separated by blanks.
    std::string pv;
    if (PVTable[0][0].Move != 0) {
        pv = " pv";
        const int length = PVLength > 1 ? std::min(PVLength, MaxPly) : 1;
        for (int k = 0; k < length; k++) {
            const PVEntry& e = PVTable[0][k];
            const int from = (e.Move >> 6) & 63, to = e.Move & 63;
            pv += ' ';
            pv += files[from & 7];
            pv += static_cast<char>('1' + (from >> 3));
            pv += files[to & 7];
            pv += static_cast<char>('1' + (to >> 3));
            switch (e.Promote) {
            case 'Q': case 'q': pv += 'q'; break;
            case 'R': case 'r': pv += 'r'; break;
            case 'B': case 'b': pv += 'b'; break;
            case 'N': case 'n': pv += 'n'; break;
            default: break;
            }
        }
        pv += ' ';
    }
    if (withTime)
        printf("info depth %d score cp %d time %d nodes %lld%s\n", depth, score / 10, MainStatus.MoveTime * 1000,
               static_cast<long long>(Nodes()), pv.c_str());
    else
        printf("info depth %d score cp %d nodes %lld%s\n", depth, score / 10, static_cast<long long>(Nodes()),
               pv.c_str());
    fflush(stdout);
}

// The input poll

void SearchRoutines::MeasureRate(int64_t nodes, bool duringIteration)
{
    const int32_t elapsed = EngineClock() - MainStatus.StartTime;
    const int32_t secs = (elapsed + 500) / 1000;
    LogLine(duringIteration ? "Time Consumption for first half of search was %f \n"
                            : "Time Consumption for first 7 ply was %f \n",
            static_cast<double>(secs));
    const int32_t rate = MeasuredRate(nodes, secs);
    if (rate > 0) {
        LogLine("Current TimerPerMove is %d\n", MainStatus.TimePerMove);
        LogLine("Previous NPS was %d\n", MainStatus.NodesPerSecond);
        LogLine("Previous NodesPerMove was %d\n", NodesPerMove);
        LogLine("Nodes for the first 7 ply %lld\n", static_cast<long long>(nodes));
        MainStatus.NodesPerSecond = rate;
        NodesPerMove = Clamp32(static_cast<int64_t>(rate / 1000) * MainStatus.TimePerMove);
        if (duringIteration) {
            printf("info nps %d time %g\n", rate, secs * 1000.0);
            fflush(stdout);
        }
        LogLine(" Dynamic Nodes Per Second = %d\n", rate);
        MainStatus.EmergencyTimeThreshold = Clamp32(2 * static_cast<int64_t>(NodesPerMove));
        LogLine(" NodesPeMove after Dynamic Adjustment = %d   Emergency Threshold = %d\n", NodesPerMove,
                MainStatus.EmergencyTimeThreshold);
    }
    NPSState = 1;
}

// The budget is spent: a root that is failing low gets one extension, otherwise the search winds down.
// True when the node must return at once.
bool SearchRoutines::OverBudget()
{
    if (FailingLow && !TimeExtended) {
        if (MainStatus.ST != 0) {
            StopSearch = 1;
            TimeUp = 1;
            return true;
        }
        for (int k = TimeUp ? 2 : 1; k > 0; k--) {
            NodesPerMove = Clamp32(2 * static_cast<int64_t>(NodesPerMove));
            MainStatus.TimePerMove = Clamp32(2 * static_cast<int64_t>(MainStatus.TimePerMove));
            MainStatus.EmergencyTimeThreshold = Clamp32(2 * static_cast<int64_t>(MainStatus.EmergencyTimeThreshold));
        }
        TimeExtended = 1;
        WriteLogFile("Timer Extended - Failing Low\n");
        TimeUp = 0;
        return false;
    }
    if (MainStatus.ST != 0) {
        StopSearch = 1;
        TimeUp = 1;
        return true;
    }
    TimeUp = 1;
    return false;
}

bool SearchRoutines::Poll()
{
    bool handled = false;
    if (InputPolled() && !(EndOfInputDelivered && StdinReader::AtEnd()) && StdinReader::WordWaiting()) {
        const std::string word = ReadCommandWord();
        if (StdinReader::AtEnd()) EndOfInputDelivered = true;
        handled = true;
        if (Dispatch(word) == 2) {
            PrintAbortLine(word);
            AbortSearch();
            return true;
        }
        // The rest of the command's line goes with it; later lines stay for the protocol.
        StdinReader::DiscardRestOfLine();
    }
    if (!handled && RootDepth > 7 && MainStatus.Analyze == 1 && MainStatus.xboard == 1) {
        printf("stat01: %d %lld %d %d %d\n", (EngineClock() - MainStatus.StartTime) / 10,
               static_cast<long long>(Nodes()), RootDepth,
               RootMoveCount - RootMoveNumber, RootMoveCount);
        fflush(stdout);
    }

    // Budget checks belong to timed searches, and never cut the first iteration short.
    if (!MainStatus.Analyze && !MainStatus.Ponder && MainStatus.FD == 0 && RootDepth > 1) {
        const int64_t n = Nodes();
        if (NPSState == 0) {
            if (n > NodesPerMove || Abort) {
                MeasureRate(n, true);
                if ((Nodes() > NodesPerMove || Abort) && OverBudget()) return true;
            }
        } else {
            if ((n > NodesPerMove || Abort) && OverBudget()) return true;
            if (Nodes() >= MainStatus.EmergencyTimeThreshold || Abort) {
                StopSearch = 1;
                return true;
            }
        }
        // The wall clock is the last word: the move's hard limit is never passed.
        if (HardStopTime != 0 && EngineClock() >= HardStopTime) {
            StopSearch = 1;
            TimeUp = 1;
            return true;
        }
    }
    PollCountdown = NextPollInterval();
    return false;
}

int64_t SearchRoutines::NextPollInterval()
{
    const int64_t most = PollInterval();
    if (HardStopTime == 0) return most;
    // A timed search polls about every millisecond, at the node rate seen since the last poll.
    const int32_t now = EngineClock();
    const int32_t elapsed = now - LastPollClock;
    const int64_t nodes = Nodes();
    if (elapsed >= 2) TimedPollInterval = std::max<int64_t>(1, (nodes - LastPollNodes) / elapsed);
    else if (elapsed == 0) TimedPollInterval = 2 * TimedPollInterval;
    TimedPollInterval = std::min(TimedPollInterval, most);
    LastPollClock = now;
    LastPollNodes = nodes;
    return TimedPollInterval;
}

// The node search

int SearchRoutines::Search(char side, int alpha, int beta, ChessBoard board, int depth, int ply, char nullAllowed,
                           char castling, char inCheck, uint64_t, uint64_t, char nodeType, char moveFlags,
                           int maxPly, char last)
{
    if (!MainStatus.BenchMode && !Abort && PollCountdown-- <= 0 && Poll()) return 0;

    uint64_t upper, lower;
    genhashcode(side, castling, &upper, &lower, &board);
    PositionCache.Prefetch(lower);
    HistoryPush onPath(upper, lower);

    // Past the ply limit a node is a horizon node unless in check; the tables end at the last ply.
    if (((ply > maxPly || depth <= 0) && inCheck != 1) || ply >= MaxPly - 1) {
        if (board.FiftyMoveCount > 2 && MoveList.ThreeFoldRepDetection(board.FiftyMoveCount, upper, lower) != 0)
            return 0;
        int value = 0, hashMove = 0;
        const ProbeResult r = PositionCache.SearchTranspositionTables(upper, lower, depth, alpha, beta, &value, &hashMove);
        if (r <= Exact) {
            LeafInteriorNodes++;
            return MateAdjust(value, ply);
        }
        const int v = Quiesce(side, alpha, beta, board, depth, 0, ply + 1);
        if (v >= beta) PositionCache.InsertTranspositionTables(upper, lower, depth, 0, v, 1);
        else if (v > alpha) PositionCache.InsertTranspositionTables(upper, lower, depth, 0, v, 2);
        else PositionCache.InsertTranspositionTables(upper, lower, depth, 0, alpha, 0);
        LeafInteriorNodes++;
        return v;
    }

    if (board.CheckDraw(side) != NotDrawn) return 0;
    if (board.FiftyMoveCount > 2 && MoveList.ThreeFoldRepDetection(board.FiftyMoveCount, upper, lower) > 0) return 0;

    int hashMove = 0;
    int value = 0;
    const ProbeResult r = PositionCache.SearchTranspositionTables(upper, lower, depth, alpha, beta, &value, &hashMove);
    if (r <= Exact) {
        if (MainStatus.Trace == 1) {
            printf("Position Cache Hit: v=%d alpha=%d beta=%d\n", value, alpha, beta);
            printf("Upper HC %llu Lower HC %llu\n", static_cast<unsigned long long>(upper),
                   static_cast<unsigned long long>(lower));
        }
        if (nodeType != 1) {
            PVTable[ply][ply].Move = static_cast<int16_t>(hashMove);
            // An empty table move is no line to show.
            PVTable[ply][0].Move = static_cast<int16_t>(hashMove ? ply + 1 : ply);
            return MateAdjust(value, ply);
        }
    }

    const bool nonPV = nodeType != 1;
    const int32_t sideTotal = side == 0 ? board.WhitePieceCount : board.BlackPieceCount;
    const int32_t sidePawns = board.PieceCounts[side == 0 ? 0 : 1][CountPawns];
    if (nonPV && nullAllowed && !inCheck && depth <= 3 && beta >= -RazorWindowBound && beta <= RazorWindowBound &&
        sideTotal > sidePawns) {
        const int e = PE.PosEval(side, alpha, beta, &board, castling) - RazorMargins[depth];
        if (e >= beta) return e;
    }

    bool mateThreat = false;
    // The null-move child sits two plies down and must stay inside the tables.
    if (nonPV && nullAllowed && !inCheck && r != NoCutAvoidNull && ply + 2 <= MaxPly - 1) {
        const int material = PE.SideMaterialValue(side, &board);
        if (!(material <= 9300 && depth > 6) && PE.MaterialOnly(side, alpha, board) + 2000 >= beta) {
            int reduction = depth <= 5 ? 3 : 4;
            if (material + PE.SideMaterialValue(side ^ 1, &board) > 33000) reduction++;
            PVTable[ply + 2][0].Move = static_cast<int16_t>(ply + 2);
            const int v = -Search(side ^ 1, -beta, -beta + 1, board, depth - reduction, ply + 2, 0, castling, 0, upper,
                                  lower, nodeType, moveFlags, maxPly, last);
            if (StopSearch && MainStatus.FD == 0) return 0;
            if (v >= beta) {
                PositionCache.InsertTranspositionTables(upper, lower, depth - 3, 0, v, 1);
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
        Search(side, alpha, beta, board, depth - 3, ply, 0, castling, inCheck, upper, lower, nodeType, moveFlags,
               maxPly, last);
        if (StopSearch && MainStatus.FD == 0 && !MainStatus.Ponder) return 0;
        int ignored = 0;
        PositionCache.SearchTranspositionTables(upper, lower, depth, alpha, beta, &ignored, &hashMove);
    }

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

    if (n > 0 && beta >= NoScore + 1) {
        for (int i = 0; i < n && best < beta; i++) {
            uint64_t from, to;
            char promo;
            list.NextMove(i, n, &from, &to, &promo);
            const bool destinationEmpty = (board.AllPieces & to) == 0;
            char mask;
            board.MakeMove(from, to, promo, &mask);
            if (board.InCheck(OwnKing(board, side), side)) {
                board.UndoMove(0);
                continue;
            }
            legal++;
            InteriorNodes++;
            const bool givesCheck = board.InCheck(EnemyKing(board, side), side ^ 1);
            const bool capture = (side == 0 ? board.BlackPieces : board.WhitePieces) != enemyBefore;

            const int ext = givesCheck || (nodeType == 1 && singleReply) ? 1 : 0;
            bool reducible = legal > 2 && promo == NoPromotion && depth > 2 && !givesCheck && ply != 1 &&
                             !mateThreat && !singleReply && !capture && list.OrderValue[i] <= ReducibleOrderValue &&
                             !inCheck;
            if (reducible && board.IsPawn(side, to) && PawnPushIsPassed(board, side, to)) reducible = false;
            const int reduction = reducible ? (depth == 3 ? 1 : 2) : 0;
            const bool fut = depth == 2 && !inCheck && !givesCheck && !reducible && childType != 1 &&
                             promo == NoPromotion && !capture &&
                             PE.MaterialOnly(side, alpha, board) + 3440 < alpha;
            const int d = depth - 1 + ext - (fut ? 1 : 0) - reduction;
            const char childCastling = static_cast<char>(castling & mask);

            auto child = [&](int a, int b, int childDepth, char type) {
                PVTable[ply + 1][0].Move = static_cast<int16_t>(ply + 1);
                return -Search(side ^ 1, a, b, board, childDepth, ply + 1, 1, childCastling, givesCheck ? 1 : 0,
                               upper, lower, type, moveFlags, maxPly, last);
            };
            auto quiesce = [&](int a, int b) {
                PVTable[ply + 1][0].Move = static_cast<int16_t>(ply + 1);
                return -Quiesce(side ^ 1, a, b, board, depth - 1, 0, ply + 1);
            };

            int v;
            if (nodeType != 1 || legal == 1) {
                childType = nodeType == 1 ? 1 : nodeType == 2 ? 3 : 2;
                v = d > 0 || givesCheck ? child(-beta, -alpha, d, childType) : quiesce(-beta, -alpha);
                if (StopSearch && MainStatus.FD == 0) return 0;
            } else {
                if (d > 0 || givesCheck) {
                    v = child(-alpha - 1, -alpha, d, 3);
                    if (v > alpha && v < beta) v = child(-beta, -alpha, d, 3);
                } else {
                    v = quiesce(-beta, -alpha);
                }
                childType = 3;
            }
            if (v > alpha && reduction > 0) v = child(-beta, -alpha, depth - 1 + ext, 1);

            if (StopSearch && MainStatus.FD == 0) return 0;
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
        if (best >= beta) PositionCache.InsertTranspositionTables(upper, lower, depth, move, best, 1);
        else if (alphaRaised) PositionCache.InsertTranspositionTables(upper, lower, depth, move, best, 2);
        else PositionCache.InsertTranspositionTables(upper, lower, depth, move, alphaIn, 0);
    }
    return best;
}

// Quiescence: captures and promotions until the position is quiet

int SearchRoutines::Quiesce(char side, int alpha, int beta, ChessBoard board, int depth, char flag, int ply)
{
    QuiesceNodes++;
    PollCountdown--;
    if (board.CheckDraw(side) != NotDrawn) return 0;

    const int standPat = PE.PosEval(side, alpha, beta, &board, flag);
    if (standPat >= beta) return standPat;
    int best = standPat;
    if (standPat > alpha) alpha = standPat;

    MoveGen list;
    const int n = list.GenerateQuiesceMoves(side, &board);
    list.QuiesceAssignMoveOrderValues(n);
    const uint64_t enemyKing = EnemyKing(board, side);
    for (int i = 0; i < n; i++) {
        uint64_t from, to;
        char promo;
        list.NextMove(i, n, &from, &to, &promo);
        // Captures come first, so the first quiet move ends the list (an en passant capture included).
        if ((board.AllPieces & to) == 0 && promo == NoPromotion) break;
        if (to & enemyKing) return beta;
        const int victim = ValueCapturedPiece(side, to, &board);
        const int attacker = ValueCapturedPiece(side ^ 1, from, &board);
        if (victim < attacker && see.StaticExchangeEvaluation(side ^ 1, from, to, &board) < 0) continue;
        char mask;
        board.MakeMove(from, to, promo, &mask);
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

// The root

int SearchRoutines::SearchTreeRoot(char side, ChessBoard board, int alpha, int beta, int depth, uint64_t* from,
                                   uint64_t* to, char* promo, char castle)
{
    if (MainStatus.BenchMode == 0 && MainStatus.UseBook == 1 && depth == 1) {
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
    if (MainStatus.UCIMode) {
        printf("info depth %d\n", depth);
        fflush(stdout);
    }

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
    list.AssignMoveOrderValues(n, 0, EnemyKing(board, side), 0, 1);
    int best = NoScore, legal = 0, v = NoScore;
    const uint64_t enemyBefore = side == 0 ? board.BlackPieces : board.WhitePieces;
    const bool holdOn = MainStatus.FD != 0 || MainStatus.Ponder;
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
        LogLine("Tree Root Search Choice #1 From=%d  To=%d  Promo=%d\n", Square(bestFrom), Square(bestTo), bestPromo);
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
        genhashcode(side ^ 1, childCastling, &upper, &lower, &board);
        if (board.InCheck(OwnKing(board, side), side)) {
            board.UndoMove(0);
            continue;
        }
        InteriorNodes++;
        legal++;
        if (MainStatus.UCIMode) {
            if (UCI.ShowCurrLine == 1 && depth > 8 && Nodes() > 3 * static_cast<int64_t>(MainStatus.NodesPerSecond)) {
                const int fs = Square(f), ts = Square(t);
                printf("info currmove %c%d%c%d currmovenumber %d\n", files[fs & 7], fs / 8 + 1, files[ts & 7],
                       ts / 8 + 1, legal);
            }
            fflush(stdout);
        }
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
            v = d == 0 ? quiesce(-beta, -alpha) : child(-beta, -alpha, d, chk ? 1 : 0, 1);
        } else if (d == 0) {
            v = quiesce(-beta, -alpha);
            interrupted = StopSearch && !holdOn;
        } else {
            bool searchOn = true;
            const bool reducible = pr == NoPromotion && depth > 2 && legal > 2 && !chk && !capture &&
                                   list.OrderValue[m] <= ReducibleOrderValue && majors > 2;
            if (reducible) {
                v = child(-alpha - 1, -alpha, depth - 2, 0, 3);
                interrupted = StopSearch && !holdOn;
                searchOn = !interrupted && v > alpha;
            }
            if (searchOn) {
                v = child(-alpha - 1, -alpha, d, chk ? 1 : 0, 3);
                interrupted = StopSearch && !holdOn;
                if (!interrupted && v > alpha && v < beta) v = child(-beta, -alpha, d, chk ? 1 : 0, 1);
            }
        }

        if (interrupted) {
            board.UndoMove(0);
            LogLine("Tree Search #1 Interrupted at m=%d LegalMoves=%d NumMove=%d\n", m, legal, n);
            handBack();
            logChoice();
            if (MainStatus.xboard) {
                if (MainStatus.Post == 1) PrintThinkingLine(depth, v);
            } else if (MainStatus.UCIMode) {
                if (depth > 7) {
                    PrintInfoLine(depth, v, true);
                    printf("info currmovenumber %d\n", legal);
                }
                fflush(stdout);
            }
            return v;
        }

        board.UndoMove(0);
        if (StopSearch && !holdOn) {
            LogLine("Tree Search #2 Interrupted at m=%d LegalMoves=%d NumMove=%d\n", m, legal, n);
            handBack();
            logChoice();
            if (MainStatus.Post == 1 && MainStatus.xboard == 1) PrintThinkingLine(depth, v);
            if (MainStatus.UCIMode) PrintInfoLine(depth, v, true);
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
                if (MainStatus.Post == 1 && RootDepth > 7 && MainStatus.xboard == 1) PrintThinkingLine(depth, v);
                alpha = v;
                if (MainStatus.UCIMode) PrintInfoLine(depth, v, MainStatus.Analyze == 1);
            }
        } else if (v > SecondBestScore) {
            SecondBestScore = v;
        }
    }

    if ((Abort || TimeUp || StopSearch) && !MainStatus.Ponder) {
        // An iteration stopped before its first move has no score to show.
        if (v != NoScore) {
            if (MainStatus.Post == 1 && MainStatus.xboard == 1) PrintThinkingLine(depth, v);
            if (MainStatus.UCIMode) PrintInfoLine(depth, v, false);
        }
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
    MainStatus.MoveTime = 0;
    LeafInteriorNodes = InteriorNodes = QuiesceNodes = 0;
    int d = depth;
    if (d < 1) {
        d = 200;
        board.PlyLimit = 400;
    } else {
        board.PlyLimit = 2 * d;
    }
    BookMovePlayed = StopSearch = TimeUp = Abort = TimeExtended = 0;
    LegalRootMoves = 0;
    LastIterationScore = 0;
    RootHadNoMove = false;
    board.InitPieceCounts();
    std::memset(PVTable, 0, sizeof PVTable);
    for (KillerPair& k : Killers) k.Killer0 = k.Killer1;
    MainStatus.StartTime = EngineClock();
    HardStopTime = 0;
    genpawnhashcode(board.ToMove, board, &board.PawnHashCode);
    uint64_t upper, lower;
    genhashcode(board.ToMove, board.Castling, &upper, &lower, &board);
    MoveList.RearmLongListMessage();
    MoveList.InsertMoveHistory(upper, lower);
    MainStatus.SearchDepth = MainStatus.FD;
    return SearchTreeRoot(board.ToMove, board, -MATE, MATE, d, from, to, promo, static_cast<char>(board.Castling));
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

void SearchRoutines::WaitForInput()
{
    if (!InputPolled()) return;
    // Until a command ends the search, or the opponent plays the move pondered on; a question such as
    // "isready" is answered and the wait goes on.
    for (;;) {
        while (!InputDetected()) usleep(1000);
        const bool pondering = MainStatus.Ponder;
        const std::string word = ReadCommandWord();
        if (StdinReader::AtEnd()) EndOfInputDelivered = true;
        const int result = Dispatch(word);
        StdinReader::DiscardRestOfLine();
        if (result == 2 || (pondering && !MainStatus.Ponder) || Abort || EndOfInputDelivered) {
            PrintAbortLine(word);
            break;
        }
    }
    AbortSearch();
}

void SearchRoutines::StartClock()
{
    MainStatus.StartTime = EngineClock();
    HardStopTime = HardStopLimit ? Clamp32(static_cast<int64_t>(MainStatus.StartTime) + HardStopLimit) : 0;
    StartTimedPolls();
}

void SearchRoutines::StartTimedPolls()
{
    TimedPollInterval = FirstTimedPollInterval;
    LastPollClock = EngineClock();
    LastPollNodes = Nodes();
    // The next node polls, so the new interval applies at once.
    PollCountdown = 0;
}

int SearchRoutines::ProgressiveDeepening(ChessBoard board, char maxdepth, uint64_t* from, uint64_t* to, char* promo)
{
    Status& st = MainStatus;
    SearchingNow guard(Searching);
    const bool analysing = st.Analyze != 0;
    uint64_t rootPieces[15];
    std::memcpy(rootPieces, &MainBoard.WhitePieces, sizeof rootPieces);
    const char rootSide = MainBoard.ToMove;
    st.MoveTime = 0;
    int maxDepth = maxdepth <= 0 ? 100 : maxdepth;
    LeafInteriorNodes = InteriorNodes = QuiesceNodes = 0;
    BookMovePlayed = TimeExtended = StopSearch = TimeUp = Abort = 0;
    LastIterationScore = 0;
    LegalRootMoves = 0;
    RootHadNoMove = false;
    MovePlayed = false;
    RootDepth = 0;
    board.InitPieceCounts();
    std::memset(PVTable, 0, sizeof PVTable);
    PVLength = 0;
    for (KillerPair& k : Killers) k.Killer0 = k.Killer1;
    st.StartTime = EngineClock();
    genpawnhashcode(board.ToMove, board, &board.PawnHashCode);
    uint64_t upper, lower;
    genhashcode(board.ToMove, board.Castling, &upper, &lower, &board);
    if (st.xboard) MoveList.InsertMoveHistory(upper, lower);
    MoveList.RearmLongListMessage();

    HardStopTime = 0;
    HardStopLimit = 0;
    bool easyMove = false;
    if (st.FD != 0) {
        // A depth beyond the signed byte is no valid setting; search as deep as an unlimited search would.
        maxDepth = st.FD > 0 ? st.FD : 100;
        st.SearchDepth = st.FD;
    } else {
        const TimePlan plan = PlanMoveTime(st, LastBookMoveNumber, WriteLogFile);
        st.TimePerMove = plan.TimePerMove;
        if (plan.EmergencyTimeSet) st.EmergencyTimeThreshold = plan.EmergencyTime;
        if (st.ST == 0 && st.MovesPerSession == 0 && !st.xboard && !st.UCIMode) {
            printf("Time Per Move = %d\nTime Left = %d\nDefaultMovesPerSession = %d\n", st.TimePerMove, st.TimeLeft,
                   st.DefaultMovesPerSession);
            fflush(stdout);
        }
        // The first node polls: a command that came while the engine was not searching acts at once.
        PollCountdown = 0;
        NodesPerMove = plan.NodesPerMove;
        st.EmergencyTimeThreshold = plan.EmergencyNodes;
        // The hard limit: the fixed time, or what a failing root may take at most (four times the time per
        // move) but never past the clock less a margin for the interface's own delays. A ponder search
        // starts it when the opponent plays the expected move.
        HardStopLimit = 0;
        if (!st.Analyze) {
            int64_t limit = 0;
            if (st.ST != 0) {
                limit = st.ST;
            } else if (st.TimeLeft > 0) {
                const int64_t most = std::max<int64_t>(4 * static_cast<int64_t>(plan.TimePerMove), plan.EmergencyTime);
                limit = std::min<int64_t>(most, st.TimeLeft - (st.TimeLeft / 8 + 30));
            }
            if (st.ST != 0 || st.TimeLeft > 0) HardStopLimit = Clamp32(limit > 1 ? limit : 1);
        }
        if (!st.Ponder && HardStopLimit) HardStopTime = Clamp32(static_cast<int64_t>(st.StartTime) + HardStopLimit);
        StartTimedPolls();
    }
    LogLine(" Initial Nodes Per Second = %d\n", st.NodesPerSecond);
    LogLine(" Initial NodesPeMove  = %d   Emergency Threshold = %d\n", NodesPerMove, st.EmergencyTimeThreshold);
    LogLine("Current TimerPerMove is %d\n", st.TimePerMove);
    NPSState = 0;

    int v = -MATE, depth = 1;
    char text[MoveTextSize];
    for (;; depth++) {
        if (st.Analyze) {
            const int32_t secs = (EngineClock() - st.StartTime + 500) / 1000;
            const int32_t rate = MeasuredRate(Nodes(), secs);
            if (rate > 0) st.NodesPerSecond = rate;
            printf("info nps %d\ninfo time %d\n", st.NodesPerSecond, st.MoveTime * 1000);
            fflush(stdout);
        } else if (depth > 1 && HardStopTime != 0 && EngineClock() >= HardStopTime) {
            st.SearchDepth = depth - 1;
            depth--;
            break;
        } else if (!st.Ponder && st.FD == 0 && Nodes() > NodesPerMove) {
            if (NPSState == 0) MeasureRate(Nodes(), false);
            if (Nodes() > NodesPerMove) {
                st.SearchDepth = depth - 1;
                depth--;
                break;
            }
        }

        RootBestChanges = 255;
        FailingLow = 0;
        board.PlyLimit = depth <= 6 ? 2 * depth : 4 * depth;
        const int pv = v;
        v = SearchTreeRoot(MainBoard.ToMove, board, -MATE, MATE, depth, from, to, promo,
                           static_cast<char>(MainBoard.Castling));
        LastIterationScore = v;

        if (BookMovePlayed) {
            printf("tellics kibitz Opening Book Move\n");
            fflush(stdout);
            WriteLogFile("Opening Book Move\n");
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
        if (st.Post == 1 || st.Analyze == 1) {
            if (st.UCIMode) {
                PrintInfoLine(depth, v, true);
            } else {
                PrintThinkingLine(depth, v);
                printf("\n");
                fflush(stdout);
            }
        }
        if (Abort && !st.Ponder) {
            MovePlayed = false;
            return v;
        }
        // A stop asked for during the iteration ("move now", the clock) ends the search here.
        if ((StopSearch || TimeUp) && !st.Ponder && !analysing) break;

        if (!Abort && st.FD == 0 && !st.Ponder) {
            if (st.ST != 0) {
                if (EngineClock() - st.StartTime > st.ST) break;
            } else {
                if (depth == 1) easyMove = v - 2949 > SecondBestScore;
                if (depth > 10 && RootBestChanges == 0 && !FailingLow && easyMove) break;
                if (Nodes() >= NodesPerMove) {
                    st.SearchDepth = depth;
                    break;
                }
            }
        }
        const bool mateFound = v > MateFoundBound || (v >= -MATE && v <= -MateFoundBound - 1);
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
    if (st.Post == 1 && !Abort && !st.UCIMode) {
        PrintThinkingLine(depth, v);
        printf("\n");
        fflush(stdout);
    }
    if (st.UCIMode) PrintInfoLine(depth, v, true);
    if (st.Kibitz == 1 && !st.UCIMode) {
        if (BookMovePlayed) {
            printf("tellics kibitz Book Move\n");
        } else {
            if (st.MoveTime == 0) st.MoveTime = 1;
            MoveText(text, *from, *to, *promo, 1);
            printf("tellics kibitz ply=%d v=%d centipawns millisecs=%d Nodes=%lld nps=%lld %s\n", st.SearchDepth, v / 10,
                   st.MoveTime * 1000, static_cast<long long>(Nodes()), static_cast<long long>(st.NodesPerSecond), text);
        }
        fflush(stdout);
    }
    return v;
}
