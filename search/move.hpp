// The room-shift move of the annealing: one whole meeting of candidate_grid,
// the run of its section's cells around a drawn cell in one room and one
// weekday, goes to another room that is free in all those rows and that the
// rules let its section take; a pinned section never moves. It also keeps the run's two
// stall counts, which end a level (and the run) that no longer improves.
#pragma once

#include <cstdint>

#include "model/tables.hpp"

// What the last successful make_neighbour moved: `section` from `from_room`
// to `to_room` in the rows first_row..last_row. `meets_rules` says whether a
// rule may bar one of its cells: the section avoids a room, or a listed row
// has a closed cell; without it only the grid decides where it may go.
// `prefers` says whether the section has a preference to price.
struct RoomShift {
    int32_t section;
    int32_t from_room;
    int32_t to_room;
    int32_t first_row;
    int32_t last_row;
    bool meets_rules;
    bool prefers;
};
extern RoomShift last_shift;

extern int32_t level_stall_count;  // counted attempts since the level began or the last new best
extern int32_t run_stall_count;    // counted attempts since the run began or the last new best

// Shifts one meeting of candidate_grid and returns true; or gives up, leaving
// the grid unchanged, once the level's stall count passes its limit, and
// returns false. candidate_grid must hold a section in some slot row.
bool make_neighbour();

// Starts last_shift from the occupied cell (row, room) of candidate_grid:
// its section and the run of consecutive rows around `row`, within its
// weekday, where that section stands in the same room.
void list_moving_rows(int row, int room);

// Moves last_shift's cells from its source to its target room in `grid`, or back.
void apply_shift(AllocationGrid& grid);
void undo_shift(AllocationGrid& grid);

// The level's stall limit: a tenth of the schedule's stall_limit.
inline double level_stall_limit()
{
    return annealing_schedule.stall_limit * 0.1;
}
