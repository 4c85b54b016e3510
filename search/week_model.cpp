// The whole week as one model, for when room stability has a price: a section
// whose meetings share a room couples weekdays, so the weekdays are no
// longer solved apart and rooms are no longer grouped by seats. Variable
// x[i, room] is column i x (rooms in the model) + the room's place among
// them: every column, or, to solve again the meetings some rooms hold, only
// those rooms (improve_rooms_by_model). Each of a section's
// meetings after its first is a link: z[link, room] is 1 when the meeting and
// an earlier one of its section take the room, so that the rooms a section
// takes past its first are its links less its z. The z follow the x in the
// same way; a variable the rules bar is fixed at 0. The matrix
// is built whole (search/model_matrix.hpp) and handed to CBC at once.
#include <algorithm>
#include <array>
#include <bitset>
#include <cmath>
#include <ranges>
#include <span>
#include <utility>

#include "model/rules/rules.hpp"
#include "search/cost.hpp"
#include "search/kept_plan.hpp"
#include "search/model_matrix.hpp"
#include "search/optimum_model.hpp"

// The largest week solved as one model: a faculty's (123,000 variables)
// spends minutes in its first relaxation alone, while the weekdays headed
// for their relaxation's homes and settled one by one, then a few rooms at
// a time solved again over the week and the weekdays settled once more
// (optimum.cpp), come within 0.2 % to 0.5 % of its bound.
int32_t week_model_columns = 1 << 15;

namespace {

constexpr int MAX_WEEK_MEETINGS = MAX_SECTIONS * MAX_MEETINGS;
constexpr int MAX_WEEK_ROWS = 1 << 19;     // above the meetings' and capacity rows of any instance
constexpr int MAX_COLUMN_ENTRIES = 1 + MAX_SLOTS + MAX_MEETINGS;  // its meeting, the starts it covers, its links

struct WeekMeeting {
    int32_t section;
    int first;     // weekly slots
    int last;
    int m;         // which of its section's meetings
    int position;  // which of its section's meetings in the grid, from 0
};

// The week's meetings in order of first slot, and the links of the sections
// that meet more than once.
struct WeekModel {
    std::array<WeekMeeting, MAX_WEEK_MEETINGS> meetings;
    int meeting_count;
    BySection<std::array<int32_t, MAX_MEETINGS>> index;  // by position: its meetings in `meetings`
    BySection<int32_t> held;        // its meetings in the grid
    BySection<int32_t> first_link;  // the link of its position 1, where its links start
    std::array<int32_t, MAX_WEEK_MEETINGS> link_sections;
    int link_count;
};
WeekModel week;

// The week's meetings and links, by their index.
auto week_meeting_indexes()
{
    return std::views::iota(0, week.meeting_count);
}

auto link_indexes()
{
    return std::views::iota(0, week.link_count);
}

// The columns the model may give. Variables and link rows go by a column's
// place among them.
std::array<int, MAX_ROOM_COLUMNS> model_room;
std::bitset<MAX_ROOM_COLUMNS> in_model;           // the columns the model may give
std::array<int, MAX_ROOM_COLUMNS> model_index;  // by column in the model: its place in model_room
int model_room_count;
int64_t column_limit;  // the most variables the model may have

void use_rooms(const std::bitset<MAX_ROOM_COLUMNS>& rooms, int64_t limit)
{
    model_room_count = 0;
    in_model = rooms;
    for (int room = 0; room <= last_room; ++room)
        if (in_model[static_cast<std::size_t>(room)]) {
            model_index[room] = model_room_count;
            model_room[model_room_count++] = room;
        }
    column_limit = limit;
}

void use_every_room()
{
    use_rooms(std::bitset<MAX_ROOM_COLUMNS>().set(), week_model_columns);
}

std::span<const int> rooms_in_model()
{
    return {model_room.data(), static_cast<std::size_t>(model_room_count)};
}

// The rows: one per meeting (one room each), then one per start and room
// where two or more meetings may meet, then two per link and room (z below
// the earlier meetings' x, and below the joining one's).
struct RowPlan {
    std::array<int, MAX_SLOTS> starts;  // the distinct first slots, in order
    int start_count;
    std::array<std::array<int32_t, MAX_ROOM_COLUMNS>, MAX_SLOTS> capacity_row;  // NO_ROW: none
    int link_base;  // the first link row
    int row_count;
};
RowPlan plan;

std::array<int, MAX_WEEK_MEETINGS> chosen_room;
std::array<int, MAX_WEEK_MEETINGS + MAX_SECTIONS> start_columns;  // the columns at 1 in the start
std::array<double, MAX_WEEK_MEETINGS + MAX_SECTIONS> start_values;

int columns()
{
    return model_room_count;
}

int x_variable(int i, int room)
{
    return i * columns() + model_index[room];
}

int z_variable(int link, int room)
{
    return (week.meeting_count + link) * columns() + model_index[room];
}

enum LinkRow { EARLIER, JOINING, LINK_ROWS };  // the rows of each link in each room
int link_row(int link, int room, LinkRow which)
{
    return plan.link_base + LINK_ROWS * (link * columns() + model_index[room]) + which;
}

// The link's position among its section's meetings, from 1.
int link_position(int link)
{
    return link - week.first_link[week.link_sections[link]] + 1;
}

// The meetings `grid` holds in the model's rooms: those the weekdays left
// out stay out.
void collect(const AllocationGrid& grid)
{
    week.meeting_count = 0;
    week.link_count = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section) {
        int held = 0;
        for (int m : meeting_numbers()) {
            const Meeting& meeting = sections[section].meetings[m];
            int column = first_slot_column(grid, section, m);
            if (is_present(meeting) && column >= 0 && in_model[static_cast<std::size_t>(column)])
                week.meetings[week.meeting_count++] = {section, meeting.first_slot, meeting.last_slot, m, held++};
        }
        week.held[section] = held;
        week.first_link[section] = week.link_count;  // a section held once adds none
        for (int position = 1; position < held; ++position)
            week.link_sections[week.link_count++] = section;
    }
    std::ranges::sort(week.meetings.begin(), week.meetings.begin() + week.meeting_count, {},
                      [](const WeekMeeting& meeting) { return std::pair(meeting.first, meeting.section); });
    for (int i : week_meeting_indexes())
        week.index[week.meetings[i].section][week.meetings[i].position] = i;
}

