// Evaluation speed over a fixed set of a few hundred positions (random walks from the perft reference
// positions): evaluations per second with the pawn hash warm, with every probe a miss, and with a
// narrow window that lets the lazy exits cut in.
#include <benchmark/benchmark.h>

#include <vector>

#include "board/board.h"
#include "eval/poseval.h"
#include "protocol/startup.h"
#include "search/scores.h"
#include "support/walkpositions.h"

namespace {
std::vector<ChessBoard>& Positions()
{
    static std::vector<ChessBoard> positions = [] {
        EngineStartup();
        return walk::Positions();
    }();
    return positions;
}

void Run(benchmark::State& state, bool pawnMiss, int window)
{
    std::vector<ChessBoard>& positions = Positions();
    ClearPawnHash();
    int64_t sum = 0;
    for (auto _ : state) {
        for (ChessBoard& b : positions) {
            if (pawnMiss) PawnHashArray[b.PawnHashCode & PawnHashIndexMask].Valid = 0;
            sum += PE.PosEval(b.ToMove, -window, window, &b, 0);
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(positions.size()));
    state.counters["positions"] = static_cast<double>(positions.size());
}

void BM_PosEval(benchmark::State& state) { Run(state, false, FullWindow); }
void BM_PosEvalPawnHashMiss(benchmark::State& state) { Run(state, true, FullWindow); }
void BM_PosEvalNarrowWindow(benchmark::State& state) { Run(state, false, 50); }

BENCHMARK(BM_PosEval);
BENCHMARK(BM_PosEvalPawnHashMiss);
BENCHMARK(BM_PosEvalNarrowWindow);
} // namespace

BENCHMARK_MAIN();
