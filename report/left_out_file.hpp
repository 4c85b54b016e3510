// fora_da_grade.txt: the meetings that a partial plan (otima.txt of an
// instance whose slots hold more meetings than columns) leaves out of its
// grid, and the marks of them that the checks of a plan accept as missing.
// The file is a line "Reunioes fora da grade de otima.txt: N", then one
// record per meeting, "turma|dia|hh:mm|hh:mm|" (section, weekday 2..7, its
// start and its end), in order of section and meeting.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "model/tables.hpp"
#include "report/written_lines.hpp"

inline constexpr const char* LEFT_OUT_FILE = "fora_da_grade.txt";

// The meetings out of a plan's grid: marked[section][m] for meeting m of
// the section, and how many.
struct LeftOutMeetings {
    MeetingMarks marked;
    int32_t count;
};

// The meetings otima.txt leaves out: those fora_da_grade.txt names.
extern LeftOutMeetings left_out;

// Marks no meeting.
void clear_left_out(LeftOutMeetings& meetings);

// Marks exactly the meetings that `grid` does not hold at their first slot.
void mark_left_out(const AllocationGrid& grid);

// Writes fora_da_grade.txt from the marks when there are any; otherwise
// removes the one an earlier run left. Ends the process with status 1 when
// either cannot be done.
void write_left_out_file();

// The records of `meetings`, one a line, to `out`: the part of
// fora_da_grade.txt after its header, and of plano.txt after "Fora da grade".
void write_left_out_records(std::FILE* out, const LeftOutMeetings& meetings);

// Reads `count` such records from `file` into `meetings` (cleared first);
// nullptr, or why the line file.line is not one.
const char* read_left_out_records(WrittenFile& file, int32_t count, LeftOutMeetings& meetings);

// Marks the meetings fora_da_grade.txt names, none when there is no such
// file. A file that cannot be read, is not exactly as written above, or
// names a meeting the instance does not have (or twice) ends the process
// with status 1, naming its line.
void read_left_out_file();
