#include "protocol/uciprotocol.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/hashcode.h"
#include "board/matchlog.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "board/movhist.h"
#include "board/setup.h"
#include "eval/pawnhash.h"
#include "platform/input.h"
#include "protocol/gamestate.h"
#include "search/book.h"
#include "search/compmov.h"
#include "search/hashtab.h"

UCIProtocol UCI;

namespace {
constexpr const char* SiteAddress = "(none)";

void Say(const char* text)
{
    printf("%s\n", text);
    fflush(stdout);
}

void LogFormat(const char* format, long long value)
{
    char text[128];
    snprintf(text, sizeof text, format, value);
    WriteLogFile(text);
}

bool BeginsWith(const std::string& text, const char* word)
{
    return text.compare(0, strlen(word), word) == 0;
}

bool Contains(const std::string& text, const char* word)
{
    return text.find(word) != std::string::npos;
}

// The number after a keyword of a "go" command, as a whole word ("wtime 1000"); false without one.
bool NumberAfter(const std::string& text, const char* key, int64_t* value)
{
    const size_t length = strlen(key);
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        const bool starts = at == 0 || text[at - 1] == ' ' || text[at - 1] == '\t';
        const size_t end = at + length;
        if (!starts || end >= text.size() || (text[end] != ' ' && text[end] != '\t')) continue;
        char* stop = nullptr;
        const long long n = strtoll(text.c_str() + end, &stop, 10);
        if (stop == text.c_str() + end) return false;
        *value = n;
        return true;
    }
    return false;
}


// A word as it can be shown on one line: control bytes (a NUL among them) as \xNN.
std::string Printable(const std::string& word)
{
    std::string shown;
    for (const char c : word) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            char code[8];
            snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned char>(c));
            shown += code;
        } else {
            shown += c;
        }
    }
    return shown;
}
} // namespace

int UCIProtocol::UCIPrep(const char* text)
{
    CommandLine = text;
    WriteLogFile(text);
    return UCICore();
}

void UCIProtocol::Identify()
{
    printf("id name Orvex %s\n", Version);
    printf("id author Pellanor - web site %s\n", SiteAddress);
    Say("option name UCI_AnalyseMode type check default false");
    Say("option name OwnBook type check default false");
    Say("option name SecondaryBook type check default false");
    Say("option name UCI_ShowCurrLine type check default true");
    Say("option name Ponder type check default false");
    printf("option name UCI_EngineAbout type string default Orvex by Pellanor, a chess engine for UCI and xboard "
           "interfaces. Web Site at %s\n",
           SiteAddress);
    Say("uciok");
    WriteLogFile("Sent uciok\n");
    MainStatus.UseBook = 0;
    State = WAITING;
}

void UCIProtocol::Position()
{
    const std::string& text = CommandLine;
    const size_t movesAt = text.find("moves");
    if (Contains(text, "startpos")) {
        ToMove = 0;
        ResetForNewGame();
    }
    const size_t fenAt = text.find("fen");
    if (fenAt != std::string::npos) {
        const size_t fenEnd = movesAt != std::string::npos && movesAt > fenAt ? movesAt : text.size();
        const std::string fen = FenFields(text.substr(fenAt + 3, fenEnd - (fenAt + 3)));
        ChessBoard checked;
        // An invalid position changes nothing (the set-up says why); its moves are not played either.
        if (!ParseFen(fen, checked, nullptr)) {
            SetupBoard(fen);
            return;
        }
        ResetForNewGame();
        SetupBoard(fen);
        WriteLogFile(fen.c_str());
        ToMove = MainBoard.ToMove;
    }
    // The moves keep counts and keys current from here on.
    MainBoard.FinishSetUp();
    // Positions of an earlier game must never count as repetitions of this one.
    MoveList.Init();
    if (movesAt != std::string::npos) ProcessMoves(std::string_view(text).substr(movesAt + 5));
}

