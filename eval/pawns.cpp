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
uint64_t WhiteKingZone(int kingSq)
{
    if ((kingSq >> 3) > 1) return 0;
    return (FileOf(kingSq) | AdjacentFiles(kingSq & 7)) & RanksFrom(kingSq >> 3);
}

uint64_t BlackKingZone(int kingSq)
{
    if ((kingSq >> 3) < 6) return 0;
    return (FileOf(kingSq) | AdjacentFiles(kingSq & 7)) & RanksUpTo(kingSq >> 3);
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

void PositionEvaluate::PawnStructure(int32_t& ws, int32_t& bs, int32_t& mgs, int32_t& egs)
{
    const ChessBoard& b = *bb;
    const uint64_t W = b.WhitePawns, B = b.BlackPawns;
    std::memset(WPasserRank, 0, sizeof WPasserRank);
    std::memset(BPasserRank, 0, sizeof BPasserRank);
    WPasserScore = BPasserScore = 0;
    BackwardPawns = 0;
    WHalfOpenFiles = FilesWithout(W);
    BHalfOpenFiles = FilesWithout(B);
    OpenFiles = WHalfOpenFiles & BHalfOpenFiles;
    WPawnControl = WhitePawnAttacks(W);
    BPawnControl = BlackPawnAttacks(B);
    mgs = egs = 0;
    const uint64_t whiteZone = WhiteKingZone(WKingSq), blackZone = BlackKingZone(BKingSq);
    bool doubled[8];

    // White pawns, a1 first: the least advanced come first, so the last passer of a file is its front one.
    ws = 0;
    std::memset(doubled, 0, sizeof doubled);
    for (uint64_t p = W; p; p &= p - 1) {
        const uint64_t bit = p & -p;
        const int sq = LowestSquare(bit), f = sq & 7, r = sq >> 3;
        const uint64_t file = FileA << f, adjacent = AdjacentFiles(f);
        const bool enemyOnFile = B & file;
        bool isolated = false;
        ws += WPawnSquare[sq];
        if (f == 0 || f == 7) {
            // A rook pawn on the wing away from its king.
            if ((f == 0) == ((WKingSq & 7) >= 4)) ws -= 5;
            isolated = !(W & adjacent);
        } else if (W & adjacent) {
            if (!(W & adjacent & RanksUpTo(r))) {
                BackwardPawns |= bit;
                ws -= enemyOnFile ? 40 : 80;
            }
        } else {
            isolated = true;
            if (f == 3 || f == 4) ws -= 10;
        }
        if (isolated) {
            mgs -= IsolatedPawn[f];
            egs -= IsolatedPawn[f];
            if (!enemyOnFile) ws -= 50;
        }
        const uint64_t front = (file | adjacent) & RanksAbove(r);
        if (front & B) {
            if (!(bit & whiteZone)) ws += Passers[r] >> 2;
            // A candidate: a half-open file and more helpers than stoppers.
            if (!enemyOnFile && !isolated &&
                SimpleBitCount(front & B) <
                    SimpleBitCount(W & (file | adjacent)) - SimpleBitCount(W & file & RanksBelow(r)))
                WPasserScore += Passers[r] / 3;
        } else {
            if (isolated) ws += 50;
            if (BackwardPawns & bit) {
                BackwardPawns &= ~bit;
                ws += 80;
            }
            WPasserRank[f + 1] = static_cast<uint8_t>(r);
            WPasserCount++;
        }
        if (W & file & RanksAbove(r)) {
            WDoubledPawns++;
            doubled[f] = true;
            if (!enemyOnFile) ws -= 50;
        }
    }
    mgs += 60 * SimpleBitCount(W & Centre);
    if (!W) ws = -30;

    for (int f = 0; f < 8; f++) {
        const int r = WPasserRank[f + 1];
        if (!r) continue;
        const uint64_t bit = Bit(f, r);
        const bool guarded = W & BlackPawnAttacks(bit);
        WPasserScore += PasserBonus(r, r, WPasserRank[f], WPasserRank[f + 2], guarded, doubled[f]);
    }

    // Black pawns, a1 first too: here the most advanced come first, and the first passer of a file stays.
    bs = 0;
    std::memset(doubled, 0, sizeof doubled);
    for (uint64_t p = B; p; p &= p - 1) {
        const uint64_t bit = p & -p;
        const int sq = LowestSquare(bit), f = sq & 7, r = sq >> 3;
        const uint64_t file = FileA << f, adjacent = AdjacentFiles(f);
        const bool enemyOnFile = W & file;
        bool isolated = false;
        bs += BPawnSquare[sq];
        if (f == 0 || f == 7) {
            if ((f == 0) == ((BKingSq & 7) >= 4)) bs -= 5;
            isolated = !(B & adjacent);
        } else if (B & adjacent) {
            if (!(B & adjacent & RanksFrom(r))) {
                BackwardPawns |= bit;
                bs -= enemyOnFile ? 40 : 80;
            }
        } else {
            isolated = true;
            if (f == 3 || f == 4) bs -= 10;
        }
        if (isolated) {
            mgs += IsolatedPawn[f];
            egs += IsolatedPawn[f];
            if (!enemyOnFile) bs -= 50;
        }
        const uint64_t front = (file | adjacent) & RanksBelow(r);
        if (front & W) {
            if (!(bit & blackZone)) bs += Passers[7 - r] >> 2;
            if (!enemyOnFile && !isolated &&
                SimpleBitCount(front & W) <
                    SimpleBitCount(B & (file | adjacent)) - SimpleBitCount(B & file & RanksAbove(r)))
                BPasserScore += Passers[7 - r] / 3;
        } else {
            if (isolated) bs += 50;
            if (BackwardPawns & bit) {
                BackwardPawns &= ~bit;
                bs += 80;
            }
            if (BPasserRank[f + 1] == 0) BPasserRank[f + 1] = static_cast<uint8_t>(r);
            BPasserCount++;
        }
        if (B & file & RanksAbove(r)) {
            BDoubledPawns++;
            doubled[f] = true;
            if (!enemyOnFile) bs -= 50;
        }
    }
    mgs -= 60 * SimpleBitCount(B & Centre);
    if (!B) bs = -30;

    for (int f = 0; f < 8; f++) {
        const int r = BPasserRank[f + 1];
        if (!r) continue;
        const uint64_t bit = Bit(f, r);
        const bool guarded = B & WhitePawnAttacks(bit);
        BPasserScore += PasserBonus(r, 7 - r, BPasserRank[f], BPasserRank[f + 2], guarded, doubled[f]);
    }
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
    if (WPasserCount > 0) {
        const uint64_t support = WBishopAtk | WKnightAtk;
        for (int f = 0; f < 8; f++) {
            const int r = WPasserRank[f + 1];
            if (!r) continue;
            const int sq = r * 8 + f;
            const uint64_t bit = Bit(f, r), stop = bit << 8, next = bit << 16;
            if (DoesPawnPromote(0, r, f + 56, side)) WPasserScore += 150;
            EndgameScore += ((7 - Distance(WKingSq, sq)) * KingProximityPasserPenalty[r]) / 2;
            EndgameScore -= (7 - Distance(BKingSq, sq)) * KingProximityPasserPenalty[r];
            if (bit & support) WPasserScore += Passers[r] >> 5;
            if (stop & support) WPasserScore += Passers[r] >> 5;
            if (next & support) WPasserScore += Passers[r] >> 6;
            // A free run to the last rank from the 7th or the 6th.
            if (r == 6 && !(stop & b.AllPieces) && !((stop | bit) & BAllAtk)) EndgameScore += Passers[6];
            if (r == 5 && !((stop | next) & b.AllPieces) && !((bit | stop | next) & BAllAtk))
                EndgameScore += Passers[5];
        }
    }
    if (BPasserCount == 0) return ws - bs;

    const uint64_t support = BBishopAtk | BKnightAtk;
    for (int f = 0; f < 8; f++) {
        const int r = BPasserRank[f + 1];
        if (!r) continue;
        const int sq = r * 8 + f;
        const uint64_t bit = Bit(f, r), stop = bit >> 8, next = bit >> 16;
        if (DoesPawnPromote(1, r, f, side)) BPasserScore += 150;
        EndgameScore -= ((7 - Distance(BKingSq, sq)) * KingProximityPasserPenalty[7 - r]) / 2;
        EndgameScore += (7 - Distance(WKingSq, sq)) * KingProximityPasserPenalty[7 - r];
        if (bit & support) BPasserScore += Passers[7 - r] >> 5;
        if (stop & support) BPasserScore += Passers[7 - r] >> 5;
        if (next & support) BPasserScore += Passers[7 - r] >> 6;
        if (r == 1 && !(stop & b.AllPieces) && !((stop | bit) & WAllAtk)) EndgameScore -= Passers[6];
        if (r == 2 && !((stop | next) & b.AllPieces) && !((bit | stop | next) & WAllAtk))
            EndgameScore -= Passers[5];
    }
    return ws - bs;
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
    // The unstoppable passer of each side that needs the fewest moves; the first file wins a tie.
    int dW = None, pW = 0, dB = None, pB = 0;
    for (int f = 0; f < 8; f++) {
        const int r = WPasserRank[f + 1];
        if (r && DoesPawnPromote(0, r, f + 56, sideToMove) && 7 - r < dW) {
            dW = 7 - r;
            pW = f + 56;
        }
    }
    for (int f = 0; f < 8; f++) {
        const int r = BPasserRank[f + 1];
        if (r && DoesPawnPromote(1, r, f, sideToMove) && r < dB) {
            dB = r;
            pB = f;
        }
    }
    if (dW == None && dB == None) return 0;
    if (dB == None) return 5700;
    if (dW == None) return -5700;
    if (dW != dB) return dW < dB ? 5700 : -5700;

    // Both queen on the same move: whoever queens first may check or win the other queen.
    const ChessBoard& b = *bb;
    const uint64_t wQueen = SqBit(pW), bQueen = SqBit(pB);
    if (sideToMove != 0) {
        if (QueenAttacks(1, pB, b.WhiteKing)) return Distance(WKingSq, pW) <= 2 ? 0 : -5700;
        const int v = QueenAttacks(1, pB, wQueen) && Distance(WKingSq, pW) >= 3 ? -5700 : 0;
        if (QueenAttacks(0, pW, b.BlackKing) && QueenAttacks(0, pW, bQueen))
            return Distance(BKingSq, pB) <= 2 ? 0 : 5700;
        return v;
    }
    if (QueenAttacks(0, pW, b.BlackKing)) return Distance(BKingSq, pB) <= 2 ? 0 : 5700;
    const int v = QueenAttacks(0, pW, bQueen) && Distance(BKingSq, pB) >= 3 ? 5700 : 0;
    if (QueenAttacks(1, pB, b.WhiteKing) && QueenAttacks(1, pB, wQueen))
        return Distance(WKingSq, pW) <= 2 ? 0 : -5700;
    return v;
}
