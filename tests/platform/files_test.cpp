#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <unistd.h>

#include "platform/clock.h"
#include "platform/files.h"

namespace {
// The position and suite readers refuse a directory and bound what they read from a file without an end.
TEST(Files, DirectoriesAndRegularFilesAreToldApart)
{
    char dir[] = "/tmp/orvex-files-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/position.fen";
    FILE* file = fopen(path.c_str(), "w+");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(IsDirectory(dir));
    EXPECT_FALSE(IsDirectory(path.c_str()));
    EXPECT_FALSE(IsDirectory((std::string(dir) + "/missing").c_str()));
    EXPECT_TRUE(IsRegularFile(file));
    fclose(file);

    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    FILE* reading = fdopen(ends[0], "r");
    EXPECT_FALSE(IsRegularFile(reading));
    fclose(reading);
    close(ends[1]);
    unlink(path.c_str());
    rmdir(dir);
}

TEST(Clock, ASleepLastsAtLeastItsTime)
{
    const int32_t start = EngineClock();
    SleepMilliseconds(20);
    EXPECT_GE(EngineClock() - start, 19);
}
} // namespace
