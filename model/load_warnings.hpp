// The loader's warnings: mistakes in the instance files that do not stop a
// load but would otherwise pass in silence. A section with no timetable, a
// section listed twice, a third weekday, a line that spans several blocks, a
// meeting with a hole, lines of sections that are not loaded, room rules
// that cannot change anything. The tables stay
// what the files say; the warnings only name the file, the line and the class.
#pragma once

#include <cstdio>

// Receives one warning: a whole line of plain ASCII text, line end included.
using WarningSink = void (*)(const char* text, void* context);

// Hands each warning of the loaded instance to `say`, in order: the lines of
// the timetable read from `timetable` (from where it stands, to its end),
// then the sections, then the timetable lines of no loaded section. The
// timetable is read again rather than remembered, so no table bounds how many
// lines may warn. Returns how many warnings there were.
int list_load_warnings(std::FILE* timetable, WarningSink say, void* context);

// The same, reading horario.txt anew.
int list_instance_warnings(WarningSink say, void* context);

// Prints the warnings of the loaded instance on the console.
void print_load_warnings();
