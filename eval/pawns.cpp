#include <cstring>

#include "eval/evalmasks.h"
#include "eval/poseval.h"

using namespace evalmask;

namespace {
// Whole files that hold none of the given pawns.
uint64_t FilesWithout(uint64_t pawns)
{
    uint64_t occupied = pawns;
    occupied |= occupied >> 8;
    occupied |= occupied >> 16;
    occupied |= occupied >> 32;
    return ~((occupied & Rank1) * FileA);
}

// The king's file and its neighbours from the king's rank towards the enemy, for a king still on its
// first two ranks; empty otherwise. A pawn in it is not rewarded for standing far from its king.
template <int Side> uint64_t KingZone(int kingSq)
{
    const int r = kingSq >> 3;
    if (RelativeRank<Side>(r) > 1) return 0;
    return (FileOf(kingSq) | AdjacentFiles(kingSq & 7)) & RanksLevelOrAhead<Side>(r);
}

// The passed-pawn table of a passer at rank index r of its own side: protected when it is alone and a
// pawn guards it, connected when the passer on the left file (or, without one, on the right) is at most a
// rank away. A passer on a file with two own pawns gets 15/16.
int32_t PasserBonus(int r, int ownR, int left, int right, bool guarded, bool doubled)
{
    const int32_t* table = Passers;
    if (left == 0 && right == 0) {
        if (guarded) table = ProtectedPassers;
    } else if (left == 0) {
        if (std::abs(right - r) <= 1) table = ConnectedPassers;
    } else if (std::abs(left - r) <= 1) {
        table = ConnectedPassers;
    }
    return doubled ? (table[ownR] * 15) >> 4 : table[ownR];
}
} // namespace

template <int Side>
int32_t PositionEvaluate::PawnSide(int32_t& mg, int32_t& eg)
{
    constexpr bool White = Side == 0;
    const ChessBoard& b = *bb;
    const uint64_t own = PawnsOf<Side>(b), enemy = PawnsOf<1 - Side>(b);
    const int kingSq = White ? WKingSq : BKingSq;
    const int32_t* const squareTable = White ? WPawnSquare : BPawnSquare;
    const uint64_t* const passedSpan = White ? WPassedSpan : BPassedSpan;
    uint8_t* const passerRank = White ? WPasserRank : BPasserRank;
    uint8_t& passerCount = White ? WPasserCount : BPasserCount;
    int32_t& passerScore = White ? WPasserScore : BPasserScore;
    int32_t& doubledPawns = White ? WDoubledPawns : BDoubledPawns;
    std::memset(passerRank, 0, sizeof WPasserRank);
    passerScore = 0;
    (White ? WHalfOpenFiles : BHalfOpenFiles) = FilesWithout(own);
    (White ? WPawnControl : BPawnControl) = PawnAttacks<Side>(own);
    const uint64_t zone = KingZone<Side>(kingSq);
    bool doubled[8] = {};
    int32_t s = 0;
    mg = eg = 0;

    for (uint64_t p = own; p; p &= p - 1) {
        const uint64_t bit = p & -p;
        const int sq = SquareOf(bit), f = sq & 7, r = sq >> 3, ownR = RelativeRank<Side>(r);
        const uint64_t file = FileA << f, adjacent = AdjacentFiles(f);
        const bool enemyOnFile = enemy & file;
        bool isolated = false;
        s += squareTable[sq];
        if (f == 0 || f == 7) {
            // A rook pawn on the wing away from its king.
            if ((f == 0) == ((kingSq & 7) >= 4)) s -= 5;
            isolated = !(own & adjacent);
        } else if (own & adjacent) {
            if (!(own & adjacent & RanksLevelOrBehind<Side>(r))) {
                BackwardPawns |= bit;
                s -= enemyOnFile ? 40 : 80;
            }
        } else {
            isolated = true;
            if (f == 3 || f == 4) s -= 10;
        }
        if (isolated) {
            mg -= IsolatedPawn[f];
            eg -= IsolatedPawn[f];
            if (!enemyOnFile) s -= 50;
        }
        const uint64_t front = passedSpan[sq];
        if (front & enemy) {
            if (!(bit & zone)) s += Passers[ownR] >> 2;
            // A candidate: a half-open file and more helpers than stoppers.
            if (!enemyOnFile && !isolated &&
                SimpleBitCount(front & enemy) <
                    SimpleBitCount(own & (file | adjacent)) - SimpleBitCount(own & file & RanksBehind<Side>(r)))
                passerScore += Passers[ownR] / 3;
        } else {
            if (isolated) s += 50;
            if (BackwardPawns & bit) {
                BackwardPawns &= ~bit;
                s += 80;
            }
            // The pawns come a1 first, so White meets the front passer of a file last and Black first.
            if (White || passerRank[f + 1] == 0) passerRank[f + 1] = static_cast<uint8_t>(r);
            passerCount++;
        }
        if (own & file & RanksAhead<Side>(r)) {
            doubledPawns++;
            doubled[f] = true;
            if (!enemyOnFile) s -= 50;
        }
    }
    mg += 60 * SimpleBitCount(own & Centre);
    if (!own) s = -30;

    for (int f = 0; f < 8; f++) {
        const int r = passerRank[f + 1];
        if (!r) continue;
        const bool guarded = own & PawnAttacks<1 - Side>(Bit(f, r));
        passerScore += PasserBonus(r, RelativeRank<Side>(r), passerRank[f], passerRank[f + 2], guarded, doubled[f]);
    }
    return s;
}