int UCIProtocol::ProcessMoves(std::string_view list)
{
    MainBoard.FiftyMoveCount = 0;
    MoveList.Init();
    MainStatus.MoveNumber = 0;
    int count = 0;
    constexpr std::string_view Blanks = " \t\r\n";
    for (size_t at = list.find_first_not_of(Blanks); at != std::string_view::npos;
         at = list.find_first_not_of(Blanks, at)) {
        const size_t end = std::min(list.find_first_of(Blanks, at), list.size());
        const std::string token(list.substr(at, end - at));
        // A word that does not begin like a move ends the list; one that holds a NUL byte is reported, since
        // the text after the NUL would otherwise vanish without a word.
        const bool nul = token.find('\0') != std::string::npos;
        if (!nul && (token.size() < 2 || token[0] < 'a' || token[0] > 'h' || token[1] < '0' || token[1] > '8')) break;
        if (nul || !MakeMoves(token)) {
            printf("ERROR: illegal move in the move list: %s\n", Printable(token).c_str());
            fflush(stdout);
            break;
        }
        count++;
        at = end;
    }
    return count;
}

bool UCIProtocol::MakeMoves(const std::string& move)
{
    uint64_t from, to;
    char promotion;
    if (!ParseTypedMove(move, MainBoard, &from, &to, &promotion)) return false;
    FromSquare = SquareOf(from);
    ToSquare = SquareOf(to);
    FromMask = from;
    ToMask = to;
    MainStatus.MoveNumber++;
    PlayCheckedMove(from, to, promotion);
    // Each move passes the turn, so every move of the list is checked for the side that plays it.
    MainBoard.ToMove ^= 1;
    ToMove = MainBoard.ToMove;
    uint64_t upper, lower;
    genhashcode(ToMove, MainBoard.Castling, &upper, &lower, &MainBoard);
    MoveList.InsertHashCodeMoveHistory(upper, lower);
    return true;
}

void UCIProtocol::SetOption()
{
    Status& st = MainStatus;
    const std::string& text = CommandLine;
    const bool on = Contains(text, "true");
    if (Contains(text, "OwnBook") || Contains(text, "SecondaryBook")) {
        st.UseBook = on ? 1 : 0;
        if (on) buildbook();
    }
    if (Contains(text, "UCI_ShowCurrLine")) {
        ShowCurrLine = on ? 1 : 0;
        Search.ShowCurrLine = ShowCurrLine;
    }
    if (Contains(text, "UCI_AnalyseMode")) {
        if (on) {
            EnterAnalysis(UciAnalysisNodesPerSecond);
        } else {
            LeaveAnalysis();
        }
    }
    if (Contains(text, "Ponder") && !Contains(text, "UCI_")) {
        PonderOption = on ? 1 : 0;
        if (on) st.Ponder = 0;
    }
}

void UCIProtocol::NewGame()
{
    Status& st = MainStatus;
    ToMove = 0;
    ResetForNewGame();
    // Unlike the other new games: the table, the pawn hash, the ponder option and the rate estimate too.
    ClearPawnHash();
    PositionCache.ClearTranspositionTables();
    PonderOption = 0;
    State = WAITING;
    st.Ponder = 0;
    st.NodesPerSecond = NewGameNodesPerSecond;
    WriteLogFile("Processing ucinewgame\n");
}