bool allowed(int i, int room)
{
    const WeekMeeting& meeting = week.meetings[i];
    return room_allowed(meeting.section, room, meeting.first, meeting.last);
}

// Whether some meeting of the link's section before it may take the room.
bool earlier_allowed(int link, int room)
{
    int32_t section = week.link_sections[link];
    for (int position = 0; position < link_position(link); ++position)
        if (allowed(week.index[section][position], room))
            return true;
    return false;
}

// Whether an earlier meeting of the link's section has the chosen room.
bool joins(int link, int room)
{
    int32_t section = week.link_sections[link];
    for (int position = 0; position < link_position(link); ++position)
        if (chosen_room[week.index[section][position]] == room)
            return true;
    return false;
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
    return int64_t{same_room_weight} * week.link_count;
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
// one_objective_range.
double fit_weight_under_cost()
{
    double idle = 0.0, cost = static_cast<double>(stability_at_most()), fit = 0.0;
    for (int i : week_meeting_indexes()) {
        double most_idle = 0.0, most_cost = 0.0;
        for (int room : rooms_in_model()) {
            most_idle = std::max(most_idle, static_cast<double>(meeting_idle(i, room)));
            most_cost = std::max(most_cost, std::fabs(static_cast<double>(meeting_cost(i, room))));
        }
        idle += most_idle;
        cost += most_cost;
    }
    without_room_unit = idle + 1.0;
    moved_unit = kept_count > 0 ? idle + without_room_unit * week.meeting_count + 1.0 : 0.0;
    for (int i : week_meeting_indexes()) {
        double most_fit = 0.0;
        for (int room : rooms_in_model())
            most_fit = std::max(most_fit, meeting_fit(i, room));
        fit += most_fit;
    }
    double weight = fit + 1.0;
    return cost * weight + fit < one_objective_range ? weight : 0.0;
}

// Numbers the rows; false when the model would not fit the tables. The
// meetings' and the capacity rows always do (at most 90 starts a room).
bool plan_rows()
{
    plan.start_count = 0;
    for (int i : week_meeting_indexes())
        if (i == 0 || week.meetings[i - 1].first != week.meetings[i].first)
            plan.starts[plan.start_count++] = week.meetings[i].first;
    int rows = week.meeting_count;
    for (int k = 0; k < plan.start_count; ++k)
        for (int room : rooms_in_model()) {
            int count{};
            for (int i = 0; i < week.meeting_count && week.meetings[i].first <= plan.starts[k]; ++i)
                count += week.meetings[i].last >= plan.starts[k] && allowed(i, room);
            plan.capacity_row[k][room] = count > 1 ? rows++ : NO_ROW;
        }
    plan.link_base = rows;
    int64_t row_count = rows + LINK_ROWS * int64_t{week.link_count} * columns();
    int64_t column_count = int64_t{week.meeting_count + week.link_count} * columns();
    plan.row_count = static_cast<int>(std::min<int64_t>(row_count, MAX_WEEK_ROWS));
    return row_count <= MAX_WEEK_ROWS && column_count <= column_limit;
}

void set_rows()
{
    start_matrix(plan.row_count);
    for (int row = 0; row < plan.link_base; ++row) {
        bool assignment = row < week.meeting_count;
        set_row(row, assignment ? 1.0 : 0.0, 1.0);
    }
    for (int link : link_indexes())  // no sum of these can go lower
        for (int room : rooms_in_model()) {
            set_row(link_row(link, room, EARLIER), -link_position(link), 0.0);
            set_row(link_row(link, room, JOINING), -1.0, 0.0);
        }
}

// Column x[i, room]: in its meeting's row, in the rows of the starts it
// covers in that room, and in the rows of its section's links: its own, and
// the later meetings'.
bool add_meeting_column(int i, int room, double unit, double fit_unit)
{
    const WeekMeeting& meeting = week.meetings[i];
    bool may = allowed(i, room);
    double objective = static_cast<double>(meeting_cost(i, room)) * unit + meeting_fit(i, room) * fit_unit;
    if (!begin_column(may ? 1.0 : 0.0, objective, MAX_COLUMN_ENTRIES))
        return false;
    add_entry(i, 1.0);
    for (int k = 0; may && k < plan.start_count; ++k)
        if (plan.starts[k] >= meeting.first && plan.starts[k] <= meeting.last && plan.capacity_row[k][room] != NO_ROW)
            add_entry(plan.capacity_row[k][room], 1.0);
    int first = week.first_link[meeting.section];
    if (meeting.position > 0)
        add_entry(link_row(first + meeting.position - 1, room, JOINING), -1.0);
    for (int link = first + meeting.position; link < first + week.held[meeting.section] - 1; ++link)
        add_entry(link_row(link, room, EARLIER), -1.0);
    return true;
}

// The objective is cost x `weight` + the fit, or the cost alone when
// weight is 0; false when the matrix would not fit its tables.
bool build_matrix(double weight)
{
    double unit = weight > 0.0 ? weight : 1.0, fit_unit = weight > 0.0 ? 1.0 : 0.0;
    set_rows();
    for (int i : week_meeting_indexes())
        for (int room : rooms_in_model())
            if (!add_meeting_column(i, room, unit, fit_unit))
                return false;
    for (int link : link_indexes()) {
        int32_t section = week.link_sections[link];
        int joining = week.index[section][link_position(link)];
        for (int room : rooms_in_model()) {
            double upper = allowed(joining, room) && earlier_allowed(link, room) ? 1.0 : 0.0;
            if (!begin_column(upper, -same_room_weight * unit, 2))
                return false;
            add_entry(link_row(link, room, EARLIER), 1.0);
            add_entry(link_row(link, room, JOINING), 1.0);
        }
    }
    return true;
}

// Each meeting's room as `grid` gives it.
void choose_rooms_of(const AllocationGrid& grid)
{
    for (int i : week_meeting_indexes())
        chosen_room[i] = first_slot_column(grid, week.meetings[i].section, week.meetings[i].m);
}

// The allocation in `grid` as the solver's first solution.
void start_from(Cbc_Model* cbc, const AllocationGrid& grid)
{
    choose_rooms_of(grid);
    int count = 0;
    for (int i : week_meeting_indexes()) {
        start_columns[count] = x_variable(i, chosen_room[i]);
        start_values[count++] = 1.0;
    }
    for (int link : link_indexes())
        if (int room = chosen_room[week.index[week.link_sections[link]][link_position(link)]]; joins(link, room)) {
            start_columns[count] = z_variable(link, room);
            start_values[count++] = 1.0;
        }
    Cbc_setMIPStartI(cbc, count, start_columns.data(), start_values.data());
}

// What the chosen rooms cost: the meetings, and the weight of each link
// that takes a room its section's earlier meetings do not.
int64_t chosen_cost()
{
    int64_t cost = 0;
    for (int i : week_meeting_indexes())
        cost += meeting_cost(i, chosen_room[i]);
    for (int link : link_indexes())
        if (!joins(link, chosen_room[week.index[week.link_sections[link]][link_position(link)]]))
            cost += same_room_weight;
    return cost;
}

void place(AllocationGrid& grid)
{
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        for (int room : rooms_in_model())
            grid[row][room] = 0;
    for (int i : week_meeting_indexes())
        for (int row = week.meetings[i].first; row <= week.meetings[i].last; ++row)
            grid[row][chosen_room[i]] = week.meetings[i].section;
}

// Each meeting's room: the one its row sets to 1. A meeting's variables lie
// side by side, in the order of model_room.
void choose_rooms(const double* solution)
{
    for (int i : week_meeting_indexes()) {
        std::span<const double> x(solution + x_variable(i, model_room[0]), static_cast<std::size_t>(columns()));
        chosen_room[i] = model_room[static_cast<std::size_t>(std::ranges::max_element(x) - x.begin())];
    }
}

// What the kept meetings that `grid` leaves out add: each is moved.
int64_t kept_left_out_price(const AllocationGrid& grid)
{
    int64_t price = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers())
            if (is_present(sections[section].meetings[m]) && kept_room(section, m) >= 0 &&
                first_slot_column(grid, section, m) < 0)
                price += change_weight;
    return price;
}

