// One exact solve per change of seats, reusing the solver's memory.
#include "search/planning.hpp"

#include <algorithm>

#include "model/weights.hpp"
#include "search/cost.hpp"
#include "search/optimum.hpp"

std::array<RoomChange, MAX_ROOM_CHANGES> room_changes{};
int room_change_count = 0;

namespace {

AllocationGrid planned_grid;  // the optimal allocation of the change being solved

RoomChange solve_with_seats(int column, int32_t seats, int64_t state_limit)
{
    int32_t current = room_capacity[column];
    room_capacity[column] = seats;
    OptimumResult result = solve_optimum(planned_grid, state_limit);
    RoomChange change{column, current, seats, result.cost, count_capacity_violations(planned_grid), result.proven};
    room_capacity[column] = current;
    return change;
}

}  // namespace

void sort_room_changes()
{
    std::sort(room_changes.begin(), room_changes.begin() + room_change_count,
              [](const RoomChange& a, const RoomChange& b) {
                  if (a.cost != b.cost)
                      return a.cost < b.cost;
                  return a.column != b.column ? a.column < b.column : a.proposed_seats < b.proposed_seats;
              });
}

bool planned_costs_exact()
{
    for (int32_t seats = FEWEST_PLANNED_SEATS; seats <= MOST_PLANNED_SEATS; seats += PLANNED_SEATS_STEP)
        if (!cell_prices_exact(seats))
            return false;
    return true;
}

void evaluate_room_changes(int64_t state_limit)
{
    room_change_count = 0;
    for (int column = 0; column <= LAST_ROOM; ++column)
        for (int32_t seats = FEWEST_PLANNED_SEATS; seats <= MOST_PLANNED_SEATS; seats += PLANNED_SEATS_STEP)
            if (seats != room_capacity[column])
                room_changes[room_change_count++] = solve_with_seats(column, seats, state_limit);
    sort_room_changes();
}
