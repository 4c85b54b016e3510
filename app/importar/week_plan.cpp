// The standard week when the times fit it, else one block per distinct start.
#include "app/importar/week_plan.hpp"

#include <algorithm>
#include <cstdio>

#include "app/importar/import.hpp"

ImportWeek import_week;

namespace {

// Whether every time of the classes written starts at a block of the
// standard week and no class meets on more than two weekdays.
bool fits_standard_week()
{
    use_standard_week();
    for (const TimeLine& time : time_lines())
        if (class_written(time.class_index) &&
            (time.weekday < MONDAY || weekly_slot(time.start, time.weekday) == NO_SLOT))
            return false;
    for (int32_t index = FIRST_SECTION; index <= import_classes.count; ++index) {
        const ImportClass& entry = import_classes.classes[index];
        if (class_written(index) && std::count_if(entry.first_line.begin(), entry.first_line.end(),
                                                  [](int32_t line) { return line != 0; }) > 2)
            return false;
    }
    return true;
}

}  // namespace

bool class_written(int32_t class_index)
{
    return class_index > 0 && import_classes.classes[class_index].conflict_line == 0;
}

const char* plan_week()
{
    static char fault[96];
    import_week.count = 0;
    import_week.standard = fits_standard_week();
    if (import_week.standard)
        return nullptr;
    for (int32_t weekday = SUNDAY; weekday <= SATURDAY; ++weekday) {
        // By start minute: the latest end of the times that start there; 0
        // for none, as every end follows its start.
        std::array<int32_t, 24 * 60> latest_end{};
        for (const TimeLine& time : time_lines())
            if (time.weekday == weekday && class_written(time.class_index))
                latest_end[time.start] = std::max(latest_end[time.start], time.end);
        int first = import_week.count;
        const int32_t day_end = std::ranges::max(latest_end);
        for (int32_t start = 0; start < 24 * 60; ++start) {
            if (latest_end[start] == 0)
                continue;
            if (import_week.count - first == MAX_DAY_BLOCKS) {
                std::snprintf(fault, sizeof fault, "mais de %d inicios de aula %s %s", MAX_DAY_BLOCKS,
                              weekday == SUNDAY || weekday == SATURDAY ? "no" : "na", weekday_name(weekday));
                return fault;
            }
            // A block ends where the next starts; the day's last at the day's latest end.
            if (import_week.count > first)
                import_week.blocks[import_week.count - 1].end = start;
            import_week.blocks[import_week.count++] = {weekday, start, day_end};
        }
    }
    return nullptr;
}
