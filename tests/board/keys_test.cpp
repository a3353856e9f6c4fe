#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "board/hashcode.h"
#include "board/movegen.h"
#include "fixture.h"

namespace {
const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

TEST(Keys, FixedTablesFromTheSeed)
{
    InitEngineOnce();
    // The first two generator outputs are x[54] + x[23] and x[53] + x[22]; they form UPStable[0][0].
    uint32_t first = BetterRandom32::x[54] + BetterRandom32::x[23];
    uint32_t second = BetterRandom32::x[53] + BetterRandom32::x[22];
    EXPECT_EQ(UPStable[0][0], (uint64_t(first) << 32) | second);
    EXPECT_EQ(UPStable[0][0], 0x039B11BF4890D6A4ULL);
    EXPECT_EQ(LPStable[0][0], 0x37539B8AA7E3A104ULL);
    EXPECT_EQ(UPStable[11][63], 0x2AA9A64CB402E605ULL);
    EXPECT_EQ(LPStable[11][63], 0xAF15B5B47C4FD1B0ULL);
    EXPECT_EQ(CastleCode[0], 0xE57343020755CED4ULL);
    EXPECT_EQ(CastleCode[15], 0xC2CEC52B50B851BAULL);
    EXPECT_EQ(BtoMove, 0xBD35A91D8AFD7D2BULL);
    EXPECT_EQ(WtoMove, 0x4D38DA670E978B7CULL);
    EXPECT_EQ(LBCanEP[7], 0x8814F33959128B7AULL);
}

TEST(Keys, PositionKeys)
{
    ChessBoard start = BoardFromFen(StartFen);
    uint64_t u, l, ub, lb;
    genhashcode(0, 15, &u, &l, &start);
    EXPECT_EQ(u, 0xBAD8795B232A10F9ULL);
    EXPECT_EQ(l, 0x4F0F86E39DB9046DULL);
    genhashcode(1, 15, &ub, &lb, &start);
    EXPECT_EQ(u ^ ub, WtoMove ^ BtoMove);
    EXPECT_EQ(l ^ lb, WtoMove ^ BtoMove);

    uint32_t pawnKey;
    genpawnhashcode(0, start, &pawnKey);
    EXPECT_EQ(pawnKey, 0xF848010BU);

    ChessBoard empty{};
    genhashcode(0, 0, &u, &l, &empty);
    EXPECT_EQ(u, WtoMove ^ CastleCode[0]);
    EXPECT_EQ(l, WtoMove ^ CastleCode[0]);

    // En passant is not part of the key.
    ChessBoard withEp = BoardFromFen("rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3");
    ChessBoard withoutEp = BoardFromFen("rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq - 0 3");
    genhashcode(0, 15, &u, &l, &withEp);
    genhashcode(0, 15, &ub, &lb, &withoutEp);
    EXPECT_EQ(u, ub);
    EXPECT_EQ(l, lb);

    // Pawnless: the two king entries only, and a king move changes it.
    ChessBoard kings = BoardFromFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    genpawnhashcode(0, kings, &pawnKey);
    EXPECT_EQ(pawnKey, static_cast<uint32_t>(LPStable[5][4] ^ LPStable[11][60]));
}

TEST(Keys, MoveOrdersReachingOnePositionAgreeWithTheFen)
{
    ChessBoard a = BoardFromFen(StartFen), b = BoardFromFen(StartFen);
    char mask;
    a.MakeMove(Sq("g1"), Sq("f3"), NoPromotion, &mask);
    a.MakeMove(Sq("g8"), Sq("f6"), NoPromotion, &mask);
    a.MakeMove(Sq("b1"), Sq("c3"), NoPromotion, &mask);
    b.MakeMove(Sq("b1"), Sq("c3"), NoPromotion, &mask);
    b.MakeMove(Sq("g8"), Sq("f6"), NoPromotion, &mask);
    b.MakeMove(Sq("g1"), Sq("f3"), NoPromotion, &mask);
    ChessBoard fen = BoardFromFen("rnbqkb1r/pppppppp/5n2/8/8/2N2N2/PPPPPPPP/R1BQKB1R b KQkq - 3 2");
    uint64_t ua, la, ub, lb, uf, lf;
    genhashcode(1, 15, &ua, &la, &a);
    genhashcode(1, 15, &ub, &lb, &b);
    genhashcode(1, 15, &uf, &lf, &fen);
    EXPECT_EQ(ua, ub);
    EXPECT_EQ(la, lb);
    EXPECT_EQ(ua, uf);
    EXPECT_EQ(la, lf);
    EXPECT_EQ(a.PawnHashCode, fen.PawnHashCode);
}

// Legal moves of the side to move, found with the attack sets alone, so the walk below does not
// depend on the move generator: piece moves, pawn pushes and captures, en passant and castling.
struct SimpleMove {
    uint64_t from, to;
};

std::vector<SimpleMove> LegalMoves(const ChessBoard& b)
{
    std::vector<SimpleMove> pseudo;
    char side = b.ToMove;
    uint64_t own = side ? b.BlackPieces : b.WhitePieces;
    auto add = [&](uint64_t from, uint64_t targets) {
        for (uint64_t t = targets & ~own; t; t &= t - 1) pseudo.push_back({from, t & (0 - t)});
    };
    auto each = [&](uint64_t set, auto f) {
        for (; set; set &= set - 1) f(set & (0 - set));
    };
    each(side ? b.BlackKnights : b.WhiteKnights, [&](uint64_t s) { add(s, ChessBoard::KnightMask(s)); });
    each(side ? b.BlackBishops : b.WhiteBishops, [&](uint64_t s) { add(s, b.BishopMask(s)); });
    each(side ? b.BlackRooks : b.WhiteRooks, [&](uint64_t s) { add(s, b.RookMask(s)); });
    each(side ? b.BlackQueens : b.WhiteQueens, [&](uint64_t s) { add(s, b.RookMask(s) | b.BishopMask(s)); });
    each(side ? b.BlackKing : b.WhiteKing, [&](uint64_t s) { add(s, ChessBoard::KingMask(s)); });
    const uint64_t fileA = 0x0101010101010101ULL, fileH = fileA << 7;
    each(side ? b.BlackPawns : b.WhitePawns, [&](uint64_t s) {
        uint64_t enemy = side ? b.WhitePieces : b.BlackPieces;
        uint64_t one = side ? s >> 8 : s << 8;
        if (!(one & b.AllPieces)) {
            pseudo.push_back({s, one});
            uint64_t two = side ? one >> 8 : one << 8;
            bool home = side ? (s & 0x00FF000000000000ULL) : (s & 0xFF00ULL);
            if (home && !(two & b.AllPieces)) pseudo.push_back({s, two});
        }
        uint64_t left = side ? (s & fileA ? 0 : s >> 9) : (s & fileA ? 0 : s << 7);
        uint64_t right = side ? (s & fileH ? 0 : s >> 7) : (s & fileH ? 0 : s << 9);
        for (uint64_t t : {left, right}) {
            if (!t) continue;
            uint64_t behind = side ? t << 8 : t >> 8;
            bool ep = behind == b.LastMoveTo && (b.LastMoveFrom == (side ? behind >> 16 : behind << 16)) &&
                      (behind & (side ? b.WhitePawns : b.BlackPawns));
            if ((t & enemy) || ep) pseudo.push_back({s, t});
        }
    });
    uint64_t king = side ? b.BlackKing : b.WhiteKing;
    int home = side ? 60 : 4;
    if (king == SqBit(home) && !b.IsAttacked(king, side)) {
        uint8_t kRight = side ? CastleBK : CastleWK, qRight = side ? CastleBQ : CastleWQ;
        uint64_t rooks = side ? b.BlackRooks : b.WhiteRooks;
        if ((b.Castling & kRight) && (rooks & SqBit(home + 3)) && !(b.AllPieces & (SqBit(home + 1) | SqBit(home + 2))) &&
            !b.IsAttacked(SqBit(home + 1), side) && !b.IsAttacked(SqBit(home + 2), side))
            pseudo.push_back({king, SqBit(home + 2)});
        if ((b.Castling & qRight) && (rooks & SqBit(home - 4)) &&
            !(b.AllPieces & (SqBit(home - 1) | SqBit(home - 2) | SqBit(home - 3))) &&
            !b.IsAttacked(SqBit(home - 1), side) && !b.IsAttacked(SqBit(home - 2), side))
            pseudo.push_back({king, SqBit(home - 2)});
    }
    std::vector<SimpleMove> legal;
    for (const SimpleMove& m : pseudo) {
        ChessBoard c = b;
        char mask;
        c.MakeMove(m.from, m.to, NoPromotion, &mask);
        if (!c.InCheck(side ? c.BlackKing : c.WhiteKing, side)) legal.push_back(m);
    }
    return legal;
}

TEST(Keys, IncrementalPawnKeyAndCountsAlongRandomGames)
{
    const char* starts[] = {StartFen, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                            "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"};
    std::mt19937 rng(12345);
    int moves = 0;
    for (const char* fen : starts) {
        for (int game = 0; game < 4; game++) {
            ChessBoard b = BoardFromFen(fen);
            for (int ply = 0; ply < 60; ply++) {
                std::vector<SimpleMove> legal = LegalMoves(b);
                if (legal.empty()) break;
                const SimpleMove& m = legal[rng() % legal.size()];
                char mask;
                b.MakeMove(m.from, m.to, NoPromotion, &mask);
                b.Castling &= static_cast<uint8_t>(mask);
                b.ToMove ^= 1;
                moves++;
                uint32_t key;
                genpawnhashcode(0, b, &key);
                ASSERT_EQ(b.PawnHashCode, key) << fen << " ply " << ply;
                ChessBoard recount = b;
                recount.InitPieceCounts();
                for (int side = 0; side < 2; side++)
                    for (int i = 0; i < 5; i++) ASSERT_EQ(b.PieceCounts[side][i], recount.PieceCounts[side][i]);
                ASSERT_EQ(b.WhitePieceCount, recount.WhitePieceCount);
                ASSERT_EQ(b.BlackPieceCount, recount.BlackPieceCount);
                ASSERT_EQ(b.AllPieces, b.WhitePieces | b.BlackPieces);
                ASSERT_EQ(b.WhitePieces & b.BlackPieces, 0u);
            }
        }
    }
    EXPECT_GT(moves, 300);
}

// The board's kept piece-square key against the one from scratch, for the side and castling rights given.
::testing::AssertionResult KeptKeyMatches(const ChessBoard& b, char side, int castle)
{
    uint64_t u, l, ku, kl;
    genhashcode(side, castle, &u, &l, &b);
    currenthashcode(side, castle, &ku, &kl, b);
    if (u == ku && l == kl) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "kept key " << std::hex << ku << "/" << kl << ", from scratch " << u << "/"
                                         << l;
}

TEST(Keys, KeptPieceKeyEqualsTheKeyFromScratchAfterEveryMakeAndUndo)
{
    // Castling both ways, en passant, promotions by both sides (each piece letter tried), captures of every
    // kind, a capture of a rook on its corner.
    const char* starts[] = {
        StartFen,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    };
    const char whiteLetters[] = {'Q', 'R', 'B', 'N'}, blackLetters[] = {'q', 'r', 'b', 'n'};
    std::mt19937 rng(2024);
    int checked = 0;
    for (const char* fen : starts) {
        SCOPED_TRACE(fen);
        for (int game = 0; game < 3; game++) {
            ChessBoard b = BoardFromFen(fen);
            ASSERT_TRUE(KeptKeyMatches(b, b.ToMove, b.Castling));
            for (int ply = 0; ply < 80; ply++) {
                const char side = b.ToMove;
                MoveGen list;
                const int n = list.GenerateAllMoves(side, &b, static_cast<char>(b.Castling));
                std::vector<int> legal;
                for (int i = 0; i < n; i++) {
                    const bool promotes = list.Promote[i] != NoPromotion;
                    for (int k = 0; k < (promotes ? 4 : 1); k++) {
                        const char promo = promotes ? (side ? blackLetters[k] : whiteLetters[k]) : NoPromotion;
                        const ChessBoard before = b;
                        char mask;
                        b.MakeMove(list.From[i], list.To[i], promo, &mask);
                        const int castle = b.Castling & mask;
                        ASSERT_TRUE(KeptKeyMatches(b, side ^ 1, castle)) << "after move " << i << " at ply " << ply;
                        if (k == 0 && !b.InCheck(side ? b.BlackKing : b.WhiteKing, side)) legal.push_back(i);
                        b.UndoMove(0);
                        ASSERT_TRUE(KeptKeyMatches(b, side, b.Castling)) << "after undoing move " << i;
                        ASSERT_EQ(b.PieceKeyUpper, before.PieceKeyUpper);
                        ASSERT_EQ(b.PieceKeyLower, before.PieceKeyLower);
                        checked++;
                    }
                }
                if (legal.empty()) break;
                const int i = legal[rng() % legal.size()];
                char mask;
                b.MakeMove(list.From[i], list.To[i], list.Promote[i], &mask);
                b.Castling &= static_cast<uint8_t>(mask);
                b.ToMove ^= 1;
            }
        }
    }
    EXPECT_GT(checked, 10000);
}

TEST(Keys, KeptPieceKeyFollowsEveryOtherBoardChange)
{
    ChessBoard b = BoardFromFen("4k3/1P6/8/8/8/8/6p1/4K3 w - - 0 1");
    // A promotion code of each kind, and one that only removes the pawn.
    for (char type : std::vector<char>{PromoteWhiteKnight, PromoteWhiteBishop, PromoteWhiteRook, PromoteWhiteQueen, 0}) {
        ChessBoard c = b;
        c.Promote(0, Sq("b7"), type);
        EXPECT_TRUE(KeptKeyMatches(c, 0, 0)) << "promotion code " << int(type);
    }
    for (char type : std::vector<char>{PromoteBlackKnight, PromoteBlackBishop, PromoteBlackRook, PromoteBlackQueen}) {
        ChessBoard c = b;
        c.Promote(1, Sq("g2"), type);
        EXPECT_TRUE(KeptKeyMatches(c, 1, 0)) << "promotion code " << int(type);
    }
    ChessBoard dropped = b;
    dropped.DropPawn(0, Sq("d4"));
    dropped.DropPawn(1, Sq("d5"));
    EXPECT_TRUE(KeptKeyMatches(dropped, 0, 0));
    dropped.DropPawn(0, Sq("d4")); // a second drop takes it off again
    EXPECT_TRUE(KeptKeyMatches(dropped, 0, 0));
    ChessBoard cleared = b;
    cleared.ClearField();
    EXPECT_TRUE(KeptKeyMatches(cleared, 0, 0));
    ChessBoard initial = b;
    initial.InitRep();
    EXPECT_TRUE(KeptKeyMatches(initial, 0, 15));
}

TEST(Keys, KeptPieceKeyStaysTheXorOverTheBoardsEvenOnAMoveOntoAKing)
{
    // Only a position with the side not to move in check offers this; the taken king stays on its board,
    // and the key still covers exactly what the boards hold.
    ChessBoard b = BoardFromFen("4k3/8/8/8/8/8/8/4RK2 b - - 0 1");
    char mask;
    b.MakeMove(Sq("e1"), Sq("e8"), NoPromotion, &mask);
    EXPECT_TRUE(KeptKeyMatches(b, 1, 0));
    b.UndoMove(0);
    EXPECT_TRUE(KeptKeyMatches(b, 0, 0));
}
} // namespace
