#pragma once
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>

#include "board/movegen.h"
#include "board/movhist.h"
#include "eval/pawnhash.h"
#include "search/compmov.h"
#include "search/hashtab.h"
#include "tests/board/fixture.h"
#include "tests/board/movetools.h"

// Every table the search keeps between searches starts empty, as in a fresh process.
inline void FreshSearchState()
{
    PositionCache.ClearTranspositionTables();
    Search.ClearHistory();
    std::memset(Search.Killers, 0, sizeof Search.Killers);
    MoveList.Init();
    ClearPawnHash();
}

inline int LegalMoveCount(ChessBoard b)
{
    const char side = b.ToMove;
    MoveGen list;
    const int n = list.GenerateAllMoves(side, &b, static_cast<char>(b.Castling));
    int legal = 0;
    for (int i = 0; i < n; i++) legal += KingSafeAfter(b, side, list, i);
    return legal;
}

// Whether a generated move of `b` goes from `from` to `to`, whatever its promotion code, and leaves the
// mover's king safe; the first such move decides. For checks that must not hang on the code a move
// carries; the engine's IsLegalMove compares it too.
inline bool IsLegalMoveAnyPromotion(ChessBoard b, uint64_t from, uint64_t to)
{
    const char side = b.ToMove;
    MoveGen list;
    const int n = list.GenerateAllMoves(side, &b, static_cast<char>(b.Castling));
    for (int i = 0; i < n; i++)
        if (list.From[i] == from && list.To[i] == to) return KingSafeAfter(b, side, list, i);
    return false;
}

// Whether the two boards hold the same pieces, the fifteen piece sets from WhitePieces on.
inline bool SamePieces(const ChessBoard& a, const ChessBoard& b)
{
    return std::memcmp(&a.WhitePieces, &b.WhitePieces, 15 * sizeof(uint64_t)) == 0;
}

// Whether MainBoard holds the pieces of `before` after the move.
inline bool MainBoardShowsMove(ChessBoard before, uint64_t from, uint64_t to, char promo)
{
    char mask;
    before.MakeMove(from, to, promo, &mask);
    return SamePieces(before, MainBoard);
}

// MainBoard and MainStatus as they were when the object was made, put back when it goes.
class SavedMainState {
public:
    SavedMainState() : board_(MainBoard), status_(MainStatus) {}
    ~SavedMainState()
    {
        MainBoard = board_;
        MainStatus = status_;
    }
    SavedMainState(const SavedMainState&) = delete;
    SavedMainState& operator=(const SavedMainState&) = delete;

private:
    const ChessBoard board_;
    const Status status_;
};

// How a test's search runs: the MainStatus fields that choose its protocol, limits, rate estimate and
// output. The defaults are a fresh engine's, but with the book off so that the search itself answers.
struct SearchSettings {
    bool xboard = false;
    bool uci = false;
    int8_t fixedDepth = 0;
    int32_t st = 0;       // ms per move
    int32_t timeLeft = 0; // ms on the clock
    int32_t moveNumber = 1;
    int32_t nodesPerSecond = StartNodesPerSecond;
    bool post = false;
};

// Puts `s` into MainStatus, with no increment, session length, analysis, pondering or kibitzing.
inline void SetSearchSettings(const SearchSettings& s)
{
    MainStatus.xboard = s.xboard ? 1 : 0;
    MainStatus.UCIMode = s.uci ? 1 : 0;
    MainStatus.FD = s.fixedDepth;
    MainStatus.ST = s.st;
    MainStatus.TimeLeft = s.timeLeft;
    MainStatus.TimeInc = 0;
    MainStatus.MovesPerSession = 0;
    MainStatus.MoveNumber = s.moveNumber;
    MainStatus.NodesPerSecond = s.nodesPerSecond;
    MainStatus.Post = s.post ? 1 : 0;
    MainStatus.Analyze = 0;
    MainStatus.Ponder = 0;
    MainStatus.Kibitz = 0;
    MainStatus.UseBook = 0;
}

// What one root search gave back.
struct RootSearch {
    int score = 0;
    uint64_t from = 0, to = 0;
    char promo = 0;
    int64_t nodes = 0;
    double seconds = 0;
    std::string output;
};

// A search of MainBoard under MainStatus as set, as the engine runs one, with standard output captured.
inline RootSearch SearchMainBoard()
{
    RootSearch r;
    const auto start = std::chrono::steady_clock::now();
    r.output = CaptureStdout([&] { r.score = Search.ProgressiveDeepening(MainBoard, 0, &r.from, &r.to, &r.promo); });
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.nodes = Search.Nodes();
    return r;
}

inline std::string MoveName(const RootSearch& r)
{
    return MoveName(r.from, r.to, r.promo);
}
