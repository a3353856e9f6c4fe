#include "board/selftest.h"

#include <cstdio>

#include "board/movegen.h"
#include "board/setup.h"

namespace {
// The self tests pick with NextMove, which compares order values that no generator but castling
// writes; starting them at 0 makes the picking order defined.
void ClearOrderValues(MoveGen& list)
{
    for (int i = 0; i < MaxMoves; i++) list.OrderValue[i] = 0;
}
} // namespace

void Mask(uint64_t mask)
{
    ChessBoard& b = MainBoard;
    b.WhitePieces &= mask;
    b.BlackPieces &= mask;
    b.AllPieces &= mask;
    uint64_t* pieces[] = {&b.WhitePawns, &b.WhiteBishops, &b.WhiteKnights, &b.WhiteRooks, &b.WhiteQueens, &b.WhiteKing,
                          &b.BlackPawns, &b.BlackBishops, &b.BlackKnights, &b.BlackRooks, &b.BlackQueens, &b.BlackKing};
    for (uint64_t* piece : pieces) *piece &= mask;
    b.DisplayBoard();
}

void OpenFieldMoves(uint64_t* pieceBoard, char colour)
{
    ChessBoard& b = MainBoard;
    uint64_t& occupancy = colour == 0 ? b.WhitePieces : b.BlackPieces;
    b.ClearField();
    *pieceBoard = 1;
    for (uint64_t square = 1; square; square <<= 1) {
        occupancy = square;
        b.AllPieces = square;
        MoveGen list;
        ClearOrderValues(list);
        const int n = list.GenerateAllMoves(colour, &b, 0);
        uint64_t reach = 0;
        for (int i = 0; i < n; i++) {
            uint64_t from, to;
            char promote, mask;
            list.NextMove(i, n, &from, &to, &promote);
            b.MakeMove(from, to, promote, &mask);
            reach |= b.AllPieces;
            b.UndoMove(0);
        }
        *pieceBoard = reach;
        occupancy = reach;
        b.AllPieces = reach;
        b.DisplayBoard();
        b.ClearField();
        *pieceBoard = square << 1;
    }
}

void OpenFieldPieceMovesTest()
{
    ChessBoard& b = MainBoard;
    uint64_t* white[] = {&b.WhiteKing, &b.WhiteQueens, &b.WhiteRooks, &b.WhiteBishops, &b.WhiteKnights};
    uint64_t* black[] = {&b.BlackKing, &b.BlackQueens, &b.BlackRooks, &b.BlackBishops, &b.BlackKnights};
    for (uint64_t* piece : white) OpenFieldMoves(piece, 0);
    for (uint64_t* piece : black) OpenFieldMoves(piece, 1);
}

void TestMoves()
{
    ChessBoard& b = MainBoard;
    MoveGen list;
    ClearOrderValues(list);
    const int n = list.GenerateAllMoves(b.ToMove, &b, static_cast<char>(b.Castling));
    if (n <= 0) return;
    for (int i = 0; i < n; i++) {
        uint64_t from, to;
        char promote, mask;
        list.NextMove(i, n, &from, &to, &promote);
        b.MakeMove(from, to, promote, &mask);
        b.DisplayBoard();
        b.UndoMove(0);
        b.DisplayBoard();
    }
}

void QuickTest()
{
    printf("Quick Test of Constants and Setup\n");
    printf("Whole Board\n");
    MainBoard.DisplayBoard();
    const ChessBoard saved = MainBoard;
    for (int file = 0; file < 8; file++) {
        printf("Test %c File \n", 'A' + file);
        Mask(MainStatus.FileMask[file]);
        MainBoard = saved;
    }
    for (int rank = 0; rank < 8; rank++) {
        printf("Test %d Row \n", rank + 1);
        Mask(MainStatus.RankMask[rank]);
        MainBoard = saved;
    }
    printf("Bg2 Ba3 test\n");
    if (SetupBoard("rnbqkbnr/pppppppp/8/8/1P6/8/P1PPPPPP/RNBQKBNR w - - 0 0")) MainBoard.FinishSetUp();
    TestMoves();
}
