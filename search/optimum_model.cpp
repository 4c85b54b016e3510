// The weekday's model, built from fixed tables and handed to CBC's C interface.
#include "search/optimum_model.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <ranges>
#include <span>
#include <tuple>

#include "model/calendar.hpp"
#include "model/hash_slot.hpp"
#include "model/rules/rules.hpp"
#include "search/cost.hpp"
#include "search/kept_plan.hpp"
#include "search/model_matrix.hpp"

int one_objective_groups = 32;
double one_objective_range = EXACT_IN_A_DOUBLE;

namespace {

constexpr int MAX_DAY_MEETINGS = MAX_SECTIONS;  // a section meets at most once a day

// The weekday's meetings in order of first slot, and the rooms in groups of twins.
struct DayModel {
    std::array<DayMeeting, MAX_DAY_MEETINGS> meetings;
    int meeting_count;
    std::array<int, MAX_ROOM_COLUMNS> columns;           // by seats, then traits, then column
    std::array<int, MAX_ROOM_COLUMNS + 1> group_start;   // group g: columns[group_start[g]..group_start[g+1])
    int group_count;
    bool may_leave_out;  // an over-full slot: a meeting may stay out of the grid
    int left_out_limit;  // then, how many may
    double cost_limit;   // the least cost, once known: the fit is sought at it
};
DayModel model;

// The model's meetings and groups, by their index.
auto meeting_indexes()
{
    return std::views::iota(0, model.meeting_count);
}

auto group_indexes()
{
    return std::views::iota(0, model.group_count);
}

// The weekday's distinct meeting starts, how many meetings cover each, and
// each group's capacity row there (NO_ROW: none, the group has rooms enough).
struct StartRows {
    std::array<int, MAX_DAY_BLOCKS> slot;
    std::array<int, MAX_DAY_BLOCKS> covering;
    int count;
    std::array<std::array<int, MAX_DAY_BLOCKS>, MAX_ROOM_COLUMNS> row;
};
StartRows starts;

auto start_indexes()
{
    return std::views::iota(0, starts.count);
}
std::array<int, MAX_ROOM_COLUMNS> room_busy_until;  // while placing: each column's last busy slot
std::array<int, MAX_DAY_MEETINGS> chosen_group;     // the group each meeting takes; LEFT_OUT for none
constexpr int LEFT_OUT = MAX_ROOM_COLUMNS;          // past every group, as there are no more groups than columns

// What makes a room differ from its twins on the model's weekday: a pinned
// or a kept meeting of the model (the room then stands alone), the cells
// regras.txt closes, which of the model's sections avoid it (a sum of
// their hashes, checked exactly), and what the preferences of the model's
// sections price it (a sum over their profiles, checked exactly): a
// preference splits groups only on the weekdays it touches.
struct RoomTraits {
    bool alone;
    uint64_t closed_rows;  // bit r: the weekday's row r is closed
    uint64_t avoiders;
    uint64_t preferences;
};
std::array<RoomTraits, MAX_ROOM_COLUMNS> traits;
std::array<int32_t, MAX_DAY_MEETINGS> avoiding;  // the model's sections that avoid some room
int avoiding_count;
std::array<int16_t, MAX_DAY_MEETINGS> day_profiles;  // the distinct preference profiles of the model's sections
int day_profile_count;

// The profiles and the avoiding sections read, as ranges.
std::span<const int16_t> profiles_of_the_day()
{
    return {day_profiles.data(), static_cast<std::size_t>(day_profile_count)};
}

std::span<const int32_t> sections_avoiding()
{
    return {avoiding.data(), static_cast<std::size_t>(avoiding_count)};
}

// The distinct profiles of the model's sections, and each room's sum of their prices.
void read_preference_traits()
{
    day_profile_count = 0;
    for (int i = 0; i < model.meeting_count && preference_profile_count > 1; ++i) {
        int16_t profile = preference_profile[model.meetings[i].section];
        if (profile != 0 &&
            std::find(day_profiles.begin(), day_profiles.begin() + day_profile_count, profile) ==
                day_profiles.begin() + day_profile_count)
            day_profiles[day_profile_count++] = profile;
    }
    for (int16_t profile : profiles_of_the_day()) {
        uint64_t mix = spread_bits(static_cast<uint64_t>(profile));
        for (int column = 0; column <= last_room; ++column)
            traits[column].preferences +=
                mix * static_cast<uint64_t>(profile_prices[static_cast<std::size_t>(profile)][column]);
    }
}

void read_traits()
{
    std::fill(traits.begin(), traits.begin() + last_room + 1, RoomTraits{});
    avoiding_count = 0;
    read_preference_traits();
    if (model.meeting_count == 0)
        return;
    DaySlots day = day_slots_of(model.meetings[0].first);
    for (int row : slots_of(day))
        for (int column = 0; rows_with_closed_cells[row] && column <= last_room; ++column)
            if (closed_cells[row][column])
                traits[column].closed_rows |= uint64_t{1} << (row - day.first);
    for (int i : meeting_indexes()) {
        int32_t section = model.meetings[i].section;
        if (pinned_room[section] != 0)
            traits[pinned_room[section]].alone = true;
        if (model.meetings[i].kept >= 0)
            traits[model.meetings[i].kept].alone = true;
        if (avoided_rooms[section].none())
            continue;
        avoiding[avoiding_count++] = section;
        for (int column = 0; column <= last_room; ++column)
            if (avoided_rooms[section][column])
                traits[column].avoiders += spread_bits(static_cast<uint64_t>(section));
    }
}

// Whether two rooms are alike for every meeting of the model: real rooms
// (sv, the place of a meeting without a room, stands alone), the same seats,
// neither standing alone, the same closed cells and the same avoiders.
bool twins(int a, int b)
{
    if (a == OVERFLOW_COLUMN || b == OVERFLOW_COLUMN || room_capacity[a] != room_capacity[b] || traits[a].alone ||
        traits[b].alone || traits[a].closed_rows != traits[b].closed_rows ||
        traits[a].avoiders != traits[b].avoiders || traits[a].preferences != traits[b].preferences)
        return false;
    for (int32_t section : sections_avoiding())
        if (avoided_rooms[section][a] != avoided_rooms[section][b])
            return false;
    for (int16_t profile : profiles_of_the_day())
        if (const auto& prices = profile_prices[static_cast<std::size_t>(profile)]; prices[a] != prices[b])
            return false;
    return true;
}

// The model's meetings in order of first slot, and the rooms in groups of
// twins: only where a rule tells rooms apart on this weekday does it split
// a group of equal seats.
void sort_and_group()
{
    model.may_leave_out = false;
    std::sort(model.meetings.begin(), model.meetings.begin() + model.meeting_count,
              [](const DayMeeting& a, const DayMeeting& b) {
                  return a.first != b.first ? a.first < b.first : a.last < b.last;
              });
    read_traits();
    for (int column = 0; column <= last_room; ++column)
        model.columns[column] = column;
    std::ranges::sort(model.columns.begin(), model.columns.begin() + last_room + 1, {}, [](int column) {
        const RoomTraits& room = traits[column];
        return std::tuple(room_capacity[column], room.closed_rows, room.avoiders, room.preferences, column);
    });
    model.group_count = 0;
    for (int i = 0; i <= last_room; ++i)
        if (i == 0 || !twins(model.columns[i - 1], model.columns[i]))
            model.group_start[model.group_count++] = i;
    model.group_start[model.group_count] = last_room + 1;
}

void collect(int32_t weekday)
{
    model.meeting_count = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers()) {
            const Meeting& meeting = sections[section].meetings[m];
            if (meeting.weekday == weekday)
                model.meetings[model.meeting_count++] = {section, meeting.first_slot, meeting.last_slot,
                                                         kept_room(section, m)};
        }
    sort_and_group();
}

