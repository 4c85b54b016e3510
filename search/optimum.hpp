// The exact optimum of the allocation: every meeting in one column for all of
// its slots, no cell shared by two sections, at the lowest grid cost, and of
// those, one with the fewest idle seats in the rooms that hold a section (the
// fitted optimum: no class in a large room while a fitting one stands empty,
// unless that costs something). Meetings
// of different weekdays never share a slot, so each weekday is solved on its
// own, by a dynamic programme over its meetings in order of their first slot
// whose state is the last busy slot of every column.
#pragma once

#include <array>
#include <bitset>
#include <chrono>
#include <cstdint>

#include "model/tables.hpp"
#include "search/cost.hpp"

inline constexpr int64_t OPTIMUM_STATE_LIMIT = 1 << 20;  // states remembered per weekday

struct OptimumResult {
    bool feasible;        // false when no allocation keeping the rules was found on a weekday
                          // without an over-full slot
    bool proven;          // false when the model of a weekday reached the time limit
    int64_t cost;         // the grid cost of the allocation found, plus change_weight per kept meeting moved
    int64_t lower_bound;  // no allocation (leaving out as few meetings) costs less; equals cost when proven
    int64_t states;       // states remembered, all weekdays together
    int32_t left_out;     // meetings of weekdays with an over-full slot left out of the grid
    int32_t moved;        // meetings of the kept plan (search/kept_plan.hpp) in another column
    bool week_too_large;  // with a stability price, the week was too large for one model: not proven
    bool left_out_apart;  // with a stability price, what is left out was chosen by the weekdays without it:
                          // proven only at their bound, and not proven though every weekday was
    GridFigures figures;  // of the allocation found
    uint32_t rule_tight_weekdays;  // bit w: the rules leave weekday w no allocation of every meeting
};

// Meetings (of sections 1..section_count) that use each slot row; row 0 unused.
BySlot<int32_t> meetings_per_slot();

// The columns a meeting may use at slot `row`: every column but those
// regras.txt closes there.
int32_t open_columns(int row);

// Whether some slot of `weekday` has more meetings than open columns.
bool weekday_overfull(int32_t weekday);

// Puts the best allocation found into `grid` (cleared first) and tells how
// good it is. On a weekday with an over-full slot, or one where the hard
// rules of regras.txt leave no allocation of every meeting, the allocation
// leaves out of the grid the fewest meetings it can, and is the best of those. With a
// kept plan, of the allocations of least cost it is one that moves the
// fewest kept meetings. A weekday is
// solved by the search when the instance has at most 7 rooms and the search
// stays within `state_limit` states; otherwise by the mixed-integer model,
// within what is left of `seconds` (0: no limit). Every allocation keeps the
// hard rules of regras.txt. When room stability has a price, the weekdays are
// no longer apart: each is solved again with the others' rooms as they are,
// round after round, and the whole week then becomes one mixed-integer model
// when it is small enough (week_too_large otherwise: not proven).
// `incumbent`, when given, is an allocation of these meetings that keeps
// these rules (the optimum of a stricter instance, such as today's before a
// rule is taken away): with a stability price, the week's model starts from
// it when it costs less than the weekdays settled.
OptimumResult solve_optimum(AllocationGrid& grid, int64_t state_limit = OPTIMUM_STATE_LIMIT, double seconds = 0.0,
                            const AllocationGrid* incumbent = nullptr);

// A week too large for one model, once settled, has the rooms around each
// section that changes rooms solved again over the week: those its
// meetings take in `grid`, then the rooms of their seats in order, up to
// APART_ROOMS in all.
inline constexpr std::size_t APART_ROOMS = 6;
std::bitset<MAX_ROOM_COLUMNS> rooms_around(const AllocationGrid& grid, int32_t section);

// What is left of a limit of `seconds` since `start`: 0 for no limit (0),
// below 0 when none is left (or none was, below 0).
double seconds_left(double seconds, std::chrono::steady_clock::time_point start);
