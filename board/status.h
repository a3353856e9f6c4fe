#pragma once
#include <cstdint>

#include "platform/flavour.h"

// Mimic test modes.
inline constexpr uint8_t STUDENT = 1;
inline constexpr uint8_t ORACLE = 2;

// Status::BenchMode: the -bench option given. Any benchmark mode keeps the opening book and the input
// poll out of the search, and start-up reads no first word.
enum BenchModeCode : uint8_t {
    NoBench = 0,
    BenchPositions = 1, // -bench (and -satrain): Bench, the six positions
    BenchTwice = 2,     // -bench2: Bench2, the fifth position twice
    // -bench3 to -bench5 run no benchmark: the console game follows. Bench3, which no option starts, runs
    // in the third mode.
    BenchConversions = 3,
    BenchIdle4 = 4,
    BenchIdle5 = 5,
};

// The fixed time of an analysis, in milliseconds: two weeks, a time no analysis reaches.
inline constexpr int32_t UnlimitedMoveTime = 1209600000;

// Time and count arithmetic is done in 64 bits and stored in the record's 32-bit fields.
constexpr int32_t Clamp32(int64_t v)
{
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}
// Times and node budgets, which never go below zero.
constexpr int32_t ClampTime(int64_t v)
{
    return v < 0 ? 0 : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}

// The engine's global run state: protocol and offline modes, game flow, time control, and constant square
// masks, which the board self tests and the game loop's dead-position test read (the hot paths use the
// compile-time ones of board/bitmasks.h).
class Status {
public:
    // Modes, game flow and time control
    uint8_t Mimic;
    int32_t StartTime;
    int32_t MoveNumber;
    int32_t SearchDepth;
    int32_t MoveTime;
    int32_t TimeInc;
    int32_t TimePerMove;
    int32_t TimeLeft;
    int32_t NodesPerSecond = StartNodesPerSecond;
    int32_t EmergencyTimeThreshold;
    uint8_t xboard;
    uint8_t UCIMode;
    uint8_t GameInProgress;
    uint8_t SelfPlay;
    int8_t FD;
    uint8_t HumanToMove;
    uint8_t Kibitz;
    uint8_t PERFT;
    uint8_t BenchMode;
    uint8_t SATrain;
    uint8_t DoTestSuite;
    uint8_t Post;
    uint8_t Force;
    uint8_t UseBook;
    uint8_t PEV;
    uint8_t Analyze;
    uint8_t NextMatch;
    uint8_t Trace;
    uint8_t Ponder;

    // Constant masks
    uint64_t FileMask[8];
    uint64_t FilesGH, FilesAB, FilesFGH, FilesABC;
    uint64_t PhalanxMask[8];
    uint64_t RankMask[8];
    uint64_t DiagonalMask[6];
    uint64_t LightSquares, DarkSquares;
    uint64_t Corners;
    uint64_t WhiteHalf, BlackHalf;
    int32_t MovesPerSession;
    int32_t DefaultMovesPerSession;
    int32_t ST;
    uint64_t SqH8, SqH7, SqF7, SqG7, SqH6, SqF6, SqG6, SqA8, SqA7, SqC7, SqA6, SqB7, SqC6, SqB6;
    uint64_t SqH1, SqH2, SqF2, SqG2, SqH3, SqF3, SqG3, SqA1, SqA2, SqC2, SqB2, SqA3, SqC3, SqB3;
    uint64_t SqB8, SqG8, SqB1, SqG1;

    // Fills the masks and resets game and mode flags; keeps the protocol mode, and in UCI mode the
    // time and depth settings.
    void initVars();
    char getFD() const { return static_cast<char>(FD); }
    void setxboard(char v) { xboard = static_cast<uint8_t>(v); }

    // The file, file-group and rank masks; also rewritten by ChessBoard::InitRep.
    void SetLineMasks();

    // Kept with the record, called by nothing in the engine
    void initPieceSquares() {}
    void setPERFT(char v) { PERFT = static_cast<uint8_t>(v); }
    char getPERFT() const { return static_cast<char>(PERFT); }
    void setFD(char v) { FD = static_cast<int8_t>(v); }
    char getxboard() const { return static_cast<char>(xboard); }
    void setDoTestSuite(char v) { DoTestSuite = static_cast<uint8_t>(v); }
    char getDoTestSuite() const { return static_cast<char>(DoTestSuite); }
};

extern Status MainStatus;
