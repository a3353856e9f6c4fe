#include "board/perft.h"

#include <cinttypes>
#include <cstdio>

#include "board/legality.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "platform/clock.h"

PerfT::PerfT(int depth)
{
    printf("Starting PerfT test \n");
    const int32_t start = EngineClock();
    TotalNodes = 0;
    LeafNodes = 0;
    if (MainStatus.Trace == 1) printf("<Trace name=\"Perft\">\n");
    PerformanceTest(MainBoard.ToMove, depth, MainBoard, static_cast<char>(MainBoard.Castling));
    if (MainStatus.Trace == 1) printf("</Trace>\n");
    int32_t elapsed = EngineClock() - start;
    // A count that finishes within a millisecond is reported as taking one.
    if (elapsed <= 0) elapsed = 1;
    printf("%" PRIu64 " Total Nodes at Depth = %d\n", TotalNodes, depth);
    printf("%" PRIu64 " Leaf Nodes at Depth = %d\n", LeafNodes, depth);
    printf("%" PRIu64 " NPS\n", (TotalNodes / static_cast<uint64_t>(elapsed)) * 1000);
    fflush(stdout);
}

void PerfT::PerformanceTest(char side, int depth, ChessBoard board, char castle)
{
    if (MainStatus.Trace == 1) Count<true>(side, depth, board, castle);
    else Count<false>(side, depth, board, castle);
}

template <bool Trace>
void PerfT::Count(char side, int depth, ChessBoard& board, char castle)
{
    if (depth < 1) {
        LeafNodes++;
        return;
    }
    const uint64_t king = side == 0 ? board.WhiteKing : board.BlackKing;
    const bool inCheck = board.InCheck(king, side);
    // One ply from the end each legal move is a leaf, and nothing is printed for it without the trace,
    // so the moves are only counted, never made.
    if (!Trace && depth == 1) {
        const uint64_t legal = static_cast<uint64_t>(CountLegalMoves(board, side, castle, inCheck));
        TotalNodes += legal;
        LeafNodes += legal;
        return;
    }
    MoveGen list;
    const int n = inCheck ? list.GenCheckEvasions(side, &board) : list.GenerateAllMoves(side, &board, castle);
    const KingSafety safety(board, side, inCheck);
    for (int i = 0; i < n; i++) {
        uint64_t from, to;
        char promote;
        list.GetMove(i, &from, &to, &promote);
        if (!safety.IsLegal(from, to, promote)) continue;
        TotalNodes++;
        if constexpr (Trace) {
            char text[MoveTextSize];
            WriteMoveText(text, MoveTextSize, static_cast<char>(SquareOf(from)),
                          static_cast<char>(SquareOf(to)), promote);
            printf("<Move name=\"{ %s\nnodes %" PRIu64 "\">\n", text, TotalNodes);
        }
        if (depth == 1) {
            LeafNodes++;
        } else {
            // The level below owns the position after the move, made on its own copy, so there is
            // nothing to undo here.
            ChessBoard child = board;
            char mask;
            child.MakeMove(from, to, promote, &mask);
            Count<Trace>(side ^ 1, depth - 1, child, static_cast<char>(castle & mask));
        }
        if constexpr (Trace) printf("</Move >\n} \n");
    }
}
