#include "protocol/gameloop.h"

#include <cstdio>
#include <string>

#include "board/hashcode.h"
#include "platform/input.h"
#include "protocol/gamerecord.h"
#include "protocol/gamestate.h"
#include "protocol/humanmov.h"
#include "search/compmov.h"
#include "search/hashtab.h"

namespace {
void Flush()
{
    fflush(stdout);
}

// No sequence of legal moves can mate: king against king, a lone minor piece, or bishops of one colour.
bool DeadPosition(const ChessBoard& b)
{
    const int32_t* w = b.PieceCounts[0];
    const int32_t* k = b.PieceCounts[1];
    if (w[CountPawns] || k[CountPawns] || w[CountQueens] || k[CountQueens] || w[CountRooks] || k[CountRooks])
        return false;
    const int wMinors = w[CountBishops] + w[CountKnights], bMinors = k[CountBishops] + k[CountKnights];
    if (wMinors + bMinors <= 1) return true;
    if (w[CountKnights] || k[CountKnights]) return false;
    const uint64_t bishops = b.WhiteBishops | b.BlackBishops;
    return w[CountBishops] == 1 && k[CountBishops] == 1 &&
           ((bishops & MainStatus.LightSquares) == 0 || (bishops & MainStatus.DarkSquares) == 0);
}

void GameOver(const char* line)
{
    printf("%s", line);
    MainStatus.GameInProgress = 0;
    Flush();
}

// A finished xboard game: commands until a new game starts or the interface quits.
void WaitForNextGame()
{
    while (!MainStatus.GameInProgress && !QuitRequested()) {
        std::string word;
        if (!StdinReader::ReadWord(word)) word = "quit";
        DoCommand(word.c_str());
    }
}

// The interface side: true when the game loop must end (quit).
bool HumanTurn(int& result)
{
    Status& st = MainStatus;
    PositionCache.AgeTranspositionTables();
    Search.ClearHistory();
    result = HumanMove();
    // Force mode goes on through commands that end a turn, but not past the end of the game ("result").
    while (st.Force == 1 && result != CommandQuits && !QuitRequested() && st.GameInProgress) result = HumanMove();
    if (result == CommandEndsTurn) return false;
    st.HumanToMove = 0;
    MainBoard.ToMove ^= 1;
    st.MoveNumber++;
    if (result == CommandQuits) return true;
    if (result == FiftyMoveDraw) GameOver("1/2-1/2 {Draw by 50 Move Rule}\n");
    return false;
}

void EngineTurn(int& score)
{
    Status& st = MainStatus;
    ChessBoard& b = MainBoard;
    // A depth set by "sd" limits a timed search too; a fixed depth overrides it.
    const int limit = st.FD != 0 ? st.FD : b.MaxDepth;
    score = Search.ProgressiveDeepening(b, static_cast<char>(limit > 127 ? 127 : limit), &b.BestFrom, &b.BestTo,
                                        &b.BestPromote);
    if (Search.RootHadNoMove && !Search.Abort) {
        if (score == STALEMATE) GameOver("Stalemate\n");
        else if ((score == -MATE) == (b.ToMove == 0)) GameOver("Black mates!\n");
        else GameOver("White mates!\n");
    }
    if (Search.MovePlayed) {
        if (st.xboard) {
            printf("%d. ...", (st.MoveNumber + 1) / 2);
            MakeGUIMove(b.BestFrom, b.BestTo, b.BestPromote, score);
        }
        b.ToMove ^= 1;
        st.MoveNumber++;
        GameRecord::Record(b, b.ToMove);
    }
    // After a search that a command cut short, the interface has the turn, unless an analysis goes on.
    if (Search.Abort) st.HumanToMove = st.Analyze ? 0 : 1;
    else if (!st.Analyze) st.HumanToMove ^= 1;
}

void EndOfTurn(int score)
{
    Status& st = MainStatus;
    if (!st.xboard) {
        printf("Game Score %d\n", score);
        Flush();
        MainBoard.DisplayBoard();
    }
    if (!st.GameInProgress) return;
    const int draw = MainBoard.CheckDraw(0);
    // A material draw is claimed only where no sequence of moves can mate; elsewhere the game goes on.
    if (draw == MaterialDraw && DeadPosition(MainBoard)) GameOver("1/2-1/2 {Draw by insufficient material}\n");
    else if (MainBoard.FiftyMoveCount > 99 && st.HumanToMove) GameOver("1/2-1/2 {Draw by 50 Move Rule}\n");
    else if (GameRecord::ThirdOccurrence(MainBoard, MainBoard.ToMove)) GameOver("1/2-1/2 {Draw by repetition}\n");
}
} // namespace

void PlayGame()
{
    Status& st = MainStatus;
    StartNewPosition();
    int score = 0;
    for (;;) {
        if (QuitRequested()) return;
        if (!st.GameInProgress) {
            if (!st.xboard) return;
            WaitForNextGame();
            continue;
        }
        genpawnhashcode(MainBoard.ToMove, MainBoard, &MainBoard.PawnHashCode);
        if (st.SelfPlay) st.HumanToMove = 0;
        if (st.HumanToMove) {
            int result;
            if (HumanTurn(result)) return;
            if (result == CommandEndsTurn) continue;
        } else {
            EngineTurn(score);
        }
        EndOfTurn(score);
    }
}
