// The room-shift move of the annealing: one meeting of candidate_grid, with
// the cells of its section up to three rows around it in the same room, goes
// to another room that is free in all those rows. It also keeps the run's two
// stall counts, which end a level (and the run) that no longer improves.
#pragma once

#include <array>
#include <cstdint>

#include "model/tables.hpp"

inline constexpr int SHIFT_REACH = 3;        // rows above and below the drawn cell
inline constexpr int MAX_SHIFT_ROWS = 6;

// What the last successful make_neighbour moved: `section` from `from_room`
// to `to_room` in the first `row_count` entries of `rows` (ascending; 0 = no row).
struct RoomShift {
    int32_t section;
    int32_t from_room;
    int32_t to_room;
    int32_t row_count;
    std::array<int32_t, MAX_SHIFT_ROWS> rows;
};
extern RoomShift last_shift;

extern int32_t level_stall_count;  // counted attempts since the level began or the last new best
extern int32_t run_stall_count;    // counted attempts since the run began or the last new best

// Shifts one meeting of candidate_grid and returns true; or gives up, leaving
// the grid unchanged, once the level's stall count passes its limit, and
// returns false. candidate_grid must hold a section in some slot row.
bool make_neighbour();

// Starts last_shift from the occupied cell (row, room) of candidate_grid:
// its section and the rows, within SHIFT_REACH of `row` and in slot rows
// only, where that section stands in the same room (the first six of them).
void list_moving_rows(int row, int room);

// Moves last_shift's cells from its source to its target room in `grid`, or back.
void apply_shift(AllocationGrid& grid);
void undo_shift(AllocationGrid& grid);

// The level's stall limit: a tenth of the schedule's stall_limit.
double level_stall_limit();
