// The whole week as one model, for when room stability has a price: a section
// whose two meetings share a room couples two weekdays, so the weekdays are
// no longer solved apart and rooms are no longer grouped by seats. Variable
// x[i, room] is column i x (last_room + 1) + room; z[pair, room] follows all
// of them in the same way. A variable the rules bar is fixed at 0.
#include <algorithm>
#include <array>
#include <cmath>
#include <coin/Cbc_C_Interface.h>

#include "model/rules.hpp"
#include "model/weights.hpp"
#include "search/optimum_model.hpp"

namespace {

constexpr int MAX_WEEK_MEETINGS = MAX_SECTIONS * LAST_MEETING;

struct WeekMeeting {
    int32_t section;
    int first;  // weekly slots
    int last;
};

// The week's meetings in order of first slot, and the sections that meet twice.
struct WeekModel {
    std::array<WeekMeeting, MAX_WEEK_MEETINGS> meetings;
    int meeting_count;
    std::array<std::array<int32_t, LAST_MEETING + 1>, MAX_SECTIONS + 1> index;  // a section's meetings in `meetings`
    std::array<int32_t, MAX_SECTIONS> pair_sections;  // sections with two meetings
    int pair_count;
};
WeekModel week;

std::array<int, MAX_ROOM_COLUMNS> covering;  // the meetings over one start
std::array<int, MAX_ROOM_COLUMNS> row_columns;
std::array<double, MAX_ROOM_COLUMNS> row_values;
std::array<int, MAX_WEEK_MEETINGS> chosen_room;
std::array<int, MAX_ROOM_COLUMNS> room_busy_until;

int columns()
{
    return last_room + 1;
}

int x_variable(int i, int room)
{
    return i * columns() + room;
}

int z_variable(int pair, int room)
{
    return (week.meeting_count + pair) * columns() + room;
}

void collect()
{
    week.meeting_count = 0;
    week.pair_count = 0;
    for (int32_t section = 1; section <= section_count; ++section) {
        for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m) {
            const Meeting& meeting = sections[section].meetings[m];
            if (meeting.weekday != 0)
                week.meetings[week.meeting_count++] = {section, meeting.first_slot, meeting.last_slot};
        }
        if (sections[section].meetings[LAST_MEETING].weekday != 0)
            week.pair_sections[week.pair_count++] = section;
    }
    std::sort(week.meetings.begin(), week.meetings.begin() + week.meeting_count,
              [](const WeekMeeting& a, const WeekMeeting& b) {
                  return a.first != b.first ? a.first < b.first : a.section < b.section;
              });
    for (int i = 0; i < week.meeting_count; ++i) {
        const WeekMeeting& meeting = week.meetings[i];
        int m = sections[meeting.section].meetings[FIRST_MEETING].first_slot == meeting.first ? FIRST_MEETING
                                                                                              : LAST_MEETING;
        week.index[meeting.section][m] = i;
    }
}

bool allowed(int i, int room)
{
    const WeekMeeting& meeting = week.meetings[i];
    return room_allowed(meeting.section, room, meeting.first, meeting.last);
}

int64_t meeting_cost(int i, int room)
{
    int64_t length = week.meetings[i].last - week.meetings[i].first + 1;
    int64_t demand = sections[week.meetings[i].section].demand, seats = room_capacity[room];
    return length * (seat_cost(demand, seats) - seat_cost(0, seats));
}

int64_t meeting_idle(int i, int room)
{
    int64_t length = week.meetings[i].last - week.meetings[i].first + 1;
    return length * std::max<int64_t>(room_capacity[room] - sections[week.meetings[i].section].demand, 0);
}

int64_t stability_at_most()
{
    return int64_t{same_room_weight} * week.pair_count;
}

// As for a weekday: one unit of cost outweighs every idle seat of the week,
// or 0 when that leaves a double's exact range.
double idle_weight_under_cost()
{
    double idle = 0.0, cost = static_cast<double>(stability_at_most());
    for (int i = 0; i < week.meeting_count; ++i) {
        double most_idle = 0.0, most_cost = 0.0;
        for (int room = 0; room <= last_room; ++room) {
            most_idle = std::max(most_idle, static_cast<double>(meeting_idle(i, room)));
            most_cost = std::max(most_cost, std::fabs(static_cast<double>(meeting_cost(i, room))));
        }
        idle += most_idle;
        cost += most_cost;
    }
    double weight = idle + 1.0;
    return cost * weight + idle < EXACT_IN_A_DOUBLE ? weight : 0.0;
}

void add_variables(Cbc_Model* cbc, double weight)
{
    double unit = weight > 0.0 ? weight : 1.0;
    for (int i = 0; i < week.meeting_count; ++i)
        for (int room = 0; room <= last_room; ++room) {
            double idle = weight > 0.0 ? static_cast<double>(meeting_idle(i, room)) : 0.0;
            double objective = static_cast<double>(meeting_cost(i, room)) * unit + idle;
            Cbc_addCol(cbc, "", 0.0, allowed(i, room) ? 1.0 : 0.0, objective, 1, 0, nullptr, nullptr);
        }
    for (int pair = 0; pair < week.pair_count; ++pair) {
        int32_t section = week.pair_sections[pair];
        int a = week.index[section][FIRST_MEETING], b = week.index[section][LAST_MEETING];
        for (int room = 0; room <= last_room; ++room) {
            bool both = allowed(a, room) && allowed(b, room);
            Cbc_addCol(cbc, "", 0.0, both ? 1.0 : 0.0, -same_room_weight * unit, 1, 0, nullptr, nullptr);
        }
    }
}

