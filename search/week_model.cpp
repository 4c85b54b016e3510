// The whole week as one model, for when room stability has a price: a section
// whose two meetings share a room couples two weekdays, so the weekdays are
// no longer solved apart and rooms are no longer grouped by seats. Variable
// x[i, room] is column i x (last_room + 1) + room; z[pair, room] follows all
// of them in the same way; a variable the rules bar is fixed at 0. The matrix
// is built whole (search/model_matrix.hpp) and handed to CBC at once.
#include <algorithm>
#include <array>
#include <cmath>

#include "model/rules.hpp"
#include "search/cost.hpp"
#include "search/kept_plan.hpp"
#include "search/model_matrix.hpp"
#include "search/optimum_model.hpp"

namespace {

constexpr int MAX_WEEK_MEETINGS = MAX_SECTIONS * LAST_MEETING;
// The largest week solved as one model: a faculty's (123,000 variables)
// spends minutes in its first relaxation alone, while the weekdays settled
// one by one (optimum.cpp) come within a few per cent of the bound; beyond
// it, that start is kept, not proven.
constexpr int MAX_WEEK_COLUMNS = 1 << 15;
constexpr int MAX_WEEK_ROWS = 1 << 19;     // above the meetings' and capacity rows of any instance
constexpr int MAX_COLUMN_ENTRIES = 1 + MAX_SLOTS + 1;  // its meeting, the starts it covers, its pair

struct WeekMeeting {
    int32_t section;
    int first;  // weekly slots
    int last;
    int m;      // which of its section's meetings
};

// The week's meetings in order of first slot, and the sections that meet twice.
struct WeekModel {
    std::array<WeekMeeting, MAX_WEEK_MEETINGS> meetings;
    int meeting_count;
    std::array<std::array<int32_t, LAST_MEETING + 1>, MAX_SECTIONS + 1> index;  // a section's meetings in `meetings`
    std::array<int32_t, MAX_SECTIONS> pair_sections;  // sections with two meetings
    std::array<int32_t, MAX_SECTIONS + 1> pair_of;    // a section's index in pair_sections; -1: none
    int pair_count;
};
WeekModel week;

// The rows: one per meeting (one room each), then one per start and room
// where two or more meetings may meet, then two per pair and room (z below
// each x).
struct RowPlan {
    std::array<int, MAX_SLOTS> starts;  // the distinct first slots, in order
    int start_count;
    std::array<std::array<int32_t, MAX_ROOM_COLUMNS>, MAX_SLOTS> capacity_row;  // -1: no row
    int pair_base;  // the first pair row
    int row_count;
};
RowPlan plan;

std::array<int, MAX_WEEK_MEETINGS> chosen_room;
std::array<int, MAX_WEEK_MEETINGS + MAX_SECTIONS> start_columns;  // the columns at 1 in the start
std::array<double, MAX_WEEK_MEETINGS + MAX_SECTIONS> start_values;

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

int pair_row(int pair, int room, int m)
{
    return plan.pair_base + 2 * (pair * columns() + room) + (m - FIRST_MEETING);
}

// The meetings `grid` holds: those the weekdays left out stay out.
void collect(const AllocationGrid& grid)
{
    week.meeting_count = 0;
    week.pair_count = 0;
    for (int32_t section = 1; section <= section_count; ++section) {
        int held = 0;
        for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m) {
            const Meeting& meeting = sections[section].meetings[m];
            if (meeting.weekday != 0 && first_slot_column(grid, section, m) >= 0) {
                week.meetings[week.meeting_count++] = {section, meeting.first_slot, meeting.last_slot, m};
                ++held;
            }
        }
        week.pair_of[section] = -1;
        if (held == LAST_MEETING) {
            week.pair_of[section] = week.pair_count;
            week.pair_sections[week.pair_count++] = section;
        }
    }
    std::sort(week.meetings.begin(), week.meetings.begin() + week.meeting_count,
              [](const WeekMeeting& a, const WeekMeeting& b) {
                  return a.first != b.first ? a.first < b.first : a.section < b.section;
              });
    for (int i = 0; i < week.meeting_count; ++i)
        week.index[week.meetings[i].section][week.meetings[i].m] = i;
}

