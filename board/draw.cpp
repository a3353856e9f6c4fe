#include "board/board.h"

#include "board/bitmasks.h"

namespace {
// No queen, rook or pawn, and a lone bishop or at most two knights.
bool LacksMatingMaterial(const int32_t* counts)
{
    if (counts[CountQueens] || counts[CountRooks] || counts[CountPawns]) return false;
    return (counts[CountBishops] == 1 && counts[CountKnights] == 0) ||
           (counts[CountBishops] == 0 && counts[CountKnights] <= 2);
}

// Exactly one pawn and one bishop, nothing else.
bool BishopAndPawnOnly(const int32_t* counts)
{
    return counts[CountPawns] == 1 && counts[CountBishops] == 1 && counts[CountKnights] == 0 &&
           counts[CountRooks] == 0 && counts[CountQueens] == 0;
}

// Bishop and rook pawn of `Side` against the bare king, the bishop not controlling the promotion corner
// and the king on one of the corner's four squares.
template <int Side>
bool WrongBishopAndRookPawn(const ChessBoard& b, const Status& st)
{
    constexpr bool White = Side == 0;
    if (!BishopAndPawnOnly(b.PieceCounts[Side]) || (White ? b.BlackPieceCount : b.WhitePieceCount) != 0 ||
        (White ? b.BlackPawns : b.WhitePawns))
        return false;
    const uint64_t pawns = White ? b.WhitePawns : b.BlackPawns, bishops = White ? b.WhiteBishops : b.BlackBishops;
    const uint64_t king = White ? b.BlackKing : b.WhiteKing;
    // h8 and a1 are dark, a8 and h1 light: the bishop of the other colour never reaches the corner.
    if ((pawns & st.FileMask[7]) && (bishops & (White ? st.LightSquares : st.DarkSquares)) &&
        (king & (White ? st.SqH8 | st.SqG8 | st.SqG7 | st.SqH7 : st.SqH1 | st.SqG1 | st.SqG2 | st.SqH2)))
        return true;
    return (pawns & st.FileMask[0]) && (bishops & (White ? st.DarkSquares : st.LightSquares)) &&
           (king & (White ? st.SqA8 | st.SqB8 | st.SqB7 | st.SqA7 : st.SqA1 | st.SqB1 | st.SqB2 | st.SqA2));
}
} // namespace

int ChessBoard::CheckDraw(char)
{
    const Status& st = MainStatus;
    DrawFlags = BothCanMate;
    bool whiteLacks = LacksMatingMaterial(PieceCounts[0]);
    bool blackLacks = LacksMatingMaterial(PieceCounts[1]);
    if (whiteLacks) DrawFlags &= ~WhiteCanMate;
    if (blackLacks) DrawFlags ^= BlackCanMate;

    if (whiteLacks && blackLacks) {
        if (!((WhiteKing | BlackKing) & st.Corners)) return MaterialDraw;
        // A king in the corner two squares from the other king can still be mated with help.
        if (BitMasks::Distance(SquareOf(WhiteKing), SquareOf(BlackKing)) != 2) return MaterialDraw;
    }

    if (FiftyMoveCount > 99) return FiftyMoveDraw;

    if (WrongBishopAndRookPawn<0>(*this, st) || WrongBishopAndRookPawn<1>(*this, st)) return MaterialDraw;
    return NotDrawn;
}

bool ChessBoard::Test50MoveRule(char fromSquare, char toSquare)
{
    uint64_t from = SqBit(fromSquare), to = SqBit(toSquare);
    if ((from & (WhitePawns | BlackPawns)) || (to & AllPieces)) {
        FiftyMoveCount = 0;
        return false;
    }
    FiftyMoveCount++;
    return FiftyMoveCount > 99;
}
