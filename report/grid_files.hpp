// The allocation grid reports: solucao.txt (the initial allocation) and
// solucaof.txt (the best allocation with its violation count), each a table
// of weekly slots by rooms, the overflow column headed "sv".
#pragma once

#include <cstdint>
#include <cstdio>

#include "model/tables.hpp"

// A cell holds a section number in as many digits as the highest section
// number loaded, and as the highest room column, take, and at least two.
int grid_cell_width();

// The lines of the grid block that are the same in every report of the
// loaded instance (without their line end), for the writers here and for
// reading a report back: the rule, 9 + (width + 3) x columns underscores, and
// the column header, "|H-S\t| sv | 01 | ... |" with "sv" right-aligned and the
// rooms in the cell width.
const char* grid_rule();
const char* grid_columns();
inline constexpr const char* COST_LABEL = "Fun\xE7\xE3o Objetivo: ";
inline constexpr const char* VIOLATIONS_LABEL = "Inviabilidades: ";

// Writes solucao.txt from current_grid and current_cost.
void write_solution_file();

// Writes solucaof.txt from best_grid, best_cost and violation_count.
void write_final_solution_file();

// Writes otima.txt, in the form of solucaof.txt, from the same three values;
// when the allocation is not proven optimal, with the line
// "Limite inferior: B (nao provado)" after the grid: no allocation costs less than B.
void write_optimum_file(bool proven = true, int64_t lower_bound = 0);
inline constexpr const char* LOWER_BOUND_LABEL = "Limite inferior: ";
inline constexpr const char* NOT_PROVEN_MARK = " (nao provado)";

// The header of solucaof.txt and the grid block, to `out`.
void write_final_report(std::FILE* out, const AllocationGrid& grid, int32_t cost, int32_t violations);
