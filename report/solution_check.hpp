// An independent check of a grid report that alocacao wrote (solucao.txt or
// solucaof.txt): its grid is read back, its cost recomputed from the grid and
// the instance, every meeting looked for whole in one column (but those the
// optimum leaves out of its grid, which must be missing), and its cost
// compared with the optimum.
#pragma once

#include "report/left_out_file.hpp"
#include "search/optimum.hpp"

// The second line of a report's refusal when its declared cost or violation
// count disagrees with its grid priced on the current input files; "%s" is
// the report's name.
#define STALE_REPORT_HINT "Os arquivos de entrada mudaram depois que %s foi gravado? Rode alocacao de novo.\n"

// When `name` exists, checks it and prints the findings on the console, each
// line starting with the file's name. `final_report`: the file has the
// "Inviabilidades" line of solucaof.txt. Returns false when the file exists
// and cannot be read (or is not a regular file), is not exactly as alocacao
// writes it, or fails a check; only a missing file is not checked.
bool check_report_file(const char* name, bool final_report, const OptimumResult& optimum);

// Names on the console, each line starting with `name`, every meeting that
// `grid` does not hold whole in exactly one column (but for the meetings
// `left` marks, which it must not hold at all), every cell outside the
// meetings, and every hard rule of regras.txt it breaks, as
// check_report_file does, each class by its code and section and each
// meeting by its weekday and start; returns how many (0: the grid is a
// sound plan).
int list_plan_faults(const char* name, const AllocationGrid& grid, const LeftOutMeetings& left);

// What `grid` means for the students, a line starting with `name`, and how
// far it is from the optimum, another: "plano.txt: 160 alunos acima da
// capacidade, ...", "plano.txt: 744 acima do \xF3timo (2,17 %); ...".
void print_plan_figures(const char* name, const AllocationGrid& grid, const OptimumResult& optimum);

// Whether `section` has a meeting over weekly slot `row`: a cell of a grid
// that holds it anywhere else is a stray cell.
bool belongs_to_a_meeting(int32_t section, int row);

// Why a meeting of `section` is not whole in exactly one column of `grid`
// ("ausente da grade", "dividida entre salas ou incompleta", "repetida em
// mais de uma sala"), or nullptr when it is.
const char* meeting_fault(const AllocationGrid& grid, int32_t section, const Meeting& meeting);

// The same for meeting m of `section` in a plan that leaves out of its grid
// exactly the meetings `left` marks: such a meeting is at fault only when
// the grid holds some of it.
const char* plan_meeting_fault(const AllocationGrid& grid, int32_t section, int m, const LeftOutMeetings& left);
