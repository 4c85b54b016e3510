// The section listing disciplina.txt: each loaded section with its course,
// its demand and the weekly slots of its two meetings.
#pragma once

#include <cstdio>

// Writes the listing of sections 1..section_count to `out`.
void write_section_listing(std::FILE* out);
