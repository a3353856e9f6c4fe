#include "board/movetext.h"

#include "search/compmov.h"

void fillmovestring(char* buffer, int, char from, char to, char promote, int pvFlag)
{
    int n = WriteMoveText(buffer, MoveTextSize, from, to, promote);
    if (pvFlag && Search.PVLength >= 2) {
        int length = Search.PVLength < MaxPly ? Search.PVLength : MaxPly;
        for (int k = 1; k < length && n < MoveTextSize - 8; k++) {
            int p = Search.PVTable[0][k].Move;
            n += snprintf(buffer + n, MoveTextSize - n, "%c%d%c%d ", files[(p >> 6) & 7], (p >> 9) + 1,
                          files[p & 7], ((p & 63) >> 3) + 1);
        }
    }
    snprintf(buffer + n, MoveTextSize - n, "\n");
}
