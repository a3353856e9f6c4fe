// Console and xboard commands: the command interpreter, the interface's turn and the engine's move announcement.
#include "protocol/humanmov.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/matchlog.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "board/movhist.h"
#include "board/see.h"
#include "board/setup.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "protocol/editmode.h"
#include "protocol/gamerecord.h"
#include "protocol/gamestate.h"
#include "search/compmov.h"

namespace {
bool Quit = false;
bool ForceAfterSearch = false;


void Flush()
{
    fflush(stdout);
}

bool LooksLikeMove(const char* word)
{
    return word[0] >= 'a' && word[0] <= 'h' && word[1] >= '0' && word[1] <= '8';
}

// A command that replaces the game or the position ends a running search: its move would belong to
// another position.
int EndsSearch(int result)
{
    if (Search.Searching) {
        Search.AbortSearch();
        return CommandEndsTurn;
    }
    return result;
}

void ReadDepth(const char* word, int32_t& into)
{
    if (!MainStatus.xboard) {
        printf("setting MAXDEPTH\nscanstring %s\n", word);
        Flush();
    }
    int32_t n;
    if (StdinReader::ReadInt(n)) into = n;
    if (!MainStatus.xboard) {
        printf("MAXDEPTH %d\n", into);
        Flush();
    }
}

void ReadSetboard()
{
    std::string line;
    StdinReader::ReadLine(line);
    const std::string fen = FenFields(line);
    WriteLogFile(fen.c_str());
    if (!SetupBoard(fen)) return;
    MainBoard.FinishSetUp();
    MainBoard.FiftyMoveCount = 0;
    StartNewPosition();
}


// Passing the turn must not leave the side to move able to take the other king: the position is then
// refused as a set-up would refuse it.
void SetSideToMove(char side)
{
    if (MainBoard.KingCanBeTaken(side)) {
        printf("ERROR: invalid position: %s\n", SideNotToMoveInCheck);
        Flush();
        return;
    }
    MainBoard.ToMove = side;
}

// A move that arrives while the engine analyses: it is made, and the analysis starts again from there.
int MoveDuringAnalysis(const char* word)
{
    uint64_t from, to;
    char promotion;
    if (!ParseTypedMove(word, MainBoard, &from, &to, &promotion)) {
        printf("Illegal move: %s\n", word);
        Flush();
        return CommandHandled;
    }
    PlayCheckedMove(from, to, promotion);
    MainBoard.ToMove ^= 1;
    MainStatus.MoveNumber++;
    GameRecord::Record(MainBoard, MainBoard.ToMove);
    Search.AbortSearch();
    return CommandEndsTurn;
}
} // namespace

bool QuitRequested()
{
    return Quit;
}

