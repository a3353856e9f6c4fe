#pragma once
#include <cstdint>

// The pawn hash table: the pawn-structure part of the evaluation, which depends only on the pawns and the
// two king squares, cached by the 32-bit pawn key (pawns and kings) with the pawn occupancy as check word.
struct PawnHashEntry {
    uint32_t Key;
    uint64_t Pawns;
    int32_t WDoubledPawns;
    int32_t BDoubledPawns;
    int32_t MidgameScore;
    uint64_t BackwardPawns;
    uint64_t OpenFiles;
    uint64_t WPawnControl;
    uint64_t BPawnControl;
    uint8_t WPasserRank[8]; // files a to h
    int32_t BPawnScore;
    int32_t WPawnScore;
    int32_t BPasserScore; // before the terms that depend on the pieces
    int32_t WPasserScore;
    uint8_t BPasserRank[8];
    uint8_t BPasserCount;
    uint8_t WPasserCount;
    // Set on store, clear at start and after ClearPawnHash: an empty entry never matches, not even the
    // pawnless position whose key happens to be 0.
    uint8_t Valid;
    int32_t EndgameScore;
    uint64_t BHalfOpenFiles;
    uint64_t WHalfOpenFiles;
};

inline constexpr int PawnHashEntries = 65538;
// Only the low 16 bits of the key index the table, so the last two entries are cleared but never used.
inline constexpr uint32_t PawnHashIndexMask = 0xFFFF;

extern PawnHashEntry PawnHashArray[PawnHashEntries];
// Probes and misses since the match loop last zeroed them; 64 bits, so long analysis runs never wrap.
extern int64_t Phashattempts;
extern int64_t Phashmisses;

// A hit needs a stored entry with the same key and the same pawns.
bool InPawnHash(uint32_t key, uint64_t pawns);
// Empties every entry; the counters are left alone.
void ClearPawnHash();
