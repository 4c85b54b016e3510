// Course codes and the weekly slot numbering; pure lookups, no state.
#include "model/calendar.hpp"

#include <array>

namespace {

constexpr std::array<const char*, LAST_COURSE_TYPE + 1> CODES{
    "???", "MTM", "QUI", "FIS", "CIC", "COM", "CBI"};

constexpr int SATURDAY_BLOCKS = 5;

constexpr std::array<const char*, SATURDAY + 1> WEEKDAY_NAMES{
    "", "", "segunda-feira", "terca-feira", "quarta-feira", "quinta-feira", "sexta-feira", "sabado"};

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
    int32_t weekday = slot_weekday(slot);
    int32_t first = (weekday - MONDAY) * BLOCKS_PER_DAY + 1;
    int blocks = weekday == SATURDAY ? SATURDAY_BLOCKS : BLOCKS_PER_DAY;
    return {first, first + blocks - 1};
}

int32_t block_start(int block)
{
    return BLOCK_STARTS[block - 1];
}

int32_t slot_weekday(int32_t slot)
{
    return MONDAY + (slot - 1) / BLOCKS_PER_DAY;
}

int32_t slot_start(int32_t slot)
{
    return block_start(slot - day_slots_of(slot).first + 1);
}

const char* weekday_name(int32_t weekday)
{
    return WEEKDAY_NAMES[weekday];
}

bool is_one_block(int32_t weekday, int32_t start, int64_t end)
{
    int32_t slot = weekly_slot(start, weekday);
    if (end <= start)
        return false;
    if (slot == day_slots_of(slot).last)
        return true;
    return end < slot_start(slot + 1) + BLOCK_MINUTES;
}
