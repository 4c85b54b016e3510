// The week's table of slots, and the standard week that fills it at start.
#include "model/week.hpp"

#include <algorithm>

namespace {

constexpr int STANDARD_DAY_BLOCKS = 17;  // teaching blocks of Monday..Friday
constexpr int SATURDAY_BLOCKS = 5;       // Saturday has the morning's only

// Block starts in minutes since midnight: 07:30, 08:20, 09:30, ... 21:50.
constexpr std::array<int32_t, STANDARD_DAY_BLOCKS> STANDARD_STARTS{
    450, 500, 570, 620, 680, 730, 780, 830, 900,
    950, 1010, 1060, 1110, 1140, 1190, 1260, 1310};

constexpr std::array<const char*, SATURDAY + 1> WEEKDAY_NAMES{
    "", "domingo", "segunda-feira", "terca-feira", "quarta-feira", "quinta-feira", "sexta-feira", "sabado"};

struct Week {
    int32_t count;
    std::array<WeekSlot, MAX_SLOTS + 1> slots;
    std::array<DaySlots, SATURDAY + 1> days;
};

constexpr Week standard_week()
{
    Week week{};
    for (int32_t weekday = SUNDAY; weekday <= SATURDAY; ++weekday) {
        int blocks = weekday == SUNDAY ? 0 : weekday == SATURDAY ? SATURDAY_BLOCKS : STANDARD_DAY_BLOCKS;
        week.days[weekday] = {week.count + 1, week.count + blocks};
        for (int block = 0; block < blocks; ++block) {
            int32_t start = STANDARD_STARTS[block];
            int32_t end = start + BLOCK_MINUTES;
            if (block + 1 < blocks)
                end = std::min(end, STANDARD_STARTS[block + 1]);
            week.slots[++week.count] = {weekday, start, end};
        }
    }
    return week;
}

constexpr Week STANDARD_WEEK = standard_week();

}  // namespace

int32_t slot_count = STANDARD_WEEK.count;
std::array<WeekSlot, MAX_SLOTS + 1> week_slots = STANDARD_WEEK.slots;
std::array<DaySlots, SATURDAY + 1> week_days = STANDARD_WEEK.days;
bool own_week = false;

void use_standard_week()
{
    slot_count = STANDARD_WEEK.count;
    week_slots = STANDARD_WEEK.slots;
    week_days = STANDARD_WEEK.days;
    own_week = false;
}

int32_t weekly_slot(int32_t start, int32_t weekday)
{
    if (weekday < SUNDAY || weekday > SATURDAY)
        return NO_SLOT;
    for (int32_t slot = week_days[weekday].first; slot <= week_days[weekday].last; ++slot)
        if (week_slots[slot].start == start)
            return slot;
    return NO_SLOT;
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
    if (slot == week_days[weekday].last)
        return true;
    return end < slot_start(slot + 1) + BLOCK_MINUTES;
}