int group_size(int group)
{
    return model.group_start[group + 1] - model.group_start[group];
}

int32_t group_seats(int group)
{
    return room_capacity[model.columns[model.group_start[group]]];
}

// The model's variables: x[i, group] only for the groups meeting i may take
// (a meeting the rules allow a few rooms has a few), meeting by meeting;
// then, when the weekday may leave meetings out, one per meeting.
struct ModelColumns {
    std::array<int32_t, MAX_DAY_MEETINGS + 1> first;  // meeting i's first x; entry meeting_count: after the last
    std::array<int16_t, MAX_MODEL_COLUMNS> group;     // each x's group
};
ModelColumns columns_of;

// The variable that leaves meeting i out of the grid, after every x.
int out_variable(int meeting)
{
    return columns_of.first[static_cast<std::size_t>(model.meeting_count)] + meeting;
}

// Whether the rules let meeting i take the group: every room of a group that
// no rule names is alike, and a named room is a group of its own.
bool group_allowed(int i, int group)
{
    const DayMeeting& meeting = model.meetings[i];
    return room_allowed(meeting.section, model.columns[model.group_start[group]], meeting.first, meeting.last);
}

// Whether meeting i in the group leaves its kept room: a kept room is a group of its own.
bool moves(int i, int group)
{
    int kept = model.meetings[i].kept;
    return kept >= 0 && model.columns[model.group_start[group]] != kept;
}

