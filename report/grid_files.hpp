// The allocation grid reports: solucao.txt (the initial allocation) and
// solucaof.txt (the best allocation with its violation count), each a table
// of weekly slots by rooms, the overflow column headed "sv".
#pragma once

#include <cstdio>

#include "model/tables.hpp"

// Writes solucao.txt from current_grid and current_cost.
void write_solution_file();

// Writes solucaof.txt from best_grid, best_cost and violation_count.
void write_final_solution_file();

// Writes otima.txt, in the form of solucaof.txt, from the same three values.
void write_optimum_file();

// The header of solucaof.txt and the grid block, to `out`.
void write_final_report(std::FILE* out, const AllocationGrid& grid, int32_t cost, int32_t violations);
