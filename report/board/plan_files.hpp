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

// Whether SOURCE_DATE_EPOCH, the calendars' DTSTAMP, is unset or a whole
// number of seconds from 0 to 253402300799 (9999-12-31T23:59:59Z).
bool calendar_stamp_valid();

// Whether some meeting of the plan happens within the semester.
bool plan_occurs_in(const Semester& semester);

// Writes, from the plan, alocacao.csv (UTF-8 with a byte-order mark, ";"
// between fields, CRLF line ends, a header and one row per meeting, by
// weekday, start and room column, sv first; a field that a spreadsheet would
// take for a formula after a "'"), then, given a semester, sala-NN.ics for
// every room with a meeting in it (sala-sv.ics for the overflow column): one
// weekly event per meeting that happens in the semester, in local floating
// time, DTSTAMP being SOURCE_DATE_EPOCH when set, else now. `page` was
// written just before. When a write fails, the console names the files that
// were and were not rewritten, and the process ends with status 1. Returns
// how many calendars were written.
int write_plan_exports(const char* page, const Semester* semester);

// Removes the sala-*.ics files that the last write_plan_exports did not
// write (rooms that left the plan), saying which.
void remove_stale_calendars();
