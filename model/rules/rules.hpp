// The room rules of the optional regras.txt, and the tables every program
// consults. Hard rules: sections pinned to a room ("fixa"), rooms sections
// avoid ("evita"), the only rooms sections may use ("salas"), rooms reserved
// for some sections ("reservada"), room hours closed ("fechada"). Prices:
// each room a section takes past its first ("mesma_sala"), each meeting
// outside its preferred rooms ("prefere"), each meeting that leaves its room
// of a plan kept with alocacao-otimo --manter ("mudanca"). Rooms have
// features ("recurso"), and wherever a rule takes rooms it takes a set
// (model/rules/room_sets.hpp); wherever it names sections it takes "*"
// (model/rules/selectors.hpp). The rules are kept as read, in file order,
// and apply_rules builds from them the tables: pinned_room, avoided_rooms
// (every room a section may not use), closed_cells, pinned_grid, the
// preference profiles, same_room_weight and change_weight. Without
// regras.txt all of them are empty and nothing else behaves differently.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <span>

#include "model/records.hpp"
#include "model/rules/room_sets.hpp"
#include "model/rules/selectors.hpp"
#include "model/tables.hpp"

enum class RuleKind : int8_t { Pin, Avoid, Closed, SameRoom, ChangePrice, Allowed, Reserved, Prefer, Feature };
inline constexpr int RULE_KINDS = 9;

// One record of regras.txt. Pin names a section (or sections) and a room;
// Avoid, Allowed, Reserved and Prefer sections and a set of rooms; Closed a
// set of rooms, a weekday and the starts from <= s < to (minutes) it closes;
// SameRoom, ChangePrice and Prefer their weight; Feature a set and a feature.
// A rule that names one section holds it in `section`; one with "*", its
// selector (section 0). A rule of one room without a set (as tests write
// them) holds it in `room`.
struct Rule {
    RuleKind kind;
    int32_t line;  // its line in regras.txt
    int32_t section;
    int32_t room;
    int32_t weekday;
    int32_t from;
    int32_t to;
    int32_t weight;
    int32_t rooms = NO_ROOM_SET;        // its set, in room_sets
    SectionSelector selector = {0, 0, 0};  // when `section` is 0: the sections it names
    int32_t feature = NO_FEATURE;       // Feature: which one
};

inline constexpr int MAX_RULES = 100000;
inline constexpr int32_t NO_RULE = -1;

extern std::array<Rule, MAX_RULES> rules;  // entries 0..rule_count-1, in file order
extern int32_t rule_count;

// The rules read, entries 0..rule_count-1 of `rules`, in file order.
inline std::span<const Rule> file_rules()
{
    return {rules.data(), static_cast<std::size_t>(rule_count)};
}

extern BySection<int32_t> pinned_room;  // 0: the section is not pinned
extern BySection<RoomSet> avoided_rooms;  // the rooms a section may not use, for any rule
extern BySlot<std::array<bool, MAX_ROOM_COLUMNS>> closed_cells;  // bytes: the move reads them
extern AllocationGrid pinned_grid;  // the cells the pinned meetings take
extern BySlot<bool> rows_with_closed_cells;  // rows where closed_cells has a cell set
extern BySlot<int16_t> closed_rows_up_to;  // how many rows 1..row have a closed cell
// Sections that avoid some room (a move of theirs asks the rules), and those
// that avoid or prefer some (the board lists their rules).
extern BySection<bool> sections_avoiding_rooms;
extern BySection<bool> sections_with_room_rules;
extern int32_t same_room_weight;    // added per room a section takes past its first
extern int32_t change_weight;       // added per meeting that leaves its room of a kept plan

// The prices of the preferences: sections with the same prefere lines share
// a profile, which gives what a meeting of theirs adds in each column (sv
// included). Profile 0 is no preference at all.
inline constexpr int MAX_PREFERENCE_PROFILES = 4096;
extern BySection<int16_t> preference_profile;
extern std::array<std::array<int32_t, MAX_ROOM_COLUMNS>, MAX_PREFERENCE_PROFILES> profile_prices;
extern int preference_profile_count;  // 1 when no section has a preference

// What a meeting of `section` adds to the cost in `room` for the
// preferences of regras.txt: the weight of each prefere line whose rooms
// do not hold it.
inline int64_t preference_price(int32_t section, int room)
{
    return profile_prices[static_cast<std::size_t>(preference_profile[section])][room];
}

// Whether a rule bars cells (fixa, evita, salas, reservada, fechada), which
// a plan must keep; the others only put a price on a plan, or name features.
bool is_hard_rule(const Rule& rule);

// Whether a rule is priced by --planejar: the hard ones and the preferences.
bool is_priced_rule(const Rule& rule);

// Whether room column `room` is in the rule's rooms: its set (which never
// holds sv), or its one room. Of a rule of no rooms (mesma_sala, mudanca),
// only real rooms may be asked.
bool rule_holds_room(const Rule& rule, int room);

// Whether the rule names loaded section `section`.
bool rule_names(const Rule& rule, int32_t section);

// Calls `use` for every loaded section the rule names.
template <typename Use>
void for_each_section_named(const Rule& rule, Use use)
{
    if (rule.section != 0) {
        use(rule.section);
        return;
    }
    for (int32_t section = 1; section <= section_count; ++section)
        if (selects(rule.selector, section))
            use(section);
}

// The line of regras.txt that sets the stability weight; 0 when none does.
int32_t same_room_rule_line();

// Forgets every rule, feature and set, and empties the tables.
void reset_rules();

// Reads regras.txt when the working directory has one, after the instance:
// refusals end the process with "Arquivo regras.txt, linha N: reason".
void read_rules_file();

// Reads the records of `file` into the rules and their tables, from none; on
// the first line refused, false, with file.line and file.error set. The
// recurso lines are read first, so that a set may name a feature whose
// recurso line comes later: the file is read twice.
bool read_rules(RecordFile& file);

// Whether two lines say the same: the same kind over the same sections,
// rooms, weekday, hours and weight.
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

// Whether a closure closes the cell of `room` at `slot`.
bool closure_closes(const Rule& rule, int32_t slot, int room);

// Where a grid breaks a hard rule: the first cell, in order of row then
// column, that breaks it. A pinned meeting breaks its rule at every row
// whose pinned room does not hold it (`room` then is where it is, -1 when
// nowhere), unless `out_of_grid` (null: none) marks it as left out of a
// partial plan. A price is never broken.
struct RuleBreach {
    bool broken;
    int32_t row;
    int32_t room;
    int32_t section;
};
RuleBreach find_breach(const AllocationGrid& grid, const Rule& rule, const MeetingMarks* out_of_grid = nullptr);

// The line of the first hard rule that bars `section` from `room` (a pin
// elsewhere, an avoidance, a set of rooms without it, a reservation for
// other sections); 0 when none does.
int32_t line_barring(int32_t section, int room);
