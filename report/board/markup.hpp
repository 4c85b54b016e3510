// The board's HTML writing, shared by its parts: markup of the program's own
// and escaped text, both from Latin-1 to UTF-8, and the names shown for
// sections, rooms, clock times and weekdays.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "model/week.hpp"

// "Segunda-feira" .. "S\xE1bado" (Latin-1), by weekday 1..7 ("Domingo" for 1).
extern const std::array<const char*, SATURDAY + 1> WEEKDAY_TITLES;

// Markup of the program's own, with numbers: written as it stands, in UTF-8.
void markup(std::FILE* out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// `text` (Latin-1) as the page shows it: UTF-8, with <, >, &, " and ' escaped.
void write_page_text(std::FILE* out, const char* text);

// "MTM 121-2": course code, course number and section ("Turma").
void write_section_name(std::FILE* out, int32_t section);

// "07:30", from minutes since midnight.
void write_clock(std::FILE* out, int32_t minutes);

// "sala 03", after its name as capacidade.txt gives it, the name people use
// ("Lab. de Redes &middot; sala 03"), or "sv" for the overflow column.
void write_room_name(std::FILE* out, int room);

// "Lab. de Redes &middot; ": a room's name, escaped, and the dot that
// follows it; nothing for a room without one.
void write_room_label(std::FILE* out, int room);

// "38 alunos<br>" and the fit of the section in the room: its free seats, or
// its students above capacity in a warning, singular where it is one.
void write_students_and_fit(std::FILE* out, int32_t section, int room);

// The empty cell of a weekday board or a room page: greyed, saying
// "fechada", where regras.txt closes it.
void write_empty_cell(std::FILE* out, int row, int room);

// " <span class="fixa">fixa</span>" after a section pinned to its room by
// regras.txt; nothing for any other.
void write_pin_mark(std::FILE* out, int32_t section);
