// Exact allocation by weekday: a memoised search over the day's meetings in
// order of their first slot. The state before meeting i packs, for every
// column, the last slot (1..48 within the day) that an earlier meeting keeps
// busy, or 0 when the column is free from meeting i's first slot on.
// Weekdays beyond the search go to the model (optimum_model.cpp); with a
// stability price, the weekdays are then settled one by one and the week
// handed to the week's model (week_model.cpp); a week too large for it has
// the rooms around each section that still changes rooms solved again, and
// its weekdays settled once more after that.
#include "search/optimum.hpp"

#include <algorithm>
#include <bitset>
#include <chrono>
#include <limits>
#include <tuple>

#include "model/calendar.hpp"
#include "model/hash_slot.hpp"
#include "model/rules/rules.hpp"
#include "model/weights.hpp"
#include "search/kept_plan.hpp"
#include "search/optimum_model.hpp"
#include "search/week_bound.hpp"

namespace {

constexpr int BITS_PER_COLUMN = 6;  // a day has at most 48 blocks
constexpr int DAY_SEARCH_COLUMNS = 8;  // the packed state holds the columns 0..7
constexpr int DAY_SEARCH_LAST = DAY_SEARCH_COLUMNS - 1;
constexpr uint64_t COLUMN_MASK = (1U << BITS_PER_COLUMN) - 1;
static_assert(MAX_DAY_BLOCKS < (1 << BITS_PER_COLUMN));  // a column holds a slot of the day
static_assert(DAY_SEARCH_COLUMNS * BITS_PER_COLUMN + 14 <= 64);  // with the meeting index, below 2^14
constexpr int MAX_DAY_MEETINGS = MAX_SECTIONS;  // a section meets at most once a day
constexpr int8_t LEFT_OUT = DAY_SEARCH_COLUMNS;  // the remembered "column" of a meeting left out of the grid
// How the search ranks what meetings add: how many of them are left out of
// the grid (only on a weekday with an over-full slot), then their cost (with
// the price of each meeting that leaves its kept room), then how many leave
// their kept room, then how many go without a room (sv), then the idle seats
// of the rooms they take, so that of the allocations of least cost it finds
// one that keeps the kept plan best, leaves no class roomless beside a free
// room and fits the rooms best.
struct Rank {
    int64_t cost{};
    int64_t idle{};
    int32_t without_room{};
    int32_t left_out{};
    int32_t moved{};
};

Rank operator+(Rank a, Rank b)
{
    return {a.cost + b.cost, a.idle + b.idle, a.without_room + b.without_room, a.left_out + b.left_out,
            a.moved + b.moved};
}

bool operator<(Rank a, Rank b)
{
    return std::tie(a.left_out, a.cost, a.moved, a.without_room, a.idle) <
           std::tie(b.left_out, b.cost, b.moved, b.without_room, b.idle);
}

constexpr Rank NOTHING{};
constexpr Rank OUT_OF_THE_GRID{.left_out = 1};
constexpr Rank UNREACHABLE{std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::max(),
                           std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
                           std::numeric_limits<int32_t>::max()};

struct DayMeeting {
    int32_t section;
    int first;  // slots within the day, 1..17
    int last;
    std::array<Rank, DAY_SEARCH_COLUMNS> rank;  // what the meeting adds in each column
    Rank out;  // and out of the grid: a kept meeting left out is moved, and pays for it
};

std::array<DayMeeting, MAX_DAY_MEETINGS> day;
int day_count = 0;
bool day_may_leave_out = false;  // the weekday has an over-full slot

// The memo: open addressing, sized for the state limit at half load.
constexpr std::size_t MEMO_SIZE = std::size_t{1} << 21;
struct MemoEntry {
    uint64_t key;
    Rank value;
    uint32_t generation;  // the entry is empty unless it belongs to the current search
    int8_t column;
};
std::array<MemoEntry, MEMO_SIZE> memo;
uint32_t memo_generation{};  // entries start at generation 0, which no search uses
int64_t memo_used;  // the three set by each search_day
int64_t memo_limit;
bool memo_full;

int busy_until(uint64_t state, int column)
{
    return static_cast<int>((state >> (column * BITS_PER_COLUMN)) & COLUMN_MASK);
}

// Frees the columns whose meetings end before `slot`.
uint64_t release_before(uint64_t state, int slot)
{
    for (int column = 0; column <= last_room; ++column)
        if (busy_until(state, column) < slot)
            state &= ~(COLUMN_MASK << (column * BITS_PER_COLUMN));
    return state;
}

uint64_t memo_key(int i, uint64_t state)
{
    return (static_cast<uint64_t>(i) << (DAY_SEARCH_COLUMNS * BITS_PER_COLUMN)) | state;
}

MemoEntry& memo_slot(uint64_t key)
{
    std::size_t index = hash_slot<MEMO_SIZE>(key);
    while (memo[index].generation == memo_generation && memo[index].key != key)
        index = next_slot<MEMO_SIZE>(index);
    return memo[index];
}

// The best rank of meetings i.. of the day from `state`; records the best column.
Rank best_from(int i, uint64_t state)
{
    if (i == day_count || memo_full)
        return NOTHING;
    state = release_before(state, day[i].first);
    uint64_t key = memo_key(i, state);
    MemoEntry& entry = memo_slot(key);
    if (entry.generation == memo_generation)
        return entry.value;
    if (++memo_used > memo_limit) {
        memo_full = true;
        return NOTHING;
    }
    const DayMeeting& meeting = day[i];
    Rank best = UNREACHABLE;
    int8_t best_column = LEFT_OUT;  // followed only when `best` is reachable
    for (int column = 0; column <= last_room; ++column) {
        if (busy_until(state, column) != 0 || meeting.rank[column].cost == UNREACHABLE.cost)
            continue;
        Rank rest = best_from(i + 1, state | (static_cast<uint64_t>(meeting.last) << (column * BITS_PER_COLUMN)));
        if (rest < UNREACHABLE && meeting.rank[column] + rest < best) {
            best = meeting.rank[column] + rest;
            best_column = static_cast<int8_t>(column);
        }
    }
    if (day_may_leave_out) {
        Rank rest = best_from(i + 1, state);
        if (rest < UNREACHABLE && meeting.out + rest < best) {
            best = meeting.out + rest;
            best_column = LEFT_OUT;
        }
    }
    MemoEntry& stored = memo_slot(key);  // the recursion may have taken the slot found above
    stored = {key, best, memo_generation, best_column};
    return best;
}

void collect_day(int weekday)
{
    day_count = 0;
    int base = week_days[weekday].first - 1;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers()) {
            const Meeting& meeting = sections[section].meetings[m];
            if (meeting.weekday != weekday)
                continue;
            DayMeeting& entry = day[day_count++];
            bool kept = kept_room(section, m) >= 0;
            entry = {section, meeting.first_slot - base, meeting.last_slot - base, {},
                     OUT_OF_THE_GRID + Rank{kept ? change_weight : 0, 0, 0, 0, kept}};
            int64_t length = meeting.last_slot - meeting.first_slot + 1;
            int64_t demand = sections[section].demand;
            for (int column = 0; column <= last_room; ++column) {
                int64_t capacity = room_capacity[column];
                bool moved = leaves_kept_room(section, m, column);
                entry.rank[column] = {meeting_price(section, length, column) + (moved ? change_weight : 0),
                                      length * std::max<int64_t>(capacity - demand, 0), column == OVERFLOW_COLUMN,
                                      0, moved};
                if (!room_allowed(section, column, meeting.first_slot, meeting.last_slot))
                    entry.rank[column] = UNREACHABLE;
            }
        }
    std::sort(day.begin(), day.begin() + day_count, [](const DayMeeting& a, const DayMeeting& b) {
        return a.first != b.first ? a.first < b.first : a.last < b.last;
    });
}

