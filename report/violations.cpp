// Column-major scan of a grid for over-capacity cells.
#include "report/violations.hpp"

#include "io/console.hpp"

namespace {

bool over_capacity(int32_t section, int room)
{
    return sections[section].demand > room_capacity[room];
}

}  // namespace

void report_capacity_violations()
{
    violation_count = 0;
    console_print("\n");
    for (int room = 0; room <= last_room; ++room)
        for (int row = FIRST_SLOT; row <= slot_count; ++row)
            if (over_capacity(best_grid[row][room], room)) {
                ++violation_count;
                console_print("%d - ", best_grid[row][room]);
            }
    console_print("\nnumero de inviabilidades: %d \n", violation_count);
}
