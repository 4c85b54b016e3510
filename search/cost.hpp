// The objective: the price of a whole allocation grid.
#pragma once

#include <cstdint>

#include "model/tables.hpp"
#include "search/move.hpp"

// Sums seat_cost over the slot rows 1..slot_count and every room column,
// the overflow column included, an empty closed cell at nothing, adds the
// room stability's price (stability_cost) and the preferences'
// (preference_cost) and stores the sum in `cost`. Row 0 is not priced.
void grid_cost(const AllocationGrid& grid, int32_t& cost);

// The price of one cell of `grid`: seat_cost of its section in its room, or
// nothing when regras.txt closes it and it is empty.
int64_t cell_cost(const AllocationGrid& grid, int row, int room);

// The column that holds meeting m of `section` at its first slot;
// NO_COLUMN when the meeting is absent or that cell lost it.
int32_t first_slot_column(const AllocationGrid& grid, int32_t section, int m);

// The lowest column that holds `section` over all the meeting's slots;
// NO_COLUMN when none does.
int32_t meeting_column(const AllocationGrid& grid, int32_t section, const Meeting& meeting);

// How many columns past the first the meetings of `section` that `grid`
// holds take; whether that is one or more.
int32_t rooms_changed(const AllocationGrid& grid, int32_t section);
bool changes_rooms(const AllocationGrid& grid, int32_t section);

// What a meeting of `length` slots of `section` adds to the cost of an empty
// grid when it takes open cells of `room`, its preference's price included.
int64_t meeting_price(int32_t section, int64_t length, int room);

// The sections of `grid` that change rooms, and same_room_weight for each
// room a section takes past its first.
int32_t sections_changing_rooms(const AllocationGrid& grid);
int64_t stability_cost(const AllocationGrid& grid);

// What the preferences of regras.txt add: for each meeting `grid` holds at
// its first slot, the price of that column for its section.
int64_t preference_cost(const AllocationGrid& grid);
int64_t section_preference_cost(const AllocationGrid& grid, int32_t section);

// The number of cells in the slot rows of `grid` whose section has more
// students than its room has seats ("inviabilidades").
int32_t count_capacity_violations(const AllocationGrid& grid);

// What an allocation means for its students, over the slot rows: the students
// seated above capacity and the idle seats of the rooms that hold a
// section, each meeting counted once as a person counts them (the overflow
// column at the seats capacidade.txt gives it), the meetings in the overflow
// column, and the students above capacity and the idle seats counted in
// every block ("alunos x blocos acima"). Every grid's cost is idle_weight x
// (all seats x 90 - students x blocks of the meetings placed) +
// (excess_weight + idle_weight) x student_blocks_above, so that among the
// grids that place every meeting, the cost ranks them by
// student_blocks_above alone; of those of equal cost, the fitted optimum
// has the fewest idle_seat_blocks.
struct GridFigures {
    int64_t students_above;
    int32_t meetings_without_room;
    int64_t occupied_idle_seats;
    int64_t student_blocks_above;
    int64_t idle_seat_blocks;
};
GridFigures grid_figures(const AllocationGrid& grid);

// How much the cost of `grid` changes when `shift` is applied to it: its
// cells leave one room empty and fill another, and its meeting may join or
// leave the column of its section's other meeting, which lies on another
// weekday, so `grid` may be taken before or after the shift. Exact, so that a
// grid priced in full and then shifted keeps its exact cost without pricing
// it again.
int64_t shift_cost_change(const AllocationGrid& grid, const RoomShift& shift);
