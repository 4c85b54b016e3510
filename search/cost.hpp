// The objective: the price of a whole allocation grid.
#pragma once

#include <cstdint>

#include "model/tables.hpp"

// Sums seat_cost over the slot rows 1..SLOT_COUNT and every room column,
// the overflow column included, and stores the sum in `cost`. Row 0 is not priced.
void grid_cost(const AllocationGrid& grid, int32_t& cost);
