// The best other rooms of one meeting of a plan: a room free over all its
// rows, or a swap with the one meeting that holds the other room there, each
// allowed by the rules, ranked by the exact change in the grid's cost.
#pragma once

#include <array>
#include <cstdint>

#include "model/tables.hpp"

struct Alternative {
    int32_t room;             // the room the meeting would take
    int32_t swapped;          // the section that would take the meeting's room in exchange; 0: a free room
    int64_t cost_change;      // of the grid's cost, the stability price included
    int64_t students_change;  // of the students above capacity, each meeting counted once
};

inline constexpr int ALTERNATIVES_SHOWN = 3;
using Alternatives = std::array<Alternative, ALTERNATIVES_SHOWN>;

// The best alternatives (at most three, least change in cost first, then
// lowest room) of meeting m of `section`, which `grid` holds whole in one
// column; returns how many. `grid` is changed while they are tried and is
// left as it was.
int find_alternatives(AllocationGrid& grid, int32_t section, int m, Alternatives& best);