// What meeting i adds in a room of the group: its cost (with the price of
// leaving its kept room), or its idle seats.
double meeting_cost(int i, int group)
{
    const DayMeeting& meeting = model.meetings[i];
    int room = model.columns[model.group_start[group]];  // every room of a group has its seats
    int64_t price = meeting_price(meeting.section, meeting.last - meeting.first + 1, room);
    return static_cast<double>(price + (moves(i, group) ? change_weight : 0));
}

// What meeting i adds out of the grid: a kept meeting left out leaves its
// kept room, and pays for it as a move does.
bool kept(int i)
{
    return model.meetings[i].kept >= 0;
}

double out_cost(int i)
{
    return kept(i) ? static_cast<double>(change_weight) : 0.0;
}

double meeting_idle(int i, int group)
{
    int64_t length = model.meetings[i].last - model.meetings[i].first + 1;
    int64_t demand = sections[model.meetings[i].section].demand;
    return static_cast<double>(length * std::max<int64_t>(group_seats(group) - demand, 0));
}

// What a meeting adds after its cost: leaving its kept room outweighs every
// meeting without a room and every idle seat the weekday can have; going
// without a room (sv) outweighs every idle seat; then come its idle seats.
double without_room_unit;  // set by fit_weight_under_cost
double moved_unit;

double meeting_fit(int i, int group)
{
    bool without_room = model.columns[model.group_start[group]] == OVERFLOW_COLUMN;
    return (moves(i, group) ? moved_unit : 0.0) + (without_room ? without_room_unit : 0.0) + meeting_idle(i, group);
}

double out_fit(int i)
{
    return kept(i) ? moved_unit : 0.0;
}

// How much one unit of cost outweighs the fit: more than all the fit the
// weekday can have, so that the one objective ranks by cost, then by
// meetings without a room, then by idle seats. 0 when that would pass
// one_objective_range or the weekday has more groups than
// one_objective_groups: the cost and then the fit at that cost are sought
// one after the other.
double fit_weight_under_cost()
{
    double idle = 0.0, cost = 0.0, fit = 0.0;
    for (int i : meeting_indexes()) {
        double most_idle = 0.0, most_cost = 0.0;
        for (int group : group_indexes()) {
            most_idle = std::max(most_idle, meeting_idle(i, group));
            most_cost = std::max(most_cost, std::fabs(meeting_cost(i, group)));
        }
        most_cost = std::max(most_cost, out_cost(i));
        idle += most_idle;
        cost += most_cost;
    }
    without_room_unit = idle + 1.0;
    moved_unit = 0.0;
    for (int i : meeting_indexes())
        if (kept(i))
            moved_unit = idle + without_room_unit * model.meeting_count + 1.0;
    for (int i : meeting_indexes()) {
        double most_fit = out_fit(i);
        for (int group : group_indexes())
            most_fit = std::max(most_fit, meeting_fit(i, group));
        fit += most_fit;
    }
    double weight = fit + 1.0;
    bool one_objective = cost * weight + fit < one_objective_range && model.group_count <= one_objective_groups;
    return one_objective ? weight : 0.0;
}

// Numbers the rows: one per meeting, then one per group and start where the
// meetings there outnumber the group's rooms; returns how many.
int plan_start_rows()
{
    starts.count = 0;
    for (int i : meeting_indexes()) {
        if (i > 0 && model.meetings[i - 1].first == model.meetings[i].first)
            continue;  // one row per start
        int slot = model.meetings[i].first, covering = 0;
        for (int j : meeting_indexes()) {
            if (model.meetings[j].first > slot)
                break;  // in the order of their starts: none after covers the slot
            covering += model.meetings[j].last >= slot;
        }
        starts.slot[starts.count] = slot;
        starts.covering[starts.count++] = covering;
    }
    int rows = model.meeting_count;
    for (int group : group_indexes())
        for (int k : start_indexes())
            starts.row[group][k] = starts.covering[k] > group_size(group) ? rows++ : NO_ROW;
    return rows;
}

