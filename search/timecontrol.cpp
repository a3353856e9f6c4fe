// The time rules and every stop test of a timed search: the plan of a move's time and node budget,
// the measured node rate, the budget checks of the poll, the tests before and after each iteration, and
// the poll interval that keeps a move inside its hard limit.
#include "search/compmov.h"

#include <algorithm>
#include <cstdio>

#include "board/matchlog.h"
#include "platform/clock.h"
#include "search/searchcore.h"

using namespace SearchCore;

namespace {
// The measured node rate, or 0 when no usable measurement is possible.
int32_t MeasuredRate(int64_t nodes, double secs)
{
    if (secs <= 0) return 0;
    const float rate = static_cast<float>(nodes) / static_cast<float>(secs);
    return rate >= 1.0f && rate < 2147483520.0f ? static_cast<int32_t>(rate) : 0;
}

// Polls come every few milliseconds' worth of nodes, so a move keeps inside its hard limit and the
// protocol's questions are answered at once.
int64_t PollInterval()
{
    // Enough nodes for about 2 ms on a fast machine, however far off the rate estimate is.
    constexpr int64_t QuickPoll = 4096;
    const int64_t rate = MainStatus.NodesPerSecond;
    // An xboard analysis reports its progress at every poll.
    if (MainStatus.Analyze && MainStatus.xboard) return rate >> 3;
    // A fixed-depth search still answers the protocol promptly.
    if (MainStatus.FD != 0) return std::clamp<int64_t>(rate >> 1, 1, 16 * QuickPoll);
    return std::clamp<int64_t>(rate >> 8, 1, QuickPoll);
}

// A timed search's first poll interval: the first touch of the table's pages can make nodes a hundred
// times slower than usual, so the interval starts small and grows while polls come close together.
constexpr int64_t FirstTimedPollInterval = 16;

// An iteration whose best move was this much better than the second best at depth 1 may end the search
// early, when the move never changed since.
constexpr int EasyMoveMargin = 2949;
} // namespace

// The plan of one move

TimePlan PlanMoveTime(const Status& status, int32_t lastBookMoveNumber, void (*log)(const char*))
{
    char text[128];
    auto say = [&](const char* format, int64_t a, int64_t b = 0) {
        if (!log) return;
        snprintf(text, sizeof text, format, static_cast<long long>(a), static_cast<long long>(b));
        log(text);
    };
    TimePlan plan{};
    const int64_t timeLeft = status.TimeLeft, inc = status.TimeInc;
    int64_t t;
    if (status.ST != 0) {
        t = status.ST;
        plan.EmergencyTime = ClampTime(status.ST);
        plan.EmergencyTimeSet = true;
        say(" TimePeMove after ST = %lld \n", t);
        say(" EmergencyTimeThreshold after ST = %lld \n", status.ST);
    } else if (status.MovesPerSession != 0) {
        const int64_t m = status.MovesPerSession;
        t = ((timeLeft * 95) / m) / 100;
        if (m <= 3) t /= 2;
    } else {
        t = status.MoveNumber > 120 && inc <= 0 ? timeLeft / 40 : timeLeft / 30;
        if (!status.UCIMode && status.MoveNumber <= lastBookMoveNumber + 7)
            t = (t * 3) >> 1;
        else if ((status.MoveNumber % 10 == 0 || status.MoveNumber % 9 == 0) && timeLeft > 60000)
            t = (t * 7) >> 2;
        say(" TimePerMove Before Inc = %lld \n", t);
        int64_t e = (inc > 0 ? 1000 * inc : 0) + 2 * t;
        if (e > timeLeft) {
            say("EmergencyTimeThreshold = %lld > TimeLeft %lld\n", e, timeLeft);
            e = 300 * inc;
        }
        say(" EmergencyTimeThreshold = %lld \n", e);
        if (inc > 0) {
            if (timeLeft > 20000) t += 1000 * inc;
            else if (timeLeft > 10000) t += 500 * inc;
        }
        say(" TimePerMove After Inc = %lld \n", t);
        if (e <= t + 1000) {
            t = e / 2;
            say(" Inc = %lld \n", t);
        }
        say(" Inc = %lld \n", inc);
        say(" EmergencyTimeThreshold after comparing to Inc = %lld \n", e);
        plan.EmergencyTime = ClampTime(e);
        plan.EmergencyTimeSet = true;
    }
    plan.TimePerMove = ClampTime(t);
    plan.NodesPerMove = ClampTime(static_cast<int64_t>(status.NodesPerSecond / 2000) * plan.TimePerMove);
    plan.EmergencyNodes = ClampTime(2 * static_cast<int64_t>(plan.NodesPerMove));
    return plan;
}

