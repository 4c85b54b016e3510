// Full pricing of a grid, cell by cell, in 64 bits; load_weights has made
// sure that the sum fits the 32-bit cost.
#include "search/cost.hpp"

#include <algorithm>

#include "model/calendar.hpp"
#include "model/weights.hpp"

void grid_cost(const AllocationGrid& grid, int32_t& cost)
{
    int64_t sum = 0;
    for (int row = 1; row <= SLOT_COUNT; ++row)
        for (int room = 0; room <= last_room; ++room)
            sum += seat_cost(sections[grid[row][room]].demand, room_capacity[room]);
    cost = static_cast<int32_t>(sum);
}

int32_t count_capacity_violations(const AllocationGrid& grid)
{
    int32_t count = 0;
    for (int row = 1; row <= SLOT_COUNT; ++row)
        for (int room = 0; room <= last_room; ++room)
            count += sections[grid[row][room]].demand > room_capacity[room];
    return count;
}

int64_t shift_cost_change(const RoomShift& shift)
{
    int64_t demand = sections[shift.section].demand;
    int64_t from = room_capacity[shift.from_room];
    int64_t to = room_capacity[shift.to_room];
    int64_t per_row = seat_cost(demand, to) - seat_cost(0, to) + seat_cost(0, from) - seat_cost(demand, from);
    return per_row * (shift.last_row - shift.first_row + 1);
}

GridFigures grid_figures(const AllocationGrid& grid)
{
    GridFigures figures{0, 0, 0};
    for (int row = 1; row <= SLOT_COUNT; ++row)
        for (int room = 0; room <= last_room; ++room) {
            int32_t section = grid[row][room];
            if (section == 0)
                continue;
            int64_t demand = sections[section].demand, capacity = room_capacity[room];
            figures.students_above += std::max<int64_t>(demand - capacity, 0);
            figures.occupied_idle_seats += std::max<int64_t>(capacity - demand, 0);
            bool starts_a_meeting = row == day_slots_of(row).first || grid[row - 1][room] != section;
            figures.meetings_without_room += room == OVERFLOW_COLUMN && starts_a_meeting;
        }
    return figures;
}
