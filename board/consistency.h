#pragma once
#include <cstdint>

#include "board/board.h"

// Each occupancy is the OR of its piece boards, no square holds two pieces and each side has one king.
bool IsWellFormed(const ChessBoard& board);

// How far a board's piece-square key halves are from the ones its boards give (XOR of the two).
struct PieceKeyOffset {
    uint64_t Upper, Lower;
    bool operator==(const PieceKeyOffset&) const = default;
};

// Guards one MakeMove or UndoMove in builds with ORVEX_CHECK_POSITION: made on entry, it checks on exit
// that a well-formed position stayed well-formed and that the piece counts, the pawn key and the
// piece-square key moved in step with the boards. A board set up without FinishSetUp may carry stale
// counts and keys, so what is compared is their offset from the values recomputed from the boards, which
// no move may change.
// A failure names the broken fact on stderr and aborts. `target` is the square a move goes to: a move onto
// a king, which only a position with the side not to move in check offers, promises nothing either.
class PositionCheck {
public:
    PositionCheck(const ChessBoard& board, const char* operation, uint64_t target = 0);
    ~PositionCheck();
    PositionCheck(const PositionCheck&) = delete;
    PositionCheck& operator=(const PositionCheck&) = delete;

private:
    const ChessBoard& Board;
    const char* Operation;
    bool WasWellFormed;
    uint32_t PawnKeyOffset;
    PieceKeyOffset KeyOffset;
    int32_t CountOffsets[2][SavedCountOffset];
};
