// The random initial allocation: every meeting of every loaded section gets a
// real room drawn at random, or the overflow column when none is found free.
#pragma once

inline constexpr int ROOM_RETRY_LIMIT = 16;  // redraws after a meeting's first failed attempt

// Clears current_grid, places every meeting, then reads the weights
// (load_weights) and prices the grid into current_cost.
void build_initial_allocation();