// No allocation adds less than every meeting in its cheapest room allowed;
// the room it holds in `grid` is one of those.
int64_t cheapest_rooms(const AllocationGrid& grid)
{
    choose_rooms_of(grid);
    int64_t bound = 0;
    for (int i : week_meeting_indexes()) {
        int64_t cheapest = meeting_cost(i, chosen_room[i]);
        for (int room : rooms_in_model())
            if (allowed(i, room))
                cheapest = std::min(cheapest, meeting_cost(i, room));
        bound += cheapest;
    }
    return bound;
}

}  // namespace

ModelResult solve_week_by_model(AllocationGrid& grid, double seconds)
{
    use_every_room();
    collect(grid);
    int64_t left_out = kept_left_out_price(grid);  // the meetings left out stay out
    if (week.meeting_count == 0)
        return {true, true, left_out, left_out};
    ModelResult result{true, false, 0, cheapest_rooms(grid)};
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
    choose_rooms_of(grid);
    result.cost = chosen_cost() + left_out;
    result.bound += left_out;
    if (result.proven)
        result.bound = result.cost;
    return result;
}

bool week_fits_one_model(const AllocationGrid& grid)
{
    use_every_room();
    collect(grid);
    return int64_t{week.meeting_count + week.link_count} * columns() <= week_model_columns;
}

bool improve_rooms_by_model(AllocationGrid& grid, const std::bitset<MAX_ROOM_COLUMNS>& rooms, int nodes)
{
    use_rooms(rooms, MAX_MODEL_COLUMNS);
    collect(grid);
    if (week.meeting_count == 0)
        return false;
    double weight = fit_weight_under_cost();
    if (!plan_rows() || !build_matrix(weight))
        return false;
    Cbc_Model* cbc = load_matrix();
    start_from(cbc, grid);
    int64_t before = chosen_cost();  // of the start: the grid's own rooms
    Cbc_setMaximumNodes(cbc, nodes);
    // Cutting planes take half the time of such a re-solve and rarely decide
    // it: on generated faculties, 40 nodes without them find more than 10 with.
    Cbc_setParameter(cbc, "cuts", "off");
    SolverOutcome outcome = run_solver(cbc, 0.0, weight);
    bool better = false;
    if (outcome.solution != nullptr) {
        choose_rooms(outcome.solution);
        better = chosen_cost() < before;
        if (better)
            place(grid);
    }
    Cbc_deleteModel(cbc);
    return better;
}
