#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "board/matchlog.h"
#include "board/movetext.h"
#include "platform/input.h"
#include "tests/search/searchfixture.h"
#include "tests/support/pipedstdin.h"

namespace {
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
    std::vector<std::string> Lines() const { return ::Lines(FileText(dlog)); }

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

constexpr const char* Middlegame = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 0 8";

struct Result {
    bool legalMovePlayed;
    bool aborted;
    double seconds;
    int64_t nodes;
};

// The first search of a process pays for its start: the table's pages, and under an emulator the
// translation of the search's code, which a loaded machine can stretch past a short search's whole time.
// The poll comes in the main search's nodes, and the first iteration's children are quiescence nodes, so
// a timed search that began cold could end without one poll. A console search reads no input, so a
// fixed-depth one leaves standard input as it found it.
void WarmUpOnce()
{
    static const bool warm = [] {
        FreshSearchState();
        const SavedMainState saved;
        MainBoard = BoardFromFen(Middlegame);
        SetSearchSettings({.fixedDepth = 4});
        SearchMainBoard();
        return true;
    }();
    (void)warm;
}

// An xboard search with a fixed time per move (the poll's input and clock tests both run); MainBoard and
// MainStatus are restored.
Result TimedXboardSearch(int32_t milliseconds)
{
    InitEngineOnce();
    WarmUpOnce();
    FreshSearchState();
    const SavedMainState saved;
    MainBoard = BoardFromFen(Middlegame);
    SetSearchSettings({.xboard = true, .st = milliseconds, .timeLeft = 60 * milliseconds});
    const ChessBoard before = MainBoard;
    RootSearch s;
    {
        Watchdog dog(60);
        s = SearchMainBoard();
    }
    Result r{};
    r.seconds = s.seconds;
    r.nodes = s.nodes;
    r.aborted = Search.Abort != 0;
    r.legalMovePlayed = IsLegalMove(before, before.ToMove, s.from, s.to, s.promo) && MainBoardShowsMove(before, s.from, s.to, s.promo);
    return r;
}

// A word a test's handler was handed, with the search's node count and the clock at that moment.
struct HandedWord {
    std::string word;
    int64_t nodes;
    std::chrono::steady_clock::time_point at;
};

// What the test's handler was handed, and its answer to every word; plain globals, as the search keeps
// a bare function pointer.
std::vector<HandedWord> HandedWords;
SearchInput HandlerAnswer = SearchInput::GoOn;

SearchInput RecordingHandler(const char* word)
{
    HandedWords.push_back({word, Search.Nodes(), std::chrono::steady_clock::now()});
    return HandlerAnswer;
}

// RecordingHandler installed on the search, answering `answer`, for the lifetime of the object; the
// handler found there is put back after. Start-up comes first, as it installs the protocols' handler.
class InstalledHandler {
public:
    explicit InstalledHandler(SearchInput answer)
    {
        InitEngineOnce();
        saved_ = Search.CommandHandler;
        HandedWords.clear();
        HandlerAnswer = answer;
        Search.CommandHandler = RecordingHandler;
    }
    ~InstalledHandler() { Search.CommandHandler = saved_; }
    InstalledHandler(const InstalledHandler&) = delete;
    InstalledHandler& operator=(const InstalledHandler&) = delete;

private:
    SearchCommandHandler saved_ = nullptr;
};

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
    // The next line is a command of its own, never discarded with "foo": handed over at a later poll,
    // or still waiting when a slow machine ends the search first.
    if (Count(words, "next") == 1) {
        EXPECT_LT(IndexOf(words, "foo"), IndexOf(words, "next"));
        EXPECT_FALSE(StdinReader::InputWaiting());
    } else {
        std::string word;
        EXPECT_TRUE(StdinReader::ReadWord(word));
        EXPECT_EQ(word, "next");
    }
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
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        in.Write("later\n");
    });
    // A 500 ms search ends early, by the node rate it measures (50 ms at the least on a fast machine), but
    // well after the command arrives.
    const Result r = TimedXboardSearch(500);
    writer.join();
    ASSERT_GT(r.seconds, 0.01) << "the search ended before the command was written";
    EXPECT_TRUE(r.legalMovePlayed);
    EXPECT_FALSE(r.aborted);
    EXPECT_EQ(Count(log.Lines(), "later"), 1);
    EXPECT_FALSE(StdinReader::InputWaiting());
}

