#pragma once
#include <cstring>
#include <string>

#include "board/board.h"
#include "eval/evalmasks.h"
#include "eval/poseval.h"
#include "search/scores.h"
#include "tests/board/fixture.h"

inline constexpr int FullAlpha = -FullWindow, FullBeta = FullWindow;

// Counts, keys and draw flags current, as every caller of the evaluation keeps them.
inline void MakeCurrent(ChessBoard& b)
{
    b.FinishSetUp();
    b.CheckDraw(0);
}

// A legal position from FEN, ready to evaluate.
inline ChessBoard EvalBoard(const std::string& fen)
{
    ChessBoard b = BoardFromFen(fen);
    b.CheckDraw(0);
    return b;
}

// Any placement at all, including ones the FEN reader rejects (no king, a pawn on the last rank, more
// pieces than a game can reach): ranks 8 to 1, digits skip squares. White to move, no castling.
inline ChessBoard RawBoard(const char* placement)
{
    InitEngineOnce();
    ChessBoard b;
    std::memset(&b, 0, sizeof b);
    int rank = 7, file = 0;
    for (const char* p = placement; *p; p++) {
        if (*p == '/') {
            rank--;
            file = 0;
            continue;
        }
        if (*p >= '1' && *p <= '8') {
            file += *p - '0';
            continue;
        }
        const uint64_t bit = SqBit(rank * 8 + file++);
        switch (*p) {
        case 'P': b.WhitePawns |= bit; break;
        case 'N': b.WhiteKnights |= bit; break;
        case 'B': b.WhiteBishops |= bit; break;
        case 'R': b.WhiteRooks |= bit; break;
        case 'Q': b.WhiteQueens |= bit; break;
        case 'K': b.WhiteKing |= bit; break;
        case 'p': b.BlackPawns |= bit; break;
        case 'n': b.BlackKnights |= bit; break;
        case 'b': b.BlackBishops |= bit; break;
        case 'r': b.BlackRooks |= bit; break;
        case 'q': b.BlackQueens |= bit; break;
        case 'k': b.BlackKing |= bit; break;
        default: break;
        }
    }
    b.WhitePieces = b.WhitePawns | b.WhiteKnights | b.WhiteBishops | b.WhiteRooks | b.WhiteQueens | b.WhiteKing;
    b.BlackPieces = b.BlackPawns | b.BlackKnights | b.BlackBishops | b.BlackRooks | b.BlackQueens | b.BlackKing;
    b.AllPieces = b.WhitePieces | b.BlackPieces;
    MakeCurrent(b);
    return b;
}

// The colour-flipped position: board mirrored top to bottom, colours swapped, the other side to move.
inline ChessBoard Flip(const ChessBoard& src)
{
    ChessBoard b = src;
    const auto m = [](uint64_t x) { return __builtin_bswap64(x); };
    b.WhitePawns = m(src.BlackPawns), b.BlackPawns = m(src.WhitePawns);
    b.WhiteKnights = m(src.BlackKnights), b.BlackKnights = m(src.WhiteKnights);
    b.WhiteBishops = m(src.BlackBishops), b.BlackBishops = m(src.WhiteBishops);
    b.WhiteRooks = m(src.BlackRooks), b.BlackRooks = m(src.WhiteRooks);
    b.WhiteQueens = m(src.BlackQueens), b.BlackQueens = m(src.WhiteQueens);
    b.WhiteKing = m(src.BlackKing), b.BlackKing = m(src.WhiteKing);
    b.WhitePieces = m(src.BlackPieces), b.BlackPieces = m(src.WhitePieces);
    b.AllPieces = m(src.AllPieces);
    b.LastMoveFrom = m(src.LastMoveFrom), b.LastMoveTo = m(src.LastMoveTo);
    b.ToMove = static_cast<char>(src.ToMove ^ 1);
    b.Castling = static_cast<uint8_t>(((src.Castling & 3) << 2) | ((src.Castling >> 2) & 3));
    MakeCurrent(b);
    return b;
}

inline int Eval(ChessBoard& b, int side, int alpha = FullAlpha, int beta = FullBeta)
{
    return PE.PosEval(static_cast<char>(side), alpha, beta, &b, 0);
}

// Leaves PE as the evaluation has it just before the pawn structure: prepared for `b`, with its attack
// masks.
inline void PrimeBeforePawns(ChessBoard& b)
{
    PE.Prepare(&b);
    PE.AttackMasks();
}

// ... and after it, as when the later terms run.
inline void Prime(ChessBoard& b, char side = 0)
{
    PrimeBeforePawns(b);
    PE.PawnEval04(side);
    PE.MidgameScore = PE.EndgameScore = 0;
}

inline uint64_t Squares(std::initializer_list<const char*> names)
{
    uint64_t b = 0;
    for (const char* n : names) b |= Sq(n);
    return b;
}
