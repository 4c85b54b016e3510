// The week's relaxation over groups of rooms of equal seats, built in the
// model's matrix (search/model_matrix.hpp) and solved by CLP's barrier:
// its optimum bounds the week's from below, and its solution gives homes.
//
// Rows: one per meeting (one group each); one per start and group where
// more meetings may cover the start than the group has rooms open; one per
// meeting and group of a section that meets more than once (x below u).
// Columns: each meeting's x in each group it may take, then each such
// section's u in each group one of its meetings may take.
#include "search/week_bound.hpp"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <ranges>

#include "io/ending_signals.hpp"
#include "model/rules/rules.hpp"
#include "search/cost.hpp"
#include "search/kept_plan.hpp"
#include "search/model_matrix.hpp"

BySection<int32_t> home_seats{};

namespace {

constexpr int MAX_BOUND_MEETINGS = MAX_SECTIONS * MAX_MEETINGS;

struct BoundMeeting {
    int32_t section;
    int first;
    int last;
};

// The meetings the grid holds, by section; the groups; the rows.
struct BoundModel {
    std::array<BoundMeeting, MAX_BOUND_MEETINGS> meetings;
    int meeting_count;
    std::array<int32_t, MAX_SECTIONS + 2> first_meeting;  // section s: meetings first_meeting[s]..first_meeting[s+1)
    std::array<int32_t, MAX_ROOM_COLUMNS> group_of;       // by column
    std::array<int32_t, MAX_ROOM_COLUMNS> group_seats;    // by group: column_seats of its rooms
    int group_count;
    std::array<int, MAX_SLOTS> starts;                    // the distinct first slots
    int start_count;
    std::array<std::array<int32_t, MAX_ROOM_COLUMNS>, MAX_SLOTS> capacity_row;  // by start and group
    std::array<int32_t, MAX_BOUND_MEETINGS + 1> first_link;  // meeting i's link rows: first_link[i]..first_link[i+1)
    std::array<int32_t, MAX_MODEL_ROWS> link_group;          // each link row's group, by link
    int link_base;                                           // the first link row
    int row_count;
};
BoundModel bound;

// The relaxation's meetings, groups and starts, by their index.
auto bound_meeting_indexes()
{
    return std::views::iota(0, bound.meeting_count);
}

auto bound_group_indexes()
{
    return std::views::iota(0, bound.group_count);
}

auto bound_start_indexes()
{
    return std::views::iota(0, bound.start_count);
}
std::array<int64_t, MAX_ROOM_COLUMNS> group_price;  // a meeting's best price in each group; INT64_MAX: barred
BySection<std::bitset<MAX_ROOM_COLUMNS>> section_groups;  // the groups a section's meetings may take

void collect_meetings(const AllocationGrid& grid)
{
    bound.meeting_count = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section) {
        bound.first_meeting[section] = bound.meeting_count;
        for (int m : meeting_numbers()) {
            const Meeting& meeting = sections[section].meetings[m];
            if (is_present(meeting) && first_slot_column(grid, section, m) >= 0)
                bound.meetings[bound.meeting_count++] = {section, meeting.first_slot, meeting.last_slot};
        }
    }
    bound.first_meeting[section_count + 1] = bound.meeting_count;
}

int held(int32_t section)
{
    return bound.first_meeting[section + 1] - bound.first_meeting[section];
}

void group_rooms()
{
    bound.group_count = 0;
    for (int room = 0; room <= last_room; ++room) {
        int group = 0;
        while (group < bound.group_count && bound.group_seats[group] != column_seats(room))
            ++group;
        if (group == bound.group_count)
            bound.group_seats[bound.group_count++] = column_seats(room);
        bound.group_of[room] = group;
    }
}

// Meeting i's best price in each group, over the rooms there it may take.
void price_groups(int i)
{
    const BoundMeeting& meeting = bound.meetings[i];
    std::fill(group_price.begin(), group_price.begin() + bound.group_count, INT64_MAX);
    for (int room = 0; room <= last_room; ++room)
        if (room_allowed(meeting.section, room, meeting.first, meeting.last)) {
            int64_t& best = group_price[bound.group_of[room]];
            best = std::min(best, meeting_price(meeting.section, meeting.last - meeting.first + 1, room));
        }
}

