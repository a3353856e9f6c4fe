#pragma once
#include <cstdint>

#include "board/board.h"

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

inline constexpr int MaxPly = 200;

// Scores in tenths of a centipawn, from the side to move's view.
inline constexpr int MATE = 110000;
inline constexpr int STALEMATE = 110001;
// The best score of a node before its first move.
inline constexpr int NoScore = -110200;

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
    // Time control and stop flags of the current search
    uint8_t NPSState;
    int32_t NodesPerMove;
    uint8_t BookMovePlayed;
    uint8_t TimeUp;     // soft: the root starts no further move
    uint8_t StopSearch; // hard: every node returns at once
    uint8_t RootBestChanges; // wraps from 255 to 0 on the first change of an iteration
    uint8_t FailingLow;
    uint8_t TimeExtended;
    int32_t LegalRootMoves;
    int32_t LastBookMoveNumber;
    int32_t SecondBestScore;
    int32_t LastIterationScore;
    int64_t PollCountdown;
    int32_t History[2][4096];
    uint8_t Abort;
    int32_t RootMoveNumber;
    int32_t RootMoveCount;
    int32_t RootDepth;
    PVEntry PVTable[MaxPly][MaxPly];
    KillerPair Killers[MaxPly];
    int32_t PVLength;
    // 64 bits: long analyses pass 2^31 nodes.
    int64_t InteriorNodes;
    int64_t LeafInteriorNodes;
    int64_t QuiesceNodes;
    // Ply of the quiescence ordering pass that nothing calls.
    int32_t PollPly;
    // Wall-clock limit of a timed search in milliseconds since start (0: none), and its length; the
    // safety net against a node rate that is far off.
    int32_t HardStopTime;
    int32_t HardStopLimit;
    // The poll interval of a timed search, which follows the node rate, and where the last poll was.
    int64_t TimedPollInterval;
    int32_t LastPollClock;
    int64_t LastPollNodes;

    SearchRoutines() {}

    // History and killers
    void ClearHistory();
    void AddHistory(char side, int move, int depth);
    void ReduceHistory();

    // Stop requests and input
    void AbortSearch();
    int InputDetected();
    int64_t InitMoveTimer();
    void InitValues();

    // Value of the piece of the colour opposite to `side` on the square (one bit), 0 for none: pawn 800,
    // bishop and knight 3250, rook 5000, queen 9750, king 1000000.
    int ValueCapturedPiece(char side, uint64_t square, const ChessBoard* board) const;
    bool InCheckmate(uint64_t kingBB, char side, char inCheck, ChessBoard* board);

    // The searches
    int Search(char side, int alpha, int beta, ChessBoard board, int depth, int ply, char nullAllowed, char castling,
               char inCheck, uint64_t upper, uint64_t lower, char nodeType, char moveFlags, int maxPly, char last);
    int Quiesce(char side, int alpha, int beta, ChessBoard board, int depth, char flag, int ply);
    int SearchTreeRoot(char side, ChessBoard board, int alpha, int beta, int depth, uint64_t* from, uint64_t* to,
                       char* promo, char castle);
    int SearchExactDepth(ChessBoard board, char depth, uint64_t* from, uint64_t* to, char* promo);
    void TreeRootAssignMoveOrderValues(int n, char side, int alpha, int beta, ChessBoard* board, MoveGen* list,
                                       int ignored);
    // Chooses a move for `board` (a copy of MainBoard), plays it on MainBoard and returns its score.
    int ProgressiveDeepening(ChessBoard board, char maxdepth, uint64_t* from, uint64_t* to, char* promo);

    // The opponent played the move a ponder search expected: the move's own time starts now.
    void StartClock();

    // The node count of every time test, report and output line.
    int64_t Nodes() const { return InteriorNodes + QuiesceNodes; }

    // The last search found no legal move at the root (mate or stalemate): nothing was played.
    bool RootHadNoMove;
    // A search is running: commands that arrive now are handled on top of it.
    uint8_t Searching;
    // The last search played its move on MainBoard.
    bool MovePlayed;

private:
    // The poll at the entry of every node; true when the node must return 0 at once.
    bool Poll();
    bool OverBudget();
    int64_t NextPollInterval();
    void StartTimedPolls();
    void MeasureRate(int64_t nodes, bool duringIteration);
    void PrintThinkingLine(int depth, int score);
    void PrintInfoLine(int depth, int score, bool withTime);
    void WaitForInput();
};

// The unused root-move store, kept with the class.
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
