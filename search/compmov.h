#pragma once
#include <cstdint>

#include "board/board.h"
#include "search/scores.h"

class MoveGen;

// One entry of the principal-variation table.
struct PVEntry {
    int16_t Move;   // from square x 64 + to square
    int8_t Promote; // the move's promotion char
};

struct KillerPair {
    int16_t Killer0; // the newer one
    int16_t Killer1;
};

// Node types of the node search. A principal-variation node is searched with an open window; the
// children of a cut node are all nodes and those of an all node cut nodes.
enum NodeType : char { PvNode = 1, CutNode = 2, AllNode = 3 };

// Whether the side to move is in check, where a caller may not know yet.
enum CheckState : char { NotInCheck = 0, InCheckNow = 1, CheckNotKnown = 2 };

// What a command that arrives during a search asks of it.
enum class SearchInput : uint8_t { GoOn, Abort };
// Runs one word read during a search (start-up installs the protocols' handler).
using SearchCommandHandler = SearchInput (*)(const char* word);

// What the time rules give for one search: the time per move and emergency time in milliseconds, the
// node budget and the emergency node limit. Computed in 64 bits and clamped to 0..INT32_MAX.
struct TimePlan {
    int32_t TimePerMove;
    int32_t EmergencyTime;
    bool EmergencyTimeSet;
    int32_t NodesPerMove;
    int32_t EmergencyNodes;
};

// The time rules from the clock fields of `status`; `log` receives each log line (may be null).
TimePlan PlanMoveTime(const Status& status, int32_t lastBookMoveNumber, void (*log)(const char*));

// The search: iterative deepening over a root search, a principal-variation alpha-beta node search and
// quiescence, with the node-budget time control and the input poll that runs inside it.
class SearchRoutines {
public:
    // Searches
    // Chooses a move for `board` (a copy of MainBoard), plays it on MainBoard and returns its score.
    int ProgressiveDeepening(ChessBoard board, char maxdepth, uint64_t* from, uint64_t* to, char* promo);
    // One root search at exactly `depth` (below 1: 200), without time control.
    int SearchExactDepth(ChessBoard board, char depth, uint64_t* from, uint64_t* to, char* promo);
    int SearchTreeRoot(char side, ChessBoard board, int alpha, int beta, int depth, uint64_t* from, uint64_t* to,
                       char* promo, char castle);
    // `upper` and `lower` are the node's key, which the caller works out from the board's kept halves
    // (currenthashcode) and whose table bucket it has started loading.
    // The node search of `position`, which it reads and copies only when it makes moves.
    int Search(char side, int alpha, int beta, ChessBoard& position, int depth, int ply, char nullAllowed,
               char castling, char inCheck, uint64_t upper, uint64_t lower, char nodeType, char moveFlags, int maxPly,
               char last);
    // Quiescence of `position`, which it reads and copies only when it makes moves.
    int Quiesce(char side, int alpha, int beta, ChessBoard& position, int depth, char flag, int ply);

    // Requests from the commands
    // Move now: the search ends with its best move so far.
    void MoveNow();
    // The search ends at once and plays nothing.
    void AbortSearch();
    // The opponent played the move a ponder search expected: the move's own time starts now.
    void StartClock();

    // Settings
    // Runs the words the poll reads; without one, a search reads no input.
    SearchCommandHandler CommandHandler = nullptr;
    // Long searches print "info currmove" lines (UCI).
    uint8_t ShowCurrLine = 1;

    // Output the protocols ask for
    // The xboard status line ("stat01: ..."): time, nodes, depth and root moves left.
    void PrintStatusLine() const;

    // History and killers
    void ClearHistory();
    void AddHistory(char side, int move, int depth);
    int32_t History[2][4096];
    KillerPair Killers[MaxPly];

    // Principal variation: row p holds the line of the node at ply p, its end mark in entry [p][0]; row 0
    // is the root line, PVLength entries long.
    PVEntry PVTable[MaxPly][MaxPly];
    int32_t PVLength;

    // Counters. 64 bits: long analyses pass 2^31 nodes.
    int64_t InteriorNodes;
    int64_t LeafInteriorNodes;
    int64_t QuiesceNodes;
    // The node count of every time test, report and output line.
    int64_t Nodes() const { return InteriorNodes + QuiesceNodes; }
    int32_t RootMoveNumber;
    int32_t RootMoveCount;
    int32_t RootDepth;
    int32_t LegalRootMoves;

