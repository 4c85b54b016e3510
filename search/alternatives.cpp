// Each other room tried in place: the meetings moved in the grid, the cells
// they touch priced before and after, and the grid put back.
#include "search/alternatives.hpp"

#include <algorithm>
#include <utility>

#include "model/calendar.hpp"
#include "model/rules/rules.hpp"
#include "model/weights.hpp"
#include "search/cost.hpp"

namespace {

// One meeting's run of rows in one column.
struct Run {
    int32_t section;
    int room;
    int first;
    int last;
};
constexpr Run NO_MEETING{};  // section 0: a room free, or held by more than one

int64_t students_above(int32_t section, int room)
{
    return std::max<int64_t>(sections[section].demand - room_capacity[room], 0);
}

// What the cells of rows first..last in columns x and y cost, with the
// stability and preference prices of sections s and t (0: none, as the
// empty section 0 pays neither).
int64_t local_cost(const AllocationGrid& grid, int first, int last, int x, int y, int32_t s, int32_t t)
{
    int64_t sum = 0;
    for (int row = first; row <= last; ++row)
        sum += cell_cost(grid, row, x) + cell_cost(grid, row, y);
    sum += int64_t{same_room_weight} * (rooms_changed(grid, s) + rooms_changed(grid, t));
    return sum + section_preference_cost(grid, s) + section_preference_cost(grid, t);
}

void fill(AllocationGrid& grid, const Run& run, int room, int32_t section)
{
    for (int row = run.first; row <= run.last; ++row)
        grid[row][room] = section;
}

// Whether the rows of `run` are free in `room`.
bool free_in(const AllocationGrid& grid, const Run& run, int room)
{
    for (int row = run.first; row <= run.last; ++row)
        if (grid[row][room] != 0)
            return false;
    return true;
}

// The one meeting that holds `room` somewhere over the rows of `run`, as a
// run of its own; section 0 when the room is free there or holds more than one.
Run only_meeting_in(const AllocationGrid& grid, const Run& run, int room)
{
    Run other = NO_MEETING;
    for (int row = run.first; row <= run.last; ++row) {
        int32_t cell = grid[row][room];
        if (cell == 0)
            continue;
        if (other.section != 0 && cell != other.section)
            return NO_MEETING;
        if (other.section == 0)
            other = {cell, room, row, row};
    }
    if (other.section == 0)
        return other;
    DaySlots day = day_slots_of(run.first);
    while (other.first > day.first && grid[other.first - 1][room] == other.section)
        --other.first;
    while (other.last < day.last && grid[other.last + 1][room] == other.section)
        ++other.last;
    return other;
}

void keep_if_better(Alternatives& best, int& count, const Alternative& found)
{
    auto key = [](const Alternative& a) { return std::pair(a.cost_change, a.room); };
    auto at = std::ranges::upper_bound(best.begin(), best.begin() + count, key(found), {}, key);
    if (at == best.end())
        return;  // a full list holds better ones only
    count = std::min(count + 1, ALTERNATIVES_SHOWN);
    std::move_backward(at, best.begin() + count - 1, best.begin() + count);
    *at = found;
}

// Meeting `a` moved to `room`, and `b` (section 0: none) to a's room: the
// change in cost, the grid put back.
int64_t exchange_cost(AllocationGrid& grid, const Run& a, const Run& b, int room)
{
    int first = b.section != 0 ? std::min(a.first, b.first) : a.first;
    int last = b.section != 0 ? std::max(a.last, b.last) : a.last;
    int64_t before = local_cost(grid, first, last, a.room, room, a.section, b.section);
    fill(grid, a, a.room, 0);
    if (b.section != 0) {
        fill(grid, b, room, 0);
        fill(grid, b, a.room, b.section);
    }
    fill(grid, a, room, a.section);
    int64_t after = local_cost(grid, first, last, a.room, room, a.section, b.section);
    fill(grid, a, room, 0);
    if (b.section != 0) {
        fill(grid, b, a.room, 0);
        fill(grid, b, room, b.section);
    }
    fill(grid, a, a.room, a.section);
    return after - before;
}

}  // namespace

int find_alternatives(AllocationGrid& grid, int32_t section, int m, Alternatives& best)
{
    const Meeting& meeting = sections[section].meetings[m];
    int count = 0;
    int32_t from = first_slot_column(grid, section, m);
    if (!is_present(meeting) || from < 0)
        return 0;
    Run a{section, from, meeting.first_slot, meeting.last_slot};
    for (int room = 0; room <= last_room; ++room) {
        if (room == from || !room_allowed(section, room, a.first, a.last))
            continue;
        bool free = free_in(grid, a, room);
        Run b = free ? NO_MEETING : only_meeting_in(grid, a, room);
        if (!free) {
            if (b.section == 0 || !room_allowed(b.section, from, b.first, b.last))
                continue;
            fill(grid, a, from, 0);
            bool fits = free_in(grid, b, from);
            fill(grid, a, from, section);
            if (!fits)
                continue;
        }
        int64_t students = students_above(section, room) - students_above(section, from);
        if (b.section != 0)
            students += students_above(b.section, from) - students_above(b.section, room);
        keep_if_better(best, count, {room, b.section, exchange_cost(grid, a, b, room), students});
    }
    return count;
}