// What the model asks of an allocation: the least cost, then the fewest
// meetings without a room, then the fewest idle seats (in one objective, or
// the cost alone); or the best fit at a cost no higher than cost_limit; or
// only that one exists; or, on a weekday with an over-full slot, the fewest
// meetings left out, whatever that costs.
enum class Objective { Priced, FitAtCost, AnyAllocation, FewestLeftOut };

// Each meeting in one group, or out of the grid when the weekday may leave
// meetings out (at most left_out_limit of them when priced); at each start,
// no group over its rooms. The objective is cost x `weight` + the fit (cost
// alone when weight is 0), or the meetings left out, or nothing. Null when
// the model would not fit the matrix's tables. `certified`: the model of
// the fit at least cost after a cost certified by its relaxation, whose
// certificate fixes what no allocation of that cost can change.
Cbc_Model* build(double weight, Objective asked = Objective::Priced, bool certified = false)
{
    int rows = plan_start_rows();
    bool priced = asked == Objective::Priced || asked == Objective::FitAtCost;
    bool limit_row = model.may_leave_out && priced, cost_row = asked == Objective::FitAtCost;
    int cost_row_index = rows + limit_row;
    start_matrix(rows + limit_row + cost_row);
    for (int i : meeting_indexes())
        set_row(i, 1.0, 1.0);
    for (int group : group_indexes())
        for (int k : start_indexes())
            if (starts.row[group][k] != NO_ROW)
                set_row(starts.row[group][k], 0.0, group_size(group));
    if (limit_row)
        set_row(rows, 0.0, model.left_out_limit);
    if (cost_row)
        set_row(cost_row_index, -std::numeric_limits<double>::max(), model.cost_limit);
    for (int i : meeting_indexes()) {
        columns_of.first[static_cast<std::size_t>(i)] = matrix_columns();
        for (int group : group_indexes()) {
            if (!group_allowed(i, group))
                continue;
            double objective = asked == Objective::FitAtCost ? meeting_fit(i, group)
                               : asked != Objective::Priced  ? 0.0
                               : weight > 0.0 ? meeting_cost(i, group) * weight + meeting_fit(i, group)
                                              : meeting_cost(i, group);
            columns_of.group[static_cast<std::size_t>(matrix_columns())] = static_cast<int16_t>(group);
            if (!begin_column(1.0, objective, 2 + MAX_DAY_BLOCKS))
                return nullptr;
            add_entry(i, 1.0);
            if (cost_row)
                add_entry(cost_row_index, meeting_cost(i, group));
            for (int k : start_indexes())
                if (starts.slot[k] >= model.meetings[i].first && starts.slot[k] <= model.meetings[i].last &&
                    starts.row[group][k] != NO_ROW)
                    add_entry(starts.row[group][k], 1.0);
        }
    }
    columns_of.first[static_cast<std::size_t>(model.meeting_count)] = matrix_columns();
    for (int i = 0; model.may_leave_out && i < model.meeting_count; ++i) {
        double objective = asked == Objective::FewestLeftOut ? 1.0
                           : asked == Objective::FitAtCost   ? out_fit(i)
                           : asked != Objective::Priced      ? 0.0
                           : weight > 0.0                    ? out_cost(i) * weight + out_fit(i)
                                                             : out_cost(i);
        if (!begin_column(1.0, objective, 3))
            return nullptr;
        add_entry(i, 1.0);
        if (limit_row)
            add_entry(rows, 1.0);
        if (cost_row)
            add_entry(cost_row_index, out_cost(i));
    }
    if (certified)
        fix_by_certificate(model.cost_limit);
    Cbc_Model* cbc = load_matrix();
    Cbc_setParameter(cbc, "preprocess", "off");  // its probing costs more than it saves on these models
    return cbc;
}

