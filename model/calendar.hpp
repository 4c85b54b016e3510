// Course codes and the weekly slot numbering, and dates.
// Course types have a code (six built in, more from cursos.txt); the 17 daily
// teaching blocks of Monday to Friday and the 5 morning blocks of Saturday are
// weekly slots 1..90.
#pragma once

#include <cstdint>

inline constexpr int32_t FIRST_COURSE_TYPE = 1;
inline constexpr int32_t LAST_COURSE_TYPE = 6;
inline constexpr int32_t MONDAY = 2;
inline constexpr int32_t SATURDAY = 7;
inline constexpr int32_t NO_SLOT = -1;  // never a grid row
inline constexpr int BLOCKS_PER_DAY = 17;  // teaching blocks of Monday..Friday
inline constexpr int SATURDAY_BLOCKS = 5;  // Saturday has the morning's only
inline constexpr int32_t BLOCK_MINUTES = 50;  // how long a teaching block lasts

inline constexpr int32_t LAST_COURSE_TYPE_ALLOWED = 999;  // cursos.txt may name types 1..999
inline constexpr int MAX_COURSE_CODE = 8;                  // bytes of a code, A-Z and 0-9

// The code of a course type: the same text for every call with the same type,
// so that codes compare by identity. Types 1..6 have built-in codes (MTM,
// QUI, FIS, CIC, COM, CBI); cursos.txt may rename them and add types up to
// 999. A type without a code gets NO_COURSE_CODE, which matches no loaded section.
const char* course_code(int32_t course_type);
extern const char* const NO_COURSE_CODE;

// The course type whose code `code` is (by identity: two types may share a
// code's text); 0 for NO_COURSE_CODE.
int32_t course_type_of(const char* code);

// Sets the built-in codes back and forgets every other.
void reset_course_codes();

// Gives a course type (1..999) its code (1..8 of A-Z and 0-9).
void set_course_code(int32_t course_type, const char* code);

// Whether some code was set since the last reset (cursos.txt named a course).
bool course_codes_set();

// Whether `code` is 1..8 bytes of A-Z and 0-9.
bool is_course_code(const char* code);

// The weekly slots of one weekday: Monday 1..17, ... Friday 69..85, Saturday 86..90.
struct DaySlots {
    int32_t first;
    int32_t last;
};

// The start, in minutes since midnight, of block 1..17 of a day.
int32_t block_start(int block);

// The weekday 2..7 of a weekly slot 1..90, and the start of its block.
constexpr int32_t slot_weekday(int32_t slot)
{
    return MONDAY + (slot - 1) / BLOCKS_PER_DAY;
}
int32_t slot_start(int32_t slot);

// The slots of the weekday that `slot` (1..90) belongs to; the annealing's
// move asks it at every draw, so it stands here whole.
constexpr DaySlots day_slots_of(int32_t slot)
{
    int32_t weekday = slot_weekday(slot);
    int32_t first = (weekday - MONDAY) * BLOCKS_PER_DAY + 1;
    int blocks = weekday == SATURDAY ? SATURDAY_BLOCKS : BLOCKS_PER_DAY;
    return {first, first + blocks - 1};
}

// The end of a weekly slot's block interval, [start, end): 50 minutes after
// its start, or the next block's start of its weekday when that comes
// sooner (18:30 ends at 19:00).
int32_t slot_end(int32_t slot);

// "segunda-feira" .. "sabado": the plain name of weekday 2..7.
const char* weekday_name(int32_t weekday);

// Whether a line of horario.txt that starts a block at `start` on `weekday`
// (a teaching block) and ends at `end` describes that one block: its end is
// after its start and before the end of the day's following block (that
// block's start + 50 minutes). The day's last block has no following block.
bool is_one_block(int32_t weekday, int32_t start, int64_t end);

// The weekly slot 1..90 of a block that starts at `start` (minutes since
// midnight) on `weekday` (2..7); NO_SLOT when that pair is not a teaching block.
int32_t weekly_slot(int32_t start, int32_t weekday);

// Dates, as days since 1970-01-01 in the proleptic Gregorian calendar.
struct CivilDate {
    int32_t year;
    int32_t month;  // 1..12
    int32_t day;    // 1..31
};

// "AAAA-MM-DD" exactly, a real date of the years 1..9999; false for anything else.
bool parse_date(const char* text, int32_t& days);

CivilDate civil_date(int32_t days);

// The weekday code of a date: 1 Sunday, 2 Monday .. 7 Saturday.
int32_t weekday_of(int32_t days);