int start_index(int slot)
{
    return static_cast<int>(std::lower_bound(bound.starts.begin(), bound.starts.begin() + bound.start_count, slot) -
                            bound.starts.begin());
}

// Numbers the rows: the meetings', the capacity rows that can bind, the links.
void plan_rows()
{
    std::bitset<MAX_SLOTS + 1> starting;
    for (int i : bound_meeting_indexes())
        starting.set(static_cast<std::size_t>(bound.meetings[i].first));
    bound.start_count = 0;
    for (int slot = FIRST_SLOT; slot <= slot_count; ++slot)
        if (starting[static_cast<std::size_t>(slot)])
            bound.starts[bound.start_count++] = slot;
    for (int k : bound_start_indexes())
        std::fill(bound.capacity_row[k].begin(), bound.capacity_row[k].begin() + bound.group_count, 0);
    int links = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        section_groups[section].reset();
    for (int i : bound_meeting_indexes()) {
        const BoundMeeting& meeting = bound.meetings[i];
        price_groups(i);
        bound.first_link[i] = links;
        for (int group : bound_group_indexes()) {
            if (group_price[group] == INT64_MAX)
                continue;
            for (int k = start_index(meeting.first); k < bound.start_count && bound.starts[k] <= meeting.last; ++k)
                ++bound.capacity_row[k][group];  // for now, the meetings that may cover the start
            if (held(meeting.section) > 1 && links < MAX_MODEL_ROWS) {
                bound.link_group[links++] = group;
                section_groups[meeting.section].set(static_cast<std::size_t>(group));
            }
        }
    }
    bound.first_link[bound.meeting_count] = links;
    int rows = bound.meeting_count;
    for (int k : bound_start_indexes())
        for (int group : bound_group_indexes()) {
            int open = 0;
            for (int room = 0; room <= last_room; ++room)
                open += bound.group_of[room] == group && !closed_cells[bound.starts[k]][room];
            bound.capacity_row[k][group] = bound.capacity_row[k][group] > open ? rows++ : NO_ROW;
        }
    bound.link_base = rows;
    bound.row_count = rows + links;
}

int open_rooms(int group, int row)
{
    int open = 0;
    for (int room = 0; room <= last_room; ++room)
        open += bound.group_of[room] == group && !closed_cells[row][room];
    return open;
}

// The link row of meeting i in the group; NO_ROW when it has none.
int link_row(int i, int group)
{
    for (int link = bound.first_link[i]; link < bound.first_link[i + 1]; ++link)
        if (bound.link_group[link] == group)
            return bound.link_base + link;
    return NO_ROW;
}

bool build_matrix()
{
    if (bound.row_count > MAX_MODEL_ROWS)
        return false;
    start_matrix(bound.row_count);
    for (int i : bound_meeting_indexes())
        set_row(i, 1.0, 1.0);
    for (int k : bound_start_indexes())
        for (int group : bound_group_indexes())
            if (int row = bound.capacity_row[k][group]; row != NO_ROW)
                set_row(row, 0.0, open_rooms(group, bound.starts[k]));
    for (int row = bound.link_base; row < bound.row_count; ++row)
        set_row(row, -1.0, 0.0);  // x - u
    for (int i : bound_meeting_indexes()) {
        const BoundMeeting& meeting = bound.meetings[i];
        price_groups(i);
        for (int group : bound_group_indexes()) {
            if (group_price[group] == INT64_MAX)
                continue;
            if (!begin_column(1.0, static_cast<double>(group_price[group]), 2 + bound.start_count))
                return false;
            add_entry(i, 1.0);
            for (int k = start_index(meeting.first); k < bound.start_count && bound.starts[k] <= meeting.last; ++k)
                if (bound.capacity_row[k][group] != NO_ROW)
                    add_entry(bound.capacity_row[k][group], 1.0);
            if (int row = link_row(i, group); row != NO_ROW)
                add_entry(row, 1.0);
        }
    }
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int group = 0; held(section) > 1 && group < bound.group_count; ++group) {
            if (!section_groups[section][static_cast<std::size_t>(group)])
                continue;
            if (!begin_column(1.0, same_room_weight, MAX_MEETINGS))
                return false;
            for (int i = bound.first_meeting[section]; i < bound.first_meeting[section + 1]; ++i)
                if (int row = link_row(i, group); row != NO_ROW)
                    add_entry(row, -1.0);
        }
    return true;
}

