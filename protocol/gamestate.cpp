// What the console, xboard and UCI share about the game: typed moves checked and played, the fixed time
// a move, analysis mode, the mimic modes' evaluation, the reset that starts a new game, and the tables
// paged in before the first search.
#include "protocol/gamestate.h"

#include "board/hashcode.h"
#include "board/movegen.h"
#include "board/movhist.h"
#include "eval/pawnhash.h"
#include "eval/poseval.h"
#include "protocol/gamerecord.h"
#include "search/compmov.h"
#include "search/hashtab.h"

namespace {
// The time settings that analysis mode replaces, given back when it ends.
struct {
    bool Held = false;
    int32_t ST = 0;
    int32_t NodesPerSecond = 0;
    // The fixed time analysis put in ST's place: a command that sets another meanwhile keeps its own.
    int32_t AnalysisST = 0;
} BeforeAnalysis;

} // namespace

void SetSecondsPerMove(int64_t seconds)
{
    Status& st = MainStatus;
    st.ST = Clamp32(seconds * 1000);
    st.TimePerMove = Clamp32(seconds * 900);
    st.TimeLeft = Clamp32(seconds * 60000);
}

void EnterAnalysis(int32_t nodesPerSecond)
{
    Status& st = MainStatus;
    if (!BeforeAnalysis.Held) {
        BeforeAnalysis.Held = true;
        BeforeAnalysis.ST = st.ST;
        BeforeAnalysis.NodesPerSecond = st.NodesPerSecond;
    }
    st.Analyze = 1;
    st.Post = 1;
    st.Force = 0;
    st.HumanToMove = 0;
    st.NodesPerSecond = nodesPerSecond;
    // The fixed time becomes the analysis's limit, in the thousandfold unit the commands give it.
    st.ST = st.ST != 0 ? Clamp32(static_cast<int64_t>(st.ST) * 1000) : UnlimitedMoveTime;
    BeforeAnalysis.AnalysisST = st.ST;
}

void LeaveAnalysis()
{
    Status& st = MainStatus;
    st.Post = 0;
    st.Analyze = 0;
    if (BeforeAnalysis.Held) {
        BeforeAnalysis.Held = false;
        if (st.ST == BeforeAnalysis.AnalysisST) st.ST = BeforeAnalysis.ST;
        st.NodesPerSecond = BeforeAnalysis.NodesPerSecond;
    }
}

void ResetForNewGame(bool clearHistory)
{
    if (clearHistory) Search.ClearHistory();
    MainBoard.InitRep();
    MainStatus.initVars();
    MainStatus.HumanToMove = 1;
    MainBoard.FiftyMoveCount = 0;
    MainBoard.ToMove = 0;
    MainStatus.GameInProgress = 1;
    MainBoard.InitPieceCounts();
    StartNewPosition();
}

void StartNewPosition()
{
    MoveList.Init();
    GameRecord::Reset();
    GameRecord::Record(MainBoard, MainBoard.ToMove);
}

int EvaluateMainBoard()
{
    MainBoard.InitPieceCounts();
    return PE.PosEval(MainBoard.ToMove, -FullWindow, FullWindow, &MainBoard, static_cast<char>(MainBoard.Castling));
}

void PlayCheckedMove(uint64_t from, uint64_t to, char promotion)
{
    char mask;
    MainBoard.MakeMove(from, to, promotion, &mask);
    // Any piece leaving a corner or the king's square takes those rights; the mask adds a rook taken on its
    // corner.
    MainBoard.Castling &= static_cast<uint8_t>(CastlingKeptBy(from) & static_cast<uint8_t>(mask));
}

bool ParseTypedMove(const std::string& word, const ChessBoard& position, uint64_t* from, uint64_t* to,
                    char* promotion)
{
    if (word.size() != 4 && word.size() != 5) return false;
    const auto file = [](char c) { return c >= 'a' && c <= 'h'; };
    const auto rank = [](char c) { return c >= '1' && c <= '8'; };
    if (!file(word[0]) || !rank(word[1]) || !file(word[2]) || !rank(word[3])) return false;
    char letter = 0;
    if (word.size() == 5) {
        letter = static_cast<char>(word[4] | 0x20);
        if (letter != 'q' && letter != 'r' && letter != 'b' && letter != 'n') return false;
    }
    const uint64_t f = SqBit((word[0] - 'a') + 8 * (word[1] - '1'));
    const uint64_t t = SqBit((word[2] - 'a') + 8 * (word[3] - '1'));

    ChessBoard board = position;
    const char side = board.ToMove;
    MoveGen list;
    const int n = list.GenerateAllMoves(side, &board, static_cast<char>(board.Castling));
    for (int i = 0; i < n; i++) {
        if (list.From[i] != f || list.To[i] != t) continue;
        char promote = list.Promote[i];
        if (promote == NoPromotion) {
            if (letter) return false;
        } else if (letter) {
            // The generator offers the queen; any piece may be chosen.
            promote = side == 0 ? static_cast<char>(letter - 0x20) : letter;
        }
        char mask;
        board.MakeMove(f, t, promote, &mask);
        if (board.InCheck(side == 0 ? board.WhiteKing : board.BlackKing, side)) return false;
        *from = f;
        *to = t;
        *promotion = promote;
        return true;
    }
    return false;
}

void PageInSearchTables()
{
    static bool done = false;
    if (done) return;
    done = true;
    PositionCache.Populate();
    PopulatePawnHash();
}