void add_room_rows(Cbc_Model* cbc)
{
    for (int i = 0; i < week.meeting_count; ++i) {
        for (int room = 0; room <= last_room; ++room) {
            row_columns[room] = x_variable(i, room);
            row_values[room] = 1.0;
        }
        Cbc_addRow(cbc, "", columns(), row_columns.data(), row_values.data(), 'E', 1.0);
    }
    for (int i = 0; i < week.meeting_count; ++i) {
        int slot = week.meetings[i].first, count = 0;
        if (i > 0 && week.meetings[i - 1].first == slot)
            continue;  // one set of rows per start
        for (int j = 0; j < week.meeting_count && week.meetings[j].first <= slot; ++j)
            if (week.meetings[j].last >= slot)
                covering[count++] = j;
        for (int room = 0; room <= last_room && count > 1; ++room) {
            int used = 0;
            for (int k = 0; k < count; ++k)
                if (allowed(covering[k], room)) {
                    row_columns[used] = x_variable(covering[k], room);
                    row_values[used++] = 1.0;
                }
            if (used > 1)
                Cbc_addRow(cbc, "", used, row_columns.data(), row_values.data(), 'L', 1.0);
        }
    }
}

void add_pair_rows(Cbc_Model* cbc)
{
    for (int pair = 0; pair < week.pair_count; ++pair) {
        int32_t section = week.pair_sections[pair];
        for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m)
            for (int room = 0; room <= last_room; ++room) {
                int i = week.index[section][m];
                row_columns[0] = z_variable(pair, room);
                row_columns[1] = x_variable(i, room);
                row_values[0] = 1.0;
                row_values[1] = -1.0;
                Cbc_addRow(cbc, "", 2, row_columns.data(), row_values.data(), 'L', 0.0);
            }
    }
}

// What the chosen rooms cost: the meetings, and the weight of each pair apart.
int64_t chosen_cost()
{
    int64_t cost = 0;
    for (int i = 0; i < week.meeting_count; ++i)
        cost += meeting_cost(i, chosen_room[i]);
    for (int pair = 0; pair < week.pair_count; ++pair) {
        int32_t section = week.pair_sections[pair];
        if (chosen_room[week.index[section][FIRST_MEETING]] != chosen_room[week.index[section][LAST_MEETING]])
            cost += same_room_weight;
    }
    return cost;
}

void place(AllocationGrid& grid)
{
    for (int i = 0; i < week.meeting_count; ++i)
        for (int row = week.meetings[i].first; row <= week.meetings[i].last; ++row)
            grid[row][chosen_room[i]] = week.meetings[i].section;
}

void choose_rooms(const double* solution)
{
    for (int i = 0; i < week.meeting_count; ++i) {
        int room = 0;
        while (room < last_room && solution[x_variable(i, room)] < 0.5)
            ++room;
        chosen_room[i] = room;
    }
}

// No allocation found in time: each meeting, in start order, in the cheapest
// free room it may take; false when some meeting finds none.
bool choose_cheapest_free_rooms()
{
    std::fill(room_busy_until.begin(), room_busy_until.begin() + columns(), 0);
    for (int i = 0; i < week.meeting_count; ++i) {
        int best = -1;
        for (int room = 0; room <= last_room; ++room)
            if (room_busy_until[room] < week.meetings[i].first && allowed(i, room) &&
                (best < 0 || meeting_cost(i, room) < meeting_cost(i, best)))
                best = room;
        if (best < 0)
            return false;
        chosen_room[i] = best;
        room_busy_until[best] = week.meetings[i].last;
    }
    return true;
}

// No allocation adds less than every meeting in its cheapest room allowed.
int64_t cheapest_rooms()
{
    int64_t bound = 0;
    for (int i = 0; i < week.meeting_count; ++i) {
        int64_t cheapest = INT64_MAX;
        for (int room = 0; room <= last_room; ++room)
            if (allowed(i, room))
                cheapest = std::min(cheapest, meeting_cost(i, room));
        bound += cheapest == INT64_MAX ? 0 : cheapest;
    }
    return bound;
}

}  // namespace

ModelResult solve_week_by_model(AllocationGrid& grid, double seconds)
{
    collect();
    if (week.meeting_count == 0)
        return {true, true, 0, 0};
    ModelResult result{true, false, 0, cheapest_rooms()};
    double weight = idle_weight_under_cost();
    Cbc_Model* cbc = Cbc_newModel();
    Cbc_setLogLevel(cbc, 0);
    add_variables(cbc, weight);
    add_room_rows(cbc);
    add_pair_rows(cbc);
    Cbc_setAllowableGap(cbc, 0.5);  // objectives are whole numbers
    if (seconds > 0.0)
        Cbc_setMaximumSeconds(cbc, seconds);
    Cbc_solve(cbc);
    const double* solution = Cbc_getColSolution(cbc);
    if (solution != nullptr && Cbc_numberSavedSolutions(cbc) > 0) {
        result.proven = Cbc_isProvenOptimal(cbc) != 0;
        choose_rooms(solution);
        double bound = std::floor(Cbc_getBestPossibleObjValue(cbc) / (weight > 0.0 ? weight : 1.0));
        result.bound = std::max(result.bound, static_cast<int64_t>(bound) + stability_at_most());
    } else {
        result.found = Cbc_isProvenInfeasible(cbc) == 0 && choose_cheapest_free_rooms();
    }
    Cbc_deleteModel(cbc);
    if (result.found) {
        result.cost = chosen_cost();
        place(grid);
    }
    if (result.proven)
        result.bound = result.cost;
    return result;
}
