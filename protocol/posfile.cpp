#include "protocol/posfile.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "board/board.h"
#include "board/setup.h"

void LoadPositionFile(const char* path)
{
    FILE* file = fopen(path, "r");
    if (!file) {
        printf("ERROR: opening file %s\n", path);
        fflush(stdout);
        exit(1);
    }
    std::string line;
    int c = fgetc(file);
    if (c == EOF) {
        // Nothing to set up is a failure, so the exit status says so.
        printf("Empty file\n");
        fflush(stdout);
        fclose(file);
        exit(1);
    }
    for (; c != EOF && c != '\n'; c = fgetc(file)) line += static_cast<char>(c);
    fclose(file);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (SetupBoard(line.c_str())) MainBoard.InitPieceCounts();
}