bool allowed(int i, int room)
{
    const WeekMeeting& meeting = week.meetings[i];
    return room_allowed(meeting.section, room, meeting.first, meeting.last);
}

bool moves(int i, int room)
{
    return leaves_kept_room(week.meetings[i].section, week.meetings[i].m, room);
}

// What meeting i adds in the room, with the price of leaving its kept room.
int64_t meeting_cost(int i, int room)
{
    const WeekMeeting& meeting = week.meetings[i];
    return meeting_price(meeting.section, meeting.last - meeting.first + 1, room) +
           (moves(i, room) ? change_weight : 0);
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

// As for a weekday: after its cost, leaving its kept room outweighs every
// meeting without a room and every idle seat of the week; a meeting without
// a room (sv) outweighs every idle seat; then come its idle seats.
double without_room_unit;  // set by fit_weight_under_cost
double moved_unit;

double meeting_fit(int i, int room)
{
    return (moves(i, room) ? moved_unit : 0.0) + (room == OVERFLOW_COLUMN ? without_room_unit : 0.0) +
           static_cast<double>(meeting_idle(i, room));
}

// One unit of cost outweighs all the fit of the week, or 0 when that leaves
// a double's exact range.
double fit_weight_under_cost()
{
    double idle = 0.0, cost = static_cast<double>(stability_at_most()), fit = 0.0;
    for (int i = 0; i < week.meeting_count; ++i) {
        double most_idle = 0.0, most_cost = 0.0;
        for (int room = 0; room <= last_room; ++room) {
            most_idle = std::max(most_idle, static_cast<double>(meeting_idle(i, room)));
            most_cost = std::max(most_cost, std::fabs(static_cast<double>(meeting_cost(i, room))));
        }
        idle += most_idle;
        cost += most_cost;
    }
    without_room_unit = idle + 1.0;
    moved_unit = kept_count > 0 ? idle + without_room_unit * week.meeting_count + 1.0 : 0.0;
    for (int i = 0; i < week.meeting_count; ++i) {
        double most_fit = 0.0;
        for (int room = 0; room <= last_room; ++room)
            most_fit = std::max(most_fit, meeting_fit(i, room));
        fit += most_fit;
    }
    double weight = fit + 1.0;
    return cost * weight + fit < EXACT_IN_A_DOUBLE ? weight : 0.0;
}

// Numbers the rows; false when the model would not fit the tables. The
// meetings' and the capacity rows always do (at most 90 starts a room).
bool plan_rows()
{
    plan.start_count = 0;
    for (int i = 0; i < week.meeting_count; ++i)
        if (i == 0 || week.meetings[i - 1].first != week.meetings[i].first)
            plan.starts[plan.start_count++] = week.meetings[i].first;
    int rows = week.meeting_count;
    for (int k = 0; k < plan.start_count; ++k)
        for (int room = 0; room <= last_room; ++room) {
            int count = 0;
            for (int i = 0; i < week.meeting_count && week.meetings[i].first <= plan.starts[k]; ++i)
                count += week.meetings[i].last >= plan.starts[k] && allowed(i, room);
            plan.capacity_row[k][room] = count > 1 ? rows++ : -1;
        }
    plan.pair_base = rows;
    int64_t row_count = rows + 2 * int64_t{week.pair_count} * columns();
    int64_t column_count = int64_t{week.meeting_count + week.pair_count} * columns();
    plan.row_count = static_cast<int>(std::min<int64_t>(row_count, MAX_WEEK_ROWS));
    return row_count <= MAX_WEEK_ROWS && column_count <= MAX_WEEK_COLUMNS;
}

void set_rows()
{
    start_matrix(plan.row_count);
    for (int row = 0; row < plan.row_count; ++row) {
        bool assignment = row < week.meeting_count, capacity = row < plan.pair_base;
        set_row(row, assignment ? 1.0 : capacity ? 0.0 : -1.0,  // no sum of these can go lower
                assignment || capacity ? 1.0 : 0.0);
    }
}

// Column x[i, room]: in its meeting's row, in the rows of the starts it
// covers in that room, and below its pair's z.
bool add_meeting_column(int i, int room, double unit, double fit_unit)
{
    const WeekMeeting& meeting = week.meetings[i];
    bool may = allowed(i, room);
    double objective = static_cast<double>(meeting_cost(i, room)) * unit + meeting_fit(i, room) * fit_unit;
    if (!begin_column(may ? 1.0 : 0.0, objective, MAX_COLUMN_ENTRIES))
        return false;
    add_entry(i, 1.0);
    for (int k = 0; may && k < plan.start_count; ++k)
        if (plan.starts[k] >= meeting.first && plan.starts[k] <= meeting.last && plan.capacity_row[k][room] >= 0)
            add_entry(plan.capacity_row[k][room], 1.0);
    if (int32_t pair = week.pair_of[meeting.section]; pair >= 0)
        add_entry(pair_row(pair, room, meeting.m), -1.0);
    return true;
}

// The objective is cost x `weight` + the fit, or the cost alone when
// weight is 0; false when the matrix would not fit its tables.
bool build_matrix(double weight)
{
    double unit = weight > 0.0 ? weight : 1.0, fit_unit = weight > 0.0 ? 1.0 : 0.0;
    set_rows();
    for (int i = 0; i < week.meeting_count; ++i)
        for (int room = 0; room <= last_room; ++room)
            if (!add_meeting_column(i, room, unit, fit_unit))
                return false;
    for (int pair = 0; pair < week.pair_count; ++pair) {
        int32_t section = week.pair_sections[pair];
        int a = week.index[section][FIRST_MEETING], b = week.index[section][LAST_MEETING];
        for (int room = 0; room <= last_room; ++room) {
            double upper = allowed(a, room) && allowed(b, room) ? 1.0 : 0.0;
            if (!begin_column(upper, -same_room_weight * unit, 2))
                return false;
            add_entry(pair_row(pair, room, FIRST_MEETING), 1.0);
            add_entry(pair_row(pair, room, LAST_MEETING), 1.0);
        }
    }
    return true;
}

// The allocation in `grid` as the solver's first solution.
void start_from(Cbc_Model* cbc, const AllocationGrid& grid)
{
    int count = 0;
    for (int i = 0; i < week.meeting_count; ++i) {
        chosen_room[i] = first_slot_column(grid, week.meetings[i].section, week.meetings[i].m);
        start_columns[count] = x_variable(i, chosen_room[i]);
        start_values[count++] = 1.0;
    }
    for (int pair = 0; pair < week.pair_count; ++pair) {
        int32_t section = week.pair_sections[pair];
        int room = chosen_room[week.index[section][FIRST_MEETING]];
        if (room == chosen_room[week.index[section][LAST_MEETING]]) {
            start_columns[count] = z_variable(pair, room);
            start_values[count++] = 1.0;
        }
    }
    Cbc_setMIPStartI(cbc, count, start_columns.data(), start_values.data());
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
    for (int row = 1; row <= slot_count; ++row)
        std::fill(grid[row].begin(), grid[row].begin() + columns(), 0);
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
    collect(grid);
    if (week.meeting_count == 0)
        return {true, true, 0, 0};
    ModelResult result{true, false, 0, cheapest_rooms()};
    double weight = fit_weight_under_cost();
    bool fits = plan_rows() && build_matrix(weight);
    result.too_large = !fits;
    if (seconds >= 0.0 && fits) {
        Cbc_Model* cbc = load_matrix();
        start_from(cbc, grid);
        SolverOutcome outcome = run_solver(cbc, seconds, weight);
        if (outcome.solution != nullptr) {
            result.proven = outcome.proven;
            choose_rooms(outcome.solution);
            place(grid);
            result.bound = std::max(result.bound, outcome.bound + stability_at_most());
        }
        Cbc_deleteModel(cbc);
    }
    for (int i = 0; i < week.meeting_count; ++i)
        chosen_room[i] = first_slot_column(grid, week.meetings[i].section, week.meetings[i].m);
    result.cost = chosen_cost();
    if (result.proven)
        result.bound = result.cost;
    return result;
}
