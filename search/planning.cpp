// One exact solve per change of seats, reusing the solver's memory.
#include "search/planning.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <ranges>
#include <tuple>

#include "io/console.hpp"
#include "model/rules/rules.hpp"
#include "model/weights.hpp"
#include "search/cost.hpp"
#include "search/kept_plan.hpp"

std::array<RoomChange, MAX_ROOM_CHANGES> room_changes{};
int room_change_count = 0;
std::array<RulePrice, MAX_RULES> rule_prices{};
int rule_price_count = 0;
std::array<SpareSeats, MAX_ROOM_COLUMNS> spare_seats{};
int spare_seat_count = 0;
bool planning_cut_short = false;
PlanningProgress planning_progress{};

namespace {

AllocationGrid planned_grid;  // the optimal allocation of the change being solved

using Clock = std::chrono::steady_clock;

// Into `left`, what remains of `seconds` since `start` for the next solve
// (0: no limit); false, and planning_cut_short set, when nothing does.
bool time_for_a_solve(double seconds, Clock::time_point start, double& left)
{
    left = seconds_left(seconds, start);
    planning_cut_short = planning_cut_short || left < 0.0;
    return left >= 0.0;
}

// A column past the last room is a new room, of no seats today.
RoomChange solve_with_seats(int column, int32_t seats, int64_t state_limit, int64_t students_today, double seconds)
{
    int32_t rooms = last_room, current = room_capacity[column];
    last_room = std::max(last_room, column);
    room_capacity[column] = seats;
    OptimumResult result = solve_optimum(planned_grid, state_limit, seconds);
    int64_t students = optimum_students_above(result);
    RoomChange change{column, current, seats, students, students - students_today, result.cost,
                      count_capacity_violations(planned_grid), result.proven};
    room_capacity[column] = current;
    last_room = rooms;
    return change;
}

Clock::time_point planning_start;

// On a terminal, the changes solved of all, and about how long the rest
// takes, on one line rewritten; elsewhere (a pipe, a log), a line at each
// tenth of them: "planejamento: 44 de 436 solucoes (8 s)".
void show_progress(int done, int total)
{
    double spent = std::chrono::duration<double>(Clock::now() - planning_start).count();
    if (!console_is_terminal()) {
        if (done * 10 / total != (done - 1) * 10 / total)
            console_print("planejamento: %d de %d %s (%d s)\n", done, total, plural(total, "solucao", "solucoes"),
                          static_cast<int>(spent));
        return;
    }
    int left = static_cast<int>(spent / done * (total - done) + 0.5);
    console_print("\rPlanejamento: %d de %d %s, cerca de %d s restantes ", done, total,
                  plural(total, "mudan\xE7" "a resolvida", "mudan\xE7" "as resolvidas"), left);
    if (done == total)
        console_print("\r%*s\r", 72, "");
    std::fflush(stdout);
}

// One more change evaluated, solved or found without a solve.
void count_evaluated()
{
    ++planning_progress.evaluated;
    if (planning_progress.show && planning_progress.planned > 0)
        show_progress(std::min(planning_progress.evaluated, planning_progress.planned), planning_progress.planned);
}

}  // namespace

int planned_sizes()
{
    int64_t largest = 0;
    for (int room = FIRST_ROOM; room <= last_room; ++room)
        largest = std::max<int64_t>(largest, room_capacity[room]);
    int64_t top = std::max<int64_t>(MOST_PLANNED_SEATS, largest + PLANNED_SEATS_STEP);
    int64_t sizes = (top - FEWEST_PLANNED_SEATS) / PLANNED_SEATS_STEP + 1;
    return static_cast<int>(std::min<int64_t>(sizes, MAX_PLANNED_SIZES));
}

void start_planning_progress(int planned, bool show)
{
    planning_progress = {planned, 0, show};
    planning_start = Clock::now();
    planning_cut_short = false;
}