// Gives each meeting, in start order, the lowest free room of the group it
// took; returns what they add to the cost.
int64_t place(AllocationGrid& grid)
{
    std::fill(room_busy_until.begin(), room_busy_until.begin() + last_room + 1, 0);
    int64_t cost = 0;
    for (int i : meeting_indexes()) {
        const DayMeeting& meeting = model.meetings[i];
        if (chosen_group[i] == LEFT_OUT) {
            cost += static_cast<int64_t>(out_cost(i));
            continue;
        }
        int k = model.group_start[chosen_group[i]];
        while (room_busy_until[model.columns[k]] >= meeting.first)
            ++k;
        int column = model.columns[k];
        room_busy_until[column] = meeting.last;
        for (int row = meeting.first; row <= meeting.last; ++row)
            grid[row][column] = meeting.section;
        cost += static_cast<int64_t>(meeting_cost(i, chosen_group[i]));
    }
    return cost;
}

// Each meeting's group: the column its row sets to 1, or none when its
// out variable is set. A meeting's columns lie side by side.
void choose_groups(const double* solution)
{
    for (int i : meeting_indexes()) {
        const double* first = solution + columns_of.first[static_cast<std::size_t>(i)];
        const double* end = solution + columns_of.first[static_cast<std::size_t>(i) + 1];
        bool out = first == end || (model.may_leave_out && solution[out_variable(i)] > 0.5);
        auto column = static_cast<std::size_t>(std::max_element(first, end) - solution);
        chosen_group[i] = out ? LEFT_OUT : columns_of.group[column];
    }
}

// No allocation found in time: each meeting, in start order, in the cheapest
// group it may take that still has a free room from its first slot; false
// when some meeting finds none, unless the weekday may leave it out.
bool choose_cheapest_free_groups()
{
    std::fill(room_busy_until.begin(), room_busy_until.begin() + last_room + 1, 0);
    for (int i : meeting_indexes()) {
        const DayMeeting& meeting = model.meetings[i];
        std::optional<int> best;
        int best_room{};
        for (int group : group_indexes()) {
            int k = model.group_start[group];
            while (k < model.group_start[group + 1] && room_busy_until[model.columns[k]] >= meeting.first)
                ++k;
            if (k < model.group_start[group + 1] && group_allowed(i, group) &&
                (!best || meeting_cost(i, group) < meeting_cost(i, *best))) {
                best = group;
                best_room = model.columns[k];
            }
        }
        if (!best && model.may_leave_out) {
            chosen_group[i] = LEFT_OUT;
            continue;
        }
        if (!best)
            return false;
        chosen_group[i] = *best;
        room_busy_until[best_room] = meeting.last;
    }
    return true;
}

// No allocation adds less than every meeting in its cheapest group allowed
// (or out of the grid, adding nothing, when the weekday may leave it out).
int64_t cheapest_groups()
{
    int64_t bound = 0;
    for (int i : meeting_indexes()) {
        double cheapest = 0.0;
        bool any = false;
        for (int group : group_indexes())
            if (group_allowed(i, group)) {
                cheapest = any ? std::min(cheapest, meeting_cost(i, group)) : meeting_cost(i, group);
                any = true;
            }
        bound += static_cast<int64_t>(model.may_leave_out ? std::min(cheapest, out_cost(i)) : cheapest);
    }
    return bound;
}

// Whether the first `count` meetings collected fit the weekday under the
// rules; when they do and `grid` is given, lays them there.
bool lay_if_possible(int count, AllocationGrid* grid)
{
    int collected = model.meeting_count;
    model.meeting_count = count;
    Cbc_Model* cbc = build(0.0, Objective::AnyAllocation);
    if (cbc == nullptr) {  // beyond the tables: said not to fit
        model.meeting_count = collected;
        return false;
    }
    SolverOutcome outcome = run_solver(cbc, 0.0, 0.0);
    bool fits = outcome.solution != nullptr;
    if (fits && grid != nullptr) {
        choose_groups(outcome.solution);
        place(*grid);
    }
    Cbc_deleteModel(cbc);
    model.meeting_count = collected;
    return fits;
}

}  // namespace

bool lay_meetings_exactly(AllocationGrid& grid, const DayMeeting* meetings, int count)
{
    if (count > MAX_DAY_MEETINGS)
        return false;
    for (int i = 0; i < count; ++i)
        model.meetings[i] = meetings[i];
    model.meeting_count = count;
    sort_and_group();
    return lay_if_possible(count, &grid);
}

