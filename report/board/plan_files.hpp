// The plan in the files people take elsewhere: alocacao.csv for
// spreadsheets, and one iCalendar file per room for calendars. Both are
// written through the safe output path, like every other file.
#pragma once

#include <cstdint>

// A teaching period, as days since 1970-01-01, its last day included.
struct Semester {
    int32_t first_day;
    int32_t last_day;
};

// Reads "AAAA-MM-DD:AAAA-MM-DD" (two real dates, the end not before the
// start) into `semester`; false for anything else.
bool parse_semester(const char* text, Semester& semester);

// Writes alocacao.csv from the plan: UTF-8 with a byte-order mark, ";" between
// fields, CRLF line ends, a header and one row per meeting, by weekday, start
// and room column (sv first).
void write_plan_spreadsheet();

// Writes sala-NN.ics for every room the plan uses (sala-sv.ics for the
// overflow column): one weekly event per meeting over the semester, in local
// floating time. DTSTAMP is SOURCE_DATE_EPOCH when set, else now. Returns
// how many files it wrote.
int write_room_calendars(const Semester& semester);
