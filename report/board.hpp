// The weekly room board, quadro.html: one self-contained HTML page showing the
// instance, a summary of every solution present (the initial allocation, the
// annealing's best, the optimum), each solution as a board per weekday, one
// column per room, and the room changes from the annealing to the optimum.
#pragma once

#include <array>
#include <cstdio>

#include "report/grid_reader.hpp"

enum SolutionKind { INITIAL_SOLUTION, ANNEALING_SOLUTION, OPTIMAL_SOLUTION, SOLUTION_KINDS };

// One solution as read back from its report.
struct BoardSolution {
    bool present;
    GridReport report;
};
extern std::array<BoardSolution, SOLUTION_KINDS> board_solutions;

// Reads whichever of solucao.txt, solucaof.txt and otima.txt exist into
// board_solutions. A report that cannot be read, is not as alocacao writes
// it, names a section that is not loaded, or whose declared cost or
// violation count differs from its grid ends the process with status 1.
void read_board_solutions();

// Writes quadro.html from the loaded instance and board_solutions.
void write_board_page();

// `text` (Latin-1) as the page shows it: UTF-8, with <, >, &, " and ' escaped.
void write_page_text(std::FILE* out, const char* text);
