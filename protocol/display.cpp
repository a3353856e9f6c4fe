#include <cstdio>

#include "board/board.h"
#include "eval/poseval.h"
#include "search/scores.h"

void ChessBoard::DisplayPiece(unsigned char square) const
{
    uint64_t b = SqBit(square);
    const char* cell;
    if (!(b & AllPieces)) cell = "-";
    else if (b & WhitePieces) {
        if (b & WhitePawns) cell = "P";
        else if (b & WhiteKnights) cell = "N";
        else if (b & WhiteBishops) cell = "B";
        else if (b & WhiteRooks) cell = "R";
        else if (b & WhiteQueens) cell = "Q";
        else if (b & WhiteKing) cell = "K";
        else cell = "Major Error: DisplayPiece unknown White Piece\n";
    }
    else if (b & BlackPieces) {
        if (b & BlackPawns) cell = "p";
        else if (b & BlackKnights) cell = "n";
        else if (b & BlackBishops) cell = "b";
        else if (b & BlackRooks) cell = "r";
        else if (b & BlackQueens) cell = "q";
        else if (b & BlackKing) cell = "k";
        else cell = "Major Error: DisplayPiece unknown Black Piece\n";
    }
    else cell = "Major Error: DisplayPiece has unknown Color\n";
    fputs(cell, stdout);
    fputc(' ', stdout);
}

void ChessBoard::DisplayBoard()
{
    printf("   A B C D E F G H\n\n");
    for (int rank = 7; rank >= 0; rank--) {
        printf("%d  ", rank + 1);
        for (int file = 0; file < 8; file++) DisplayPiece(static_cast<unsigned char>(rank * 8 + file));
        printf(" %d\n", rank + 1);
    }
    printf("\n");
    printf("   A B C D E F G H\n");
    if (MainStatus.PEV != 1) printf("\n PosEval from White view %d\n", PE.PosEval(0, -FullWindow, FullWindow, this, 0));
    fflush(stdout);
}
