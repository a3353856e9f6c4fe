#pragma once

#include "board/maxply.h"

// Scores are in tenths of a centipawn, from the side to move's view.

// A side mated at ply p scores p - MATE. STALEMATE is only the root's report of a side that has no move.
inline constexpr int MATE = 110000;
inline constexpr int STALEMATE = 110001;
// The widest window: no score lies outside it.
inline constexpr int FullWindow = MATE;
// The best score of a node before its first move.
inline constexpr int NoScore = -110200;

// No line is longer than MaxPly, so a score at least this far from zero is a mate within the tree.
inline constexpr int MateInPlyRange = MATE - MaxPly;
// A mate within half the ply range: close enough for an iteration to stop and for razoring to stay off.
inline constexpr int MateInHalfRange = MATE - MaxPly / 2 - 1;
