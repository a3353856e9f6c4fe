#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "board/movegen.h"
#include "board/movetext.h"
#include "board/movhist.h"
#include "eval/pawnhash.h"
#include "platform/input.h"
#include "search/compmov.h"
#include "search/hashtab.h"
#include "tests/board/fixture.h"

namespace {
// Standard input fed from a pipe for the length of one test.
class PipedStdin {
public:
    PipedStdin()
    {
        EXPECT_EQ(pipe(fds_), 0);
        saved_ = dup(STDIN_FILENO);
        dup2(fds_[0], STDIN_FILENO);
        close(fds_[0]);
    }
    ~PipedStdin()
    {
        CloseWriter();
        dup2(saved_, STDIN_FILENO);
        close(saved_);
    }
    PipedStdin(const PipedStdin&) = delete;
    PipedStdin& operator=(const PipedStdin&) = delete;
    void Write(const std::string& s)
    {
        EXPECT_EQ(write(fds_[1], s.data(), s.size()), static_cast<ssize_t>(s.size()));
    }
    void CloseWriter()
    {
        if (fds_[1] >= 0) close(fds_[1]);
        fds_[1] = -1;
    }

private:
    int fds_[2];
    int saved_;
};

// The match log goes to a temporary file; the protocol logs every word it is handed there.
class CapturedLog {
public:
    CapturedLog() : saved_(dlog) { dlog = tmpfile(); }
    ~CapturedLog()
    {
        if (dlog) fclose(dlog);
        dlog = saved_;
    }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;
    std::vector<std::string> Lines() const
    {
        std::string text;
        fflush(dlog);
        rewind(dlog);
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, dlog)) > 0) text.append(buf, n);
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

private:
    FILE* saved_;
};

// A search that does not return within the limit would hang the whole run: end the process instead.
class Watchdog {
public:
    explicit Watchdog(int seconds)
        : thread_([this, seconds] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!cv_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) {
                  fprintf(stderr, "search did not return within %d s\n", seconds);
                  std::_Exit(1);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        cv_.notify_one();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread thread_;
};

void FreshSearchState()
{
    PositionCache.ClearTranspositionTables();
    Search.ClearHistory();
    std::memset(Search.Killers, 0, sizeof Search.Killers);
    MoveList.Init();
    ClearPawnHash();
}

constexpr const char* Middlegame = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 0 8";

struct Result {
    bool legalMovePlayed;
    bool aborted;
    double seconds;
};

bool PlayedLegalMove(const ChessBoard& before, uint64_t from, uint64_t to, char promo)
{
    ChessBoard b = before;
    const char side = b.ToMove;
    MoveGen list;
    const int n = list.GenerateAllMoves(side, &b, static_cast<char>(b.Castling));
    for (int i = 0; i < n; i++) {
        if (list.From[i] != from || list.To[i] != to || list.Promote[i] != promo) continue;
        char mask;
        b.MakeMove(from, to, promo, &mask);
        if (b.InCheck(side == 0 ? b.WhiteKing : b.BlackKing, side)) return false;
        return std::memcmp(&b.WhitePieces, &MainBoard.WhitePieces, 15 * sizeof(uint64_t)) == 0;
    }
    return false;
}

// An xboard search with a fixed time per move (the poll's input and clock tests both run); MainBoard and
// MainStatus are restored.
Result TimedXboardSearch(int32_t milliseconds)
{
    InitEngineOnce();
    FreshSearchState();
    const ChessBoard saved = MainBoard;
    const Status savedStatus = MainStatus;
    MainBoard = BoardFromFen(Middlegame);
    MainStatus.xboard = 1;
    MainStatus.UCIMode = 0;
    MainStatus.FD = 0;
    MainStatus.ST = milliseconds;
    MainStatus.TimeLeft = 60 * milliseconds;
    MainStatus.TimeInc = 0;
    MainStatus.MovesPerSession = 0;
    MainStatus.Post = 0;
    MainStatus.Analyze = 0;
    MainStatus.Ponder = 0;
    MainStatus.Kibitz = 0;
    MainStatus.UseBook = 0;
    MainStatus.NodesPerSecond = StartNodesPerSecond;
    const ChessBoard before = MainBoard;
    Result r{};
    uint64_t from = 0, to = 0;
    char promo = 0;
    const auto start = std::chrono::steady_clock::now();
    {
        Watchdog dog(60);
        CaptureStdout([&] { Search.ProgressiveDeepening(MainBoard, 0, &from, &to, &promo); });
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.aborted = Search.Abort != 0;
    r.legalMovePlayed = PlayedLegalMove(before, from, to, promo);
    MainBoard = saved;
    MainStatus = savedStatus;
    return r;
}

int Count(const std::vector<std::string>& lines, const std::string& word)
{
    int n = 0;
    for (const std::string& l : lines) n += l == word;
    return n;
}

int IndexOf(const std::vector<std::string>& lines, const std::string& word)
{
    for (size_t i = 0; i < lines.size(); i++)
        if (lines[i] == word) return static_cast<int>(i);
    return -1;
}
} // namespace

// The reader's end of input is final for the process, so the test that reaches it comes last.

TEST(SearchPoll, CommandWaitingBeforeTheSearchIsTakenWithoutTheRestOfItsLine)
{
    PipedStdin in;
    CapturedLog log;
    in.Write("foo bar\nnext\n");
    const Result r = TimedXboardSearch(300);
    EXPECT_TRUE(r.legalMovePlayed);
    EXPECT_FALSE(r.aborted);

    const std::vector<std::string> words = log.Lines();
    EXPECT_EQ(Count(words, "foo"), 1);
    EXPECT_EQ(Count(words, "bar"), 0) << "the rest of the command's line is dropped";
    // The next line is a command of its own, handed over at a later poll, never discarded with "foo".
    EXPECT_EQ(Count(words, "next"), 1);
    EXPECT_LT(IndexOf(words, "foo"), IndexOf(words, "next"));
    EXPECT_FALSE(StdinReader::InputWaiting());
    EXPECT_FALSE(StdinReader::AtEnd());
}

TEST(SearchPoll, WhiteSpaceAloneIsNoInput)
{
    PipedStdin in;
    CapturedLog log;
    // A poll that took white space for input would block on the word read; the watchdog catches that.
    in.Write("   \r\n\t\n\n");
    const Result r = TimedXboardSearch(300);
    EXPECT_TRUE(r.legalMovePlayed);
    EXPECT_FALSE(r.aborted);
    EXPECT_FALSE(StdinReader::InputWaiting());

    in.Write("after\n");
    std::string word;
    ASSERT_TRUE(StdinReader::ReadWord(word));
    EXPECT_EQ(word, "after");
    StdinReader::SkipChar();
}

TEST(SearchPoll, CommandArrivingDuringTheSearchIsTakenBeforeItEnds)
{
    PipedStdin in;
    CapturedLog log;
    std::thread writer([&in] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        in.Write("later\n");
    });
    // Long enough that even a fast machine is still searching when the command arrives.
    const Result r = TimedXboardSearch(500);
    writer.join();
    ASSERT_GT(r.seconds, 0.05) << "the search ended before the command was written";
    EXPECT_TRUE(r.legalMovePlayed);
    EXPECT_FALSE(r.aborted);
    EXPECT_EQ(Count(log.Lines(), "later"), 1);
    EXPECT_FALSE(StdinReader::InputWaiting());
}

