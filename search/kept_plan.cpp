// The kept plan's columns, taken from a grid.
#include "search/kept_plan.hpp"

#include "model/instance.hpp"
#include "search/cost.hpp"

BySection<ByMeeting<int32_t>> kept_column{};
int32_t kept_count = 0;

namespace {

// The section's first meeting other than m; 0 when it meets once.
int first_other_meeting(const Section& section, int m)
{
    int other = m == FIRST_MEETING ? FIRST_MEETING + 1 : FIRST_MEETING;
    return is_present(section.meetings[other]) ? other : 0;
}

}  // namespace

void clear_kept_plan()
{
    for (auto& columns : kept_column)
        columns = {};
    kept_count = 0;
}

void keep_plan(const AllocationGrid& grid)
{
    clear_kept_plan();
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers()) {
            const Meeting& meeting = sections[section].meetings[m];
            int32_t room = is_present(meeting) ? meeting_column(grid, section, meeting) : NO_COLUMN;
            kept_column[section][m] = room + 1;
            kept_count += room >= 0;
        }
}

void keep_rooms_of_other_weekdays(const AllocationGrid& grid, int32_t weekday)
{
    clear_kept_plan();
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        if (int m = meeting_on_weekday(sections[section], weekday); m != 0)
            if (int other = first_other_meeting(sections[section], m); other != 0) {
                int32_t room = meeting_column(grid, section, sections[section].meetings[other]);
                kept_column[section][m] = room + 1;
                kept_count += room >= 0;
            }
}

int32_t meetings_moved(const AllocationGrid& grid)
{
    int32_t moved = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers())
            moved += kept_column[section][m] != 0 && meeting_column(grid, section, sections[section].meetings[m]) !=
                                                         kept_column[section][m] - 1;
    return moved;
}
