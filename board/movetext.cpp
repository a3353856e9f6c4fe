#include "board/movetext.h"

#include <cstdio>

const char files[16] = "abcdefgh";

int WriteSquare(char* out, int size, int square)
{
    return snprintf(out, size, "%c%d", files[square & 7], square / 8 + 1);
}

std::string UciMoveText(int from, int to, char promote)
{
    char text[16];
    int n = WriteSquare(text, sizeof text, from);
    n += WriteSquare(text + n, static_cast<int>(sizeof text) - n, to);
    std::string move(text, static_cast<size_t>(n));
    switch (promote) {
    case 'Q': case 'q': move += 'q'; break;
    case 'R': case 'r': move += 'r'; break;
    case 'B': case 'b': move += 'b'; break;
    case 'N': case 'n': move += 'n'; break;
    default: break;
    }
    return move;
}

int WriteMoveText(char* buffer, int size, char from, char to, char promote)
{
    int n = 0;
    buffer[n++] = ' ';
    n += WriteSquare(buffer + n, size - n, from);
    n += WriteSquare(buffer + n, size - n, to);
    const char* suffix = " ";
    switch (promote) {
    case 'N': case 'n': suffix = "n;"; break;
    case 'B': case 'b': suffix = "b;"; break;
    case 'R': case 'r': suffix = "r;"; break;
    case 'Q': case 'q': suffix = "q;"; break;
    default: break;
    }
    return n + snprintf(buffer + n, size - n, "%s", suffix);
}
