// Full pricing of a grid, cell by cell, in 64 bits; load_weights has made
// sure that the sum fits the 32-bit cost.
#include "search/cost.hpp"

#include "model/weights.hpp"

void grid_cost(const AllocationGrid& grid, int32_t& cost)
{
    int64_t sum = 0;
    for (int row = 1; row <= SLOT_COUNT; ++row)
        for (int room = 0; room <= LAST_ROOM; ++room)
            sum += seat_cost(sections[grid[row][room]].demand, room_capacity[room]);
    cost = static_cast<int32_t>(sum);
}
