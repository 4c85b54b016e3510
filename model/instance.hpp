// The instance loader: capacidade.txt, the optional cursos.txt, demanda.txt
// and horario.txt into the room capacities, the course codes, the section
// table and the meetings' weekly slots, then the section listing
// disciplina.txt. Every load starts afresh.
#pragma once

#include "model/records.hpp"
#include "model/tables.hpp"

// Opens the three instance files (and regras.txt when there is one) and creates the listing, in that order, reads
// them into the tables, prints the load's warnings and writes disciplina.txt.
// A file that cannot be opened or a line that is not a valid record ends the
// process with status 1.
void load_instance();

// Reads the three instance files into the tables and prints the warnings as
// load_instance does, with the same refusals, but writes no listing.
void read_instance();

// A line of horario.txt: course type, course number, section number, mark,
// weekday, start hour and minute, end hour and minute.
inline constexpr const char* TIMETABLE_RECORD = "d|d|d|c|d|d:d|d:d|";

// The first loaded section with this course and section number and the very
// same code; 0 when there is none. By key, once demanda.txt is read; a table
// filled by hand is searched section by section.
int32_t find_section(const char* code, int32_t course_number, int32_t section_number);

// The meeting (FIRST_MEETING..MAX_MEETINGS) of loaded section `section`
// that falls on `weekday` and starts at `start` (minutes since midnight); 0
// when it has none or there is no such section.
int find_meeting(int32_t section, int32_t weekday, int32_t start);

// The meeting of `section` that falls on `weekday` (SUNDAY..SATURDAY); 0
// when it has none.
int meeting_on_weekday(const Section& section, int32_t weekday);

// Forgets the key index of the sections (the tables were reset).
void forget_section_index();

// The readers of the three files, each to its end. They return false at the
// first line they refuse, with file.line and file.error saying where and why;
// what they read before it is already in the tables.
bool read_room_capacities(RecordFile& file);
// After read_room_capacities: the lowest room 1..last_room it did not name,
// 1 when it named none but column 0; 0 when every one is named.
int32_t first_unnamed_room();
bool read_course_codes(RecordFile& file);  // cursos.txt, over the built-in codes
bool read_sections(RecordFile& file);
bool read_timetable(RecordFile& file);