void occupy(AllocationGrid& grid, int weekday, const DayMeeting& meeting, int column)
{
    int base = week_days[weekday].first - 1;
    for (int slot = meeting.first; slot <= meeting.last; ++slot)
        grid[base + slot][column] = meeting.section;
}

// Follows the remembered best columns from the day's first meeting.
int64_t place_optimal_day(AllocationGrid& grid, int weekday)
{
    uint64_t state = 0;
    int64_t cost = 0;
    for (int i = 0; i < day_count; ++i) {
        state = release_before(state, day[i].first);
        int column = memo_slot(memo_key(i, state)).column;
        if (column == LEFT_OUT) {
            cost += day[i].out.cost;
        } else {
            occupy(grid, weekday, day[i], column);
            cost += day[i].rank[column].cost;
            state |= static_cast<uint64_t>(day[i].last) << (column * BITS_PER_COLUMN);
        }
    }
    return cost;
}

// What the grid costs with no section in it: closed cells cost nothing.
int64_t empty_grid_cost()
{
    int64_t cost = 0;
    for (int column = 0; column <= last_room; ++column) {
        int64_t open = slot_count;
        for (int row = FIRST_SLOT; row <= slot_count; ++row)
            open -= closed_cells[row][column];
        cost += open * seat_cost(0, room_capacity[column]);
    }
    return cost;
}

