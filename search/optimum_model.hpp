// The exact optimum of one weekday as a mixed-integer model, solved by CBC,
// for what the per-weekday search cannot reach: more columns than its packed
// state holds, or a weekday past its state limit. Rooms of equal seats form
// one group; a binary x[meeting, group] says which group a meeting takes;
// each meeting takes exactly one; at every meeting start, the meetings of a
// group that cover that slot number at most the group's rooms. For intervals
// this is exact: taken in start order, each meeting finds a free room of its
// group. The objective is the cost, then the idle seats of occupied rooms.
#pragma once

#include <cstdint>

#include "model/tables.hpp"

struct DayModelResult {
    bool proven;    // no other allocation of the weekday costs less
    int64_t cost;   // what its meetings add to the cost of the empty grid
    int64_t bound;  // no allocation of the weekday adds less
};

// Places the meetings of `weekday` (2..7) in `grid`, whose rows of that day
// are empty, within `seconds` of solving (0: no limit; below 0: no time
// left, so no solver at all): the best
// allocation the solver found, or, when it found none in time, each meeting
// in the cheapest group with a free room. No slot may hold more meetings than
// columns.
DayModelResult solve_day_by_model(AllocationGrid& grid, int32_t weekday, double seconds);