    // State of the current or last search
    // A search is running: commands that arrive now are handled on top of it.
    uint8_t Searching;
    uint8_t Abort;
    uint8_t TimeUp;     // soft: the root starts no further move
    uint8_t StopSearch; // hard: every node returns at once
    // The last search found no legal move at the root (mate or stalemate): nothing was played.
    bool RootHadNoMove;
    // The last search played its move on MainBoard.
    bool MovePlayed;

    // Value of the piece of the colour opposite to `side` on the square (one bit), 0 for none: pawn 800,
    // bishop and knight 3250, rook 5000, queen 9750, king 1000000.
    int ValueCapturedPiece(char side, uint64_t square, const ChessBoard* board) const;

    SearchRoutines() {}

private:
    // Time control of the current search (timecontrol.cpp)
    uint8_t NPSState;
    int32_t NodesPerMove;
    uint8_t FailingLow;
    uint8_t TimeExtended;
    uint8_t RootBestChanges; // wraps from 255 to 0 on the first change of an iteration
    int32_t SecondBestScore;
    int32_t LastIterationScore;
    // Wall-clock limit of a timed search in milliseconds since start (0: none), and its length; the
    // safety net against a node rate that is far off.
    int32_t HardStopTime;
    int32_t HardStopLimit;
    // The poll: nodes until the next one; in a timed search its interval follows the node rate.
    int64_t PollCountdown;
    int64_t TimedPollInterval;
    int32_t LastPollClock;
    int64_t LastPollNodes;
    // The book
    uint8_t BookMovePlayed;
    int32_t LastBookMoveNumber;

    // What every search does before its first node: counters, flags, line and killers; the root's keys.
    void StartSearch(ChessBoard& board, uint64_t& upper, uint64_t& lower);
    // Stop tests. A fixed-depth search runs to its depth whatever stop comes; any other search unwinds every
    // node at once on a stop.
    bool StopUnwindsNodes() const { return StopSearch && MainStatus.FD == 0; }
    // Fixed depth and pondering hold a search on: its root, and a node after its internal deepening, end on
    // a stop only without them. The root reads the modes once, as it starts.
    static bool SearchHeldOn() { return MainStatus.FD != 0 || MainStatus.Ponder; }
    bool StopEndsSearch(bool heldOn) const { return StopSearch && !heldOn; }
    // Time rules and stop tests (timecontrol.cpp)
    void PlanSearch();
    bool IterationMayStart(int depth);
    bool IterationEndsSearch(int depth, int score, bool& easyMove);
    bool BudgetSpent();
    bool OverBudget();
    void MeasureRate(int64_t nodes, bool duringIteration);
    void MeasureAnalysisRate();
    void StartTimedPolls();
    int64_t NextPollInterval();
    // The poll at the entry of every node; true when the node must return 0 at once (poll.cpp).
    bool Poll();
    int InputDetected();
    void WaitForInput();
    // Output lines (searchoutput.cpp)
    void PrintThinkingLine(int depth, int score);
    void PrintInfoLine(int depth, int score, bool withTime);
    void PrintAbortLine(const char* word);
    void PrintRootStart(int depth);
    void PrintCurrentMove(uint64_t from, uint64_t to, int legal, int depth);
    void PrintNewBestLine(int depth, int score);
    void PrintStoppedInMove(int depth, int score, int legal);
    void PrintStoppedAfterMove(int depth, int score);
    void PrintStoppedIteration(int depth, int score);
    void PrintTimePlan() const;
    void PrintMeasuredRate(int32_t rate, int32_t secs) const;
    void PrintAnalysisRate() const;
    void PrintBookMove() const;
    void PrintIterationLine(int depth, int score);
    void PrintFinalLines(int depth, int score, uint64_t from, uint64_t to, char promo);

public:
    // Kept with the search, called by nothing
    uint8_t PollPly; // ply of the quiescence ordering pass below
    int64_t InitMoveTimer();
    void InitValues();
    void ReduceHistory();
    bool InCheckmate(uint64_t kingBB, char side, char inCheck, ChessBoard* board);
    void TreeRootAssignMoveOrderValues(int n, char side, int alpha, int beta, ChessBoard* board, MoveGen* list,
                                       int ignored);
};

// The root-move store, kept with the search; no code uses it.
class RootMoveStore {
public:
    int NumMoves;
    int MoveValue[335];
    int OrderValue[335];
    uint64_t From[335];
    uint64_t To[335];
    char Promote[335];
    void CopyMoves(int n, const MoveGen* list);
    void NextRootMove(int i, int n, uint64_t* from, uint64_t* to, char* promo);
    void AssignMoveValue(int i, int v) { MoveValue[i] = v; }
};

extern SearchRoutines Search;
extern RootMoveStore RootMoves;
