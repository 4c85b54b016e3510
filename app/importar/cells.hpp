// Reading the cells of a registrar's spreadsheet as people type them: the
// weekdays ("SEG/QUA", "2,4", "246", "2ª", "segunda-feira", "Mon"), a time
// ("8h", "08h00", "8:00", "08:00:00"), a time range ("08:00-09:40", "8h às
// 9h40"), a whole schedule ("SEG 08:00-09:40; QUA 08:00-09:40") and the
// schedule codes of many Brazilian academic systems ("24M12": Monday and
// Wednesday, morning periods 1 and 2, with the periods of --turnos), a
// count of students ("45", "45.0"). Cells come in UTF-8 (io/csv.hpp).
#pragma once

#include <array>
#include <cstdint>

#include "model/week.hpp"

using DaySet = uint8_t;  // bit d: weekday d, 1 Sunday .. 7 Saturday

// What a reader below returns for a text it cannot read: every time and
// count it reads is 0 or more.
inline constexpr int32_t NOT_READ = -1;

// The weekdays a cell names, several joined by "/", ",", ";", "+", "e" or
// blanks, or as one run of digits ("246"); false when some word of it is not
// a weekday (days then holds those read). An empty cell names none.
bool read_days(const char* cell, DaySet& days);

// A time of day, the whole text: minutes since midnight, or NOT_READ.
int32_t read_time(const char* text);

// The periods of a schedule code's shifts, read from --turnos: for shift
// letter L (A..Z) and period p (1..9), its start and end; NOT_READ where none.
// `given` is false, and the table unread, until a --turnos file is read whole.
struct ShiftPeriods {
    std::array<std::array<int32_t, 10>, 26> start;
    std::array<std::array<int32_t, 10>, 26> end;
    bool given;
};
extern ShiftPeriods shift_periods;
void clear_shift_periods();

// Reads --turnos: "M|1|07:00|07:50|" a line, "#" comments and blank lines
// skipped. Returns nullptr, or why the line `line` is refused.
const char* read_shift_file(const char* name, int32_t& line);

// One time of a schedule: the weekdays it is on, and its interval.
struct CellTime {
    DaySet days;
    int32_t start;
    int32_t end;
};
inline constexpr int MAX_CELL_TIMES = 16;

// A schedule cell: time ranges, each after the weekdays it is on (or, with
// none, on `default_days`), or schedule codes. Writes up to MAX_CELL_TIMES
// times into `times` and returns how many; NOT_READ with `reason` set when
// the cell cannot be read.
int read_schedule(const char* cell, DaySet default_days, std::array<CellTime, MAX_CELL_TIMES>& times,
                  const char*& reason);

// A whole number of students, "45", or as a spreadsheet may write it, "45.0"
// or "45,00"; false for anything else or beyond 999999.
bool read_count(const char* text, int32_t& value);

// Whether a cell holds a digit: a time or a weekday may be in it. A class
// whose time cells have none ("a definir", "EAD", empty) has no time.
bool has_digit(const char* text);
