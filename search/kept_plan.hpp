// The plan kept by alocacao-otimo --manter: for each meeting, the column a
// published plan gave it. The optimum then prefers, among allocations of
// equal cost, the one that moves the fewest kept meetings, and with
// mudanca|peso| in regras.txt each meeting moved costs that weight.
#pragma once

#include <array>
#include <cstdint>

#include "model/tables.hpp"

// kept_column[section][m]: the column + 1 the kept plan gives meeting m of
// the section, 0 when it gives none (a new meeting, or one whose time changed).
extern BySection<ByMeeting<int32_t>> kept_column;
extern int32_t kept_count;  // meetings with a kept column; 0: no plan is kept

// Keeps no plan.
void clear_kept_plan();

// Keeps the plan of `grid`: each meeting of the instance that the grid holds
// whole in one column keeps that column.
void keep_plan(const AllocationGrid& grid);

// Keeps, for each meeting of `weekday`, the column that `grid` gives its
// section's first meeting of another weekday; the other meetings keep none.
void keep_rooms_of_other_weekdays(const AllocationGrid& grid, int32_t weekday);

// The kept column of meeting m of `section`; -1 when it has none.
inline int32_t kept_room(int32_t section, int m)
{
    return kept_column[section][m] - 1;
}

// Whether meeting m of `section` in `room` leaves its kept room.
inline bool leaves_kept_room(int32_t section, int m, int room)
{
    return kept_column[section][m] != 0 && kept_column[section][m] != room + 1;
}

// The kept meetings that `grid` holds in another column than the kept one,
// or not at all.
int32_t meetings_moved(const AllocationGrid& grid);
