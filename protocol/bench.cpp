#include "protocol/bench.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "board/board.h"
#include "board/matchlog.h"
#include "board/movhist.h"
#include "board/setup.h"
#include "eval/pawnhash.h"
#include "platform/clock.h"
#include "search/compmov.h"
#include "search/hashtab.h"

namespace {
const char* const Positions[] = {
    "3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - - 0 0",
    "rnbqkb1r/p3pppp/1p6/2ppP3/3N4/2P5/PPP1QPPP/R1B1KB1R w KQkq - 0 0",
    "4b3/p3kp2/6p1/3pP2p/2pP1P2/4K1P1/P3N2P/8 w - - 0 0",
    "r3r1k1/ppqb1ppp/8/4p1NQ/8/2P5/PP3PPP/R3R1K1 b - - 0 0",
    "2r2rk1/1bqnbpp1/1p1ppn1p/pP6/N1P1P3/P2B1N1P/1B2QPP1/R2R2K1 b - - 0 0",
    "r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 0",
};
constexpr int PositionCount = sizeof Positions / sizeof Positions[0];
// The one position of Bench2 and Bench3, numbered from 1.
constexpr int SinglePosition = 5;

// Bench3's texts are not used; storing their length keeps the optimiser from dropping the timed work.
volatile size_t FenSink;

enum class Method { Deepening, ExactDepth };

// Sets up position n (from 1), searches a copy of it to the fixed depth and adds the search's node
// counters to `counts`. The search plays its move on MainBoard; the move itself is not needed here.
void SearchPosition(int n, Method method, BenchCounts& counts)
{
    char banner[32];
    snprintf(banner, sizeof banner, "======== Pos %d =======\n", n);
    WriteLogFile(banner);
    MoveList.Init();
    SetupBoard(Positions[n - 1]);
    // The half-move clock runs on from the move the last position's search played: it sets how far back
    // the repetition test looks, and the signature was taken with it so.
    MainBoard.FinishSetUp();
    Search.ClearHistory();
    ChessBoard board = MainBoard;
    uint64_t from = 0, to = 0;
    char promote = 0;
    if (method == Method::Deepening)
        Search.ProgressiveDeepening(board, MainStatus.getFD(), &from, &to, &promote);
    else
        Search.SearchExactDepth(board, MainStatus.getFD(), &from, &to, &promote);
    counts.Interior += Search.InteriorNodes;
    counts.Quiesce += Search.QuiesceNodes;
    counts.LeafInterior += Search.LeafInteriorNodes;
}

// One run of Bench2 or Bench3 on the single position; `fenConversions` are timed with it as a
// measure of their cost.
void RunSingle(Method method, const char* title, int fenConversions)
{
    Search.InteriorNodes = 0;
    Search.QuiesceNodes = 0;
    printf("Running benchmark \n%s\n", title);
    fflush(stdout);
    const int32_t start = EngineClock();
    BenchCounts counts;
    SearchPosition(SinglePosition, method, counts);
    PositionCache.ClearTranspositionTables();
    for (int i = 0; i < fenConversions; i++) {
        ChessBoard board = MainBoard;
        char fen[FenBufferSize];
        pos2fenString(board, fen);
        FenSink = strlen(fen);
    }
    PrintBenchReport(EngineClock() - start, counts);
}

void RunBench2(int fenConversions)
{
    PositionCache.Populate();
    RunSingle(Method::Deepening, "Progressive Deepening", fenConversions);
    RunSingle(Method::ExactDepth, "Search Exact Depth", 0);
}
} // namespace

void PrintBenchReport(int32_t elapsedMs, const BenchCounts& counts)
{
    const int64_t ms = std::max<int64_t>(elapsedMs, 1);
    const int64_t total = counts.Interior + counts.Quiesce;
    printf("    Time Interior Nodes Quiesce Nodes Total Nodes        NPS\n");
    // The rate divides before it multiplies, so it stays a multiple of 1000.
    printf("%8" PRId64 "%12" PRId64 "%14" PRId64 "%14" PRId64 "%12" PRId64 "\n", ms, counts.Interior,
           counts.Quiesce, total, total / ms * 1000);
    fflush(stdout);
    printf("Leaf Interior Nodes searched = %" PRId64 "\n", counts.LeafInterior);

    const int64_t hits = PositionCache.Hits;
    printf("Transposition Table Hits %" PRId64 "  Misses  %" PRId64, hits, static_cast<int64_t>(PositionCache.Misses));
    if (PositionCache.Hits == 0 && PositionCache.Misses == 0) PositionCache.Misses = 1;
    const int64_t probes = hits + PositionCache.Misses;
    printf("  Ratio = %" PRId64 "\n", probes == 0 ? 0 : hits * 100 / probes);

    // No probe at all shows a rate of 0 rather than the text of a division by zero.
    const double missRate = Phashattempts == 0 ? 0.0 : Phashmisses * 100.0 / Phashattempts;
    // %g is the stream's default format: six significant digits.
    printf("Pawn misses %" PRId64 " Pawn attempts %" PRId64 " Pawn miss rate = %g\n", Phashmisses, Phashattempts,
           missRate);
    fflush(stdout);
}

void Bench()
{
    // The clock times the searches and the clears, not the kernel's first paging in of the table.
    PositionCache.Populate();
    Search.InteriorNodes = 0;
    Search.QuiesceNodes = 0;
    printf("Running benchmark ");
    fflush(stdout);
    const int32_t start = EngineClock();
    BenchCounts counts;
    for (int n = 1; n <= PositionCount; n++) {
        printf("%d%c", n, n < PositionCount ? ' ' : '\n');
        SearchPosition(n, Method::Deepening, counts);
        // The last search's entries stay in the table.
        if (n < PositionCount) PositionCache.ClearTranspositionTables();
    }
    PrintBenchReport(EngineClock() - start, counts);
}

void Bench2()
{
    RunBench2(0);
}

void Bench3()
{
    RunBench2(3);
}
