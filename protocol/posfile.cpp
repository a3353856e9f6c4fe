#include "protocol/posfile.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "board/board.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "board/setup.h"
#include "platform/files.h"
#include "protocol/gamestate.h"
#include "search/compmov.h"

namespace {
// Longest line kept from a position or suite file; a FEN with operations is far shorter.
constexpr size_t MaxLine = size_t{1} << 20;

void Fail(const char* path)
{
    printf("ERROR: opening file %s\n", path);
    fflush(stdout);
    exit(1);
}

// Opens a file for reading; a path that is no readable file (a directory, say) cannot be opened.
FILE* OpenFile(const char* path)
{
    if (IsDirectory(path)) return nullptr;
    return fopen(path, "r");
}

// A file that is not a regular one (a device, a pipe) may never end: a line that runs on this far
// past what is kept is taken as endless.
constexpr size_t MaxDropped = size_t{16} << 20;

enum class Line { Read, TooLong, Endless, End };

// One line without its newline and without a trailing carriage return. The rest of an overlong line
// is read and dropped, so it counts as one line.
Line ReadFileLine(FILE* file, std::string& line)
{
    line.clear();
    int c = fgetc(file);
    if (c == EOF) return Line::End;
    const bool regular = IsRegularFile(file);
    size_t dropped = 0;
    for (; c != EOF && c != '\n'; c = fgetc(file)) {
        if (line.size() < MaxLine) line += static_cast<char>(c);
        else if (++dropped > MaxDropped && !regular) return Line::Endless;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return dropped > 0 ? Line::TooLong : Line::Read;
}

// Input without an end is no suite or position: the run stops with an error.
[[noreturn]] void FailEndless(const char* path, int lineNumber)
{
    printf("ERROR: line %d of %s has no end; the run stops\n", lineNumber, path);
    fflush(stdout);
    exit(1);
}
} // namespace

void LoadPositionFile(const char* path)
{
    FILE* file = OpenFile(path);
    if (!file) Fail(path);
    std::string line;
    const Line result = ReadFileLine(file, line);
    fclose(file);
    if (result == Line::Endless) FailEndless(path, 1);
    if (result == Line::End) {
        // Nothing to set up is a failure, so the exit status says so.
        printf("Empty file\n");
        fflush(stdout);
        exit(1);
    }
    // A position that cannot be set up must not let the run go on from another one.
    if (result == Line::TooLong) {
        printf("ERROR: the first line of %s is too long for a position\n", path);
        fflush(stdout);
        exit(1);
    }
    if (!SetupBoard(line)) exit(1);
    MainBoard.FinishSetUp();
}

void ParseEPDSuite(const char* path)
{
    Status& st = MainStatus;
    FILE* file = OpenFile(path);
    if (!file) Fail(path);
    printf("## file opened %s\n", path);
    printf("## Entering ParseEPDSuite and Opened data file\n");
    if (st.Mimic == STUDENT) printf("In ParseEPDSuite and Mimic == STUDENT \n");
    fflush(stdout);

    int count = 0;
    std::string line;
    for (Line result; (result = ReadFileLine(file, line)) != Line::End;) {
        count++;
        if (result == Line::Endless) FailEndless(path, count);
        if (result == Line::TooLong) {
            printf("ERROR: line %d is too long for a position\n", count);
            fflush(stdout);
            continue;
        }
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        // Each position starts clean: only its own pieces, side and castling rights count.
        if (!SetupBoard(line)) continue;
        MainBoard.FinishSetUp();
        MainBoard.FiftyMoveCount = 0;
        if (st.Mimic == 0) MainBoard.DisplayBoard();
        if (st.DoTestSuite) {
            printf("%s\n", line.c_str());
            if (st.FD == 0) st.FD = 3;
            const int score = Search.ProgressiveDeepening(MainBoard, st.FD, &MainBoard.BestFrom, &MainBoard.BestTo,
                                                          &MainBoard.BestPromote);
            char text[MoveTextSize];
            fillmovestring(text, score, static_cast<char>(SquareOf(MainBoard.BestFrom)),
                           static_cast<char>(SquareOf(MainBoard.BestTo)), MainBoard.BestPromote, st.FD);
            if (Search.RootHadNoMove) printf("%d %d   (no legal move)\n", st.FD, score);
            else printf("%d %d   %s", st.FD, score, text);
            fflush(stdout);
        }
        if (st.Mimic == STUDENT || st.PEV) EvaluateMainBoard();
    }
    fclose(file);
    printf("%d\n", count);
    fflush(stdout);
}
