#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iostream>

#include "board/setup.h"
#include "fixture.h"

namespace {
const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

std::string FenOf(const ChessBoard& b)
{
    char text[FenBufferSize];
    pos2fenString(b, text);
    return text;
}

TEST(Fen, RoundTrips)
{
    const char* positions[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ",
        "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w -",
        "4k3/8/8/8/8/8/8/4K3 b -",
        "k7/8/8/8/8/8/8/7K w -",
        "8/8/8/3k4/8/8/8/3K4 b -",
        "r3k3/8/8/8/8/8/8/4K2R w Kq",
        "1nbqkbn1/pppppppp/8/8/8/8/PPPPPPPP/1NBQKBN1 b -",
        "QQQQQQQk/QQ6/8/8/8/8/8/K7 b -",
    };
    for (const char* p : positions) {
        ChessBoard b = BoardFromFen(std::string(p) + " - 0 1");
        EXPECT_EQ(FenOf(b), std::string(p) + " - 0 ; ");
        ChessBoard again = BoardFromFen(FenOf(b));
        EXPECT_EQ(std::memcmp(&again.WhitePieces, &b.WhitePieces, 15 * sizeof(uint64_t)), 0) << p;
        EXPECT_EQ(again.ToMove, b.ToMove);
        EXPECT_EQ(again.Castling, b.Castling);
    }
}

TEST(Fen, WhatTheReaderTakesAndLeaves)
{
    InitEngineOnce();
    MainBoard.InitRep();
    MainBoard.PieceCounts[0][CountPawns] = 3;
    MainBoard.FiftyMoveCount = 17;
    MainBoard.PawnHashCode = 99;
    ASSERT_TRUE(SetupBoard(StartFen));
    EXPECT_EQ(MainBoard.Castling, 15);
    EXPECT_EQ(MainBoard.ToMove, 0);
    EXPECT_EQ(MainBoard.PieceCounts[0][CountPawns], 3) << "counts are the caller's business";
    EXPECT_EQ(MainBoard.FiftyMoveCount, 17);
    EXPECT_EQ(MainBoard.PawnHashCode, 99u);
    EXPECT_EQ(MainBoard.LastMoveFrom | MainBoard.LastMoveTo, 0u);

    struct Case {
        const char* fen;
        int toMove, castling;
    };
    const Case cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R b - - 0 1", 1, 0},
        {"r3k2r/8/8/8/8/8/8/R3K2R x KQkq", 0, 15},   // any letter but b is White
        {"r3k2r/8/8/8/8/8/8/R3K2R", 0, 0},           // nothing after the placement
        {"r3k2r/8/8/8/8/8/8/R3K2R b", 1, 0},
        {"r3k2r/8/8/8/8/8/8/R3K2R w kq", 0, 12},
        {"r3k2r/8/8/8/8/8/8/R3K2R w Kk", 0, 5},
        {"r3k2r/8/8/8/8/8/8/R3K2R w qkQK", 0, 15},
        {"r3k2r/8/8/8/8/8/8/R3K2R w K?x", 0, 1},     // other characters in the field are skipped
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq\r", 0, 15}, // a carriage return from a DOS file
        // Rights whose king or rook has left home are dropped.
        {"r3k3/8/8/8/8/8/8/R3K2R w KQkq - 0 1", 0, 1 | 2 | 8},
        {"r3k2r/8/8/8/8/8/8/R4K1R w KQkq - 0 1", 0, 4 | 8},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetupBoard(c.fen)) << c.fen;
        EXPECT_EQ(MainBoard.ToMove, c.toMove) << c.fen;
        EXPECT_EQ(MainBoard.Castling, c.castling) << c.fen;
    }
    // Unknown letters take a square but put nothing on it.
    ASSERT_TRUE(SetupBoard("4k3/8/8/8/8/8/8/xxxxK3 w - - 0 1"));
    EXPECT_EQ(MainBoard.AllPieces, Sq("e1") | Sq("e8"));
}

TEST(Fen, EnPassantSquareStandsForTheDoublePush)
{
    ChessBoard b = BoardFromFen("rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3");
    EXPECT_EQ(b.LastMoveFrom, Sq("d7"));
    EXPECT_EQ(b.LastMoveTo, Sq("d5"));
    char mask;
    b.MakeMove(Sq("e5"), Sq("d6"), NoPromotion, &mask);
    EXPECT_FALSE(b.BlackPawns & Sq("d5")) << "the capture takes the pawn";

    ChessBoard black = BoardFromFen("4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1");
    EXPECT_EQ(black.LastMoveFrom, Sq("d2"));
    EXPECT_EQ(black.LastMoveTo, Sq("d4"));

    // A square that no double push explains is ignored.
    const char* ignored[] = {
        "4k3/8/8/3pP3/8/8/8/4K3 w - e6 0 1", // no pawn below e6
        "4k3/8/8/3pP3/8/8/8/4K3 b - d6 0 1", // wrong side to move
        "4k3/8/8/3pP3/8/8/8/4K3 w - d9 0 1",
        "4k3/8/8/3pP3/8/8/8/4K3 w - z6 0 1",
    };
    for (const char* fen : ignored) {
        ChessBoard c = BoardFromFen(fen);
        EXPECT_EQ(c.LastMoveFrom | c.LastMoveTo, 0u) << fen;
    }
}

