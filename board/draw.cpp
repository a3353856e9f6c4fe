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

    // Bishop and rook pawn against the bare king, the bishop not controlling the promotion corner.
    const uint64_t fileA = st.FileMask[0], fileH = st.FileMask[7];
    if (BishopAndPawnOnly(PieceCounts[0]) && BlackPieceCount == 0 && !BlackPawns) {
        if ((WhitePawns & fileH) && (WhiteBishops & st.LightSquares) &&
            (BlackKing & (st.SqH8 | st.SqG8 | st.SqG7 | st.SqH7)))
            return MaterialDraw;
        if ((WhitePawns & fileA) && (WhiteBishops & st.DarkSquares) &&
            (BlackKing & (st.SqA8 | st.SqB8 | st.SqB7 | st.SqA7)))
            return MaterialDraw;
    }
    if (BishopAndPawnOnly(PieceCounts[1]) && WhitePieceCount == 0) {
        if ((BlackPawns & fileH) && (BlackBishops & st.DarkSquares) &&
            (WhiteKing & (st.SqH1 | st.SqG1 | st.SqG2 | st.SqH2)))
            return MaterialDraw;
        if ((BlackPawns & fileA) && (BlackBishops & st.LightSquares) &&
            (WhiteKing & (st.SqA1 | st.SqB1 | st.SqB2 | st.SqA2)))
            return MaterialDraw;
    }
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
