#include "board/matchlog.h"

FILE* dlog;

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