void UCIProtocol::Go()
{
    Status& st = MainStatus;
    const std::string text = CommandLine;
    State = SEARCHING;
    st.TimeInc = 0;
    st.TimeLeft = 0;
    MainBoard.FixedDepth = 0;
    st.FD = 0;
    st.ST = 0;
    // Every search says afresh whether it ponders or analyses.
    st.Analyze = 0;
    st.Ponder = 0;
    if (Contains(text, "Mimic Student")) {
        // The reply is a line of its own, so the next one does not run into it.
        printf("Mimic info Student \n");
        fflush(stdout);
        st.Mimic = STUDENT;
        EvaluateMainBoard();
    }
    if (Contains(text, "Mimic Oracle")) {
        st.Mimic = ORACLE;
        const int v = EvaluateMainBoard();
        printf("Mimic info Oracle %d\n", v);
        fflush(stdout);
    }
    if (Contains(text, "infinite")) {
        st.Analyze = 1;
        st.ST = UnlimitedMoveTime;
        st.Force = 0;
        State = INFINITE;
        st.NodesPerSecond = InfiniteNodesPerSecond;
    }
    int64_t n;
    const bool white = MainBoard.ToMove == 0;
    if (NumberAfter(text, white ? "wtime" : "btime", &n)) {
        st.TimeLeft = Clamp32(n);
        LogFormat("MainStatus.TimeLeft = %lld\n", st.TimeLeft);
    }
    if (NumberAfter(text, white ? "winc" : "binc", &n)) {
        st.TimeInc = Clamp32(n / 1000);
        LogFormat("MainStatus.TimeInc = %lld\n", st.TimeInc);
    }
    st.MovesPerSession = 0;
    if (NumberAfter(text, "movestogo", &n)) {
        st.MovesPerSession = Clamp32(n);
        LogFormat("MainStatus.MovesPerSession = %lld\n", st.MovesPerSession);
    }
    if (NumberAfter(text, "depth", &n)) {
        MainBoard.FixedDepth = Clamp32(n);
        // The depth limit is a signed byte: a depth beyond it is the deepest one, never a wrapped value.
        st.FD = static_cast<int8_t>(std::clamp<int64_t>(n, 0, INT8_MAX));
        LogFormat("MainBoard.FixedDepth = %lld\n", MainBoard.FixedDepth);
    }
    if (NumberAfter(text, "movetime", &n)) {
        st.ST = Clamp32(n);
        LogFormat("MainStatus.ST = %lld\n", st.ST);
        st.TimePerMove = st.ST;
        st.TimeLeft = Clamp32(static_cast<int64_t>(st.ST) * 60);
        LogFormat("MainStatus.ST = %lld\n", st.ST);
    }
    if (Contains(text, "ponder")) {
        st.Ponder = 1;
        State = PONDERING;
    }
    if (Contains(text, "Mimic")) return;

    char log[160];
    snprintf(log, sizeof log, "MovesPerSession %d TimeLeft %d TimeInc %d \n", st.MovesPerSession, st.TimeLeft,
             st.TimeInc);
    WriteLogFile(log);
    const ChessBoard root = MainBoard;
    uint64_t from = 0, to = 0;
    char promotion = NoPromotion;
    const int v = Search.ProgressiveDeepening(MainBoard, st.FD, &from, &to, &promotion);
    Promote = promotion;
    // The interface owns the game: the next "go" without a new "position" searches this same position,
    // so the move the search played on the board is taken back.
    MainBoard = root;

    // The move handed back must be a legal one of the position searched; a search cut short before its
    // first move was complete falls back to any legal move.
    std::string best;
    if (!Search.RootHadNoMove &&
        (IsLegalMove(root, root.ToMove, from, to, promotion) ||
         FirstLegalMove(root, root.ToMove, &from, &to, &promotion)))
        best = UciMoveText(SquareOf(from), SquareOf(to), promotion);
    printf("info score cp %d\n", v / 10);
    std::string line = "bestmove ";
    if (best.empty()) {
        line += "0000";
    } else {
        line += best + " ";
        // The expected reply, only when it is a legal move after the best one.
        if (PonderOption == 1 && Search.PVLength >= 2) {
            ChessBoard after = root;
            uint64_t f, t;
            char p;
            ParseTypedMove(best, after, &f, &t, &p);
            char mask;
            after.MakeMove(f, t, p, &mask);
            after.ToMove ^= 1;
            const PVEntry reply = Search.PVTable[0][1];
            const std::string ponder = UciMoveText((reply.Move >> 6) & 63, reply.Move & 63, reply.Promote);
            if (ParseTypedMove(ponder, after, &f, &t, &p)) line += "ponder " + ponder;
        }
    }
    printf("%s\n", line.c_str());
    fflush(stdout);
    State = WAITING;
    WriteLogFile("Sent bestmove ");
    WriteLogFile(line.c_str() + 9);
    WriteLogFile("\n");
}