void SearchRoutines::PlanSearch()
{
    Status& st = MainStatus;
    const TimePlan plan = PlanMoveTime(st, LastBookMoveNumber, WriteLogFile);
    st.TimePerMove = plan.TimePerMove;
    if (plan.EmergencyTimeSet) st.EmergencyTimeThreshold = plan.EmergencyTime;
    if (st.ST == 0 && st.MovesPerSession == 0 && !st.xboard && !st.UCIMode) PrintTimePlan();
    NodesPerMove = plan.NodesPerMove;
    st.EmergencyTimeThreshold = plan.EmergencyNodes;
    // The hard limit: the fixed time, or what a failing root may take at most (four times the time per
    // move) but never past the clock less a margin for the interface's own delays. A ponder search
    // starts it when the opponent plays the expected move.
    HardStopLimit = 0;
    if (!st.Analyze) {
        int64_t limit = 0;
        if (st.ST != 0) {
            limit = st.ST;
        } else if (st.TimeLeft > 0) {
            const int64_t most = std::max<int64_t>(4 * static_cast<int64_t>(plan.TimePerMove), plan.EmergencyTime);
            limit = std::min<int64_t>(most, st.TimeLeft - (st.TimeLeft / 8 + 30));
        }
        if (st.ST != 0 || st.TimeLeft > 0) HardStopLimit = ClampTime(limit > 1 ? limit : 1);
    }
    if (!st.Ponder && HardStopLimit) HardStopTime = ClampTime(static_cast<int64_t>(st.StartTime) + HardStopLimit);
    // The first node polls: a command that came while the engine was not searching acts at once.
    StartTimedPolls();
}

void SearchRoutines::StartClock()
{
    MainStatus.StartTime = EngineClock();
    HardStopTime = HardStopLimit ? ClampTime(static_cast<int64_t>(MainStatus.StartTime) + HardStopLimit) : 0;
    StartTimedPolls();
}

// The node rate

void SearchRoutines::MeasureRate(int64_t nodes, bool duringIteration)
{
    const int32_t elapsed = EngineClock() - MainStatus.StartTime;
    const int32_t secs = (elapsed + 500) / 1000;
    LogLine(duringIteration ? "Time Consumption for first half of search was %f \n"
                            : "Time Consumption for first 7 ply was %f \n",
            static_cast<double>(secs));
    const int32_t rate = MeasuredRate(nodes, secs);
    if (rate > 0) {
        LogLine("Current TimerPerMove is %d\n", MainStatus.TimePerMove);
        LogLine("Previous NPS was %d\n", MainStatus.NodesPerSecond);
        LogLine("Previous NodesPerMove was %d\n", NodesPerMove);
        LogLine("Nodes for the first 7 ply %lld\n", static_cast<long long>(nodes));
        MainStatus.NodesPerSecond = rate;
        NodesPerMove = ClampTime(static_cast<int64_t>(rate / 1000) * MainStatus.TimePerMove);
        if (duringIteration) PrintMeasuredRate(rate, secs);
        LogLine(" Dynamic Nodes Per Second = %d\n", rate);
        MainStatus.EmergencyTimeThreshold = ClampTime(2 * static_cast<int64_t>(NodesPerMove));
        LogLine(" NodesPeMove after Dynamic Adjustment = %d   Emergency Threshold = %d\n", NodesPerMove,
                MainStatus.EmergencyTimeThreshold);
    }
    NPSState = 1;
}

// The budget is spent: a root that is failing low gets one extension, otherwise the search winds down.
// True when the node must return at once.
bool SearchRoutines::OverBudget()
{
    if (FailingLow && !TimeExtended) {
        if (MainStatus.ST != 0) {
            StopSearch = 1;
            TimeUp = 1;
            return true;
        }
        for (int k = TimeUp ? 2 : 1; k > 0; k--) {
            NodesPerMove = ClampTime(2 * static_cast<int64_t>(NodesPerMove));
            MainStatus.TimePerMove = ClampTime(2 * static_cast<int64_t>(MainStatus.TimePerMove));
            MainStatus.EmergencyTimeThreshold = ClampTime(2 * static_cast<int64_t>(MainStatus.EmergencyTimeThreshold));
        }
        TimeExtended = 1;
        WriteLogFile("Timer Extended - Failing Low\n");
        TimeUp = 0;
        return false;
    }
    if (MainStatus.ST != 0) {
        StopSearch = 1;
        TimeUp = 1;
        return true;
    }
    TimeUp = 1;
    return false;
}

