#include <cstdio>

#include "board/board.h"
#include "board/setup.h"
#include "eval/poseval.h"
#include "search/scores.h"

void ChessBoard::DisplayPiece(unsigned char square) const
{
    const uint64_t b = SqBit(square);
    // The letters are the FEN's; an occupied square that no piece board claims shows what is broken.
    const char letter[2] = {DecodePiece(b, *this), 0};
    const char* cell = letter;
    if (!(b & AllPieces)) cell = "-";
    else if (letter[0] == '?')
        cell = (b & WhitePieces)   ? "Major Error: DisplayPiece unknown White Piece\n"
               : (b & BlackPieces) ? "Major Error: DisplayPiece unknown Black Piece\n"
                                   : "Major Error: DisplayPiece has unknown Color\n";
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
