#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/search/searchfixture.h"
#include "tests/support/pipedstdin.h"

namespace {
using Outcome = RootSearch;

// A fixed-depth search from a fresh state with thinking output on; MainBoard and MainStatus are restored.
Outcome SearchWithOutput(const std::string& fen, int depth, bool uci)
{
    InitEngineOnce();
    FreshSearchState();
    const SavedMainState saved;
    MainBoard = BoardFromFen(fen);
    SetSearchSettings({.uci = uci, .fixedDepth = static_cast<int8_t>(depth), .post = !uci});
    // Standard input is an open pipe with nothing in it, so the poll of a UCI or xboard search finds no
    // input and never waits.
    const PipedStdin quiet;
    return SearchMainBoard();
}


constexpr const char* MateInOne = "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1";
constexpr const char* Middlegame = "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4";


// "depth score/10 centiseconds nodes" then the move text, which starts with its own blank: two blanks
// before the move, one after each move of the line.
const std::regex ThinkingLine(R"(^(\d+) (-?\d+) (\d+) (\d+)  ((?:[a-h][1-8]){2}(?: (?:[a-h][1-8]){2})*) $)");
const std::regex DepthLine(R"(^info depth (\d+)$)");
const std::regex InfoLine(R"(^info depth (\d+) score cp (-?\d+)( time \d+)? nodes (\d+) pv ((?:[a-h][1-8]){2}(?: (?:[a-h][1-8]){2})*) $)");
} // namespace

TEST(ThinkingOutput, ConsoleLinesOfAMateInOneAreExact)
{
    // The count is fixed whatever the evaluation: 17 legal root moves, and 16 of them end in one
    // quiescence node (Black has no capture); the mate stops the iterations after depth 1.
    const Outcome r = SearchWithOutput(MateInOne, 2, false);
    EXPECT_EQ(r.output, "1 10999 0 33  a1a8 \n\n"
                        "1 10999 0 33  a1a8 \n\n");
}

TEST(ThinkingOutput, ConsoleIterationsEachPrintALineAndAnEmptyLine)
{
    const int depth = 3;
    const Outcome r = SearchWithOutput(Middlegame, depth, false);
    const std::vector<std::string> lines = Lines(r.output);
    // One line per iteration and the closing line, each followed by an empty one.
    ASSERT_EQ(lines.size(), 2u * (depth + 1)) << r.output;
    int64_t lastNodes = 0;
    std::smatch m;
    for (int i = 0; i <= depth; i++) {
        const std::string& line = lines[2 * i];
        EXPECT_EQ(lines[2 * i + 1], "") << r.output;
        ASSERT_TRUE(std::regex_match(line, m, ThinkingLine)) << '"' << line << '"';
        EXPECT_EQ(std::stoi(m[1]), i < depth ? i + 1 : depth) << line;
        EXPECT_EQ(m[3], "0") << "a search of a few thousand nodes takes no whole second at the estimated rate";
        const int64_t nodes = std::stoll(m[4]);
        if (i < depth) {
            EXPECT_GT(nodes, lastNodes) << line;
        }
        lastNodes = nodes;
    }
    // The closing line repeats the last iteration's.
    EXPECT_EQ(lines[2 * depth], lines[2 * depth - 2]);
    ASSERT_TRUE(std::regex_match(lines[2 * depth], m, ThinkingLine));
    EXPECT_EQ(std::stoi(m[2]), r.score / 10);
    EXPECT_EQ(std::stoll(m[4]), r.nodes);
}

TEST(ThinkingOutput, UciDepthAndInfoLines)
{
    const int depth = 3;
    const Outcome r = SearchWithOutput(Middlegame, depth, true);
    const std::vector<std::string> lines = Lines(r.output);
    ASSERT_GE(lines.size(), 2u * depth + 1) << r.output;
    int expectedDepth = 0;
    std::string lastScoreLine;
    int64_t lastNodes = 0;
    std::smatch m;
    for (size_t i = 0; i + 1 < lines.size(); i++) {
        const std::string& line = lines[i];
        if (std::regex_match(line, m, DepthLine)) {
            // Each iteration announces its depth, after at least one scored line of the previous one.
            EXPECT_EQ(std::stoi(m[1]), ++expectedDepth) << line;
            EXPECT_TRUE(expectedDepth == 1 || !lastScoreLine.empty()) << r.output;
            lastScoreLine.clear();
            continue;
        }
        ASSERT_TRUE(std::regex_match(line, m, InfoLine)) << '"' << line << '"';
        EXPECT_EQ(std::stoi(m[1]), expectedDepth) << line;
        EXPECT_FALSE(m[3].matched) << "no time outside analysis: " << line;
        const int64_t nodes = std::stoll(m[4]);
        EXPECT_GE(nodes, lastNodes) << line;
        lastNodes = nodes;
        lastScoreLine = line;
    }
    EXPECT_EQ(expectedDepth, depth);
    ASSERT_FALSE(lastScoreLine.empty());

    // The closing line carries the time and the final count; score and line are the last new best's.
    ASSERT_TRUE(std::regex_match(lines.back(), m, InfoLine)) << '"' << lines.back() << '"';
    EXPECT_EQ(m[3], " time 0");
    EXPECT_EQ(std::stoi(m[1]), depth);
    EXPECT_EQ(std::stoi(m[2]), r.score / 10);
    EXPECT_EQ(std::stoll(m[4]), r.nodes);
    const std::string pv = m[5];
    ASSERT_TRUE(std::regex_match(lastScoreLine, m, InfoLine));
    EXPECT_EQ(m[5], pv);
    EXPECT_EQ(std::stoi(m[2]), r.score / 10);
}

TEST(ThinkingOutput, UciClosingLineOfAMateInOneIsExact)
{
    const Outcome r = SearchWithOutput(MateInOne, 2, true);
    const std::vector<std::string> lines = Lines(r.output);
    ASSERT_GE(lines.size(), 3u) << r.output;
    EXPECT_EQ(lines.front(), "info depth 1");
    EXPECT_EQ(lines.back(), "info depth 1 score cp 10999 time 0 nodes 33 pv a1a8 ");
    EXPECT_EQ(r.output.back(), '\n');
}
