// Column-major scan of best_grid for over-capacity cells.
#include "report/violations.hpp"

#include "app/console.hpp"
#include "model/tables.hpp"

void report_capacity_violations()
{
    violation_count = 0;
    console_print("\n");
    for (int room = 0; room <= LAST_ROOM; ++room)
        for (int row = 1; row <= SLOT_COUNT; ++row) {
            int32_t section = best_grid[row][room];
            if (sections[section].demand > room_capacity[room]) {
                ++violation_count;
                console_print("%d - ", section);
            }
        }
    console_print("\nnumero de inviabilidades: %d \n", violation_count);
}
