#include "platform/input.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstring>

#include <poll.h>
#include <unistd.h>

namespace {
char Buffer[4096];
size_t Begin = 0, End = 0;
bool Eof = false;
// A byte of the current line has been taken and its newline has not: only then is there a rest of the
// line to discard.
bool MidLine = false;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Appends what arrives to the buffer after its End, waiting for at least one byte; false at end of input.
bool FillMore()
{
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, Buffer + End, sizeof Buffer - End);
        if (n > 0) {
            End += static_cast<size_t>(n);
            return true;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{STDIN_FILENO, POLLIN, -1};
            poll(&p, 1, -1);
            continue;
        }
        Eof = true;
        return false;
    }
}

// Reads more bytes into the emptied buffer; blocks. False at end of input.
bool Fill()
{
    if (Begin < End) return true;
    if (Eof) return false;
    Begin = End = 0;
    return FillMore();
}

// A word or line keeps its first MaxKept bytes and drops the rest, with one message. Input that runs
// on for MaxDropped bytes more without a break is no protocol text: it counts as the end of input.
constexpr size_t MaxKept = size_t{1} << 20;
constexpr size_t MaxDropped = size_t{16} << 20;

// Counts one dropped byte; true when the input is to be taken as ended.
bool Overlong(size_t& dropped, const char* what)
{
    if (dropped++ == 0) {
        printf("ERROR: input %s longer than %zu bytes; the rest of it is dropped\n", what, MaxKept);
        fflush(stdout);
    }
    if (dropped < MaxDropped) return false;
    printf("ERROR: no end of the %s after %zu more bytes; the input is taken as ended\n", what, MaxDropped);
    fflush(stdout);
    Eof = true;
    Begin = End = 0;
    MidLine = false;
    return true;
}

// Whether a read would return at once.
bool ReadableNow()
{
    pollfd p{STDIN_FILENO, POLLIN, 0};
    int r = poll(&p, 1, 0);
    return r > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL));
}
} // namespace

namespace StdinReader {
bool ReadWord(std::string& word)
{
    word.clear();
    size_t dropped = 0;
    for (;;) {
        if (!Fill()) return !word.empty();
        char c = Buffer[Begin];
        if (IsBlank(c)) {
            if (!word.empty()) return true;
            if (c == '\n') MidLine = false;
            Begin++;
            continue;
        }
        MidLine = true;
        Begin++;
        if (word.size() < MaxKept) {
            word.push_back(c);
        } else if (Overlong(dropped, "word")) {
            return true;
        }
    }
}

bool ReadLine(std::string& line)
{
    line.clear();
    bool any = false;
    size_t dropped = 0;
    for (;;) {
        if (!Fill()) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return any;
        }
        any = true;
        char c = Buffer[Begin++];
        if (c == '\n') {
            MidLine = false;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return true;
        }
        if (line.size() < MaxKept) {
            line.push_back(c);
        } else if (Overlong(dropped, "line")) {
            return true;
        }
    }
}

void SkipChar()
{
    if (!Fill()) return;
    if (Buffer[Begin++] == '\n') MidLine = false;
}

void DiscardRestOfLine()
{
    // Only what has already arrived is dropped: never wait for the end of the line.
    while (MidLine) {
        if (Begin == End && !(ReadableNow() && Fill())) return;
        if (Buffer[Begin++] == '\n') MidLine = false;
    }
}

bool InputWaiting()
{
    for (;;) {
        while (Begin < End && IsBlank(Buffer[Begin]))
            if (Buffer[Begin++] == '\n') MidLine = false;
        if (Begin < End) return true;
        if (Eof) return true;
        if (!ReadableNow()) return false;
        if (!Fill()) return true;
    }
}

bool ReadInt(int32_t& value)
{
    // Skip white space, as a word read would.
    for (;;) {
        if (!Fill()) return false;
        const char c = Buffer[Begin];
        if (!IsBlank(c)) break;
        if (c == '\n') MidLine = false;
        Begin++;
    }
    // A sign counts only with a digit after it; otherwise the text stays for the next read.
    bool negative = false;
    if (Buffer[Begin] == '-' || Buffer[Begin] == '+') {
        if (Begin + 1 == End) {
            // The sign is the last byte buffered: make room and look at the next one.
            Buffer[0] = Buffer[Begin];
            Begin = 0;
            End = 1;
            if (!FillMore()) return false;
        }
        if (Begin + 1 >= End || Buffer[Begin + 1] < '0' || Buffer[Begin + 1] > '9') return false;
        negative = Buffer[Begin] == '-';
        Begin++;
    } else if (Buffer[Begin] < '0' || Buffer[Begin] > '9') {
        return false;
    }
    MidLine = true;
    int64_t n = 0;
    for (;;) {
        if (Begin == End && !Fill()) break;
        const char c = Buffer[Begin];
        if (c < '0' || c > '9') break;
        if (n < INT32_MAX + int64_t{1}) n = n * 10 + (c - '0');
        Begin++;
    }
    if (negative) n = -n;
    value = static_cast<int32_t>(n > INT32_MAX ? INT32_MAX : n < INT32_MIN ? INT32_MIN : n);
    return true;
}

bool WordWaiting()
{
    for (;;) {
        if (!InputWaiting()) return false;
        if (Begin == End) return true; // the end of input
        // A word is whole once a blank follows it, or the input ends after it.
        for (size_t i = Begin; i < End; i++)
            if (IsBlank(Buffer[i])) return true;
        if (Eof) return true;
        // A word longer than the buffer is for the blocking reader to take in pieces.
        if (Begin == 0 && End == sizeof Buffer) return true;
        if (!ReadableNow()) return false;
        std::memmove(Buffer, Buffer + Begin, End - Begin);
        End -= Begin;
        Begin = 0;
        const ssize_t n = read(STDIN_FILENO, Buffer + End, sizeof Buffer - End);
        if (n > 0) End += static_cast<size_t>(n);
        else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) Eof = true;
    }
}

bool AtEnd()
{
    return Eof && Begin == End;
}
} // namespace StdinReader
