#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "eval/pawnhash.h"
#include "protocol/bench.h"
#include "protocol/startup.h"
#include "search/hashtab.h"
#include "tests/board/fixture.h"

namespace {
const std::string Header = "    Time Interior Nodes Quiesce Nodes Total Nodes        NPS\n";

struct ReportCase {
    const char* what;
    int32_t elapsedMs;
    BenchCounts counts;
    int32_t hits, misses;
    int64_t pawnMisses, pawnAttempts;
    const char* expected; // the report after the header line
};

// Puts the table and pawn-hash counters back, so that tests in the same process see them untouched.
struct SavedCounters {
    int32_t hits = PositionCache.Hits, misses = PositionCache.Misses;
    int64_t pawnMisses = Phashmisses, pawnAttempts = Phashattempts;
    ~SavedCounters()
    {
        PositionCache.Hits = hits;
        PositionCache.Misses = misses;
        Phashmisses = pawnMisses;
        Phashattempts = pawnAttempts;
    }
};

std::string Report(const ReportCase& c)
{
    PositionCache.Hits = c.hits;
    PositionCache.Misses = c.misses;
    Phashmisses = c.pawnMisses;
    Phashattempts = c.pawnAttempts;
    return CaptureStdout([&] { PrintBenchReport(c.elapsedMs, c.counts); });
}

TEST(BenchReport, LinesAndFields)
{
    SavedCounters saved;
    const ReportCase cases[] = {
        {"typical run", 1500, {600000, 900000, 70000}, 3, 1, 1, 3,
         "    1500      600000        900000       1500000     1000000\n"
         "Leaf Interior Nodes searched = 70000\n"
         "Transposition Table Hits 3  Misses  1  Ratio = 75\n"
         "Pawn misses 1 Pawn attempts 3 Pawn miss rate = 33.3333\n"},
        // The clock did not advance: 1 ms, and the rate is the node count times 1000.
        {"no time elapsed", 0, {5, 7, 0}, 0, 1, 0, 8,
         "       1           5             7            12       12000\n"
         "Leaf Interior Nodes searched = 0\n"
         "Transposition Table Hits 0  Misses  1  Ratio = 0\n"
         "Pawn misses 0 Pawn attempts 8 Pawn miss rate = 0\n"},
        // The rate divides first: 2000 / 3 = 666, then times 1000.
        {"rate rounds down per millisecond", 3, {1000, 1000, 1}, 1, 2, 2, 2,
         "       3        1000          1000          2000      666000\n"
         "Leaf Interior Nodes searched = 1\n"
         "Transposition Table Hits 1  Misses  2  Ratio = 33\n"
         "Pawn misses 2 Pawn attempts 2 Pawn miss rate = 100\n"},
        // Sums and products past 32 bits still come out right.
        {"counts past 32 bits", 1, {3000000000LL, 2000000000LL, 4000000000LL}, 2000000000, 2000000000,
         3000000000LL, 6000000000LL,
         "       1  3000000000    2000000000    50000000005000000000000\n"
         "Leaf Interior Nodes searched = 4000000000\n"
         "Transposition Table Hits 2000000000  Misses  2000000000  Ratio = 50\n"
         "Pawn misses 3000000000 Pawn attempts 6000000000 Pawn miss rate = 50\n"},
        // An empty table shows its misses as 0; without any pawn probe the rate is 0.
        {"nothing probed", 10, {0, 0, 0}, 0, 0, 0, 0,
         "      10           0             0             0           0\n"
         "Leaf Interior Nodes searched = 0\n"
         "Transposition Table Hits 0  Misses  0  Ratio = 0\n"
         "Pawn misses 0 Pawn attempts 0 Pawn miss rate = 0\n"},
    };
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Report(c), Header + c.expected);
    }
}

TEST(BenchReport, EmptyTableCountsOneMissAfterwards)
{
    SavedCounters saved;
    Report({"", 1, {}, 0, 0, 0, 1, ""});
    EXPECT_EQ(PositionCache.Hits, 0);
    EXPECT_EQ(PositionCache.Misses, 1);
    // Counters that are not both 0 stay as they are.
    Report({"", 1, {}, 0, 5, 0, 1, ""});
    EXPECT_EQ(PositionCache.Misses, 5);
}

// No option starts Bench3: it is reached only from here. Its report has the shape of Bench2's.
TEST(Bench3, TwoTitledReports)
{
    EngineStartup();
    const Status saved = MainStatus;
    // As "-bench3 -fd 3" would set them; the benchmark mode keeps the book out of the search.
    MainStatus.BenchMode = BenchConversions;
    MainStatus.FD = 3;
    const std::string out = CaptureStdout(Bench3);
    MainStatus = saved;
    const std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(lines.size(), 14u) << out;
    EXPECT_EQ(lines[0], "Running benchmark ");
    EXPECT_EQ(lines[1], "Progressive Deepening");
    EXPECT_EQ(lines[7], "Running benchmark ");
    EXPECT_EQ(lines[8], "Search Exact Depth");
    for (int first : {2, 9}) {
        EXPECT_EQ(lines[first] + "\n", Header);
        EXPECT_EQ(lines[first + 1].size(), 60u) << lines[first + 1];
        EXPECT_EQ(lines[first + 2].rfind("Leaf Interior Nodes searched = ", 0), 0u);
        EXPECT_EQ(lines[first + 3].rfind("Transposition Table Hits ", 0), 0u);
        EXPECT_EQ(lines[first + 4].rfind("Pawn misses ", 0), 0u);
    }
}
} // namespace
