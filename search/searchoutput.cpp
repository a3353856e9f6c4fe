// Every line the search prints: thinking lines (console and xboard), "info" lines (UCI), the xboard
// status line, the kibitz line, and the search's lines in the match log.
#include "search/compmov.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "board/matchlog.h"
#include "board/movetext.h"
#include "platform/clock.h"
#include "search/searchcore.h"

using namespace SearchCore;

namespace SearchCore {
void LogLine(const char* format, ...)
{
    // Long enough for the longest move text with its whole line.
    char text[MoveTextSize + 256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    WriteLogFile(text);
}

void MoveText(char* buffer, uint64_t from, uint64_t to, char promo, int pvFlag)
{
    fillmovestring(buffer, 0, static_cast<char>(SquareOf(from)), static_cast<char>(SquareOf(to)), promo, pvFlag);
}

void RootMoveText(char* buffer, char promo)
{
    const int p = Search.PVTable[0][0].Move;
    fillmovestring(buffer, 0, static_cast<char>((p >> 6) & 63), static_cast<char>(p & 63), promo, 1);
}
} // namespace SearchCore

namespace {
void Flush()
{
    fflush(stdout);
}
} // namespace

// The root line for the thinking and info lines; empty while the root has no move (packed 0 is a1a1,
// which no move is), so a mated or stalemated side shows no made-up move.
void SearchRoutines::PrintThinkingLine(int depth, int score)
{
    char text[MoveTextSize] = " \n";
    if (PVTable[0][0].Move != 0) RootMoveText(text, PVTable[0][0].Promote);
    printf("%d %d %d %lld %s", depth, score / 10, MainStatus.MoveTime * 100, static_cast<long long>(Nodes()), text);
    fflush(stdout);
}

void SearchRoutines::PrintInfoLine(int depth, int score, bool withTime)
{
    // Interfaces read the line as UCI moves: each with its promotion letter, separated by blanks.
    std::string pv;
    if (PVTable[0][0].Move != 0) {
        pv = " pv";
        const int length = PVLength > 1 ? std::min(PVLength, MaxPly) : 1;
        for (int k = 0; k < length; k++) {
            const PVEntry& e = PVTable[0][k];
            pv += ' ';
            pv += UciMoveText((e.Move >> 6) & 63, e.Move & 63, e.Promote);
        }
        pv += ' ';
    }
    if (withTime)
        printf("info depth %d score cp %d time %d nodes %lld%s\n", depth, score / 10, MainStatus.MoveTime * 1000,
               static_cast<long long>(Nodes()), pv.c_str());
    else
        printf("info depth %d score cp %d nodes %lld%s\n", depth, score / 10, static_cast<long long>(Nodes()),
               pv.c_str());
    Flush();
}

void SearchRoutines::PrintStatusLine() const
{
    printf("stat01: %d %lld %d %d %d\n", (EngineClock() - MainStatus.StartTime) / 10,
           static_cast<long long>(Nodes()), RootDepth, RootMoveCount - RootMoveNumber, RootMoveCount);
    Flush();
}

void SearchRoutines::PrintAbortLine(const char* word)
{
    printf(" Search Aborted due to receiveing following string: %s\n", word);
    Flush();
}

// Lines of the root search

void SearchRoutines::PrintRootStart(int depth)
{
    if (!MainStatus.UCIMode) return;
    printf("info depth %d\n", depth);
    Flush();
}

void SearchRoutines::PrintCurrentMove(uint64_t from, uint64_t to, int legal, int depth)
{
    if (!MainStatus.UCIMode) return;
    if (ShowCurrLine == 1 && depth > 8 && Nodes() > 3 * static_cast<int64_t>(MainStatus.NodesPerSecond))
        printf("info currmove %s currmovenumber %d\n", UciMoveText(SquareOf(from), SquareOf(to), NoPromotion).c_str(),
               legal);
    Flush();
}

void SearchRoutines::PrintNewBestLine(int depth, int score)
{
    if (MainStatus.Post == 1 && RootDepth > 7 && MainStatus.xboard == 1) PrintThinkingLine(depth, score);
    if (MainStatus.UCIMode) PrintInfoLine(depth, score, MainStatus.Analyze == 1);
}

void SearchRoutines::PrintStoppedInMove(int depth, int score, int legal)
{
    if (MainStatus.xboard) {
        if (MainStatus.Post == 1) PrintThinkingLine(depth, score);
    } else if (MainStatus.UCIMode) {
        if (depth > 7) {
            PrintInfoLine(depth, score, true);
            printf("info currmovenumber %d\n", legal);
        }
        Flush();
    }
}

void SearchRoutines::PrintStoppedAfterMove(int depth, int score)
{
    if (MainStatus.Post == 1 && MainStatus.xboard == 1) PrintThinkingLine(depth, score);
    if (MainStatus.UCIMode) PrintInfoLine(depth, score, true);
}

void SearchRoutines::PrintStoppedIteration(int depth, int score)
{
    if (MainStatus.Post == 1 && MainStatus.xboard == 1) PrintThinkingLine(depth, score);
    if (MainStatus.UCIMode) PrintInfoLine(depth, score, false);
}

// Lines of iterative deepening

void SearchRoutines::PrintTimePlan() const
{
    const Status& st = MainStatus;
    printf("Time Per Move = %d\nTime Left = %d\nDefaultMovesPerSession = %d\n", st.TimePerMove, st.TimeLeft,
           st.DefaultMovesPerSession);
    Flush();
}

void SearchRoutines::PrintMeasuredRate(int32_t rate, int32_t secs) const
{
    printf("info nps %d time %g\n", rate, secs * 1000.0);
    Flush();
}

void SearchRoutines::PrintAnalysisRate() const
{
    printf("info nps %d\ninfo time %d\n", MainStatus.NodesPerSecond, MainStatus.MoveTime * 1000);
    Flush();
}

void SearchRoutines::PrintBookMove() const
{
    printf("tellics kibitz Opening Book Move\n");
    Flush();
    WriteLogFile("Opening Book Move\n");
}

void SearchRoutines::PrintIterationLine(int depth, int score)
{
    if (MainStatus.Post != 1 && MainStatus.Analyze != 1) return;
    if (MainStatus.UCIMode) {
        PrintInfoLine(depth, score, true);
    } else {
        PrintThinkingLine(depth, score);
        printf("\n");
        Flush();
    }
}

void SearchRoutines::PrintFinalLines(int depth, int score, uint64_t from, uint64_t to, char promo)
{
    Status& st = MainStatus;
    if (st.Post == 1 && !Abort && !st.UCIMode) {
        PrintThinkingLine(depth, score);
        printf("\n");
        Flush();
    }
    if (st.UCIMode) PrintInfoLine(depth, score, true);
    if (st.Kibitz == 1 && !st.UCIMode) {
        if (BookMovePlayed) {
            printf("tellics kibitz Book Move\n");
        } else {
            if (st.MoveTime == 0) st.MoveTime = 1;
            char text[MoveTextSize];
            MoveText(text, from, to, promo, 1);
            printf("tellics kibitz ply=%d v=%d centipawns millisecs=%d Nodes=%lld nps=%lld %s\n", st.SearchDepth,
                   score / 10, st.MoveTime * 1000, static_cast<long long>(Nodes()),
                   static_cast<long long>(st.NodesPerSecond), text);
        }
        Flush();
    }
}
