#include "board/consistency.h"

#include <cstdio>
#include <cstdlib>

#include "board/hashcode.h"

namespace {
// The piece boards of one side in PieceCounts order, then the king.
struct SideBoards {
    uint64_t Counted[SavedCountOffset];
    uint64_t King;
};

SideBoards BoardsOf(const ChessBoard& b, int side)
{
    if (side == 0) return {{b.WhiteQueens, b.WhiteRooks, b.WhiteBishops, b.WhiteKnights, b.WhitePawns}, b.WhiteKing};
    return {{b.BlackQueens, b.BlackRooks, b.BlackBishops, b.BlackKnights, b.BlackPawns}, b.BlackKing};
}

uint32_t PawnKeyOffsetOf(const ChessBoard& b)
{
    uint32_t key;
    genpawnhashcode(0, b, &key);
    return b.PawnHashCode ^ key;
}

// The piece-square key halves' offset from the ones recomputed from the boards.
PieceKeyOffset PieceKeyOffsetOf(const ChessBoard& b)
{
    ChessBoard scratch = b;
    scratch.InitKeys();
    return {b.PieceKeyUpper ^ scratch.PieceKeyUpper, b.PieceKeyLower ^ scratch.PieceKeyLower};
}

int32_t CountOffsetOf(const ChessBoard& b, int side, int index)
{
    return b.PieceCounts[side][index] - SimpleBitCount(BoardsOf(b, side).Counted[index]);
}

[[noreturn]] void Fail(const char* operation, const char* fact)
{
    fprintf(stderr, "position check after %s: %s\n", operation, fact);
    std::abort();
}
} // namespace

bool IsWellFormed(const ChessBoard& b)
{
    uint64_t seen = 0, occupancy[2] = {0, 0};
    for (int side = 0; side < 2; side++) {
        const SideBoards boards = BoardsOf(b, side);
        for (uint64_t set : boards.Counted) {
            if (set & seen) return false;
            seen |= set;
            occupancy[side] |= set;
        }
        if (SimpleBitCount(boards.King) != 1 || (boards.King & seen)) return false;
        seen |= boards.King;
        occupancy[side] |= boards.King;
    }
    return b.WhitePieces == occupancy[0] && b.BlackPieces == occupancy[1] && b.AllPieces == seen;
}

bool ChessBoard::IsConsistent() const
{
    if (!IsWellFormed(*this) || PawnKeyOffsetOf(*this) != 0) return false;
    if (PieceKeyOffsetOf(*this) != PieceKeyOffset{0, 0}) return false;
    const int32_t totals[2] = {WhitePieceCount, BlackPieceCount};
    for (int side = 0; side < 2; side++) {
        int32_t sum = 0;
        for (int i = 0; i < SavedCountOffset; i++) {
            if (CountOffsetOf(*this, side, i) != 0) return false;
            sum += PieceCounts[side][i];
        }
        if (totals[side] != sum) return false;
    }
    return true;
}

PositionCheck::PositionCheck(const ChessBoard& board, const char* operation, uint64_t target)
    : Board(board), Operation(operation),
      WasWellFormed(IsWellFormed(board) && !(target & (board.WhiteKing | board.BlackKing))),
      PawnKeyOffset(PawnKeyOffsetOf(board)), KeyOffset(PieceKeyOffsetOf(board))
{
    for (int side = 0; side < 2; side++)
        for (int i = 0; i < SavedCountOffset; i++) CountOffsets[side][i] = CountOffsetOf(board, side, i);
}

PositionCheck::~PositionCheck()
{
    // A position that was odd already (a test's king-less board, say) promises nothing.
    if (!WasWellFormed) return;
    if (!IsWellFormed(Board)) Fail(Operation, "occupancies, pieces or kings no longer add up");
    if (PawnKeyOffsetOf(Board) != PawnKeyOffset) Fail(Operation, "the pawn key left the pawns and kings");
    if (PieceKeyOffsetOf(Board) != KeyOffset) Fail(Operation, "the piece-square key left the pieces");
    for (int side = 0; side < 2; side++)
        for (int i = 0; i < SavedCountOffset; i++)
            if (CountOffsetOf(Board, side, i) != CountOffsets[side][i]) Fail(Operation, "a piece count left its board");
}