void SearchRoutines::MeasureAnalysisRate()
{
    const int32_t secs = (EngineClock() - MainStatus.StartTime + 500) / 1000;
    const int32_t rate = MeasuredRate(Nodes(), secs);
    if (rate > 0) MainStatus.NodesPerSecond = rate;
}

// Stop tests

bool SearchRoutines::BudgetSpent()
{
    // Budget checks belong to timed searches, and never cut the first iteration short.
    if (MainStatus.Analyze || MainStatus.Ponder || MainStatus.FD != 0 || RootDepth <= 1) return false;
    const int64_t n = Nodes();
    if (NPSState == 0) {
        if (n > NodesPerMove || Abort) {
            MeasureRate(n, true);
            if ((Nodes() > NodesPerMove || Abort) && OverBudget()) return true;
        }
    } else {
        if ((n > NodesPerMove || Abort) && OverBudget()) return true;
        if (Nodes() >= MainStatus.EmergencyTimeThreshold || Abort) {
            StopSearch = 1;
            return true;
        }
    }
    // The wall clock is the last word: the move's hard limit is never passed.
    if (HardStopTime != 0 && EngineClock() >= HardStopTime) {
        StopSearch = 1;
        TimeUp = 1;
        return true;
    }
    return false;
}

bool SearchRoutines::IterationMayStart(int depth)
{
    Status& st = MainStatus;
    if (depth > 1 && HardStopTime != 0 && EngineClock() >= HardStopTime) {
        st.SearchDepth = depth - 1;
        return false;
    }
    if (!st.Ponder && st.FD == 0 && Nodes() > NodesPerMove) {
        if (NPSState == 0) MeasureRate(Nodes(), false);
        if (Nodes() > NodesPerMove) {
            st.SearchDepth = depth - 1;
            return false;
        }
    }
    return true;
}

bool SearchRoutines::IterationEndsSearch(int depth, int score, bool& easyMove)
{
    Status& st = MainStatus;
    if (Abort || st.FD != 0 || st.Ponder) return false;
    if (st.ST != 0) return EngineClock() - st.StartTime > st.ST;
    if (depth == 1) easyMove = score - EasyMoveMargin > SecondBestScore;
    if (depth > 10 && RootBestChanges == 0 && !FailingLow && easyMove) return true;
    if (Nodes() >= NodesPerMove) {
        st.SearchDepth = depth;
        return true;
    }
    return false;
}

// The poll interval

void SearchRoutines::StartTimedPolls()
{
    TimedPollInterval = FirstTimedPollInterval;
    LastPollClock = EngineClock();
    LastPollNodes = Nodes();
    // The next node polls, so the new interval applies at once.
    PollCountdown = 0;
}

int64_t SearchRoutines::NextPollInterval()
{
    const int64_t most = PollInterval();
    if (HardStopTime == 0) return most;
    // A timed search polls about every millisecond, at the node rate seen since the last poll.
    const int32_t now = EngineClock();
    const int32_t elapsed = now - LastPollClock;
    const int64_t nodes = Nodes();
    if (elapsed >= 2) TimedPollInterval = std::max<int64_t>(1, (nodes - LastPollNodes) / elapsed);
    else if (elapsed == 0) TimedPollInterval = 2 * TimedPollInterval;
    TimedPollInterval = std::min(TimedPollInterval, most);
    LastPollClock = now;
    LastPollNodes = nodes;
    return TimedPollInterval;
}

// Kept with the search, called by nothing

int64_t SearchRoutines::InitMoveTimer()
{
    return MainStatus.Analyze ? MainStatus.NodesPerSecond >> 3 : MainStatus.NodesPerSecond >> 1;
}

void SearchRoutines::InitValues()
{
    TimeExtended = 0;
    StopSearch = 0;
    TimeUp = 0;
    Abort = 0;
    LastIterationScore = 0;
}