// A result before any weekday is solved: the empty grid's, feasible and proven until a weekday says otherwise.
OptimumResult fresh_result()
{
    OptimumResult result{};
    result.feasible = result.proven = true;
    result.cost = result.lower_bound = empty_grid_cost();
    return result;
}

// The weekday by the search, into the grid and the result; false, with
// nothing placed, when it reached the state limit. When the rules leave the
// weekday no allocation, result.feasible becomes false; on a weekday with an
// over-full slot, the fewest meetings possible stay out of the grid.
bool search_day(AllocationGrid& grid, int weekday, int64_t state_limit, bool may_leave_out, OptimumResult& result)
{
    collect_day(weekday);
    day_may_leave_out = may_leave_out;
    ++memo_generation;
    memo_used = 0;
    memo_limit = std::min<int64_t>(state_limit, MEMO_SIZE / 2);
    memo_full = false;
    int64_t optimum = best_from(0, 0).cost;
    result.states += std::min(memo_used, memo_limit);
    if (memo_full)
        return false;
    if (optimum == UNREACHABLE.cost) {
        result.feasible = false;
        return true;
    }
    result.cost += place_optimal_day(grid, weekday);
    result.lower_bound += optimum;
    return true;
}

void add_model_result(OptimumResult& result, const ModelResult& part)
{
    result.feasible = result.feasible && part.found;
    result.cost += part.cost;
    result.lower_bound += part.bound;
    result.proven = result.proven && part.proven;
}

constexpr int SETTLING_ROUNDS = 8;  // rounds over the weekdays, at most, before the week's model
constexpr int ROUNDS_BEFORE_APART = 4;  // in a week too large for it, before the re-solves around sections

// One weekday, into its empty rows of `grid`: by the search when it can,
// else by the model; `may_leave_out`: the fewest meetings stay out of the grid.
void solve_weekday_with(AllocationGrid& grid, int weekday, int64_t state_limit, double seconds, bool may_leave_out,
                        OptimumResult& result)
{
    if (last_room <= DAY_SEARCH_LAST && search_day(grid, weekday, state_limit, may_leave_out, result))
        return;
    add_model_result(result, solve_day_by_model(grid, weekday, seconds, may_leave_out));
}

// One weekday. When some slot holds more meetings than open columns, or the
// rules leave the weekday no allocation of every meeting, it leaves out of
// the grid the fewest meetings it can: one path for both.
void solve_weekday(AllocationGrid& grid, int weekday, int64_t state_limit, double seconds, OptimumResult& result)
{
    bool overfull = weekday_overfull(weekday);
    OptimumResult before = result;
    solve_weekday_with(grid, weekday, state_limit, seconds, overfull, result);
    if (result.feasible || overfull)
        return;
    result = before;  // what the failed attempt added is not the week's
    result.rule_tight_weekdays |= 1U << weekday;
    solve_weekday_with(grid, weekday, state_limit, seconds, true, result);
}

// Every weekday apart. The weekdays' search and model price no stability:
// a room apart from a section's other weekdays costs only as a kept room's move.
void solve_weekdays(AllocationGrid& grid, int64_t state_limit, double seconds,
                    std::chrono::steady_clock::time_point start, OptimumResult& result)
{
    for (int weekday = SUNDAY; weekday <= SATURDAY && result.feasible; ++weekday)
        solve_weekday(grid, weekday, state_limit, seconds_left(seconds, start), result);
}

int32_t count_left_out(const AllocationGrid& grid)
{
    int32_t count = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers())
            count += is_present(sections[section].meetings[m]) && first_slot_column(grid, section, m) < 0;
    return count;
}

// The cost of `grid` with the stability price of `weight` per section apart.
int64_t priced_with_stability(const AllocationGrid& grid, int32_t weight)
{
    int32_t stability = same_room_weight;
    same_room_weight = weight;
    int32_t cost;
    grid_cost(grid, cost);
    same_room_weight = stability;
    return cost;
}