int32_t slot_where_columns_run_out(int32_t weekday)
{
    collect(weekday);
    if (model.meeting_count == 0 || lay_if_possible(model.meeting_count, nullptr))
        return 0;
    int fitting = 0, failing = model.meeting_count;  // the shortest failing prefix, by halves
    while (failing - fitting > 1) {
        int middle = (fitting + failing) / 2;
        (lay_if_possible(middle, nullptr) ? fitting : failing) = middle;
    }
    return model.meetings[failing - 1].first;
}

namespace {

// On a weekday that may leave meetings out: how few can be, by the model,
// within `seconds`; the most found left out when that is not proven.
int fewest_left_out(double seconds, bool& proven)
{
    Cbc_Model* cbc = build(0.0, Objective::FewestLeftOut);
    proven = false;
    if (cbc == nullptr)
        return model.meeting_count;
    SolverOutcome outcome = run_solver(cbc, seconds, 0.0);
    int count = model.meeting_count;
    if (outcome.solution != nullptr) {
        count = 0;
        for (int i : meeting_indexes())
            count += outcome.solution[out_variable(i)] > 0.5;
    }
    proven = outcome.proven;
    Cbc_deleteModel(cbc);
    return count;
}

// What the chosen groups cost, in the model's units.
double chosen_cost()
{
    double cost = 0.0;
    for (int i : meeting_indexes())
        cost += chosen_group[i] == LEFT_OUT ? out_cost(i) : meeting_cost(i, chosen_group[i]);
    return cost;
}

// With the chosen groups of least cost: the best fit among the allocations
// of that cost, within `seconds`, into the chosen groups; whether it is
// proven. `certified`: that cost was proven by the relaxation's certificate.
bool fit_at_least_cost(double seconds, bool certified)
{
    model.cost_limit = chosen_cost();
    Cbc_Model* cbc = seconds < 0.0 ? nullptr : build(0.0, Objective::FitAtCost, certified);
    if (cbc == nullptr)
        return false;
    SolverOutcome outcome = run_solver(cbc, seconds, 0.0);
    if (outcome.solution != nullptr)
        choose_groups(outcome.solution);
    Cbc_deleteModel(cbc);
    return outcome.proven;
}

// Whatever is left of `seconds` (0: no limit) after `spent`; below 0 when none.
double seconds_after(double seconds, std::chrono::steady_clock::time_point start)
{
    double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return seconds > 0.0 ? (spent < seconds ? seconds - spent : -1.0) : seconds;
}

}  // namespace

ModelResult solve_day_by_model(AllocationGrid& grid, int32_t weekday, double seconds, bool may_leave_out)
{
    collect(weekday);
    model.may_leave_out = may_leave_out;
    if (model.meeting_count == 0)
        return {true, true, 0, 0};
    ModelResult result{};
    result.found = true;
    result.bound = cheapest_groups();
    bool fewest_proven = true;
    if (may_leave_out && seconds >= 0.0) {
        auto start = std::chrono::steady_clock::now();
        model.left_out_limit = fewest_left_out(seconds, fewest_proven);
        seconds = seconds_after(seconds, start);
    }
    double weight = fit_weight_under_cost();
    auto start = std::chrono::steady_clock::now();
    Cbc_Model* cbc = seconds < 0.0 ? nullptr : build(weight);
    if (cbc == nullptr) {  // no time left for the solver, or a weekday beyond the matrix's tables
        result.found = choose_cheapest_free_groups();
        if (result.found)
            result.cost = place(grid);
        return result;
    }
    SolverOutcome outcome = run_solver(cbc, seconds, weight);
    if (outcome.solution != nullptr) {
        result.proven = outcome.proven && fewest_proven;
        choose_groups(outcome.solution);
        if (fewest_proven)
            result.bound = std::max(result.bound, outcome.bound);
    } else {
        result.found = !outcome.infeasible && choose_cheapest_free_groups();
    }
    Cbc_deleteModel(cbc);
    if (weight == 0.0 && result.proven)  // the least cost alone: now the best fit at it
        result.proven = fit_at_least_cost(seconds_after(seconds, start), outcome.certified);
    if (result.found)
        result.cost = place(grid);
    if (result.proven)
        result.bound = result.cost;
    return result;
}
