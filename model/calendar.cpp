// Course codes and dates. The codes are the one
// table here: the built-in six, renamed or added to by cursos.txt.
#include "model/calendar.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace {

constexpr std::array<const char*, LAST_COURSE_TYPE + 1> BUILT_IN_CODES{
    "", "MTM", "QUI", "FIS", "CIC", "COM", "CBI"};

using CodeText = std::array<char, MAX_COURSE_CODE + 1>;
// Entry 0 holds the marker of a type without a code; an empty entry has none.
std::array<CodeText, LAST_COURSE_TYPE_ALLOWED + 1> course_codes = [] {
    std::array<CodeText, LAST_COURSE_TYPE_ALLOWED + 1> codes{};
    std::strcpy(codes[0].data(), "???");
    for (int32_t type = FIRST_COURSE_TYPE; type <= LAST_COURSE_TYPE; ++type)
        std::strcpy(codes[type].data(), BUILT_IN_CODES[type]);
    return codes;
}();
bool codes_were_set = false;
std::array<int64_t, LAST_COURSE_TYPE_ALLOWED + 1> code_lines{};  // 0: built in


}  // namespace

const char* const NO_COURSE_CODE = course_codes[0].data();

const char* course_code(int32_t course_type)
{
    if (course_type < FIRST_COURSE_TYPE || course_type > LAST_COURSE_TYPE_ALLOWED ||
        course_codes[course_type][0] == '\0')
        return NO_COURSE_CODE;
    return course_codes[course_type].data();
}

int32_t course_type_of(const char* code)
{
    // Every code lives in the table, one entry a type: its place is its type.
    auto first = reinterpret_cast<uintptr_t>(course_codes[FIRST_COURSE_TYPE].data());
    auto end = reinterpret_cast<uintptr_t>(course_codes[LAST_COURSE_TYPE_ALLOWED].data()) + sizeof(CodeText);
    auto at = reinterpret_cast<uintptr_t>(code);
    if (at < first || at >= end || (at - first) % sizeof(CodeText) != 0)
        return 0;
    return FIRST_COURSE_TYPE + static_cast<int32_t>((at - first) / sizeof(CodeText));
}

void reset_course_codes()
{
    codes_were_set = false;
    code_lines.fill(0);
    for (int32_t type = FIRST_COURSE_TYPE; type <= LAST_COURSE_TYPE_ALLOWED; ++type)
        std::strcpy(course_codes[type].data(), type <= LAST_COURSE_TYPE ? BUILT_IN_CODES[type] : "");
}

void set_course_code(int32_t course_type, const char* code, int64_t line)
{
    std::strncpy(course_codes[course_type].data(), code, MAX_COURSE_CODE);
    course_codes[course_type][MAX_COURSE_CODE] = '\0';
    code_lines[course_type] = line;
    codes_were_set = true;
}

int64_t course_code_line(int32_t course_type)
{
    return code_lines[course_type];
}

bool course_codes_set()
{
    return codes_were_set;
}

bool is_course_code(const char* code)
{
    std::size_t length = std::strlen(code);
    if (length < 1 || length > MAX_COURSE_CODE)
        return false;
    for (const char* c = code; *c != '\0'; ++c)
        if (!((*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')))
            return false;
    return true;
}

namespace {

bool is_leap(int32_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int32_t days_in_month(int32_t year, int32_t month)
{
    constexpr std::array<int32_t, 13> DAYS{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap(year) ? 29 : DAYS[month];
}

// Days since 1970-01-01 of a real date, counted in 400-year eras of 146097 days.
int32_t days_from_civil(int32_t year, int32_t month, int32_t day)
{
    year -= month <= 2;  // from year 1, still 0 or more: eras by plain division
    int32_t era = year / 400;
    int32_t year_of_era = year - era * 400;
    int32_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int32_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

// `count` digits at `text` into `value`.
bool take_digits(const char*& text, int count, int32_t& value)
{
    value = 0;
    for (int i = 0; i < count; ++i, ++text) {
        if (!std::isdigit(static_cast<unsigned char>(*text)))
            return false;
        value = value * 10 + (*text - '0');
    }
    return true;
}

}  // namespace

bool parse_date(const char* text, int32_t& days)
{
    int32_t year, month, day;
    if (!take_digits(text, 4, year) || *text++ != '-' || !take_digits(text, 2, month) || *text++ != '-' ||
        !take_digits(text, 2, day) || *text != '\0')
        return false;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > days_in_month(year, month))
        return false;
    days = days_from_civil(year, month, day);
    return true;
}

CivilDate civil_date(int32_t days)
{
    days += 719468;  // since 0000-03-01: 0 or more for the dates of the years 1..9999
    int32_t era = days / 146097;
    int32_t day_of_era = days - era * 146097;
    int32_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    int32_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    int32_t shifted_month = (5 * day_of_year + 2) / 153;
    int32_t day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
    int32_t month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
    return {year_of_era + era * 400 + (month <= 2), month, day};
}

int32_t weekday_of(int32_t days)
{
    // 1970-01-01 was a Thursday, code 5.
    int32_t from_sunday = ((days + 4) % 7 + 7) % 7;
    return from_sunday + 1;
}
