// The plan in the formats people take elsewhere: alocacao.csv for
// spreadsheets with alternativas.csv beside it, and one iCalendar file per
// room for calendars. Both are
// written through the safe output path, like every other file; export_set
// writes them together.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

#include "model/tables.hpp"

// "03", "117", or "sv" for the overflow column: a room's column as
// alocacao.csv and the calendars' names write it, in as many digits as the
// last room takes, two at least.
void format_room_column(char* text, std::size_t size, int room);

// A teaching period, as days since 1970-01-01, its last day included.
struct Semester {
    int32_t first_day;
    int32_t last_day;
};

// Reads "AAAA-MM-DD:AAAA-MM-DD" (two real dates, the end not before the
// start) into `semester`; false for anything else.
bool parse_semester(const char* text, Semester& semester);

// Whether SOURCE_DATE_EPOCH, the calendars' DTSTAMP, is unset or a whole
// number of seconds from 0 to 253402300799 (9999-12-31T23:59:59Z).
bool calendar_stamp_valid();

// Whether some meeting of the plan happens within the semester.
bool plan_occurs_in(const Semester& semester);

// Writes alocacao.csv from the plan: UTF-8 with a byte-order mark, ";"
// between fields, CRLF line ends, a header and one row per meeting, by
// weekday, start and room column, sv first; a field that a spreadsheet would
// take for a formula after a "'". Through the safe output path: a failure
// ends the process with status 1.
void write_plan_spreadsheet();

// Writes alternativas.csv, in the conventions of alocacao.csv: for each
// meeting of the plan, in the same order, a row per other room it could take
// (at most three, find_alternatives): the meeting's day, start, end, room,
// course and section, then the rank, the room proposed and its name, the
// class it would swap with (empty for a free room), and the exact change in
// cost and in students above capacity.
void write_plan_alternatives();

// Writes alteracoes.csv, in the conventions of alocacao.csv, with its
// columns and one more, `sala anterior`: a row for each meeting of the plan
// that alocacao-otimo --manter moved from its room in the kept plan
// (mudancas.txt), in alocacao.csv's order. Returns how many.
int32_t write_plan_changes();

// The rooms that get a calendar: those with a meeting that happens in the semester.
std::bitset<MAX_ROOM_COLUMNS> calendar_rooms(const Semester& semester);

// "sala-03.ics", "sala-117.ics", "sala-sv.ics": the calendar of a room.
void calendar_name(char* name, std::size_t size, int room);

// DTSTAMP: SOURCE_DATE_EPOCH when set, else now, as "20260302T073000Z".
void format_stamp(char* text, std::size_t size);

// Writes the calendar of `room`: one weekly event per meeting of the plan
// there that happens in the semester, in local floating time, stamped
// `stamp`. Through the safe output path, as the spreadsheet.
void write_room_calendar(int room, const Semester& semester, const char* stamp);
