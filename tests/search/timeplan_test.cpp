#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "search/compmov.h"

namespace {
enum Mode { Console, Xboard, Uci };

struct Clock {
    int32_t timeLeft; // ms
    int32_t inc;      // s
    int32_t movesToGo;
    int32_t st; // ms
    int32_t moveNumber;
    int32_t nps;
    Mode mode;
    int32_t lastBookMove;
};

Status StatusFor(const Clock& c)
{
    Status s{};
    s.TimeLeft = c.timeLeft;
    s.TimeInc = c.inc;
    s.MovesPerSession = c.movesToGo;
    s.ST = c.st;
    s.MoveNumber = c.moveNumber;
    s.NodesPerSecond = c.nps;
    s.xboard = c.mode == Xboard;
    s.UCIMode = c.mode == Uci;
    return s;
}

std::vector<std::string> Logged;
void Collect(const char* line)
{
    Logged.emplace_back(line);
}

constexpr int32_t Max = INT32_MAX;
constexpr int32_t NotSet = -1;
} // namespace

TEST(PlanMoveTime, TableOfClocks)
{
    struct Case {
        const char* what;
        Clock clock;
        int32_t time, emergency, nodes, emergencyNodes;
    };
    const Case cases[] = {
        // Default rule.
        {"move 20 is a multiple of 10: x7/4", {300000, 0, 0, 0, 20, 1200000, Uci, 0}, 17500, 35000, 10500000, 21000000},
        {"move 21: no scaling", {300000, 0, 0, 0, 21, 1200000, Uci, 0}, 10000, 20000, 6000000, 12000000},
        {"move 27 is a multiple of 9: x7/4", {300000, 0, 0, 0, 27, 1200000, Uci, 0}, 17500, 35000, 10500000, 21000000},
        {"multiple of 10 with a minute or less left: no scaling", {60000, 0, 0, 0, 20, 1200000, Uci, 0}, 2000, 4000,
         1200000, 2400000},
        {"console, early moves without book: x1.5", {300000, 0, 0, 0, 5, 1200000, Console, 0}, 15000, 30000, 9000000,
         18000000},
        {"xboard, early moves without book: x1.5", {300000, 0, 0, 0, 5, 1200000, Xboard, 0}, 15000, 30000, 9000000,
         18000000},
        {"UCI never takes the early-move scaling", {300000, 0, 0, 0, 5, 1200000, Uci, 0}, 10000, 20000, 6000000,
         12000000},
        {"seven moves after the last book move: x1.5", {300000, 0, 0, 0, 17, 1200000, Xboard, 10}, 15000, 30000,
         9000000, 18000000},
        {"eight after the book, a multiple of 9: x7/4", {300000, 0, 0, 0, 18, 1200000, Xboard, 10}, 17500, 35000,
         10500000, 21000000},
        {"after move 120 without increment: TimeLeft/40", {120000, 0, 0, 0, 121, 1200000, Uci, 0}, 3000, 6000, 1800000,
         3600000},
        {"after move 120 with increment: TimeLeft/30 plus the bonus", {120000, 1, 0, 0, 121, 1200000, Uci, 0}, 5000,
         9000, 3000000, 6000000},
        {"5000 + 2: no bonus under 10 s", {5000, 2, 0, 0, 21, 1200000, Uci, 0}, 166, 2332, 99600, 199200},
        {"1000 + 3: emergency above the clock falls to 300 x inc, T = E/2", {1000, 3, 0, 0, 21, 1200000, Uci, 0}, 450,
         900, 270000, 540000},
        {"15000 + 2: half bonus", {15000, 2, 0, 0, 21, 1200000, Uci, 0}, 1500, 3000, 900000, 1800000},
        {"30000 + 2: full bonus, then T = E/2", {30000, 2, 0, 0, 21, 1200000, Uci, 0}, 2000, 4000, 1200000, 2400000},
        {"32-bit start-up rate", {300000, 0, 0, 0, 21, 200004, Uci, 0}, 10000, 20000, 1000000, 2000000},
        // Moves per session: no emergency time.
        {"movestogo 2 is halved", {60000, 0, 2, 0, 21, 1200000, Uci, 0}, 14250, NotSet, 8550000, 17100000},
        {"movestogo 3 is halved", {60000, 0, 3, 0, 21, 1200000, Uci, 0}, 9500, NotSet, 5700000, 11400000},
        {"movestogo 40", {60000, 0, 40, 0, 21, 1200000, Uci, 0}, 1425, NotSet, 855000, 1710000},
        // Fixed time wins over everything.
        {"fixed time", {60000, 5, 40, 5000, 20, 1200000, Console, 0}, 5000, 5000, 3000000, 6000000},
        // Beyond 32 bits: clamped, never wrapped.
        {"the largest clock", {Max, 0, 0, 0, 21, 1200000, Uci, 0}, 71582788, 143165576, Max, Max},
        {"the largest clock, move 20", {Max, 0, 0, 0, 20, 1200000, Uci, 0}, 125269879, 250539758, Max, Max},
        {"the largest clock, movestogo 1", {Max, 0, 1, 0, 21, 1200000, Uci, 0}, 1020054732, NotSet, Max, Max},
        {"the largest clock, increment whose emergency time passes 2^31", {Max, 2100000, 0, 0, 21, 1200000, Uci, 0},
         315000000, 630000000, Max, Max},
        {"one hour fixed time", {0, 0, 0, 3600000, 21, 1200000, Uci, 0}, 3600000, 3600000, Max, Max},
        {"24 h clock at a multiple of 9", {86400000, 0, 0, 0, 27, 1200000, Uci, 0}, 5040000, 10080000, Max, Max},
        {"budget just fits", {0, 0, 0, 3579139, 21, 1200000, Uci, 0}, 3579139, 3579139, 2147483400, Max},
        {"largest rate", {300000, 0, 0, 0, 21, Max, Uci, 0}, 10000, 20000, Max, Max},
        // A clock already overdrawn gives nothing negative.
        {"negative clock", {-5000, 0, 0, 0, 21, 1200000, Uci, 0}, 0, 0, 0, 0},
        {"negative clock, early console move", {-3000, 0, 0, 0, 1, 1200000, Console, 0}, 0, 0, 0, 0},
        {"negative clock with increment", {-5000, 2, 0, 0, 21, 1200000, Uci, 0}, 300, 600, 180000, 360000},
        {"negative clock, movestogo", {-60000, 0, 2, 0, 21, 1200000, Uci, 0}, 0, NotSet, 0, 0},
        {"most negative clock", {INT32_MIN, 0, 0, 0, 20, 1200000, Uci, 0}, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const TimePlan p = PlanMoveTime(StatusFor(c.clock), c.clock.lastBookMove, nullptr);
        EXPECT_EQ(p.TimePerMove, c.time) << c.what;
        EXPECT_EQ(p.EmergencyTimeSet, c.emergency != NotSet) << c.what;
        if (c.emergency != NotSet) {
            EXPECT_EQ(p.EmergencyTime, c.emergency) << c.what;
        }
        EXPECT_EQ(p.NodesPerMove, c.nodes) << c.what;
        EXPECT_EQ(p.EmergencyNodes, c.emergencyNodes) << c.what;
    }
}

TEST(PlanMoveTime, LogLinesOfEachRule)
{
    struct Case {
        const char* what;
        Clock clock;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"default rule, every branch taken",
         {1000, 3, 0, 0, 21, 1200000, Uci, 0},
         {" TimePerMove Before Inc = 33 \n", "EmergencyTimeThreshold = 3066 > TimeLeft 1000\n",
          " EmergencyTimeThreshold = 900 \n", " TimePerMove After Inc = 33 \n", " Inc = 450 \n", " Inc = 3 \n",
          " EmergencyTimeThreshold after comparing to Inc = 900 \n"}},
        {"default rule, no branch taken",
         {300000, 0, 0, 0, 20, 1200000, Uci, 0},
         {" TimePerMove Before Inc = 17500 \n", " EmergencyTimeThreshold = 35000 \n", " TimePerMove After Inc = 17500 \n",
          " Inc = 0 \n", " EmergencyTimeThreshold after comparing to Inc = 35000 \n"}},
        {"fixed time",
         {60000, 0, 0, 5000, 20, 1200000, Xboard, 0},
         {" TimePeMove after ST = 5000 \n", " EmergencyTimeThreshold after ST = 5000 \n"}},
        {"moves per session logs nothing", {60000, 0, 2, 0, 20, 1200000, Xboard, 0}, {}},
    };
    for (const Case& c : cases) {
        Logged.clear();
        PlanMoveTime(StatusFor(c.clock), c.clock.lastBookMove, Collect);
        EXPECT_EQ(Logged, c.lines) << c.what;
    }
}
