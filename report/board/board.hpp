// The weekly room board, quadro.html: one self-contained HTML page showing the
// instance, a summary of every solution present (the initial allocation, the
// annealing's best, the optimum, a plan edited in a spreadsheet), each solution as a board per weekday, one
// column per room, the room changes from the annealing to the optimum, and,
// when alocacao-otimo --planejar has run, where to invest in seats. The plan
// (the optimum, else the annealing's best) also gets a week page per room and
// a list of the classes, and the files people take elsewhere: alocacao.csv
// and a calendar per room.
#pragma once

#include <array>
#include <cstdio>

#include "report/grid_reader.hpp"
#include "report/left_out_file.hpp"
#include "report/planning_file.hpp"

enum SolutionKind { INITIAL_SOLUTION, ANNEALING_SOLUTION, OPTIMAL_SOLUTION, EDITED_SOLUTION, SOLUTION_KINDS };

// Each solution's report: its file, whether it has the violations line, its
// title on the page and its anchor there.
struct SolutionFile {
    const char* name;
    bool final_report;
    const char* title;
    const char* anchor;
};
extern const std::array<SolutionFile, SOLUTION_KINDS> SOLUTION_FILES;

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

// The console line for a mudancas.txt of another otima.txt, which the board sets aside.
inline constexpr const char* STALE_MOVES = "mudancas.txt e de outro otima.txt; rode alocacao-otimo --manter de novo";

// Why the board sets plano.txt aside: it is of other data, or older than otima.txt.
inline constexpr const char* STALE_EDITED_PLAN =
    "plano.txt e de outra versao dos dados (rode alocacao-otimo --plano de novo)";
inline constexpr const char* EDITED_PLAN_BEFORE_OPTIMUM =
    "plano.txt e anterior a otima.txt (rode alocacao-otimo --plano de novo para publicar o plano editado)";

// The one line that stands for a planejamento.txt of other data.
inline constexpr const char* STALE_PLANNING =
    "planejamento.txt e de outra versao dos dados; rode alocacao-otimo --planejar";

// Reads planejamento.txt into room_changes and board_planning when it exists;
// one that cannot be used ends the process with status 1. It is shown only
// when its current optimum is otima.txt's and every record's current seats
// are capacidade.txt's; otherwise it is stale and the console says so. Call
// after read_board_solutions.
void read_board_planning();

// Reads whichever of solucao.txt, solucaof.txt, otima.txt and plano.txt
// exist into board_solutions, and with otima.txt the meetings it leaves out
// of its grid (fora_da_grade.txt, read_left_out_file) and those it moves from
// a kept plan (mudancas.txt, read_moved_file). A report that cannot
// be read or is not as alocacao writes it ends the process with status 1, as
// does one that names a section that is not loaded or whose declared cost or
// violation count differs from its grid. plano.txt, written once by
// alocacao-otimo --plano, is the plan only while it is of the loaded
// instance (its digest) and not older than otima.txt; otherwise it is set
// aside with one line on the console that says why and which plan is shown.
void read_board_solutions();

// The meetings a solution leaves out of its grid: otima.txt's and
// plano.txt's lists; none for the menu's reports.
const LeftOutMeetings& solution_left_out(int kind);

// The plan, which the room pages, the class list, alocacao.csv and the
// calendars show: the edited plan when plano.txt is there and current, else
// the optimum when otima.txt is there, else the annealing's best;
// SOLUTION_KINDS when there is none.
SolutionKind plan_kind();

// The plan's grid, and whether it puts any meeting in a room column; only
// when there is a plan.
const AllocationGrid& plan_grid();
bool plan_uses_room(int room);

// Writes quadro.html from the loaded instance and board_solutions.
void write_board_page();

