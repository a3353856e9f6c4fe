#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/board.h"
#include "board/matchlog.h"
#include "board/perft.h"
#include "eval/pawnhash.h"
#include "platform/input.h"
#include "protocol/bench.h"
#include "protocol/gameloop.h"
#include "protocol/gamestate.h"
#include "protocol/uciprotocol.h"
#include "protocol/posfile.h"
#include "protocol/startup.h"
#include "search/compmov.h"
#include "search/hashtab.h"

namespace {
// What start-up hands to the match loop.
struct StartupState {
    std::string word;  // the word read from standard input that chose the protocol
    int suiteArg = 0;  // argument index of the last suite file named, 0 for none
};

// The deepest fixed depth the search's depth byte holds.
constexpr int32_t MaxFixedDepth = 127;

// Decimal conversion as the options take it: leading blanks, an optional sign, digits up to the first
// other character, 0 without any; clamped to 32 bits instead of overflowing.
int32_t ReadNumber(const char* text)
{
    long long n = strtoll(text, nullptr, 10);
    if (n > INT32_MAX) return INT32_MAX;
    if (n < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(n);
}


void PrintHelp()
{
    printf("xboard   used when interfacing with xboard\n");
    printf("-uci   used when interfacing with an UCI based GUI\n");
    printf("-bench  run an internal benchmark suite\n");
    printf("-fd  n    fixes search depth to n ply (min n = 3)\n");
    printf("-lpf filename  loads a position from file\n");
    printf("-pev  filename - run through a testsuite (EPD Format) & output full evaluation detail per position\n");
    printf("-sd  n   sets max search depth to n ply (min n = 3)\n");
    printf("-sp  self play\n");
    printf("-ts  filename run through a testsuite (EPD Format)\n");
    fflush(stdout);
}

enum class Match { Exact, Contains };

struct Option {
    const char* text;
    Match match;
    bool takesValue;
    // The value (or nullptr) and its index in the argument list.
    void (*apply)(StartupState& state, const char* value, int valueIndex);
};

// In the order the arguments are tested against them.
const Option Options[] = {
    {"-satrain", Match::Exact, false, [](StartupState&, const char*, int) { MainStatus.SATrain = 1; }},
    {"-bench", Match::Exact, false, [](StartupState&, const char*, int) { MainStatus.BenchMode = BenchPositions; }},
    {"-bench2", Match::Exact, false, [](StartupState&, const char*, int) { MainStatus.BenchMode = BenchTwice; }},
    {"-bench3", Match::Exact, false, [](StartupState&, const char*, int) { MainStatus.BenchMode = BenchConversions; }},
    {"-bench4", Match::Exact, false, [](StartupState&, const char*, int) { MainStatus.BenchMode = BenchIdle4; }},
    {"-bench5", Match::Exact, false, [](StartupState&, const char*, int) { MainStatus.BenchMode = BenchIdle5; }},
    {"-fd", Match::Exact, true,
     [](StartupState&, const char* v, int) {
         // The search keeps its depth limit in a signed byte: a value beyond it would wrap to a depth
         // nothing could stop.
         const int32_t n = ReadNumber(v);
         if (n < 0 || n > MaxFixedDepth) {
             printf("ERROR: option -fd takes a depth from 0 to %d, not %s; it is ignored\n", MaxFixedDepth, v);
             fflush(stdout);
             return;
         }
         MainStatus.FD = static_cast<int8_t>(n);
         MainBoard.MaxDepth = n;
         MainBoard.FixedDepth = n;
     }},
    {"-help", Match::Exact, false, [](StartupState&, const char*, int) { PrintHelp(); exit(0); }},
    {"-h", Match::Exact, false, [](StartupState&, const char*, int) { PrintHelp(); exit(0); }},
    {"-HPC", Match::Contains, false, [](StartupState&, const char*, int) {}},
    {"-kibitz", Match::Contains, false, [](StartupState&, const char*, int) { MainStatus.Kibitz = 1; }},
    {"-lpf", Match::Contains, true, [](StartupState&, const char* v, int) { LoadPositionFile(v); }},
    {"-nobook", Match::Contains, false, [](StartupState&, const char*, int) { MainStatus.UseBook = 0; }},
    {"-perft", Match::Exact, false, [](StartupState&, const char*, int) { MainStatus.PERFT = 1; }},
    {"-mimicstudent", Match::Exact, true,
     [](StartupState& s, const char*, int i) {
         printf("## Mimic Student option detected \n");
         fflush(stdout);
         MainStatus.Mimic = STUDENT;
         s.suiteArg = i;
     }},
    {"-pev", Match::Exact, true,
     [](StartupState& s, const char*, int i) {
         MainStatus.PEV = 1;
         s.suiteArg = i;
     }},
    {"-post", Match::Contains, false, [](StartupState&, const char*, int) { MainStatus.Post = 1; }},
    {"-sd", Match::Contains, true, [](StartupState&, const char* v, int) { MainBoard.MaxDepth = ReadNumber(v); }},
    {"-sp", Match::Contains, false, [](StartupState&, const char*, int) { MainStatus.SelfPlay = 1; }},
    {"-trace", Match::Contains, false, [](StartupState&, const char*, int) { MainStatus.Trace = 1; }},
    {"-st", Match::Contains, true, [](StartupState&, const char* v, int) { SetSecondsPerMove(ReadNumber(v)); }},
    {"-tc", Match::Contains, true, [](StartupState&, const char* v, int) { (void)ReadNumber(v); }},
    {"-ts", Match::Contains, true,
     [](StartupState& s, const char*, int i) {
         MainStatus.DoTestSuite = 1;
         s.suiteArg = i;
     }},
    {"xboard", Match::Contains, false, [](StartupState&, const char*, int) { MainStatus.setxboard(1); }},
    {"-uci", Match::Contains, false, [](StartupState&, const char*, int) { MainStatus.UCIMode = 1; }},
};

bool Matches(const Option& option, const char* arg)
{
    return option.match == Match::Exact ? strcmp(arg, option.text) == 0 : strstr(arg, option.text) != nullptr;
}

// Every argument goes through every option in order. An option that takes a value takes the next
// argument, and the options still to come are then tested against that value.
void ParseOptions(int argc, char** argv, StartupState& state)
{
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        for (const Option& option : Options) {
            if (!Matches(option, arg)) continue;
            if (!option.takesValue) {
                option.apply(state, nullptr, i);
                continue;
            }
            // Only this option is dropped; the rest of the table still looks at the argument.
            if (i + 1 >= argc) {
                printf("ERROR: option %s needs a value\n", option.text);
                fflush(stdout);
                continue;
            }
            arg = argv[++i];
            option.apply(state, arg, i);
        }
    }
}

// One whitespace-delimited word and the character that ends it; an empty word at the end of input.
std::string ReadStartupWord()
{
    std::string word;
    if (StdinReader::ReadWord(word)) StdinReader::SkipChar();
    return word;
}

// A suite mode can be reached without a suite file (a UCI mimic command); it then has nothing to read.
void RunSuite(char** argv, const StartupState& state)
{
    if (state.suiteArg == 0) {
        printf("ERROR: no test-suite file was given\n");
        fflush(stdout);
        exit(1);
    }
    ParseEPDSuite(argv[state.suiteArg]);
}

void WriteMatchBanner()
{
    WriteLogFile("=====================================\n");
    WriteLogFile("Next Match\n");
    WriteLogFile("=====================================\n");
}

// The match loop: one pass per match. Offline modes run once and end the program.
int RunMatches(char** argv, const StartupState& state)
{
    for (;;) {
        WriteMatchBanner();
        if (MainStatus.xboard == 1) {
            ClearPawnHash();
            PositionCache.ClearTranspositionTables();
        }
        Phashattempts = 0;
        Phashmisses = 0;
        Search.ClearHistory();

        if (MainStatus.PERFT == 1) {
            PerfT perft(MainStatus.getFD());
            return 0;
        }
        if (MainStatus.DoTestSuite) {
            RunSuite(argv, state);
            return 0;
        }
        // A UCI "go Mimic Student" also sets the mode, but without a suite file there is nothing to run: the
        // interface's session goes on.
        if (MainStatus.Mimic == STUDENT && state.suiteArg != 0) {
            printf("## Mimic == STUDENT\n");
            fflush(stdout);
            RunSuite(argv, state);
            return 0;
        }
        if (MainStatus.PEV) {
            RunSuite(argv, state);
            return 0;
        }
        if (MainStatus.SATrain == 1) {
            MainStatus.BenchMode = BenchPositions;
            Bench();
            exit(0);
        }
        if (MainStatus.BenchMode == BenchPositions) {
            Bench();
            exit(0);
        }
        if (MainStatus.BenchMode == BenchTwice) {
            // Its second half searches at exactly the depth, which a depth of 0 cannot give.
            if (MainStatus.FD == 0) {
                printf("ERROR: -bench2 needs a depth: add -fd n\n");
                fflush(stdout);
                exit(1);
            }
            Bench2();
            exit(0);
        }

        // Console and xboard games have no question an interface waits on before its first clock: the
        // tables are paged in as the match starts, right after the start-up word. UCI does it at "isready".
        if (MainStatus.UCIMode == 0) PageInSearchTables();
        if (MainStatus.xboard == 0 && MainStatus.UCIMode == 0) {
            printf("\nHello! I am Orvex\n");
            printf("MAXDEPTH = %d\n", MainBoard.MaxDepth);
            MainBoard.DisplayBoard();
        }
        MainStatus.HumanToMove = 1;
        if (MainStatus.UCIMode == 0) PlayGame();

        if (MainStatus.UCIMode == 1) {
            UCI.UCIPrep(state.word.c_str());
            if (!UCI.Active) return 0;
            MainStatus.NextMatch = 1;
            continue;
        }
        if (MainStatus.NextMatch) continue;
        CloseLogFile();
        printf("Bye, Thanks for the match.\n");
        fflush(stdout);
        return 0;
    }
}
} // namespace

int main(int argc, char** argv)
{
    // Unbuffered before the first output: changing a stream's buffering after use is not allowed.
    setvbuf(stdout, nullptr, _IONBF, 0);
    printf("Orvex \n");
    EngineStartup();
    OpenLogFile();

    StartupState state;
    if (argc > 1) ParseOptions(argc, argv, state);

    signal(SIGINT, SIG_IGN);
    setvbuf(stdin, nullptr, _IONBF, 0);

    if (MainStatus.PERFT == 0 && MainStatus.BenchMode == NoBench && MainStatus.SATrain == 0) {
        state.word = ReadStartupWord();
        if (state.word.find("uci") != std::string::npos) MainStatus.UCIMode = 1;
        if (state.word.find("xboard") != std::string::npos) MainStatus.setxboard(1);
    }
    return RunMatches(argv, state);
}