void PositionEvaluate::PawnStructure(int32_t& ws, int32_t& bs, int32_t& mgs, int32_t& egs)
{
    BackwardPawns = 0;
    int32_t wmg, weg, bmg, beg;
    ws = PawnSide<0>(wmg, weg);
    bs = PawnSide<1>(bmg, beg);
    OpenFiles = WHalfOpenFiles & BHalfOpenFiles;
    mgs = wmg - bmg;
    egs = weg - beg;
}

namespace {
// The eight passer ranks of one side (files a to h) as 4-bit fields and back; each rank is below 16.
uint32_t PackRanks(const uint8_t* ranks)
{
    uint64_t t;
    std::memcpy(&t, ranks, sizeof t);
    t = (t | (t >> 4)) & 0x00FF00FF00FF00FFULL;
    t = (t | (t >> 8)) & 0x0000FFFF0000FFFFULL;
    return static_cast<uint32_t>(t | (t >> 16));
}

void UnpackRanks(uint32_t packed, uint8_t* ranks)
{
    uint64_t t = packed;
    t = (t | (t << 16)) & 0x0000FFFF0000FFFFULL;
    t = (t | (t << 8)) & 0x00FF00FF00FF00FFULL;
    t = (t | (t << 4)) & 0x0F0F0F0F0F0F0F0FULL;
    std::memcpy(ranks, &t, sizeof t);
}

// Pawns that have another pawn of their side further up the same file.
int32_t DoubledCount(uint64_t pawns, uint64_t filesWithout)
{
    return SimpleBitCount(pawns) - SimpleBitCount(~filesWithout & Rank1);
}
} // namespace

void PositionEvaluate::StorePawnEntry(int32_t ws, int32_t bs, int32_t mgs, int32_t egs)
{
    const ChessBoard& b = *bb;
    PawnHashEntry& e = PawnHashArray[b.PawnHashCode & PawnHashIndexMask];
    e.Key = b.PawnHashCode;
    e.Valid = 1;
    e.WPasserCount = WPasserCount;
    e.BPasserCount = BPasserCount;
    e.WhitePawns = b.WhitePawns;
    e.BlackPawns = b.BlackPawns;
    e.BackwardPawns = BackwardPawns;
    e.WPasserRanks = PackRanks(WPasserRank + 1);
    e.BPasserRanks = PackRanks(BPasserRank + 1);
    e.MidgameScore = mgs;
    e.EndgameScore = egs;
    e.WPawnScore = ws;
    e.BPawnScore = bs;
    e.WPasserScore = WPasserScore;
    e.BPasserScore = BPasserScore;
}

void PositionEvaluate::LoadPawnEntry(int32_t& ws, int32_t& bs, int32_t& mgs, int32_t& egs)
{
    const PawnHashEntry& e = PawnHashArray[bb->PawnHashCode & PawnHashIndexMask];
    // The derived sets as PawnStructure makes them, from the pawns the entry was stored for.
    WHalfOpenFiles = FilesWithout(e.WhitePawns);
    BHalfOpenFiles = FilesWithout(e.BlackPawns);
    OpenFiles = WHalfOpenFiles & BHalfOpenFiles;
    WPawnControl = WhitePawnAttacks(e.WhitePawns);
    BPawnControl = BlackPawnAttacks(e.BlackPawns);
    WDoubledPawns = DoubledCount(e.WhitePawns, WHalfOpenFiles);
    BDoubledPawns = DoubledCount(e.BlackPawns, BHalfOpenFiles);
    BackwardPawns = e.BackwardPawns;
    WPasserRank[0] = WPasserRank[9] = BPasserRank[0] = BPasserRank[9] = 0;
    UnpackRanks(e.WPasserRanks, WPasserRank + 1);
    UnpackRanks(e.BPasserRanks, BPasserRank + 1);
    WPasserCount = e.WPasserCount;
    BPasserCount = e.BPasserCount;
    mgs = e.MidgameScore;
    egs = e.EndgameScore;
    ws = e.WPawnScore;
    bs = e.BPawnScore;
    WPasserScore = e.WPasserScore;
    BPasserScore = e.BPasserScore;
}

int PositionEvaluate::PawnEval04(char side)
{
    const ChessBoard& b = *bb;
    Phashattempts++;
    WPasserCount = BPasserCount = 0;
    WDoubledPawns = BDoubledPawns = 0;
    WHalfOpenFiles = BHalfOpenFiles = 0;
    int32_t ws, bs, mgs, egs;
    if (InPawnHash(b.PawnHashCode, b.WhitePawns | b.BlackPawns)) {
        LoadPawnEntry(ws, bs, mgs, egs);
    } else {
        PawnStructure(ws, bs, mgs, egs);
        Phashmisses++;
        StorePawnEntry(ws, bs, mgs, egs);
    }
    MidgameScore += mgs;
    EndgameScore += egs;

    // Passer terms that depend on the pieces, computed on every call.
    if (WPasserCount > 0) PasserTerms<0>(side);
    if (BPasserCount > 0) PasserTerms<1>(side);
    return ws - bs;
}

