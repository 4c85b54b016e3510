// The capacity violation listing: the cells of best_grid whose section has
// more students than its room has seats ("inviabilidades").
#pragma once

#include <cstdint>

#include "model/tables.hpp"

// Lists the violating cells on the console, room by room and slot by slot
// within a room, and sets violation_count.
void report_capacity_violations();
