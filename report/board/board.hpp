// The weekly room board, quadro.html: one self-contained HTML page showing the
// instance, a summary of every solution present (the initial allocation, the
// annealing's best, the optimum), each solution as a board per weekday, one
// column per room, the room changes from the annealing to the optimum, and,
// when alocacao-otimo --planejar has run, where to invest in seats.
#pragma once

#include <array>
#include <cstdio>

#include "report/grid_reader.hpp"
#include "report/planning_file.hpp"

enum SolutionKind { INITIAL_SOLUTION, ANNEALING_SOLUTION, OPTIMAL_SOLUTION, SOLUTION_KINDS };

// One solution as read back from its report.
struct BoardSolution {
    bool present;
    GridReport report;
};
extern std::array<BoardSolution, SOLUTION_KINDS> board_solutions;

// The ranked changes of seats (room_changes) read from planejamento.txt.
struct BoardPlanning {
    bool present;  // read, and of the current data
    bool stale;    // read, but of other data: shown only as a line that says so
    PlanningBaseline today;
};
extern BoardPlanning board_planning;

// The one line that stands for a planejamento.txt of other data.
inline constexpr const char* STALE_PLANNING =
    "planejamento.txt e de outra versao dos dados; rode alocacao-otimo --planejar";

// Reads planejamento.txt into room_changes and board_planning when it exists;
// one that cannot be used ends the process with status 1. It is shown only
// when its current optimum is otima.txt's and every record's current seats
// are capacidade.txt's; otherwise it is stale and the console says so. Call
// after read_board_solutions.
void read_board_planning();

// Reads whichever of solucao.txt, solucaof.txt and otima.txt exist into
// board_solutions. A report that cannot be read, is not as alocacao writes
// it, names a section that is not loaded, or whose declared cost or
// violation count differs from its grid ends the process with status 1.
void read_board_solutions();

// Writes quadro.html from the loaded instance and board_solutions.
void write_board_page();

