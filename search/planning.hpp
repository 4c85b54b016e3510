// Where to invest: the exact optimum of the instance after each single change
// of one column's seats. Every real room is tried at 20, 30, ..., 120 seats,
// and the overflow column given as many, in effect one more room of that size.
#pragma once

#include <array>
#include <cstdint>

#include "model/tables.hpp"

inline constexpr int32_t FEWEST_PLANNED_SEATS = 20;
inline constexpr int32_t MOST_PLANNED_SEATS = 120;
inline constexpr int32_t PLANNED_SEATS_STEP = 10;
inline constexpr int PLANNED_SIZES = (MOST_PLANNED_SEATS - FEWEST_PLANNED_SEATS) / PLANNED_SEATS_STEP + 1;
inline constexpr int MAX_ROOM_CHANGES = ROOM_COLUMNS * PLANNED_SIZES;

// One change and the optimum of the instance with it.
struct RoomChange {
    int32_t column;
    int32_t current_seats;
    int32_t proposed_seats;
    int64_t cost;        // the optimal cost with this change alone
    int32_t violations;  // over-capacity cells of that optimal allocation
    bool proven;         // false when a weekday's search reached the state limit
};

extern std::array<RoomChange, MAX_ROOM_CHANGES> room_changes;  // entries 0..room_change_count-1
extern int room_change_count;

// Solves the loaded instance once for every change that differs from the
// current seats, with `state_limit` states per weekday, and leaves
// room_changes sorted by optimal cost, then column, then proposed seats.
// room_capacity is as it was afterwards. No slot may hold more meetings than
// there are columns.
void evaluate_room_changes(int64_t state_limit);

// Whether every change that evaluate_room_changes tries prices exactly in 64
// bits; the costs of a change may pass 32 bits, and are kept in 64.
bool planned_costs_exact();

// Sorts the first room_change_count entries as evaluate_room_changes leaves them.
void sort_room_changes();
