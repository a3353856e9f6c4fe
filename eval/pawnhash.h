#pragma once
#include <cstdint>

// The pawn hash table: the pawn-structure part of the evaluation, which depends only on the pawns and the
// two king squares, cached by the 32-bit pawn key (pawns and kings) with the pawn occupancy as check word.
// An entry fills one cache line: what follows from the two pawn sets alone (open files, pawn control,
// doubled-pawn counts) is recomputed from the stored sets on a hit rather than kept.
struct alignas(64) PawnHashEntry {
    uint32_t Key;
    // Set on store, clear at start and after ClearPawnHash: an empty entry never matches, not even the
    // pawnless position whose key happens to be 0.
    uint8_t Valid;
    uint8_t WPasserCount;
    uint8_t BPasserCount;
    uint64_t WhitePawns; // the check word is their union
    uint64_t BlackPawns;
    uint64_t BackwardPawns;
    // Passer rank of each file, files a to h, one 4-bit field each (ranks are at most 7): White then Black.
    uint32_t WPasserRanks;
    uint32_t BPasserRanks;
    int32_t MidgameScore;
    int32_t EndgameScore;
    int32_t WPawnScore;
    int32_t BPawnScore;
    int32_t WPasserScore; // before the terms that depend on the pieces
    int32_t BPasserScore;
};
static_assert(sizeof(PawnHashEntry) == 64);

inline constexpr int PawnHashEntries = 65538;
// Only the low 16 bits of the key index the table, so the last two entries are cleared but never used.
inline constexpr uint32_t PawnHashIndexMask = 0xFFFF;

extern PawnHashEntry PawnHashArray[PawnHashEntries];
// Probes and misses since the match loop last zeroed them; 64 bits, so long analysis runs never wrap.
extern int64_t Phashattempts;
extern int64_t Phashmisses;

// A hit needs a stored entry with the same key and the same pawns.
inline bool InPawnHash(uint32_t key, uint64_t pawns)
{
    const PawnHashEntry& e = PawnHashArray[key & PawnHashIndexMask];
    return e.Valid && e.Key == key && (e.WhitePawns | e.BlackPawns) == pawns;
}

// Empties every entry; the counters are left alone.
void ClearPawnHash();
// Makes every page of the table present, so that no search waits for the kernel to supply one.
void PopulatePawnHash();