int64_t optimum_students_above(const OptimumResult& optimum)
{
    if (excess_weight != 0 || idle_weight != 0)
        return optimum.figures.students_above;
    // Under the weights 1 and 0, without the stability price, a grid's cost
    // is its students above capacity block by block; its optimum is read
    // meeting by meeting, as every other.
    int32_t stability = same_room_weight;
    excess_weight = 1;
    same_room_weight = 0;
    int64_t students = solve_optimum(planned_grid).figures.students_above;
    excess_weight = 0;
    same_room_weight = stability;
    return students;
}

void sort_room_changes()
{
    // Fewest students above first, then fewest seats added; no two changes share a column and seats.
    std::ranges::sort(room_changes.begin(), room_changes.begin() + room_change_count, {}, [](const RoomChange& c) {
        return std::tuple(c.students_above, int64_t{c.proposed_seats} - c.current_seats, c.column, c.proposed_seats);
    });
}

bool planned_costs_exact()
{
    return std::ranges::all_of(std::views::iota(0, planned_sizes()),
                               [](int size) { return cell_prices_exact(planned_seats(size)); });
}

int room_changes_to_try()
{
    int last_column = std::min(last_room + 1, MAX_ROOM), sizes = planned_sizes(), total = 0;
    for (int column = FIRST_ROOM; column <= last_column; ++column)
        for (int size = 0; size < sizes; ++size)
            total += planned_seats(size) != room_capacity[column] || column > last_room;
    return total;
}

int rule_prices_to_try()
{
    int total = 0;
    for (const Rule& rule : file_rules())
        total += is_priced_rule(rule);
    return total;
}

namespace {

// Whether every rule treats rooms a and b alike: no pin into either, and
// each other rule's rooms hold both or neither.
bool alike_under_rules(int a, int b)
{
    for (const Rule& rule : file_rules()) {
        if (rule.kind == RuleKind::Pin ? rule.room == a || rule.room == b
                                       : rule_holds_room(rule, a) != rule_holds_room(rule, b))
            return false;
    }
    return true;
}

// The lowest room that `room` is a twin of, or `room` itself: twins have the
// same seats, every rule of regras.txt treats them alike and no plan is
// kept, so that exchanging them maps every allocation to one of the same
// cost and figures, and a change of one has the optimum of the same change
// of the other.
int first_twin(int room)
{
    if (room > last_room || kept_count > 0)
        return room;
    for (int twin = FIRST_ROOM; twin < room; ++twin)
        if (room_capacity[twin] == room_capacity[room] && alike_under_rules(twin, room))
            return twin;
    return room;
}

}  // namespace

void evaluate_room_changes(int64_t state_limit, int64_t students_today, double seconds)
{
    int last_column = std::min(last_room + 1, MAX_ROOM);  // a new room, while there is a column for it
    int sizes = planned_sizes();
    auto start = Clock::now();
    room_change_count = 0;
    std::array<int, MAX_ROOM_COLUMNS + 1> first_change{};  // each column's first change in room_changes
    double left;
    for (int column = FIRST_ROOM; column <= last_column; ++column) {
        first_change[column] = room_change_count;
        int twin = first_twin(column);
        for (int size = 0; size < sizes; ++size) {
            int32_t seats = planned_seats(size);
            if ((seats == room_capacity[column] && column <= last_room) || !time_for_a_solve(seconds, start, left))
                continue;
            int same = first_change[twin] + (room_change_count - first_change[column]);
            RoomChange& change = room_changes[room_change_count];
            // A twin has the same seats, so it had this size evaluated as well, unless
            // the time ran out there, which leaves none for this column either.
            if (twin != column) {  // the twin's change, in this column
                change = room_changes[same];
                change.column = column;
            } else {
                change = solve_with_seats(column, seats, state_limit, students_today, left);
            }
            ++room_change_count;
            count_evaluated();
        }
    }
    sort_room_changes();
}

int choose_investments(std::array<int, BEST_CHANGES_SHOWN>& chosen)
{
    std::array<bool, MAX_ROOM_COLUMNS + 1> column_taken{};
    int count = 0;
    for (int i = 0; i < room_change_count && count < BEST_CHANGES_SHOWN; ++i) {
        const RoomChange& change = room_changes[i];
        if (change.variation < 0 && !column_taken[change.column]) {
            column_taken[change.column] = true;
            chosen[count++] = i;
        }
    }
    return count;
}

