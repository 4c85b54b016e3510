// Where to invest: the exact optimum of the instance after each single change
// of one room's seats; and the price of each room rule of regras.txt, the
// optimum without it. Every room is tried at 20, 30, ..., 120 seats, and so
// is one more room, column last_room + 1 (while that is a column: up to 999).
// The changes are ranked by the students they leave above capacity, which is
// what an allocation's cost ranks: seats that merely cut idle seats (and so
// the cost) rank after seats that seat students.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "model/rules/rules.hpp"
#include "model/tables.hpp"
#include "search/optimum.hpp"

inline constexpr int32_t FEWEST_PLANNED_SEATS = 20;
inline constexpr int32_t MOST_PLANNED_SEATS = 120;  // the seats tried reach at least this
inline constexpr int32_t PLANNED_SEATS_STEP = 10;
inline constexpr int PLANNED_SIZES = (MOST_PLANNED_SEATS - FEWEST_PLANNED_SEATS) / PLANNED_SEATS_STEP + 1;
inline constexpr int MAX_PLANNED_SIZES = 64;  // 20..650 seats: a room of more is not tried larger
inline constexpr int MAX_ROOM_CHANGES = (MAX_ROOM_COLUMNS + 1) * MAX_PLANNED_SIZES;  // every column and a new room
inline constexpr int BEST_CHANGES_SHOWN = 10;

// How many sizes of seats are tried: 20, 30, ..., up to the larger of 120
// and the largest room plus a step (so that every room can be tried
// larger), MAX_PLANNED_SIZES at most; and the seats of size `size` (0 first).
int planned_sizes();
inline int32_t planned_seats(int size)
{
    return FEWEST_PLANNED_SEATS + PLANNED_SEATS_STEP * size;
}

// What planning sets out to solve and how far it has come: the changes of
// seats and the rules to price, each one exact solve (a twin's change or a
// repeated line, none); the spare set's solves join when they are known.
// `show`: the console shows how far it has come (show_progress).
struct PlanningProgress {
    int planned;
    int evaluated;
    bool show;
};
extern PlanningProgress planning_progress;

// Starts counting for `planned` changes.
void start_planning_progress(int planned, bool show);

// How many changes of seats and rule prices evaluate_room_changes and price_rules try.
int room_changes_to_try();
int rule_prices_to_try();

// One change and the optimum of the instance with it.
struct RoomChange {
    int32_t column;
    int32_t current_seats;
    int32_t proposed_seats;
    int64_t students_above;  // the students above capacity of the optimum with this change alone
    int64_t variation;       // students_above less today's (below 0: relief)
    int64_t cost;            // the optimal cost with this change alone
    int32_t violations;      // over-capacity cells of that optimal allocation
    bool proven;             // false when a weekday's search reached the state limit
};

extern std::array<RoomChange, MAX_ROOM_CHANGES> room_changes;  // entries 0..room_change_count-1
extern int room_change_count;

inline std::span<const RoomChange> changes_evaluated()
{
    return {room_changes.data(), static_cast<std::size_t>(room_change_count)};
}

// The students above capacity of the loaded instance's optimum, each meeting
// counted once; the optimum itself has the fewest counted block by block
// (its cost ranks allocations so), unless both weights are 0, when they are
// solved for on their own.
int64_t optimum_students_above(const OptimumResult& optimum);

// Solves the loaded instance once for every change that differs from the
// current seats, with `state_limit` states per weekday and within `seconds`
// for them all (0: no limit; see planning_cut_short), and leaves
// room_changes sorted as sort_room_changes does; `students_today` is the
// students above capacity of today's optimum. room_capacity is as it
// was afterwards. No slot may hold more meetings than there are columns.
void evaluate_room_changes(int64_t state_limit, int64_t students_today, double seconds = 0.0);

// Whether every change that evaluate_room_changes tries prices exactly in 64
// bits; the costs of a change may pass 32 bits, and are kept in 64.
bool planned_costs_exact();

// Sorts the first room_change_count entries by students above capacity, then
// by the seats added (fewer first, so a harmless cut comes before an addition
// of equal effect), then by column, then by proposed seats.
void sort_room_changes();

// "Onde investir": the first change of each column that seats students who
// are above capacity today, in the order of room_changes, at most
// BEST_CHANGES_SHOWN; their indices into `chosen`, and how many.
int choose_investments(std::array<int, BEST_CHANGES_SHOWN>& chosen);

// For each room, the change to the fewest seats below today's that leaves no
// more students above capacity; their indices into `chosen`, in room order,
// and how many. Each holds alone, not necessarily with the others.
int choose_spare_seats(std::array<int, MAX_ROOM_COLUMNS>& chosen);

// "Lugares que sobram": reductions of seats that hold all at once.
struct SpareSeats {
    int32_t column;
    int32_t current_seats;
    int32_t proposed_seats;
};
extern std::array<SpareSeats, MAX_ROOM_COLUMNS> spare_seats;  // entries 0..spare_seat_count-1
extern int spare_seat_count;

inline std::span<const SpareSeats> spare_set()
{
    return {spare_seats.data(), static_cast<std::size_t>(spare_seat_count)};
}

// Whether a planning step since evaluate_room_changes began ran out of its
// seconds and left solves undone: its tables then hold only the solves made.
extern bool planning_cut_short;

// Builds spare_seats from room_changes: the single reductions of
// choose_spare_seats in order of seats freed (most first, then by column),
// each kept only when, with the ones kept before, the optimum's cost stays
// at most `cost_today` and its students above capacity at most
// `students_today`; one exact solve each, within `seconds` for them all.
// room_capacity is as it was afterwards.
void choose_spare_set(int64_t state_limit, int64_t cost_today, int64_t students_today, double seconds = 0.0);

// What one pin, avoidance or closure costs: the optimum without that line.
// A solve that was not proven gives only the range of that optimum: from its
// lower bound to the better of the plan found and today's plan, which keeps
// every other rule too.
struct RulePrice {
    int32_t line;            // its line in regras.txt
    int64_t cost;            // the optimal cost without it; not proven: the least cost known
    int64_t cost_change;     // cost less today's optimal cost
    int64_t students_above;  // the students above capacity of the optimum without it
    int64_t students_change; // students_above less today's
    bool proven;
    int64_t lower_bound;     // no allocation without it costs less; `cost` when proven
};

extern std::array<RulePrice, MAX_RULES> rule_prices;  // entries 0..rule_price_count-1, in file order
extern int rule_price_count;

inline std::span<const RulePrice> rules_priced()
{
    return {rule_prices.data(), static_cast<std::size_t>(rule_price_count)};
}

// The price of rules[i] from `result`, the optimum solved without it; when
// that is not proven, its range, up to the least of the plan found and
// `today` priced under the rules in force (apply_rules without i).
RulePrice price_of_rule(int32_t i, const OptimumResult& result, int64_t cost_today, int64_t students_today,
                        const AllocationGrid& today);

// Solves the loaded instance once without each hard rule and preference
// (the stability weight stays), and without every line that repeats it,
// measured against today's optimal cost and its students above capacity;
// a line that repeats an earlier one gets that line's price without a solve;
// all within `seconds`. `today` is today's plan, which keeps every rule and
// so bounds each price from above. The rules are all in force afterwards.
void price_rules(int64_t state_limit, int64_t cost_today, int64_t students_today, const AllocationGrid& today,
                 double seconds = 0.0);
