#pragma once
#include <cstdint>

#include "board/attacktables.h"
#include "board/bitmasks.h"
#include "board/board.h"

// Whether a generated move of `side` leaves its own king safe, answered without making the move: the
// same answer as MakeMove, InCheck and UndoMove give, at a fraction of the cost. Set up once per
// position. Most moves only empty their from-square and fill their to-square (taking what stood there),
// and those are decided from the board as it is. The rest (castling, en passant, a from-square without
// an own piece, a position without exactly one own king) are made on a copy, since MakeMove alone says
// what they do to the board. A move onto the enemy king is no exception: MakeMove leaves that king on
// its square, and so do the tests here.
class KingSafety {
public:
    // inCheck is board.InCheck of the side's king, which the caller needs anyway to pick its generator.
    KingSafety(const ChessBoard& board, char side, bool inCheck)
        : Board(board), Side(side), Checked(inCheck)
    {
        const bool white = side == 0;
        King = white ? board.WhiteKing : board.BlackKing;
        Occupied = board.AllPieces;
        EnemyPawns = white ? board.BlackPawns : board.WhitePawns;
        EnemyKnights = white ? board.BlackKnights : board.WhiteKnights;
        const uint64_t queens = white ? board.BlackQueens : board.WhiteQueens;
        EnemyDiagonal = queens | (white ? board.BlackBishops : board.WhiteBishops);
        EnemyStraight = queens | (white ? board.BlackRooks : board.WhiteRooks);
        EnemyKing = white ? board.BlackKing : board.WhiteKing;
        OwnPawns = white ? board.WhitePawns : board.BlackPawns;
        Own = white ? board.WhitePieces : board.BlackPieces;
        Unusual = !Attacks::IsOneBit(King);
        KingSquare = Unusual ? 0 : SquareOf(King);
        Pinned = 0;
        // In check every non-king move takes the full test, so only a quiet king needs its pins.
        if (Unusual || Checked) return;
        if (Attacks::Table.Diagonals[KingSquare] & EnemyDiagonal) {
            const uint64_t seen = Attacks::Bishop(KingSquare, Occupied);
            const uint64_t shields = seen & Own;
            // With the first own piece of each line lifted, the sliders that look through it.
            for (uint64_t p = Attacks::Bishop(KingSquare, Occupied ^ shields) & EnemyDiagonal; p; p &= p - 1)
                Pinned |= Attacks::Bishop(SquareOf(p), Occupied) & shields;
        }
        if (Attacks::Table.Orthogonals[KingSquare] & EnemyStraight) {
            const uint64_t seen = Attacks::Rook(KingSquare, Occupied);
            const uint64_t shields = seen & Own;
            for (uint64_t p = Attacks::Rook(KingSquare, Occupied ^ shields) & EnemyStraight; p; p &= p - 1)
                Pinned |= Attacks::Rook(SquareOf(p), Occupied) & shields;
        }
    }

    bool IsLegal(uint64_t from, uint64_t to, char promote) const
    {
        if (Unusual || !(from & Own)) return SafeAfterMaking(from, to, promote);
        const uint64_t after = (Occupied ^ from) | to;
        if (from & King) {
            // Further than one step: castling, which moves a rook too.
            if (!(Attacks::King(KingSquare) & to)) return SafeAfterMaking(from, to, promote);
            return !Attacked(SquareOf(to), after, to);
        }
        // A pawn stepping aside onto a square without an enemy piece takes en passant: a third square
        // changes.
        if ((from & OwnPawns) && !(to & Occupied & ~Own) &&
            (to & (Side == 0 ? BitMasks::WhitePawnAttacks(from) : BitMasks::BlackPawnAttacks(from))))
            return SafeAfterMaking(from, to, promote);
        // Out of check, only a slider behind the moving piece can reach the king afterwards.
        if (!Checked && !(from & Pinned)) return true;
        return !Attacked(KingSquare, after, to);
    }

    // The own pieces that alone stand between the king and an enemy slider of their line; only kept
    // out of check.
    uint64_t PinnedPieces() const { return Pinned; }
    // Exactly one own king: the one case the tests without making a move are written for.
    bool HasOneKing() const { return !Unusual; }

private:
    // Whether an enemy piece other than one on `taken` attacks the square, with `occupied` in the way.
    bool Attacked(int square, uint64_t occupied, uint64_t taken) const
    {
        const uint64_t keep = ~taken;
        const uint64_t bit = 1ULL << square;
        const uint64_t pawnSquares = Side == 0 ? BitMasks::WhitePawnAttacks(bit) : BitMasks::BlackPawnAttacks(bit);
        if (pawnSquares & EnemyPawns & keep) return true;
        if (Attacks::Knight(square) & EnemyKnights & keep) return true;
        if (Attacks::King(square) & EnemyKing) return true;
        if ((Attacks::Table.Diagonals[square] & EnemyDiagonal & keep) &&
            (Attacks::Bishop(square, occupied) & EnemyDiagonal & keep))
            return true;
        return (Attacks::Table.Orthogonals[square] & EnemyStraight & keep) &&
               (Attacks::Rook(square, occupied) & EnemyStraight & keep);
    }

    // The reference answer: the move made on a copy and the king tested.
    bool SafeAfterMaking(uint64_t from, uint64_t to, char promote) const;

    const ChessBoard& Board;
    char Side;
    bool Checked;
    bool Unusual;
    int KingSquare;
    uint64_t King, Occupied, Own, OwnPawns;
    uint64_t EnemyPawns, EnemyKnights, EnemyDiagonal, EnemyStraight, EnemyKing;
    uint64_t Pinned;
};

// How many of the moves the engine generates for `side` leave its king safe: the check evasions when
// inCheck (board.InCheck of the side's king), otherwise every move with the castling rights `rights`.
// The same count as generating the list and making each move, mostly without either.
int CountLegalMoves(ChessBoard& board, char side, char rights, bool inCheck);
