// fora_da_grade.txt: the meetings that a partial plan (otima.txt of an
// instance whose slots hold more meetings than columns) leaves out of its
// grid, and the marks of them that the checks of a plan accept as missing.
// The file is a line "Reunioes fora da grade de otima.txt: N", then one
// record per meeting, "turma|dia|hh:mm|hh:mm|" (section, weekday 2..7, its
// start and its end), in order of section and meeting.
#pragma once

#include <array>
#include <cstdint>

#include "model/tables.hpp"

inline constexpr const char* LEFT_OUT_FILE = "fora_da_grade.txt";

// left_out[section][m]: meeting m of the section is out of the plan's grid.
extern std::array<std::array<bool, MAX_MEETINGS + 1>, MAX_SECTIONS + 1> left_out;
extern int32_t left_out_count;

// Marks exactly the meetings that `grid` does not hold at their first slot.
void mark_left_out(const AllocationGrid& grid);

// Writes fora_da_grade.txt from the marks when there are any; otherwise
// removes the one an earlier run left. Ends the process with status 1 when
// either cannot be done.
void write_left_out_file();

// Marks the meetings fora_da_grade.txt names, none when there is no such
// file. A file that cannot be read, is not exactly as written above, or
// names a meeting the instance does not have (or twice) ends the process
// with status 1, naming its line.
void read_left_out_file();
