#pragma once

// The deepest ply of the search: the tables indexed by ply have this many rows, and no line of moves is
// longer.
inline constexpr int MaxPly = 200;
