// Simulated annealing over room shifts: from current_grid, under the
// annealing_schedule, keeping the best grid met in best_grid and best_cost.
#pragma once

#include <cstdint>

extern int32_t level_move_count;  // position of the running move in its level, 1..moves_per_temperature

// Runs the temperature levels until the temperature is no longer above the
// final one or the run's stall count passes the stall limit, tracing every
// accepted neighbour and every new best on the console. Returns at once, after
// copying and pricing the grids, when current_grid holds no section in a slot.
void anneal();