int DoCommand(const char* word)
{
    WriteLogFile(word);
    Status& st = MainStatus;
    const std::string w = word;
    int32_t n;

    if (w == ".") {
        Search.PrintStatusLine();
        return CommandHandled;
    }
    if (w == "?") {
        // Move now: the search hands back its best move so far. An analysis has no move to play: it ends.
        if (Search.Searching) {
            if (st.Analyze) {
                Search.AbortSearch();
            } else {
                Search.MoveNow();
            }
        }
        LeaveAnalysis();
        return CommandHandled;
    }
    if (w == "abort") {
        // Unlike "new": an analysis goes on, and keeps the history table it has learnt.
        ResetForNewGame(false);
        return EndsSearch(CommandEndsTurn);
    }
    if (w == "analyze") {
        EnterAnalysis(ConsoleAnalysisNodesPerSecond);
        return CommandEndsTurn;
    }
    if (w == "bk") {
        if (!st.Analyze) st.UseBook = static_cast<uint8_t>((st.UseBook + 1) % 2);
        return CommandHandled;
    }
    if (w == "black" || w == "white") {
        SetSideToMove(w == "black" ? 1 : 0);
        return CommandHandled;
    }
    if (w == "displayboard") {
        MainBoard.DisplayBoard();
        return CommandHandled;
    }
    if (w == "dumpsee") {
        int32_t f, t;
        if (!StdinReader::ReadInt(f) || !StdinReader::ReadInt(t)) return CommandHandled;
        const uint64_t to = SqBit(t);
        printf("SEE value = %d\n",
               see.StaticExchangeEvaluation(MainBoard.PieceColor(to), SqBit(f), to, &MainBoard));
        Flush();
        return CommandHandled;
    }
    if (w == "edit") {
        SetupBoardFromEdit();
        return EndsSearch(CommandHandled);
    }
    if (w == "exit") {
        // Outside analysis there is nothing to leave: a running search goes on and force mode stays.
        if (!st.Analyze) return CommandHandled;
        LeaveAnalysis();
        st.HumanToMove = 1;
        Search.AbortSearch();
        return CommandEndsTurn;
    }
    if (w == "force") {
        st.Force = 1;
        // The interface's turn that follows the aborted search starts in force mode.
        if (Search.Searching) ForceAfterSearch = true;
        return EndsSearch(CommandHandled);
    }
    if (w == "go") {
        st.Force = 0;
        st.HumanToMove = 0;
        // The engine is already thinking on its move: it goes on and plays it.
        if (Search.Searching && !st.Analyze) return CommandHandled;
        return CommandEndsTurn;
    }
    if (w == "level") {
        if (StdinReader::ReadInt(n)) st.MovesPerSession = n;
        if (StdinReader::ReadInt(n)) st.TimeLeft = Clamp32(static_cast<int64_t>(n) * 60000);
        if (StdinReader::ReadInt(n)) st.TimeInc = n;
        char text[128];
        snprintf(text, sizeof text, "MovesPerSession %d TimeLeft %d TimeInc %d \n", st.MovesPerSession, st.TimeLeft,
                 st.TimeInc);
        WriteLogFile(text);
        return CommandHandled;
    }
    if (w == "name") {
        std::string ignored;
        StdinReader::ReadWord(ignored);
        return CommandHandled;
    }
    if (w == "new") {
        // Analysis gives its settings back first, so the new game starts from the same ones either way.
        if (st.Analyze) LeaveAnalysis();
        ResetForNewGame();
        return EndsSearch(CommandEndsTurn);
    }
    if (w == "nopost") {
        st.Post = 0;
        return CommandHandled;
    }
    if (w == "post") {
        st.Post = 1;
        return CommandHandled;
    }
    if (w == "otim") {
        if (StdinReader::ReadInt(n)) {
            char text[32];
            snprintf(text, sizeof text, " %d\n", n);
            WriteLogFile(text);
        }
        return CommandHandled;
    }
    if (w == "quit") {
        st.NextMatch = 0;
        st.GameInProgress = 0;
        Quit = true;
        // A running search stops at once; the game loop then ends.
        if (Search.Searching) {
            Search.AbortSearch();
            return CommandEndsTurn;
        }
        return CommandQuits;
    }
    if (w == "result") {
        // The interface has ended the game; the engine waits for the next one.
        std::string rest;
        StdinReader::ReadLine(rest);
        st.GameInProgress = 0;
        return EndsSearch(CommandEndsTurn);
    }
    if (w == "selfplay") {
        st.SelfPlay = 1;
        return CommandEndsTurn;
    }
    if (w == "setboard") {
        ReadSetboard();
        return EndsSearch(CommandHandled);
    }
    if (w == "Depth" || w == "DEPTH" || w == "sd") {
        ReadDepth(word, MainBoard.MaxDepth);
        MainBoard.BestFrom = MainBoard.BestTo = 0;
        return CommandHandled;
    }
    if (w == "sfd") {
        if (!st.xboard) ReadDepth(word, MainBoard.MaxDepth);
        MainBoard.FixedDepth = MainBoard.MaxDepth;
        MainBoard.BestFrom = MainBoard.BestTo = 0;
        return CommandHandled;
    }
    if (w == "st") {
        if (StdinReader::ReadInt(n)) SetSecondsPerMove(n);
        return CommandHandled;
    }
    if (w == "time") {
        if (StdinReader::ReadInt(n)) st.TimeLeft = Clamp32(static_cast<int64_t>(n) * 10);
        return CommandHandled;
    }
    if (w == "traceflag") {
        st.Trace = static_cast<uint8_t>((st.Trace + 1) % 2);
        return CommandHandled;
    }
    if (w == "xboard") {
        st.xboard = 1;
        return CommandHandled;
    }
    static const char* const Ignored[] = {"ClearGameInfo", "InitGameInfo", "beep", "bogus", "draw", "easy",
                                          "fullrand", "hard", "hint", "ponder", "random", "remove", "undo"};
    for (const char* ignored : Ignored)
        if (w == ignored) return CommandHandled;

    if (LooksLikeMove(word)) {
        if (Search.Searching && st.Analyze) return MoveDuringAnalysis(word);
        return CommandIsMove;
    }
    return CommandHandled;
}

int HumanMove()
{
    Status& st = MainStatus;
    st.Force = ForceAfterSearch ? 1 : 0;
    ForceAfterSearch = false;
    for (;;) {
        if (!st.xboard) {
            printf("Enter Move: ");
            Flush();
        }
        std::string word;
        // The end of input leaves nothing to play for.
        if (!StdinReader::ReadWord(word)) word = "quit";
        if (!st.xboard) {
            printf("%s\n", word.c_str());
            Flush();
        }
        const int result = DoCommand(word.c_str());
        if (result == CommandHandled) continue;
        if (result != CommandIsMove) return result;

        uint64_t from, to;
        char promotion;
        if (!ParseTypedMove(word, MainBoard, &from, &to, &promotion)) {
            printf("Illegal move: %s\n", word.c_str());
            Flush();
            continue;
        }
        PlayCheckedMove(from, to, promotion);
        // The clock counts every half-move since the last capture or pawn move.
        const int moveResult = MainBoard.FiftyMoveCount > 99 ? int{FiftyMoveDraw} : CommandIsMove;
        GameRecord::Record(MainBoard, MainBoard.ToMove ^ 1);
        if (!st.Force) return moveResult;
        // Force mode: both sides' moves are entered in turn.
        MainBoard.ToMove ^= 1;
    }
}

void MakeGUIMove(uint64_t from, uint64_t to, char promotion, int score)
{
    const int f = SquareOf(from), t = SquareOf(to);
    char text[MoveTextSize];
    fillmovestring(text, score, static_cast<char>(f), static_cast<char>(t), promotion, 0);
    printf("%s", text);
    char log[MoveTextSize + 128];
    snprintf(log, sizeof log, "Move Made: %d %d %d %lld %s", MainStatus.SearchDepth, score / 10, 0,
             static_cast<long long>(Search.Nodes()), text);
    WriteLogFile(log);
    Flush();
}
