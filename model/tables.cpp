// Storage of the process-wide tables declared in tables.hpp.
#include "model/tables.hpp"

#include <algorithm>

#include "model/calendar.hpp"
#include "model/instance.hpp"
#include "model/rules/rules.hpp"

int32_t last_room{};
std::array<int32_t, MAX_ROOM_COLUMNS> room_capacity{};
std::array<RoomName, MAX_ROOM_COLUMNS> room_names{};
SectionTable sections{};
int32_t section_count{};

AllocationGrid current_grid{};
AllocationGrid candidate_grid{};
AllocationGrid best_grid{};
int32_t current_cost{};
int32_t candidate_cost{};
int32_t best_cost{};

int32_t excess_weight{};
int32_t idle_weight{};
int32_t violation_count{};
AnnealingSchedule annealing_schedule{};

void reset_tables()
{
    last_room = {};
    room_capacity = {};
    room_names = {};
    std::fill(sections.begin(), sections.end(), Section{});
    section_count = {};
    clear_grid(current_grid);
    clear_grid(candidate_grid);
    clear_grid(best_grid);
    current_cost = candidate_cost = best_cost = {};
    excess_weight = idle_weight = violation_count = {};
    annealing_schedule = {};
    use_standard_week();
    reset_course_codes();
    reset_rules();
    forget_section_index();
}

void clear_grid(AllocationGrid& grid)
{
    for (GridRow& row : grid)
        row.fill(0);
}

void copy_slot_rows(const AllocationGrid& from, AllocationGrid& to)
{
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        std::copy_n(from[row].begin(), last_room + 1, to[row].begin());
}
