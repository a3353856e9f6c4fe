#include "board/movetext.h"

#include "search/compmov.h"

void fillmovestring(char* buffer, int, char from, char to, char promote, int pvFlag)
{
    int n = WriteMoveText(buffer, MoveTextSize, from, to, promote);
    if (pvFlag && Search.PVLength >= 2) {
        int length = Search.PVLength < MaxPly ? Search.PVLength : MaxPly;
        for (int k = 1; k < length && n < MoveTextSize - 8; k++) {
            const int p = Search.PVTable[0][k].Move;
            n += WriteSquare(buffer + n, MoveTextSize - n, (p >> 6) & 63);
            n += WriteSquare(buffer + n, MoveTextSize - n, p & 63);
            n += snprintf(buffer + n, MoveTextSize - n, " ");
        }
    }
    snprintf(buffer + n, MoveTextSize - n, "\n");
}
