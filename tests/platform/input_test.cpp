#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

#include "platform/clock.h"
#include "platform/input.h"
#include "tests/support/pipedstdin.h"

namespace {
// One test walks the reader from first byte to end of input, since the end is final.
TEST(StdinReader, WordsLinesPollingAndEnd)
{
    PipedStdin in;
    using namespace StdinReader;
    EXPECT_FALSE(InputWaiting());

    in.Write("  \n\t ");
    EXPECT_FALSE(InputWaiting()) << "white space alone is not input";

    in.Write("uci\r\nposition startpos moves e2e4\nxboard\nisready\n");
    EXPECT_TRUE(InputWaiting());
    std::string s;
    ASSERT_TRUE(ReadWord(s));
    EXPECT_EQ(s, "uci");
    ASSERT_TRUE(ReadLine(s));
    EXPECT_EQ(s, "") << "the rest of the uci line, carriage return dropped";
    ASSERT_TRUE(ReadLine(s));
    EXPECT_EQ(s, "position startpos moves e2e4");
    // The start-up word and the newline that ends it: the next line is then whole.
    ASSERT_TRUE(ReadWord(s));
    EXPECT_EQ(s, "xboard");
    SkipChar();
    ASSERT_TRUE(ReadLine(s));
    EXPECT_EQ(s, "isready");

    // A command read as a word during a search: the rest of its line goes, the next line stays.
    in.Write("stop now please\nisready\n");
    ASSERT_TRUE(ReadWord(s));
    EXPECT_EQ(s, "stop");
    DiscardRestOfLine();
    ASSERT_TRUE(ReadLine(s));
    EXPECT_EQ(s, "isready");

    // Discarding never waits for a line that has not arrived.
    in.Write("quit now");
    ASSERT_TRUE(ReadWord(s));
    EXPECT_EQ(s, "quit");
    DiscardRestOfLine();
    in.Write("\nnext\n");
    ASSERT_TRUE(ReadWord(s));
    EXPECT_EQ(s, "next");

    // A handler that read its whole line leaves nothing to discard: the next line survives.
    in.Write("setboard 8/8 w\ngo\n");
    ASSERT_TRUE(ReadWord(s));
    ASSERT_TRUE(ReadLine(s));
    EXPECT_EQ(s, " 8/8 w");
    DiscardRestOfLine();
    ASSERT_TRUE(ReadWord(s));
    EXPECT_EQ(s, "go");
    DiscardRestOfLine();

    std::string longWord(20000, 'x'); // several reads long, within the pipe's capacity
    in.Write(" " + longWord + " tail");
    ASSERT_TRUE(ReadWord(s));
    EXPECT_EQ(s.size(), longWord.size());
    in.CloseWriter();
    ASSERT_TRUE(ReadWord(s));
    EXPECT_EQ(s, "tail") << "a last word without a newline still counts";
    EXPECT_TRUE(InputWaiting()) << "the end of input counts as input waiting";
    EXPECT_FALSE(ReadWord(s));
    EXPECT_FALSE(ReadLine(s));
    EXPECT_TRUE(AtEnd());
}

TEST(Clock, CountsWallTimeInMilliseconds)
{
    int32_t start = EngineClock();
    EXPECT_GE(start, 0);
    usleep(30000); // sleeping uses no processor time, so a processor clock would not move
    int32_t elapsed = EngineClock() - start;
    EXPECT_GE(elapsed, 25);
    EXPECT_LT(elapsed, 5000);
}
} // namespace
