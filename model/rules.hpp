// The room rules of the optional regras.txt: sections pinned to a room
// ("fixa"), rooms a section avoids ("evita"), room hours closed ("fechada")
// the price of a section that changes rooms during the week ("mesma_sala"),
// and the price of a meeting that leaves its room in a plan kept with
// alocacao-otimo --manter ("mudanca"). The rules are kept as read, in file order, and in the
// tables every program consults: pinned_room, avoided_rooms, closed_cells,
// pinned_grid and same_room_weight. Without regras.txt all of them are empty
// and nothing else behaves differently.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "model/records.hpp"
#include "model/tables.hpp"

enum class RuleKind : int8_t { Pin, Avoid, Closed, SameRoom, ChangePrice };

// One record of regras.txt. Pin and Avoid name a section and a room; Closed a
// room, a weekday and the starts from <= s < to (minutes) it closes; SameRoom
// and ChangePrice their weight.
struct Rule {
    RuleKind kind;
    int32_t line;  // its line in regras.txt
    int32_t section;
    int32_t room;
    int32_t weekday;
    int32_t from;
    int32_t to;
    int32_t weight;
};

inline constexpr int MAX_RULES = 4 * MAX_SECTIONS;
inline constexpr int32_t NO_RULE = -1;

extern std::array<Rule, MAX_RULES> rules;  // entries 0..rule_count-1, in file order
extern int32_t rule_count;

extern std::array<int32_t, MAX_SECTIONS + 1> pinned_room;  // 0: the section is not pinned
extern std::array<std::bitset<MAX_ROOM_COLUMNS>, MAX_SECTIONS + 1> avoided_rooms;
extern std::array<std::array<bool, MAX_ROOM_COLUMNS>, MAX_SLOTS + 1> closed_cells;  // bytes: the move reads them
extern AllocationGrid pinned_grid;  // the cells the pinned meetings take
extern std::array<bool, MAX_SLOTS + 1> rows_with_closed_cells;  // rows where closed_cells has a cell set
extern std::array<int16_t, MAX_SLOTS + 1> closed_rows_up_to;  // how many rows 1..row have a closed cell
extern std::array<bool, MAX_SECTIONS + 1> sections_avoiding_rooms;  // sections with a room in avoided_rooms
extern int32_t same_room_weight;    // added per room a section takes past its first
extern int32_t change_weight;       // added per meeting that leaves its room of a kept plan

// Whether a rule bars cells (fixa, evita, fechada), which a plan must keep;
// the other kinds only put a price on a plan.
bool is_hard_rule(const Rule& rule);

// The line of regras.txt that sets the stability weight; 0 when none does.
int32_t same_room_rule_line();

// Forgets every rule and empties the tables.
void reset_rules();

// Reads regras.txt when the working directory has one, after the instance:
// refusals end the process with "Arquivo regras.txt, linha N: reason".
void read_rules_file();

// Reads the records of `file` into the rules and their tables, from none; on
// the first line refused, false, with file.line and file.error set.
bool read_rules(RecordFile& file);

// Whether two lines say the same: the same kind over the same section,
// room, weekday, hours and weight.
bool same_rule(const Rule& a, const Rule& b);

// Builds the tables again from every rule but rules[left_out] and the lines
// that repeat it (NO_RULE: all).
void apply_rules(int32_t left_out = NO_RULE);

// Whether `section` may stand in `room` over rows first..last: the room is
// its pinned one when it has one, is not one it avoids, and no cell is closed.
bool room_allowed(int32_t section, int32_t room, int first, int last);

// Whether a closure covers weekly slot `slot`: its weekday, from <= start <
// to; in the instance's own week, every block the interval meets.
bool closure_covers(const Rule& rule, int32_t slot);

// Where a grid breaks a pin, an avoidance or a closure: the first cell, in
// order of row then column, that breaks it. A pinned meeting breaks its rule
// at every row whose pinned room does not hold it (`room` then is where it
// is, -1 when nowhere), unless `out_of_grid` (indexed by meeting, of the
// rule's section) marks it as left out of a partial plan. The stability
// weight is never broken.
struct RuleBreach {
    bool broken;
    int32_t row;
    int32_t room;
    int32_t section;
};
RuleBreach find_breach(const AllocationGrid& grid, const Rule& rule, const bool* out_of_grid = nullptr);