TEST(SearchPoll, WordStillArrivingDoesNotHoldTheSearchPastItsTime)
{
    PipedStdin in;
    CapturedLog log;
    // The word's end comes when the search has returned, or after 1.5 s at the latest.
    in.Write("foo");
    std::mutex mutex;
    std::condition_variable searchReturned;
    bool returned = false;
    std::thread writer([&] {
        std::unique_lock<std::mutex> lock(mutex);
        searchReturned.wait_for(lock, std::chrono::milliseconds(1500), [&] { return returned; });
        in.Write("\n");
    });
    const Result r = TimedXboardSearch(300);
    {
        std::lock_guard<std::mutex> lock(mutex);
        returned = true;
    }
    searchReturned.notify_one();
    writer.join();
    EXPECT_TRUE(r.legalMovePlayed);
    EXPECT_LT(r.seconds, 1.2) << "a 300 ms search waited for the rest of a word";

    std::string word;
    if (StdinReader::InputWaiting()) {
        ASSERT_TRUE(StdinReader::ReadWord(word));
        EXPECT_EQ(word, "foo");
    }
}

TEST(SearchPoll, EndOfInputIsDeliveredOnceAndTheSearchStillMoves)
{
    PipedStdin in;
    in.CloseWriter();
    for (int search = 0; search < 2; search++) {
        CapturedLog log;
        const Result r = TimedXboardSearch(200);
        EXPECT_TRUE(r.legalMovePlayed) << search;
        EXPECT_FALSE(r.aborted) << search;
        EXPECT_LT(r.seconds, 5.0) << search;
        // The end reads as "quit", handed to the protocol by the first search only.
        EXPECT_EQ(Count(log.Lines(), "quit"), search == 0 ? 1 : 0) << search;
    }
    EXPECT_TRUE(StdinReader::AtEnd());
}

