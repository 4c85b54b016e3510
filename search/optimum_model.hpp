// The exact optimum as a mixed-integer model, solved by CBC: one weekday, for
// what the per-weekday search cannot reach (more columns than its packed
// state holds, or a weekday past its state limit), or the whole week, when
// room stability has a price.
//
// The weekday: rooms of equal seats form one group, split only where
// regras.txt or a kept plan tells them apart on that weekday (a pinned or a
// kept meeting of the day makes its room a group of its own; rooms closed at other hours, or avoided
// by other sections of the day, go apart); a binary x[meeting, group] says
// which group a meeting takes (none the rules bar it from);
// each meeting takes exactly one; at every meeting start, the meetings of a
// group that cover that slot number at most the group's rooms. For intervals
// this is exact: taken in start order, each meeting finds a free room of its
// group. The objective is the cost, then the meetings that leave their kept
// room, then the meetings in sv, then the idle seats of occupied rooms.
#pragma once

#include <bitset>
#include <coin/Cbc_C_Interface.h>
#include <cstdint>

#include "model/tables.hpp"

struct ModelResult {
    bool found;     // an allocation was placed; false when the rules leave none, or none was found in time
    bool proven;    // no other allocation costs less
    int64_t cost;   // what its meetings add to the cost of the empty grid
    int64_t bound;  // no allocation adds less
    bool too_large = false;  // the week's model was too large to be solved
};

// Places the meetings of `weekday` (2..7) in `grid`, whose rows of that day
// are empty, within `seconds` of solving (0: no limit; below 0: no time
// left, so no solver at all): the best
// allocation the solver found, or, when it found none in time, each meeting
// in the cheapest group with a free room it may take. `may_leave_out` (a
// slot of the weekday holds more meetings than columns): the fewest
// meetings possible stay out of the grid, found by a first model, and the
// allocation is the best of those that leave out no more.
ModelResult solve_day_by_model(AllocationGrid& grid, int32_t weekday, double seconds, bool may_leave_out);

// One meeting of a weekday: a section over weekly slots first..last, and
// the column a kept plan gives it (-1: none).
struct DayMeeting {
    int32_t section;
    int first;
    int last;
    int kept = -1;
};

// Whether `count` meetings of one weekday (pinned ones included) fit it
// under the rules, whatever that costs: when they do, lays them in `grid`,
// whose rows of that day are empty, and returns true; otherwise leaves
// `grid` as it was.
bool lay_meetings_exactly(AllocationGrid& grid, const DayMeeting* meetings, int count);

// Where the columns of `weekday` run out under the rules: the first slot of
// the first meeting, in order of first slot, that no allocation of the
// meetings before it can take; 0 when every meeting of the weekday fits.
int32_t slot_where_columns_run_out(int32_t weekday);

// The whole week, for a stability weight above 0: a binary x[meeting, room]
// for each room the rules let the meeting take, one room per meeting, at each
// meeting start at most one meeting per room; and for each section with two
// meetings a and b, z[room] <= x[a, room] and z[room] <= x[b, room], the
// weight being paid unless some z is 1. `grid` holds an allocation that keeps
// the rules (the weekdays' optimum without the price; a meeting it leaves
// out stays out, and its section pays no price), which the solver
// starts from and which is replaced by the best it finds within `seconds`
// (0: no limit; below 0: none, and no solver). A model of more than 32,768
// variables is not solved (CBC would spend minutes before its first
// solution): the allocation stays, not proven. Its cost includes the
// stability price.
ModelResult solve_week_by_model(AllocationGrid& grid, double seconds);

// Whether the week of the meetings `grid` holds is small enough for that
// model: at most week_model_columns variables (32,768; the tests lower it
// to try the larger weeks' way on small ones).
bool week_fits_one_model(const AllocationGrid& grid);
extern int32_t week_model_columns;

// The meetings `grid` holds in `rooms` solved again as the week's model
// over those rooms alone, the rest of the grid as it is: a section's rooms
// outside them count as they stand. CBC starts from the grid and takes at
// most `nodes` nodes of branch and bound; the grid takes what it found when
// that costs less, and says so.
bool improve_rooms_by_model(AllocationGrid& grid, const std::bitset<MAX_ROOM_COLUMNS>& rooms, int nodes);

// The largest value whose neighbours a double still tells apart.
inline constexpr double EXACT_IN_A_DOUBLE = 4503599627370496.0;  // 2^52

// The widest objective a model ranks as one, the cost outweighing the fit:
// EXACT_IN_A_DOUBLE. Past it a weekday seeks the cost and then the fit at
// that cost, and the week prices the cost alone; the tests lower it to try
// those ways on small instances.
extern double one_objective_range;

// The most groups of rooms a weekday's model ranks by one objective (the
// cost outweighing the fit); with more, the cost and then the fit at that
// cost are solved one after the other, which the solver handles far better
// when many seat sizes make that one objective wide (a 200-room university
// of 86 sizes: over three minutes in its first relaxation, against 42 s).
// Both ways are exact; the tests set it to 0 to try the second.
extern int one_objective_groups;
