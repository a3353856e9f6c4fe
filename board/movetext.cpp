#include "board/movetext.h"

#include "search/compmov.h"

const char files[16] = "abcdefgh";
FILE* dlog;

namespace {
// File letter and rank digit of a square number; out-of-range numbers print what the arithmetic gives.
int WriteSquare(char* out, int size, int square)
{
    return snprintf(out, size, "%c%d", files[square & 7], square / 8 + 1);
}
} // namespace

void fillmovestring(char* buffer, int, char from, char to, char promote, int pvFlag)
{
    int n = 0;
    buffer[n++] = ' ';
    n += WriteSquare(buffer + n, MoveTextSize - n, from);
    n += WriteSquare(buffer + n, MoveTextSize - n, to);
    const char* suffix = " ";
    switch (promote) {
    case 'N': case 'n': suffix = "n;"; break;
    case 'B': case 'b': suffix = "b;"; break;
    case 'R': case 'r': suffix = "r;"; break;
    case 'Q': case 'q': suffix = "q;"; break;
    default: break;
    }
    n += snprintf(buffer + n, MoveTextSize - n, "%s", suffix);
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

void OpenLogFile()
{
    dlog = fopen("match.log", "w");
}

void WriteLogFile(const char* text)
{
    if (!dlog) return;
    fprintf(dlog, "%s", text);
    fprintf(dlog, "\n");
    fflush(dlog);
}

void CloseLogFile()
{
    if (!dlog) return;
    fclose(dlog);
    dlog = nullptr;
}