// Weekday `weekday` solved again, exactly unless time runs out, with the
// other weekdays as they are: a meeting away from its section's meeting of
// another weekday pays the stability weight, priced as a move from a kept
// room. The weekday keeps its rows when the new ones would not cost less.
void settle_weekday(AllocationGrid& grid, int weekday, int64_t state_limit, double seconds, int32_t weight)
{
    static std::array<GridRow, MAX_DAY_BLOCKS> kept_rows;
    DaySlots rows = week_days[weekday];
    int64_t before = priced_with_stability(grid, weight);
    keep_rooms_of_other_weekdays(grid, weekday);
    for (int row : slots_of(rows)) {
        kept_rows[row - rows.first] = grid[row];
        std::fill(grid[row].begin(), grid[row].begin() + last_room + 1, 0);
    }
    OptimumResult scratch = fresh_result();
    solve_weekday(grid, weekday, state_limit, seconds, scratch);
    if (!scratch.feasible || priced_with_stability(grid, weight) > before)
        for (int row : slots_of(rows))
            grid[row] = kept_rows[row - rows.first];
}

// Each weekday settled in turn (settle_weekday), round after round while
// the week's price falls and time is left, `rounds` at most: a start for the
// week's model that no weekday alone can better; the grid keeps the rules
// and every meeting.
void settle_rooms_by_weekday(AllocationGrid& grid, int64_t state_limit, double seconds,
                             std::chrono::steady_clock::time_point start, int rounds)
{
    int32_t price = change_weight, weight = same_room_weight;
    change_weight = weight;  // a weekday's search prices a room apart as a move from the kept room
    int64_t before = INT64_MAX, now = priced_with_stability(grid, weight);
    for (int round = 0; round < rounds && now < before; ++round) {
        before = now;
        for (int weekday = SUNDAY; weekday <= SATURDAY && seconds_left(seconds, start) >= 0.0; ++weekday)
            settle_weekday(grid, weekday, state_limit, seconds_left(seconds, start), weight);
        now = priced_with_stability(grid, weight);
    }
    clear_kept_plan();
    change_weight = price;
}

// A week too large for its model: its relaxation over groups of rooms
// (search/week_bound.hpp) bounds it from below and gives each section a
// home room; the weekdays solved again, each meeting away from its home
// room paying the weight as a move from a kept room, start the settling
// far nearer the week's optimum than the weekdays' own optimum does (on
// generated faculties, within 0.9 % of the bound after four rounds of
// settling, against one and a half). The grid keeps the better of the two.
void head_for_homes(AllocationGrid& grid, int64_t state_limit, double seconds,
                    std::chrono::steady_clock::time_point start, OptimumResult& result)
{
    WeekBound relaxed = bound_week_by_groups(grid, seconds_left(seconds, start));
    if (!relaxed.found)
        return;
    result.lower_bound = std::max(result.lower_bound, empty_grid_cost() + relaxed.bound);
    static AllocationGrid homed;
    clear_grid(homed);
    int32_t weight = same_room_weight, price = change_weight;
    OptimumResult scratch = fresh_result();
    keep_home_rooms();
    change_weight = weight;
    solve_weekdays(homed, state_limit, seconds, start, scratch);
    clear_kept_plan();
    change_weight = price;
    if (scratch.feasible && count_left_out(homed) == 0 &&
        priced_with_stability(homed, weight) < priced_with_stability(grid, weight))
        grid = homed;
}

constexpr int APART_NODES = 40;  // the nodes of branch and bound each re-solve around a section may take

// Each section that changes rooms, in turn: the meetings in the rooms
// around it solved again as one week's model over those rooms alone, within
// a few nodes of branch and bound. Where the settling moves one weekday at
// a time, this moves a chain of meetings of several weekdays at once, and
// the weekdays settled again from there go further still: on two generated
// faculties the two take 39 % and 55 % off the gap to the bound.
void resolve_sections_apart(AllocationGrid& grid, double seconds, std::chrono::steady_clock::time_point start)
{
    for (int32_t section = FIRST_SECTION; section <= section_count && seconds_left(seconds, start) >= 0.0; ++section)
        if (changes_rooms(grid, section))
            improve_rooms_by_model(grid, rooms_around(grid, section), APART_NODES);
}