int choose_spare_seats(std::array<int, MAX_ROOM_COLUMNS>& chosen)
{
    int count = 0;
    for (int room = FIRST_ROOM; room <= last_room; ++room) {
        std::optional<int> fewest;
        for (int i = 0; i < room_change_count; ++i) {
            const RoomChange& change = room_changes[i];
            if (change.column == room && change.proposed_seats < change.current_seats && change.variation == 0 &&
                (!fewest || change.proposed_seats < room_changes[*fewest].proposed_seats))
                fewest = i;
        }
        if (fewest)
            chosen[count++] = *fewest;
    }
    return count;
}

void choose_spare_set(int64_t state_limit, int64_t cost_today, int64_t students_today, double seconds)
{
    std::array<int, MAX_ROOM_COLUMNS> singles;
    int count = choose_spare_seats(singles);
    std::stable_sort(singles.begin(), singles.begin() + count, [](int a, int b) {
        const RoomChange &x = room_changes[a], &y = room_changes[b];
        return x.current_seats - x.proposed_seats > y.current_seats - y.proposed_seats;
    });
    spare_seat_count = 0;
    planning_progress.planned += count;
    auto start = Clock::now();
    double left;
    for (int i = 0; i < count && time_for_a_solve(seconds, start, left); ++i) {
        const RoomChange& single = room_changes[singles[i]];
        room_capacity[single.column] = single.proposed_seats;
        OptimumResult result = solve_optimum(planned_grid, state_limit, left);
        count_evaluated();
        if (result.feasible && result.cost <= cost_today && optimum_students_above(result) <= students_today)
            spare_seats[spare_seat_count++] = {single.column, single.current_seats, single.proposed_seats};
        else
            room_capacity[single.column] = single.current_seats;
    }
    for (const SpareSeats& spare : spare_set())
        room_capacity[spare.column] = spare.current_seats;
}

namespace {

// The price already found for an earlier line that says the same as rules[i]; null when none.
const RulePrice* earlier_price(int32_t i)
{
    int price = 0;
    for (int32_t j = 0; j < i; ++j) {
        if (!is_priced_rule(rules[j]))
            continue;
        if (same_rule(rules[j], rules[i]))
            return &rule_prices[price];
        ++price;
    }
    return nullptr;
}

}  // namespace

RulePrice price_of_rule(int32_t i, const OptimumResult& result, int64_t cost_today, int64_t students_today,
                   const AllocationGrid& today)
{
    int64_t students = optimum_students_above(result);
    RulePrice price{rules[i].line, result.cost, result.cost - cost_today, students, students - students_today,
                    result.proven, result.cost};
    if (result.proven)
        return price;
    int32_t today_without_it;
    grid_cost(today, today_without_it);
    price.cost = std::min<int64_t>(result.cost, today_without_it);
    price.cost_change = price.cost - cost_today;
    price.lower_bound = std::min(result.lower_bound, price.cost);
    return price;
}

void price_rules(int64_t state_limit, int64_t cost_today, int64_t students_today, const AllocationGrid& today,
                 double seconds)
{
    rule_price_count = 0;
    auto start = Clock::now();
    double left;
    for (int32_t i = 0; i < rule_count && time_for_a_solve(seconds, start, left); ++i) {
        if (!is_priced_rule(rules[i]))
            continue;
        if (const RulePrice* repeated = earlier_price(i)) {
            rule_prices[rule_price_count] = *repeated;
            rule_prices[rule_price_count++].line = rules[i].line;
            count_evaluated();
            continue;
        }
        apply_rules(i);
        OptimumResult result = solve_optimum(planned_grid, state_limit, left, &today);  // today's plan keeps every rule left
        rule_prices[rule_price_count++] = price_of_rule(i, result, cost_today, students_today, today);
        count_evaluated();
    }
    apply_rules();
}
