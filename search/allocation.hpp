// The random initial allocation: every meeting of every loaded section gets a
// real room drawn at random, or the overflow column when none is found free.
#pragma once

#include <cstdint>

#include "model/tables.hpp"

inline constexpr int ROOM_RETRY_LIMIT = 16;  // redraws after a meeting's first failed attempt

// Clears current_grid, puts the pinned sections' meetings in their rooms,
// then places every other meeting with place_meeting.
void place_all_meetings();

// place_all_meetings, then reads the weights (load_weights) and prices the
// grid into current_cost.
void build_initial_allocation();

// Puts one meeting of `section` into current_grid as it stands: in the first
// drawn real room free over all its slots that the rules let it take (17
// attempts), else in the overflow column or the lowest such real room; sets
// its placed flag.
void place_meeting(int32_t section, Meeting& meeting);
