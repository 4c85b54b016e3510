// A lower bound on the week's optimum with a stability price, for weeks too
// large for the week's model, and where each section belongs.
//
// Rooms of equal seats form a group (sv one of its own). The week's model
// over groups is a relaxation of the week's model over rooms: a meeting
// takes a group, x[meeting, group], at a room's best price there; at each
// start the meetings of a group that cover it number at most its rooms open
// then; and a section pays the weight for each group its meetings take past
// the first (u[section, group] at least each of its meetings' x), where
// over rooms it pays for each room, and two meetings in one group may still
// need two of its rooms. Its linear relaxation, solved by the barrier
// method, bounds the week's optimum from below; in the faculties tried it
// lies 0.2 % to 0.5 % below the best plan found. The solution also gives
// each section a home: the group that holds most of its meetings.
#pragma once

#include <array>
#include <cstdint>

#include "model/tables.hpp"

// Each section's home: the seats of the rooms of its group (column_seats),
// NO_HOME for a section that meets once, or when no relaxation was solved.
inline constexpr int32_t NO_HOME = -2;
extern BySection<int32_t> home_seats;

// A column's seats, as groups and homes name them: -1 for sv, which is no room.
inline int32_t column_seats(int room)
{
    return room == OVERFLOW_COLUMN ? -1 : room_capacity[room];
}

struct WeekBound {
    bool found;     // the relaxation was solved to its optimum within the time given
    int64_t bound;  // no allocation of the meetings `grid` holds adds less (the stability price included)
};

// Solves the relaxation of the week of the meetings `grid` holds within
// `seconds` (0: no limit; below 0: none, and nothing found), and, when
// found, sets each section's home.
WeekBound bound_week_by_groups(const AllocationGrid& grid, double seconds);

// Keeps a plan of home rooms (search/kept_plan.hpp): each section with a
// home, the longest first, gets the first room of its home's seats that
// the rules let all its meetings take and no section placed before it
// holds at any of its slots, kept for all its meetings; a section that
// finds none keeps none.
void keep_home_rooms();
