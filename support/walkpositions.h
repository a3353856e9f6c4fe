#pragma once
#include <cstdint>
#include <vector>

#include "board/board.h"
#include "board/setup.h"

// A few hundred varied positions: random legal walks from the perft reference positions. Moves come from
// the attack masks and ChessBoard::MakeMove, kept legal with the check test; no castling or en passant,
// some under-promotions. The same fixed seed every run, so every build sees the same positions. The key
// tables must have been filled (start-up's initPStable) before the first call.

namespace walk {
inline const char* const StartFens[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N w - - 0 1",
    "4k3/1P6/8/8/8/8/K7/8 w - - 0 1",
    "2K2r2/4P3/8/8/8/8/8/3k4 w - - 0 1",
    "K4r2/4P1P1/8/8/8/8/8/7k w - - 0 1",
    "3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1",
    "8/8/4k3/8/2p5/8/B2P2K1/8 w - - 0 1",
    "8/8/8/1k6/3p4/8/2P5/4K3 w - - 0 1",
    "8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    "5k2/8/8/8/8/8/8/4K2R w K - 0 1",
    "3k4/8/8/8/8/8/8/R3K3 w Q - 0 1",
    "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1",
    "r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq - 0 1",
    "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
    "4k3/8/8/3b4/7R/8/8/4K2R b K - 0 1",
    "8/8/1P2K3/8/2n5/1q6/8/5k2 b - - 0 1",
    "4k3/8/8/8/8/5n2/8/r3K3 w - - 0 1",
    "4k3/4r3/8/8/8/8/8/q3K3 w - - 0 1",
    "8/8/2k5/5q2/5n2/8/5K2/8 b - - 0 1",
    "r3k3/8/8/8/1b6/8/3N4/R3K3 w Qq - 0 1",
};

struct Random {
    uint32_t state;
    uint32_t Next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

struct Move {
    uint64_t from, to;
    char promote;
};

// Pseudo-legal moves of the side to move, king captures left out.
inline int Candidates(const ChessBoard& b, Move* out)
{
    const bool white = b.ToMove == 0;
    const uint64_t enemy = (white ? b.BlackPieces : b.WhitePieces) & ~(white ? b.BlackKing : b.WhiteKing);
    const uint64_t empty = ~b.AllPieces;
    int n = 0;
    const auto add = [&](uint64_t from, uint64_t targets, char promote) {
        for (; targets; targets &= targets - 1) out[n++] = {from, targets & -targets, promote};
    };
    const auto each = [](uint64_t set, auto f) {
        for (; set; set &= set - 1) f(set & -set);
    };
    const uint64_t open = empty | enemy;
    each(white ? b.WhiteKnights : b.BlackKnights, [&](uint64_t p) { add(p, ChessBoard::KnightMask(p) & open, 0); });
    each(white ? b.WhiteBishops : b.BlackBishops, [&](uint64_t p) { add(p, b.BishopMask(p) & open, 0); });
    each(white ? b.WhiteRooks : b.BlackRooks, [&](uint64_t p) { add(p, b.RookMask(p) & open, 0); });
    each(white ? b.WhiteQueens : b.BlackQueens,
         [&](uint64_t p) { add(p, (b.RookMask(p) | b.BishopMask(p)) & open, 0); });
    each(white ? b.WhiteKing : b.BlackKing, [&](uint64_t p) { add(p, ChessBoard::KingMask(p) & open, 0); });
    constexpr uint64_t FileA = 0x0101010101010101ULL, FileH = FileA << 7;
    each(white ? b.WhitePawns : b.BlackPawns, [&](uint64_t p) {
        uint64_t push = (white ? p << 8 : p >> 8) & empty;
        const uint64_t homeRank = white ? 0xFF00ULL : 0x00FF000000000000ULL;
        const uint64_t twice = (push && (p & homeRank)) ? (white ? push << 8 : push >> 8) & empty : 0;
        const uint64_t takes =
            white ? ((p & ~FileA) << 7) | ((p & ~FileH) << 9) : ((p & ~FileA) >> 9) | ((p & ~FileH) >> 7);
        const uint64_t targets = push | twice | (takes & enemy);
        const uint64_t lastRank = white ? 0xFFULL << 56 : 0xFFULL;
        add(p, targets & ~lastRank, 0);
        add(p, targets & lastRank, white ? 'Q' : 'q');
    });
    return n;
}

// Plays one random legal move; false when there is none.
inline bool RandomMove(ChessBoard& b, Random& rng)
{
    Move moves[400];
    int n = Candidates(b, moves);
    while (n > 0) {
        const int i = static_cast<int>(rng.Next() % static_cast<uint32_t>(n));
        Move m = moves[i];
        moves[i] = moves[--n];
        // Now and then an under-promotion, so boards with extra knights or rooks turn up.
        if (m.promote && rng.Next() % 4 == 0) m.promote = b.ToMove == 0 ? 'N' : 'r';
        ChessBoard next = b;
        char castleMask;
        next.MakeMove(m.from, m.to, m.promote, &castleMask);
        if (next.InCheck(b.ToMove == 0 ? next.WhiteKing : next.BlackKing, b.ToMove)) continue;
        next.Castling &= static_cast<uint8_t>(castleMask);
        next.ToMove = static_cast<char>(b.ToMove ^ 1);
        b = next;
        return true;
    }
    return false;
}

// Every start position and the positions of a walk of up to `plies` moves from it, each with counts, keys
// and draw flags current.
inline std::vector<ChessBoard> Positions(int plies = 14, uint32_t seed = 20240601u)
{
    std::vector<ChessBoard> out;
    Random rng{seed};
    for (const char* fen : StartFens) {
        ChessBoard b{};
        if (!ParseFen(fen, b, nullptr)) continue;
        b.FinishSetUp();
        b.FiftyMoveCount = 0;
        for (int ply = 0;; ply++) {
            b.CheckDraw(0);
            out.push_back(b);
            if (ply == plies || !RandomMove(b, rng)) break;
        }
    }
    return out;
}
} // namespace walk
