// The plan as people use it, on the board: a week page per room, for its
// door, and the list of the classes with their rooms.
#pragma once

#include <cstdio>

// One section per room that the plan uses, each a printed page: the blocks
// by the weekdays, each meeting over its blocks with its course, section,
// students and fit. The overflow column gets one ("sem sala") only when used.
void write_room_pages(std::FILE* out);

// "Turmas": every section by course code, course number and section, with
// its students and, for each meeting, its weekday, times and room, and up
// to three other rooms it could take (find_alternatives) with what each
// changes.
void write_class_list(std::FILE* out);