// Each section that meets more than once: the group that holds most of its
// meetings in the relaxation's solution, its home.
void set_homes(const double* solution)
{
    std::array<double, MAX_ROOM_COLUMNS> share;
    int column = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section) {
        std::fill(share.begin(), share.begin() + bound.group_count, 0.0);
        for (int i = bound.first_meeting[section]; i < bound.first_meeting[section + 1]; ++i) {
            price_groups(i);
            for (int group : bound_group_indexes())
                if (group_price[group] != INT64_MAX)
                    share[group] += solution[column++];
        }
        if (held(section) > 1)
            home_seats[section] = bound.group_seats[std::max_element(share.begin(), share.begin() + bound.group_count) -
                                                    share.begin()];
    }
}

// The sections that pay the weight unless one group holds all their meetings: the weight off each.
int64_t linked_sections()
{
    int64_t count = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        count += held(section) > 1;
    return count;
}

}  // namespace

WeekBound bound_week_by_groups(const AllocationGrid& grid, double seconds)
{
    home_seats.fill(NO_HOME);
    if (seconds < 0.0)
        return {};  // not found
    collect_meetings(grid);
    group_rooms();
    plan_rows();
    if (!build_matrix())
        return {};  // not found
    Clp_Simplex* clp = load_relaxation(seconds);
    begin_guarded_call();
    Clp_initialBarrierSolve(clp);  // then a crossover to a vertex: on the faculty 1 s, where the simplex took 15
    end_guarded_call();
    WeekBound result{};
    result.found = Clp_isProvenOptimal(clp) != 0;
    if (result.found) {
        // Every cost is whole, so no allocation adds less than the relaxation's optimum
        // rounded up; a tolerance below it keeps the solver's rounding on the safe side.
        double optimum = Clp_getObjValue(clp);
        result.bound = static_cast<int64_t>(std::ceil(optimum - 1e-6 * std::max(1.0, std::fabs(optimum)))) -
                       same_room_weight * linked_sections();
        set_homes(Clp_primalColumnSolution(clp));
    }
    Clp_deleteModel(clp);
    return result;
}

namespace {

// Whether the rules let every meeting of the section take the room.
bool allowed_all_week(int32_t section, int room)
{
    for (const Meeting& meeting : sections[section].meetings)
        if (is_present(meeting) && !room_allowed(section, room, meeting.first_slot, meeting.last_slot))
            return false;
    return true;
}

}  // namespace

void keep_home_rooms()
{
    static std::array<std::bitset<MAX_SLOTS + 1>, MAX_ROOM_COLUMNS> taken;
    static std::array<int32_t, MAX_SECTIONS> order;
    taken.fill({});
    int32_t count = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        if (home_seats[section] != NO_HOME)
            order[count++] = section;
    auto rows_of = [](int32_t section) {
        std::bitset<MAX_SLOTS + 1> rows;
        for (const Meeting& meeting : sections[section].meetings)
            for (int row = meeting.first_slot; is_present(meeting) && row <= meeting.last_slot; ++row)
                rows.set(static_cast<std::size_t>(row));
        return rows;
    };
    std::stable_sort(order.begin(), order.begin() + count,
                     [&](int32_t a, int32_t b) { return rows_of(a).count() > rows_of(b).count(); });
    clear_kept_plan();
    for (int32_t i = 0; i < count; ++i) {
        int32_t section = order[i];
        std::bitset<MAX_SLOTS + 1> busy = rows_of(section);
        int room = FIRST_ROOM;
        while (room <= last_room && (column_seats(room) != home_seats[section] || (taken[room] & busy).any() ||
                                     !allowed_all_week(section, room)))
            ++room;
        if (room > last_room)
            continue;
        taken[room] |= busy;
        for (int m : meeting_numbers())
            if (is_present(sections[section].meetings[m])) {
                kept_column[section][m] = room + 1;
                ++kept_count;
            }
    }
}

