// mudancas.txt: the meetings that otima.txt, solved with alocacao-otimo
// --manter, puts in another room than the kept plan gave them, for the
// board to mark and list. The file is a line "Reunioes que mudam de sala em
// relacao ao plano mantido: N", then one record per meeting,
// "turma|dia|hh:mm|antes|agora|" (section, weekday 2..7, its start, the kept
// column and the new one, 0 for sv), in order of section and meeting.
#pragma once

#include <array>
#include <cstdint>

#include "model/tables.hpp"

inline constexpr const char* MOVED_FILE = "mudancas.txt";

// moved_from[section][m]: the column + 1 that meeting m of the section
// leaves, 0 when it does not move.
extern BySection<ByMeeting<int32_t>> moved_from;
extern int32_t moved_count;
// Whether read_moved_file found a mudancas.txt of the grid it was given:
// that grid was solved keeping a plan, and the marks say what it moved.
extern bool moves_read;

// Marks the kept meetings that `grid` holds in another column (or not at all).
void mark_moved(const AllocationGrid& grid);

// Writes mudancas.txt from the marks when a plan was kept (even with none
// moved); otherwise removes the one an earlier run left. Ends the process
// with status 1 when either cannot be done.
void write_moved_file(const AllocationGrid& grid, bool kept);

// Marks the meetings mudancas.txt names, none when there is no such file.
// A file that cannot be read or is not as written above ends the process
// with status 1, naming its line; one whose meetings `grid` does not hold
// in their new columns is of another plan: no mark, and false.
bool read_moved_file(const AllocationGrid& grid);
