// The plan's files written as a set, after the page: alocacao.csv,
// alternativas.csv and, given a semester, a calendar per room with a meeting in it. When a write
// fails, the console names the files that were and were not rewritten.
#pragma once

#include "report/board/plan_files.hpp"

// Writes alocacao.csv, alternativas.csv and, given a semester, sala-NN.ics for every room with
// a meeting in it (sala-sv.ics for the overflow column). `page` was written
// just before. When a write fails, the console names the files that were and
// were not rewritten, and the process ends with status 1. Returns how many
// calendars were written.
int write_plan_exports(const char* page, const Semester* semester);

// Removes the sala-*.ics files that the last write_plan_exports did not
// write (rooms that left the plan), saying which.
void remove_stale_calendars();
