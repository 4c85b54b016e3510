// Reading a plan back from a spreadsheet: alocacao.csv as the board writes
// it, after a person has edited it and saved it again. The header names the
// columns and the separator (";" or ","); a byte-order mark, CRLF or LF line
// ends, quoted fields, a trailing empty column and blank lines are taken as
// spreadsheets write them, and each field is read as UTF-8 when it is valid
// UTF-8, else as Windows-1252. Only the columns dia, inicio, sala, disciplina
// and turma are used; everything else is recomputed from the instance.
#pragma once

#include "model/tables.hpp"
#include "report/left_out_file.hpp"

// How a plan is read: checked as the plan to publish, or as a published
// plan to keep, which may be of older files: then a row that is not a
// meeting of the instance as it is now, or whose room is taken, is skipped
// without a word, and only a header without the columns is a fault.
enum class PlanReading { Checked, Kept };

// Reads the plan in `name` into `grid` (cleared first) and checks it against
// the loaded instance: every meeting exactly once, at its weekday and start,
// in a column 0..last_room (given by its number or its room's name, and the
// "nome da sala" column, when given, the same room), no column holding two
// meetings at once, and every hard rule of regras.txt kept.
// A row without a room (or "fora da grade") leaves its meeting out of the
// grid, marked in `rows_left_out`; only in an over-full block. Names each fault
// on the console ("alocacao.csv, linha 12: ..."; a missing meeting without a
// line; a cell as typed, shown safely) and returns how many (0: the plan is
// sound). A file that cannot be opened or read ends the process with status 1.
int read_plan_csv(const char* name, AllocationGrid& grid, LeftOutMeetings& rows_left_out,
                  PlanReading reading = PlanReading::Checked);