template <int Side>
void PositionEvaluate::PasserTerms(char sideToMove)
{
    constexpr bool White = Side == 0;
    const ChessBoard& b = *bb;
    const uint8_t* const passerRank = White ? WPasserRank : BPasserRank;
    int32_t& passerScore = White ? WPasserScore : BPasserScore;
    const int ownKing = White ? WKingSq : BKingSq, enemyKing = White ? BKingSq : WKingSq;
    const uint64_t support = White ? WBishopAtk | WKnightAtk : BBishopAtk | BKnightAtk;
    const uint64_t enemyAttacks = White ? BAllAtk : WAllAtk;
    for (int f = 0; f < 8; f++) {
        const int r = passerRank[f + 1];
        if (!r) continue;
        const int sq = r * 8 + f, ownR = RelativeRank<Side>(r);
        const uint64_t bit = Bit(f, r), stop = Forward<Side>(bit), next = Forward<Side>(stop);
        if (DoesPawnPromote(static_cast<char>(Side), r, White ? f + 56 : f, sideToMove)) passerScore += 150;
        AddOwn<Side>(0, ((7 - Distance(ownKing, sq)) * KingProximityPasserPenalty[ownR]) / 2);
        AddOwn<Side>(0, (Distance(enemyKing, sq) - 7) * KingProximityPasserPenalty[ownR]);
        if (bit & support) passerScore += Passers[ownR] >> 5;
        if (stop & support) passerScore += Passers[ownR] >> 5;
        if (next & support) passerScore += Passers[ownR] >> 6;
        // A free run to the last rank from the 7th or the 6th.
        if (ownR == 6 && !(stop & b.AllPieces) && !((stop | bit) & enemyAttacks)) AddOwn<Side>(0, Passers[6]);
        if (ownR == 5 && !((stop | next) & b.AllPieces) && !((bit | stop | next) & enemyAttacks))
            AddOwn<Side>(0, Passers[5]);
    }
}

bool PositionEvaluate::DoesPawnPromote(char side, int rank, int promoSquare, char sideToMove)
{
    int n = side == 0 ? 7 - rank : rank;
    int limit = n + 1;
    // From its second rank the pawn can double-step.
    if (n == 6) {
        n = 5;
        limit = 6;
    }
    const int d = Distance(side == 0 ? BKingSq : WKingSq, promoSquare);
    return d > limit || (sideToMove == side && n < d);
}

bool PositionEvaluate::QueenAttacks(char, int square, uint64_t targets)
{
    const uint64_t q = SqBit(square);
    return ((bb->RookMask(q) | bb->BishopMask(q)) & targets) != 0;
}

int PositionEvaluate::RuleofSquare(char sideToMove)
{
    if (WOfficerCount != 0 || BOfficerCount != 0) return 0;
    constexpr int None = 10;
    // A pawn race won is worth most of a queen.
    constexpr int32_t RaceWon = 5700;
    // The unstoppable passer of each side that needs the fewest moves; the first file wins a tie.
    const uint8_t* const passerRank[2] = {WPasserRank, BPasserRank};
    int moves[2] = {None, None}, promo[2] = {0, 0};
    for (int s = 0; s < 2; s++) {
        for (int f = 0; f < 8; f++) {
            const int r = passerRank[s][f + 1], square = s == 0 ? f + 56 : f, n = s == 0 ? 7 - r : r;
            if (r && DoesPawnPromote(static_cast<char>(s), r, square, sideToMove) && n < moves[s]) {
                moves[s] = n;
                promo[s] = square;
            }
        }
    }
    if (moves[0] == None && moves[1] == None) return 0;
    if (moves[1] == None) return RaceWon;
    if (moves[0] == None) return -RaceWon;
    if (moves[0] != moves[1]) return moves[0] < moves[1] ? RaceWon : -RaceWon;

    // Both queen on the same move: whoever queens first may check or win the other queen.
    const ChessBoard& b = *bb;
    const int us = sideToMove != 0 ? 1 : 0, them = 1 - us;
    const int kingSq[2] = {WKingSq, BKingSq};
    const uint64_t king[2] = {b.WhiteKing, b.BlackKing};
    const int32_t wins = us == 0 ? RaceWon : -RaceWon;
    const auto attacks = [&](int s, uint64_t targets) { return QueenAttacks(static_cast<char>(s), promo[s], targets); };
    if (attacks(us, king[them])) return Distance(kingSq[them], promo[them]) <= 2 ? 0 : wins;
    const int v = attacks(us, SqBit(promo[them])) && Distance(kingSq[them], promo[them]) >= 3 ? wins : 0;
    if (attacks(them, king[us]) && attacks(them, SqBit(promo[us])))
        return Distance(kingSq[us], promo[us]) <= 2 ? 0 : -wins;
    return v;
}
