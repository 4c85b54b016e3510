// Course codes and the weekly slot numbering; pure lookups, no state.
#include "model/calendar.hpp"

#include <array>

namespace {

constexpr std::array<const char*, LAST_COURSE_TYPE + 1> CODES{
    "???", "MTM", "QUI", "FIS", "CIC", "COM", "CBI"};

constexpr int SATURDAY_BLOCKS = 5;

// Block starts in minutes since midnight: 07:30, 08:20, 09:30, ... 21:50.
constexpr std::array<int32_t, BLOCKS_PER_DAY> BLOCK_STARTS{
    450, 500, 570, 620, 680, 730, 780, 830, 900,
    950, 1010, 1060, 1110, 1140, 1190, 1260, 1310};

}  // namespace

const char* const NO_COURSE_CODE = CODES[0];

const char* course_code(int32_t course_type)
{
    if (course_type < FIRST_COURSE_TYPE || course_type > LAST_COURSE_TYPE)
        return NO_COURSE_CODE;
    return CODES[course_type];
}

int32_t weekly_slot(int32_t start, int32_t weekday)
{
    if (weekday < MONDAY || weekday > SATURDAY)
        return NO_SLOT;
    int blocks = weekday == SATURDAY ? SATURDAY_BLOCKS : BLOCKS_PER_DAY;
    for (int block = 0; block < blocks; ++block)
        if (BLOCK_STARTS[block] == start)
            return (weekday - MONDAY) * BLOCKS_PER_DAY + block + 1;
    return NO_SLOT;
}

DaySlots day_slots_of(int32_t slot)
{
    int32_t weekday = MONDAY + (slot - 1) / BLOCKS_PER_DAY;
    int32_t first = (weekday - MONDAY) * BLOCKS_PER_DAY + 1;
    int blocks = weekday == SATURDAY ? SATURDAY_BLOCKS : BLOCKS_PER_DAY;
    return {first, first + blocks - 1};
}

int32_t block_start(int block)
{
    return BLOCK_STARTS[block - 1];
}
