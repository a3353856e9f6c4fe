#pragma once
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

// Standard input fed from a pipe for the lifetime of the object. Nothing written means an open pipe
// with nothing in it: a poll finds no input and never waits.
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
    // The reader then sees the end of input once the pipe is drained.
    void CloseWriter()
    {
        if (fds_[1] >= 0) close(fds_[1]);
        fds_[1] = -1;
    }

private:
    int fds_[2];
    int saved_;
};