TEST(SearchPoll, WordStillArrivingDoesNotHoldTheSearchPastItsTime)
{
    PipedStdin in;
    CapturedLog log;
    // The word's end comes when the search has returned, or after 20 s at the latest: a search that waited
    // for it would take that long, however slow the machine.
    in.Write("foo");
    std::mutex mutex;
    std::condition_variable searchReturned;
    bool returned = false;
    std::thread writer([&] {
        std::unique_lock<std::mutex> lock(mutex);
        searchReturned.wait_for(lock, std::chrono::seconds(20), [&] { return returned; });
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
    EXPECT_LT(r.seconds, 10.0) << "a 300 ms search waited for the rest of a word";

    std::string word;
    if (StdinReader::InputWaiting()) {
        ASSERT_TRUE(StdinReader::ReadWord(word));
        EXPECT_EQ(word, "foo");
    }
}

TEST(SearchPoll, WordArrivingDuringTheSearchGoesWholeToTheInstalledHandlerWhoseAnswerDecides)
{
    InitEngineOnce();
    const SearchCommandHandler protocols = Search.CommandHandler;
    ASSERT_NE(protocols, nullptr) << "start-up installs the protocols' handler";
    for (const SearchInput answer : {SearchInput::GoOn, SearchInput::Abort}) {
        const bool aborts = answer == SearchInput::Abort;
        SCOPED_TRACE(aborts ? "Abort" : "GoOn");
        PipedStdin in;
        CapturedLog log;
        Result r{};
        {
            const InstalledHandler handler(answer);
            // The word comes in two writes: the poll must wait for its end, not hand over "hand".
            std::thread writer([&in] {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                in.Write("hand");
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                in.Write("ler\n");
            });
            // Long enough that even a fast machine is still searching when the word is whole.
            r = TimedXboardSearch(3000);
            writer.join();
            EXPECT_EQ(Search.CommandHandler, RecordingHandler);
        }
        const auto returned = std::chrono::steady_clock::now();
        EXPECT_EQ(Search.CommandHandler, protocols) << "the old handler is back";
        // The handler is only called during a search, so a word handed over shows the search outlived it;
        // an Abort answer ends the search the moment the word is whole, about 0.1 s after it began.
        ASSERT_GT(r.seconds, 0.05) << "the search ended before the word was written";
        ASSERT_EQ(HandedWords.size(), 1u);
        EXPECT_EQ(HandedWords[0].word, "handler");
        EXPECT_EQ(Count(log.Lines(), "handler"), 0) << "the protocols' handler never saw the word";
        EXPECT_FALSE(StdinReader::InputWaiting());
        EXPECT_EQ(r.aborted, aborts);
        EXPECT_EQ(r.legalMovePlayed, !aborts);
        if (aborts) {
            EXPECT_LT(std::chrono::duration<double>(returned - HandedWords[0].at).count(), 0.5)
                << "the search returns as soon as the handler answers Abort";
        } else {
            EXPECT_GT(r.nodes, HandedWords[0].nodes) << "the search went on after the handler answered GoOn";
        }
    }
}

TEST(SearchPoll, EndOfInputIsDeliveredOnceAndTheSearchStillMoves)
{
    PipedStdin in;
    in.CloseWriter();
    for (int search = 0; search < 2; search++) {
        CapturedLog log;
        // The first search has time enough to reach a poll on any machine; stopping at its first poll, it
        // ends within the bound below all the same.
        const Result r = TimedXboardSearch(search == 0 ? 20000 : 200);
        // The end reads as "quit", handed to the protocol by the first search only: that search stops at
        // once without a move, a later one runs as usual.
        EXPECT_EQ(Count(log.Lines(), "quit"), search == 0 ? 1 : 0) << search;
        EXPECT_EQ(r.aborted, search == 0) << search;
        EXPECT_EQ(r.legalMovePlayed, search != 0) << search;
        EXPECT_LT(r.seconds, 5.0) << search;
    }
    EXPECT_TRUE(StdinReader::AtEnd());
}

