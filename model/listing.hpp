// The section listing disciplina.txt: each loaded section with its course,
// its demand and the weekly slots of its meetings.
#pragma once

#include <cstdio>

// Writes the listing of sections 1..section_count to `out`: a pair of slot
// columns for each of the listed meetings, absent meetings at 00.
void write_section_listing(std::FILE* out);

// How many meetings the listings show: the most that a section has, at least 2.
int listed_meetings();
