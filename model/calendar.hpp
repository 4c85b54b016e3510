// Course codes and dates. Course types have a code: six built in, more from
// cursos.txt.
#pragma once

#include <cstdint>

inline constexpr int32_t FIRST_COURSE_TYPE = 1;
inline constexpr int32_t LAST_COURSE_TYPE = 6;

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

// Gives a course type (1..999) its code (1..8 of A-Z and 0-9), from line
// `line` of cursos.txt.
void set_course_code(int32_t course_type, const char* code, int64_t line = 0);

// The line of cursos.txt that gave the type its code; 0 for a built-in code.
int64_t course_code_line(int32_t course_type);

// Whether some code was set since the last reset (cursos.txt named a course).
bool course_codes_set();

// Whether `code` is 1..8 bytes of A-Z and 0-9.
bool is_course_code(const char* code);

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
