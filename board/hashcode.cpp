#include "board/hashcode.h"

#include <cstdlib>

uint64_t UPStable[12][64];
uint64_t LPStable[12][64];
uint64_t CastleCode[16];
uint64_t WtoMove, BtoMove;
uint64_t UWCanEP[8], LWCanEP[8], UBCanEP[8], LBCanEP[8];

namespace {
int maxRandoms;
uint32_t UsedRandoms[2000];
uint64_t PawnSquareMap[64];

uint64_t Random64()
{
    uint64_t upper = BetterRandom32::Next();
    return (upper << 32) | BetterRandom32::Next();
}
} // namespace

const uint32_t BetterRandom32::x[55] = {
    1410651636U, 3012776752U, 3497475623U, 2892145026U, 1571949714U, 3253082284U, 3489895018U, 387949491U,
    2597396737U, 1981903553U, 3160251843U, 129444464U,  1851443344U, 4156445905U, 224604922U,  1455067070U,
    3953493484U, 1460937157U, 2528362617U, 317430674U,  3229354360U, 117491133U,  832845075U,  1961600170U,
    1321557429U, 747750121U,  545747446U,  810476036U,  503334515U,  4088144633U, 2824216555U, 3738252341U,
    3493754131U, 3672533954U, 29494241U,   1180928407U, 4213624418U, 33062851U,   3221315737U, 1145213552U,
    2957984897U, 4078668503U, 2262661702U, 65478801U,   2527208841U, 1960622036U, 315685891U,  1196037864U,
    804614524U,  1421733266U, 2017105031U, 3882325900U, 810735053U,  384606609U,  2393861397U,
};
uint32_t BetterRandom32::y[55];
int BetterRandom32::j;
int BetterRandom32::k;
int BetterRandom32::init = 1;

uint32_t BetterRandom32::Next()
{
    if (init) {
        init = 0;
        for (int i = 0; i < 55; i++) y[i] = x[i];
        j = 23;
        k = 54;
    }
    y[k] += y[j];
    uint32_t result = y[k];
    if (--j < 0) j = 54;
    if (--k < 0) k = 54;
    return result;
}

void initPStable()
{
    maxRandoms = 0;
    for (uint32_t& r : UsedRandoms) r = 0;
    for (int piece = 0; piece < 12; piece++)
        for (int square = 0; square < 64; square++) {
            UPStable[piece][square] = Random64();
            LPStable[piece][square] = Random64();
        }
    for (uint64_t& c : CastleCode) c = Random64();
    BtoMove = Random64();
    WtoMove = Random64();
    for (int file = 0; file < 8; file++) {
        UWCanEP[file] = Random64();
        LWCanEP[file] = Random64();
        UBCanEP[file] = Random64();
        LBCanEP[file] = Random64();
    }
}

void genhashcode(char side, int castle, uint64_t* upper, uint64_t* lower, const ChessBoard* board)
{
    const uint64_t pieces[12] = {
        board->WhitePawns, board->WhiteKnights, board->WhiteBishops, board->WhiteRooks, board->WhiteQueens,
        board->WhiteKing,  board->BlackPawns,   board->BlackKnights, board->BlackBishops, board->BlackRooks,
        board->BlackQueens, board->BlackKing,
    };
    uint64_t u = 0, l = 0;
    for (int piece = 0; piece < 12; piece++) {
        for (uint64_t b = pieces[piece]; b; b &= b - 1) {
            int square = SquareOf(b);
            u ^= UPStable[piece][square];
            l ^= LPStable[piece][square];
        }
    }
    uint64_t sideCode = side ? BtoMove : WtoMove;
    uint64_t common = sideCode ^ CastleCode[castle & 15];
    *upper = u ^ common;
    *lower = l ^ common;
}

void genpawnhashcode(char, ChessBoard board, uint32_t* key)
{
    uint64_t k = 0;
    for (uint64_t b = board.WhitePawns; b; b &= b - 1) k ^= LPStable[KeyWhitePawn][SquareOf(b)];
    for (uint64_t b = board.BlackPawns; b; b &= b - 1) k ^= LPStable[KeyBlackPawn][SquareOf(b)];
    for (uint64_t b = board.WhiteKing; b; b &= b - 1) k ^= LPStable[KeyWhiteKing][SquareOf(b)];
    for (uint64_t b = board.BlackKing; b; b &= b - 1) k ^= LPStable[KeyBlackKing][SquareOf(b)];
    *key = static_cast<uint32_t>(k);
}

int BitCount32(uint32_t v)
{
    v = v - ((v >> 1) & 0x55555555U);
    v = (v & 0x33333333U) + ((v >> 2) & 0x33333333U);
    v = (v + (v >> 4)) & 0x0F0F0F0FU;
    v = v + (v >> 8);
    v = v + (v >> 16);
    return static_cast<int>(v & 0x3F);
}

int FindRandom(uint32_t value, int n)
{
    if (n > 2000) n = 2000;
    for (int i = 0; i < n; i++)
        if (UsedRandoms[i] == value) return 1;
    return 0;
}

int Random32()
{
    int r;
    do r = std::rand();
    while (r == 0);
    return r;
}

void initPawnSquareMap()
{
    for (int i = 0; i < 64; i++) PawnSquareMap[i] = 1ULL << i;
    (void)maxRandoms;
}
