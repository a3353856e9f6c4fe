#include "board/attacktables.h"
#include "board/bitmasks.h"
#include "board/movegen.h"

using namespace BitMasks;

int MoveGen::GenCheckEvasions(char side, ChessBoard* board)
{
    Board = board;
    RunCount = 0;
    const ChessBoard& b = *board;
    const bool white = side == 0;
    const uint64_t king = white ? b.WhiteKing : b.BlackKing;
    const uint64_t ownPawns = white ? b.WhitePawns : b.BlackPawns;
    const uint64_t enemyKnights = white ? b.BlackKnights : b.WhiteKnights;
    const uint64_t enemyPieces = white ? b.BlackPieces : b.WhitePieces;
    const uint64_t enemyStraight = white ? (b.BlackQueens | b.BlackRooks) : (b.WhiteQueens | b.WhiteRooks);
    const uint64_t enemyDiagonal = white ? (b.BlackQueens | b.BlackBishops) : (b.WhiteQueens | b.WhiteBishops);

    // The check mask: where a non-king move has to land. The count tells a single check (every kind of
    // answer) from a double check (king moves only); each kind of checker counts once.
    uint64_t mask = 0;
    int checkers = 0;
    if (white) {
        if (!(king & FileA) && ((king << 7) & b.BlackPawns)) { mask |= king << 7; checkers = 1; }
        if (!(king & FileH) && ((king << 9) & b.BlackPawns)) { mask |= king << 9; checkers++; }
    } else {
        if (!(king & FileH) && ((king >> 7) & b.WhitePawns)) { mask |= king >> 7; checkers = 1; }
        if (!(king & FileA) && ((king >> 9) & b.WhitePawns)) { mask |= king >> 9; checkers++; }
    }
    const uint64_t knights = ChessBoard::KnightMask(king) & enemyKnights;
    if (knights) { mask |= knights; checkers++; }
    const uint64_t straight = b.RookCheckMask(king, enemyStraight);
    if (straight & enemyStraight) { mask |= straight; checkers++; }
    const uint64_t diagonal = b.BishopCheckMask(king, enemyDiagonal);
    if (diagonal & enemyDiagonal) { mask |= diagonal; checkers++; }

    int n = GenKingEvasions(side, mask, 0);
    if (checkers != 1) return n;
    n = GenKnightEvasions(side, mask, n);
    n = GenRookEvasions(side, mask, n);
    n = GenBishopEvasions(side, mask, n);
    n = GenPawnEvasions(side, mask, ownPawns, enemyPieces, n);
    return GenQueenEvasions(side, mask, n);
}

int MoveGen::GenKingEvasions(char side, uint64_t, int index)
{
    ChessBoard& b = *Board;
    uint64_t& own = side == 0 ? b.WhitePieces : b.BlackPieces;
    for (uint64_t kings = side == 0 ? b.WhiteKing : b.BlackKing; kings; kings &= kings - 1) {
        const uint64_t king = kings & (0 - kings);
        const uint64_t targets = Attacks::King(SquareOf(kings)) & ~own;
        // Lifted off the board, the king no longer shields the squares behind it on the checking line.
        own ^= king;
        b.AllPieces ^= king;
        for (uint64_t t = targets; t; t &= t - 1) {
            const uint64_t target = t & (0 - t);
            if (!b.InCheck(target, side)) index = Add(index, king, target, NoPromotion);
        }
        own ^= king;
        b.AllPieces ^= king;
    }
    return index;
}

int MoveGen::GenPawnEvasions(char side, uint64_t mask, uint64_t ownPawns, uint64_t enemyPieces, int index)
{
    const ChessBoard& b = *Board;
    const uint64_t empty = ~b.AllPieces;
    const uint64_t lastFrom = b.LastMoveFrom, lastTo = b.LastMoveTo;
    // The en-passant capture of a checking pawn lands behind it, outside the mask, so it is looked for
    // among the own pawns beside the checker, with the test the pawn generator makes. The checker
    // itself is no candidate: it is not ours to move.
    auto enPassant = [&](uint64_t checker, uint64_t enemyPawnRank, uint64_t originRank, uint64_t enemyPawns,
                         bool north) {
        uint64_t candidates = 0;
        if (!(checker & FileA)) candidates |= (checker >> 1) & ownPawns;
        if (!(checker & FileH)) candidates |= (checker << 1) & ownPawns;
        const bool right = (lastTo & enemyPawns & enemyPawnRank) && (lastFrom & originRank);
        const uint64_t target = north ? lastTo << 8 : lastTo >> 8;
        for (; candidates; candidates &= candidates - 1) {
            const uint64_t p = candidates & (0 - candidates);
            if (!right || !(p & enemyPawnRank)) continue;
            if (!(lastFrom & FileA) && p == (lastTo >> 1)) index = Add(index, p, target, NoPromotion);
            if (!(lastFrom & FileH) && p == (lastTo << 1)) index = Add(index, p, target, NoPromotion);
        }
    };
    auto append = [&](uint64_t targets, int shift, uint64_t lastRank, char queen) {
        for (; targets; targets &= targets - 1) {
            const uint64_t t = targets & (0 - targets);
            const uint64_t from = shift > 0 ? t >> shift : t << -shift;
            index = Add(index, from, t, (t & lastRank) ? queen : NoPromotion);
        }
    };

    if (side == 0) {
        const uint64_t king = b.WhiteKing;
        if (king & Rank4) {
            if (!(king & FileA) && ((king << 7) & b.BlackPawns)) enPassant(king << 7, Rank5, Rank7, b.BlackPawns, true);
            if (!(king & FileH) && ((king << 9) & b.BlackPawns)) enPassant(king << 9, Rank5, Rank7, b.BlackPawns, true);
        }
        append(mask & empty & (ownPawns << 8), 8, Rank8, 'Q');
        for (uint64_t t = Rank4 & mask & empty & (ownPawns << 16); t; t &= t - 1) {
            const uint64_t target = t & (0 - t);
            if ((target >> 8) & empty) index = Add(index, target >> 16, target, NoPromotion);
        }
        append(((ownPawns & ~FileA) << 7) & mask & enemyPieces, 7, Rank8, 'Q');
        append(((ownPawns & ~FileH) << 9) & mask & enemyPieces, 9, Rank8, 'Q');
        return index;
    }
    const uint64_t king = b.BlackKing;
    if (king & Rank5) {
        if (!(king & FileH) && ((king >> 7) & b.WhitePawns)) enPassant(king >> 7, Rank4, Rank2, b.WhitePawns, false);
        if (!(king & FileA) && ((king >> 9) & b.WhitePawns)) enPassant(king >> 9, Rank4, Rank2, b.WhitePawns, false);
    }
    append(mask & empty & (ownPawns >> 8), -8, Rank1, 'q');
    for (uint64_t t = Rank5 & mask & empty & (ownPawns >> 16); t; t &= t - 1) {
        const uint64_t target = t & (0 - t);
        if ((target << 8) & empty) index = Add(index, target << 16, target, NoPromotion);
    }
    append(((ownPawns & ~FileH) >> 7) & mask & enemyPieces, -7, Rank1, 'q');
    append(((ownPawns & ~FileA) >> 9) & mask & enemyPieces, -9, Rank1, 'q');
    return index;
}