// From the weekdays' optimum without the stability price, in `grid`, to the
// week's with it, from the weekdays settled one by one (or the kept plan's
// start as it is): the weekdays' bound still holds, since the price is never
// below 0; the cost becomes the week model's. The week model keeps out of
// the grid the meetings the weekdays left out; as other sets of as many
// might be cheaper with the price, such a plan is proven only at its bound.
void improve_stability(AllocationGrid& grid, int64_t state_limit, double seconds, const AllocationGrid* incumbent,
                       OptimumResult& result)
{
    auto start = std::chrono::steady_clock::now();
    bool weekdays_proven = result.proven;  // else a weekday's time ran out, which is the reason to give
    bool too_large = kept_count == 0 && result.left_out == 0 && !week_fits_one_model(grid);
    if (too_large) {
        head_for_homes(grid, state_limit, seconds, start, result);
        settle_rooms_by_weekday(grid, state_limit, seconds, start, ROUNDS_BEFORE_APART);
        resolve_sections_apart(grid, seconds, start);
    }
    if (kept_count == 0)  // with a kept plan, the meetings' kept rooms are that plan's
        settle_rooms_by_weekday(grid, state_limit, seconds, start, SETTLING_ROUNDS);
    if (incumbent != nullptr && result.left_out == 0 && count_left_out(*incumbent) == 0 &&
        priced_with_stability(*incumbent, same_room_weight) < priced_with_stability(grid, same_room_weight))
        grid = *incumbent;
    ModelResult week = solve_week_by_model(grid, seconds_left(seconds, start));
    int64_t empty = empty_grid_cost();
    result.cost = empty + week.cost;
    if (result.left_out == 0)  // else the week's bound holds for the meetings it kept out alone
        result.lower_bound = std::max(result.lower_bound, empty + week.bound);
    result.proven = result.lower_bound >= result.cost;  // a proven week bounds at its cost
    result.week_too_large = week.too_large;
    result.left_out_apart = result.left_out > 0 && weekdays_proven && !result.proven;
    if (result.proven)
        result.lower_bound = result.cost;
}


}  // namespace

std::bitset<MAX_ROOM_COLUMNS> rooms_around(const AllocationGrid& grid, int32_t section)
{
    std::bitset<MAX_ROOM_COLUMNS> rooms;
    for (int m : meeting_numbers())
        if (int room = first_slot_column(grid, section, m); room > OVERFLOW_COLUMN)
            rooms.set(static_cast<std::size_t>(room));
    for (int m : meeting_numbers())
        if (int room = first_slot_column(grid, section, m); room > OVERFLOW_COLUMN)
            for (int other = FIRST_ROOM; other <= last_room && rooms.count() < APART_ROOMS; ++other)
                if (room_capacity[other] == room_capacity[room])
                    rooms.set(static_cast<std::size_t>(other));
    return rooms;
}

double seconds_left(double seconds, std::chrono::steady_clock::time_point start)
{
    if (seconds <= 0.0)
        return seconds;
    double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return spent < seconds ? seconds - spent : -1.0;
}

BySlot<int32_t> meetings_per_slot()
{
    BySlot<int32_t> count{};
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers()) {
            const Meeting& meeting = sections[section].meetings[m];
            if (is_present(meeting))
                for (int row = meeting.first_slot; row <= meeting.last_slot; ++row)
                    ++count[row];
        }
    return count;
}

int32_t open_columns(int row)
{
    return last_room + 1 - static_cast<int32_t>(std::count(closed_cells[row].begin(), closed_cells[row].end(), true));
}

bool weekday_overfull(int32_t weekday)
{
    BySlot<int32_t> count = meetings_per_slot();
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        if (slot_weekday(row) == weekday && count[row] > open_columns(row))
            return true;
    return false;
}

OptimumResult solve_optimum(AllocationGrid& grid, int64_t state_limit, double seconds, const AllocationGrid* incumbent)
{
    clear_grid(grid);
    OptimumResult result = fresh_result();
    auto start = std::chrono::steady_clock::now();
    solve_weekdays(grid, state_limit, seconds, start, result);  // exact without stability, and a bound with it
    result.left_out = count_left_out(grid);
    if (result.feasible && same_room_weight > 0)
        improve_stability(grid, state_limit, seconds_left(seconds, start), incumbent, result);
    result.moved = meetings_moved(grid);
    result.figures = grid_figures(grid);
    return result;
}