TEST(Fen, InvalidTextsAreRejectedAndChangeNothing)
{
    InitEngineOnce();
    std::string longText(10000, 'Q');
    std::string slashes(10000, '/');
    std::string digits = "4k3/8/8/8/8/8/8/" + std::string(5000, '9') + "K w - - 0 1";
    std::string overflow = "4k3/8/8/8/8/8/8/99999999999999999999K w - - 0 1";
    const std::string cases[] = {
        "",
        " rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1BNR w kq - 0 1",           // no white king
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKKNR w KQkq - 0 1",         // two white kings
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR",                      // fine: control case below
        "P3k3/8/8/8/8/8/8/4K3 w - - 0 1",                                   // pawn on rank 8
        "4k3/8/8/8/8/8/8/p3K3 b - - 0 1",                                   // pawn on rank 1
        "4k3/8/8/8/8/8/8/4K2R b - - 0 1",                                   // fine: control case
        "4k3/4R3/8/8/8/8/8/4K3 w - - 0 1",                                  // side not to move in check
        "3k4/3K4/8/8/8/8/8/8 w - - 0 1",                                    // kings touching
        "QQQQQQQQ/QQQQQQQQ/QQQQ4/8/8/8/8/k3K3 b - - 0 1",                  // 20 queens
        "4k3/8/8/8/8/8/PPPPPPPP/QQQQKQQQ w - - 0 1",                       // more than pawns allow
        "rnbqkbnr/pppppppp/8/8",                                            // truncated
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/8 w - - 0 1",          // nine ranks
        "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1",            // rank too long
        "rnbqkbnr/ppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1",             // rank too short
        "4k3/44/8/8/8/8/8/4K3 w - - 0 1",                                   // a run of digits is one number
        "4k3/11111111/8/8/8/8/8/4K3 w - - 0 1",
        "4k3/0/8/8/8/8/8/4K3 w - - 0 1",
        longText,
        slashes,
        digits,
        overflow,
    };
    for (const std::string& fen : cases) {
        if (fen == "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR" || fen == "4k3/8/8/8/8/8/8/4K2R b - - 0 1") {
            ChessBoard b{};
            EXPECT_TRUE(ParseFen(fen.c_str(), b, nullptr)) << fen;
            continue;
        }
        MainBoard.InitRep();
        MainBoard.FiftyMoveCount = 3;
        ChessBoard before = MainBoard;
        std::string out = CaptureStdout([&] { EXPECT_FALSE(SetupBoard(fen.c_str())) << fen.substr(0, 80); });
        EXPECT_EQ(out.rfind("ERROR: ", 0), 0u) << fen.substr(0, 80);
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << "one line: " << out;
        EXPECT_EQ(std::memcmp(&MainBoard, &before, sizeof before), 0) << "position untouched: " << fen.substr(0, 80);
    }
}

// Interfaces separate the fields by any run of blanks or tabs; the reader wants single blanks.
TEST(Fen, FieldsAreSeparatedBySingleBlanks)
{
    const struct {
        const char* text;
        const char* fields;
    } cases[] = {
        {"8/8/8/8/8/8/8/K6k w - - 0 1", "8/8/8/8/8/8/8/K6k w - - 0 1"},
        {"\t 8/8/8/8/8/8/8/K6k\tw \t -  -\t\t0 1 \t", "8/8/8/8/8/8/8/K6k w - - 0 1"},
        {"", ""},
        {" \t \t", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FenFields(c.text), c.fields) << "text: " << c.text;
}

TEST(Fen, Writers)
{
    char text[8];
    const std::pair<int, const char*> rights[] = {{15, "KQkq"}, {9, "Kq"}, {4, "k"}, {0, "-"}, {6, "Qk"}};
    for (const auto& [value, expected] : rights) {
        CastleRights(text, static_cast<char>(value));
        EXPECT_STREQ(text, expected);
    }
    ChessBoard start = BoardFromFen(StartFen);
    std::string out = CaptureStdout([&] {
        pos2fen(start, 0);
        fflush(stdout);
    });
    EXPECT_EQ(out, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 ; 0 \n");
    EXPECT_EQ(DecodePiece(Sq("d1"), start), 'Q');
    EXPECT_EQ(DecodePiece(Sq("g8"), start), 'n');
    EXPECT_EQ(DecodePiece(Sq("d4"), start), '?');
}
} // namespace
