// The plan's files written as a set, after the page: alocacao.csv,
// alternativas.csv, alteracoes.csv after alocacao-otimo --manter and, given
// a semester, a calendar per room with a meeting in it. When a write
// fails, the console names the files that were and were not rewritten.
#pragma once

#include <optional>

#include "report/board/plan_files.hpp"

inline constexpr const char* CHANGES_FILE = "alteracoes.csv";

// What write_plan_exports wrote: its calendars, and the rows of
// alteracoes.csv (none when it wrote no such file).
struct PlanExports {
    int calendars;
    std::optional<int32_t> changes;
};

// Writes alocacao.csv, alternativas.csv, alteracoes.csv when the plan is an
// optimum solved keeping a plan (otima.txt with its mudancas.txt) and, given
// a semester, sala-NN.ics for every room with a meeting in it (sala-sv.ics
// for the overflow column). `page` was written just before. When a write
// fails, the console names the files that were and were not rewritten, and
// the process ends with status 1.
PlanExports write_plan_exports(const char* page, const Semester* semester);

// Removes an alteracoes.csv that the last write_plan_exports did not write
// (the plan is not of a kept plan now), saying so.
void remove_stale_changes();

// Removes the sala-*.ics files that the last write_plan_exports did not
// write (rooms that left the plan), saying which.
void remove_stale_calendars();
