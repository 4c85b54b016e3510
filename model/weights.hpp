// The two penalty weights (peso.par) and the price they put on one grid cell:
// every student above the room's capacity costs excess_weight, every idle
// seat idle_weight.
#pragma once

#include <cstdint>
#include <cstdio>

#include "model/tables.hpp"

// The price of a section of `demand` students in a room of `capacity` seats
// under the given weights (an empty cell has demand 0). Exact in 64 bits for
// any 32-bit inputs.
inline int64_t seat_cost_with(int64_t excess, int64_t idle, int64_t demand, int64_t capacity)
{
    return demand > capacity ? (demand - capacity) * excess : (capacity - demand) * idle;
}

// The same under the weights read from peso.par.
inline int64_t seat_cost(int64_t demand, int64_t capacity)
{
    return seat_cost_with(excess_weight, idle_weight, demand, capacity);
}

// Reads peso.par into excess_weight and idle_weight and echoes them. A file
// that cannot be opened, that does not begin with two whole numbers, or whose
// weights could price a grid beyond 32 bits ends the process with status 1;
// when the stability weight of regras.txt is what takes it there, the
// message names that line.
void load_weights();

// Reads the two numbers at the start of `stream`: nullptr, or why they are refused.
const char* read_weights(std::FILE* stream, int32_t& excess, int32_t& idle);

// Whether every grid of the loaded sections, under these weights and this
// stability weight (regras.txt's mesma_sala), and with `preferences` the
// prices of regras.txt's prefere lines, costs within the signed 32-bit range.
bool costs_fit_32_bits(int32_t excess, int32_t idle, int32_t stability, bool preferences = false);

// Whether a room of `seats` seats prices every cell of the loaded sections,
// under the loaded weights, low enough that any grid's cost is exact in 64
// bits: what planning a change of seats asks.
bool cell_prices_exact(int64_t seats);