int UCIProtocol::UCICore()
{
    Status& st = MainStatus;
    for (;;) {
        // A pass nested in a running search acts only on what may come during a search.
        const bool nested = State != WAITING;
        const std::string text = CommandLine;
        if (text == "uci") {
            if (nested) WriteLogFile("Ignored during a search: uci\n");
            else Identify();
        }
        if (text == "isready") {
            // An interface waits for this answer before its first "go": the tables are paged in now, outside
            // any clock. Never during a search, whose clock runs.
            if (!nested) PageInSearchTables();
            Say("readyok");
            WriteLogFile("Sent readyok\n");
        }
        if (BeginsWith(text, "position")) {
            if (nested) WriteLogFile("Ignored during a search: position\n");
            else Position();
        }
        if (BeginsWith(text, "go")) {
            if (nested) {
                WriteLogFile("Ignored during a search: go\n");
            } else {
                Go();
                // A new game asked for during the search comes next; any other word the search took is done.
                if (!BeginsWith(CommandLine, "ucinewgame")) CommandLine = "OrvexSearchFinished";
            }
        }
        if (CommandLine == "OrvexSearchFinished") {
            WriteLogFile("Received the OrvexSearchFinished message - a search has finished\n");
            WriteLogFile("===========================================================\n");
            State = WAITING;
        }
        if (BeginsWith(CommandLine, "ponderhit")) {
            // A ponder search goes on as a timed one. With none running the word crossed a "bestmove" on its
            // way: it changes nothing, and the interface's position stays for the next "go".
            if (State == WAITING) {
                WriteLogFile("Ignored with no search running: ponderhit\n");
            } else {
                st.Ponder = 0;
                State = SEARCHING;
                if (Search.Searching) Search.StartClock();
                return UCIGoesOn;
            }
        }
        if (BeginsWith(CommandLine, "stop") && State != WAITING) {
            // Any search ends at once and answers with the best move it has.
            Search.AbortSearch();
            st.Analyze = 0;
            st.Ponder = 0;
            WriteLogFile("Received stop and Aborting Ponder\n");
            return UCIStopsSearch;
        }
        if (CommandLine == "ucinewgame") {
            if (State != WAITING) {
                Search.AbortSearch();
                st.Analyze = 0;
                st.Ponder = 0;
                WriteLogFile("Received ucinewgame while doing something other than WAITING\n");
                return UCIStopsSearch;
            }
            NewGame();
        }
        if (BeginsWith(CommandLine, "setoption")) {
            if (nested) WriteLogFile("Ignored during a search: setoption\n");
            else SetOption();
        }
        if (BeginsWith(CommandLine, "quit")) {
            CloseLogFile();
            Active = 0;
            st.NextMatch = 0;
            st.GameInProgress = 0;
            fflush(stdout);
            exit(0);
        }
        CommandLine = "\n";
        if (State != WAITING) {
            WriteLogFile("State != WAITING so returning 1\n");
            return UCIGoesOn;
        }
        std::string line;
        // The end of input means the interface is gone.
        if (!StdinReader::ReadLine(line)) line = "quit";
        const size_t start = line.find_first_not_of(" \t");
        CommandLine = start == std::string::npos ? std::string() : line.substr(start);
        while (!CommandLine.empty() && (CommandLine.back() == ' ' || CommandLine.back() == '\t'))
            CommandLine.pop_back();
        WriteLogFile(CommandLine.c_str());
    }
}
