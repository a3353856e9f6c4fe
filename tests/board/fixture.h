#pragma once
#include <cctype>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "board/board.h"
#include "board/setup.h"
#include "protocol/startup.h"

// The program's start-up; only the first call of a process fills the key tables.
inline void InitEngineOnce()
{
    EngineStartup();
}

// A board set up from FEN and finished as every caller of the set-up finishes it, clock at 0.
inline ChessBoard BoardFromFen(const std::string& fen)
{
    InitEngineOnce();
    ChessBoard saved = MainBoard;
    MainBoard.InitRep();
    if (!SetupBoard(fen.c_str())) {
        MainBoard = saved;
        throw std::runtime_error("bad FEN in test: " + fen);
    }
    MainBoard.FinishSetUp();
    MainBoard.FiftyMoveCount = 0;
    ChessBoard b = MainBoard;
    MainBoard = saved;
    return b;
}

// For tests that set up their positions on MainBoard: each gets it back as it was when the test began.
class KeepsMainBoard : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitEngineOnce();
        saved = MainBoard;
    }
    void TearDown() override { MainBoard = saved; }

private:
    ChessBoard saved{};
};

// Whether UndoMove brought `after` back to `before`: every byte but the undo copies themselves, which
// the move overwrote.
inline bool RestoredByUndo(ChessBoard before, const ChessBoard& after)
{
    std::memcpy(before.SavedPieces, after.SavedPieces, sizeof after.SavedPieces);
    before.SavedPawnHashCode = after.SavedPawnHashCode;
    before.SavedPieceKeyUpper = after.SavedPieceKeyUpper;
    before.SavedPieceKeyLower = after.SavedPieceKeyLower;
    before.SavedCastling = after.SavedCastling;
    before.SavedFiftyMoveCount = after.SavedFiftyMoveCount;
    before.SavedLastMoveFrom = after.SavedLastMoveFrom;
    before.SavedLastMoveTo = after.SavedLastMoveTo;
    std::memcpy(before.SavedPieceCount, after.SavedPieceCount, sizeof after.SavedPieceCount);
    for (int side = 0; side < 2; side++)
        for (int i = SavedCountOffset; i < 10; i++) before.PieceCounts[side][i] = after.PieceCounts[side][i];
    return std::memcmp(&before, &after, sizeof after) == 0;
}

inline uint64_t Sq(const char* name)
{
    return SqBit((name[0] - 'a') + 8 * (name[1] - '1'));
}

// Everything written to the file so far, read from its start.
inline std::string FileText(FILE* file)
{
    fflush(file);
    rewind(file);
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, file)) > 0) text.append(buf, n);
    return text;
}

// The lines of a text, without their line breaks.
inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Runs f with stdout redirected to a temporary file and returns what it printed.
template <typename F>
std::string CaptureStdout(F f)
{
    fflush(stdout);
    FILE* tmp = tmpfile();
    int saved = dup(fileno(stdout));
    dup2(fileno(tmp), fileno(stdout));
    f();
    fflush(stdout);
    dup2(saved, fileno(stdout));
    close(saved);
    const std::string out = FileText(tmp);
    fclose(tmp);
    return out;
}

// Names each instance of a table-driven test after its row's `name`, with '_' for every character
// that gtest does not accept in a test name.
struct RowName {
    template <typename Row>
    std::string operator()(const testing::TestParamInfo<Row>& info) const
    {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    }
};
