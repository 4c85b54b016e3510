// The tables the rules make, what they allow, and where a grid breaks them.
#include "model/rules/rules.hpp"

#include <algorithm>
#include <ranges>

#include "model/calendar.hpp"
#include "model/hash_slot.hpp"

std::array<Rule, MAX_RULES> rules{};
int32_t rule_count{};
BySection<int32_t> pinned_room{};
BySection<RoomSet> avoided_rooms{};
BySlot<std::array<bool, MAX_ROOM_COLUMNS>> closed_cells{};
AllocationGrid pinned_grid{};
BySlot<bool> rows_with_closed_cells{};
BySlot<int16_t> closed_rows_up_to{};
BySection<bool> sections_avoiding_rooms{};
BySection<bool> sections_with_room_rules{};
int32_t same_room_weight{};
int32_t change_weight{};
BySection<int16_t> preference_profile{};
std::array<std::array<int32_t, MAX_ROOM_COLUMNS>, MAX_PREFERENCE_PROFILES> profile_prices{};
int preference_profile_count = 1;

namespace {

// What the rooms rules leave each section, before they are put together:
// the rooms it avoids, the rooms its "salas" lines allow, and the reserved
// rooms it owns; and the rooms some reservada line reserves.
struct RoomLimits {
    BySection<RoomSet> avoided;
    BySection<RoomSet> allowed;
    BySection<bool> limited;  // some salas line names it
    BySection<RoomSet> owned;
    RoomSet reserved;
};
RoomLimits limits;

RoomSet rooms_of(const Rule& rule)
{
    if (rule.rooms != NO_ROOM_SET)
        return room_sets.sets[static_cast<std::size_t>(rule.rooms)];
    RoomSet single;
    if (rule.room > 0)
        single.set(static_cast<std::size_t>(rule.room));
    return single;
}

void pin(int32_t section, int32_t room)
{
    pinned_room[section] = room;
    for (int m : meeting_numbers()) {
        const Meeting& meeting = sections[section].meetings[m];
        for (int row = meeting.first_slot; is_present(meeting) && row <= meeting.last_slot; ++row)
            pinned_grid[row][room] = section;
    }
}

void close(const Rule& rule)
{
    RoomSet rooms = rooms_of(rule);
    for (int32_t slot = FIRST_SLOT; slot <= slot_count; ++slot)
        if (closure_covers(rule, slot))
            for (int room = FIRST_ROOM; room <= last_room; ++room)
                if (rooms[static_cast<std::size_t>(room)]) {
                    closed_cells[slot][room] = true;
                    rows_with_closed_cells[slot] = true;
                }
    for (int32_t slot = FIRST_SLOT; slot <= slot_count; ++slot)
        closed_rows_up_to[slot] = static_cast<int16_t>(closed_rows_up_to[slot - 1] + rows_with_closed_cells[slot]);
}

void apply_rule(const Rule& rule)
{
    switch (rule.kind) {
    case RuleKind::Pin:
        for_each_section_named(rule, [&](int32_t section) { pin(section, rule.room); });
        break;
    case RuleKind::Avoid:
        for_each_section_named(rule, [&](int32_t section) { limits.avoided[section] |= rooms_of(rule); });
        break;
    case RuleKind::Allowed:
        for_each_section_named(rule, [&](int32_t section) {
            limits.allowed[section] = limits.limited[section] ? limits.allowed[section] & rooms_of(rule) : rooms_of(rule);
            limits.limited[section] = true;
        });
        break;
    case RuleKind::Reserved:
        limits.reserved |= rooms_of(rule);
        for_each_section_named(rule, [&](int32_t section) { limits.owned[section] |= rooms_of(rule); });
        break;
    case RuleKind::Closed:
        close(rule);
        break;
    case RuleKind::SameRoom:
        same_room_weight = rule.weight;
        break;
    case RuleKind::ChangePrice:
        change_weight = rule.weight;
        break;
    case RuleKind::Prefer:
    case RuleKind::Feature:
        break;
    }
}

// Every room a section may not use: those it avoids, those its salas lines
// leave out, those reserved for others. sv is never barred.
void bar_rooms()
{
    RoomSet every_room = real_rooms();
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section) {
        RoomSet barred = limits.avoided[section] | (limits.reserved & ~limits.owned[section]);
        if (limits.limited[section])
            barred |= every_room & ~limits.allowed[section];
        avoided_rooms[section] = barred;
        sections_avoiding_rooms[section] = barred.any();
        sections_with_room_rules[section] = barred.any();
    }
}

// ---------------------------------------------------------------- preferences

// The prefere lines that name each section, as the section's list of rule
// indices, hashed so that sections with the same list share a profile.
constexpr std::size_t PROFILE_INDEX_SIZE = std::size_t{1} << 14;
static_assert(PROFILE_INDEX_SIZE >= 2 * MAX_PREFERENCE_PROFILES);
struct ProfileIndex {
    std::array<uint64_t, PROFILE_INDEX_SIZE> key;
    std::array<int16_t, PROFILE_INDEX_SIZE> profile;  // 0: an empty slot
};
ProfileIndex profile_index;
BySection<uint64_t> preference_key;  // a hash of each section's prefere lines; 0: none
std::array<int32_t, MAX_PREFERENCE_PROFILES> preference_first;  // each profile's first section, to compare lines with

// Whether two sections are named by the same prefere lines.
bool same_preferences(int32_t a, int32_t b, int32_t left_out)
{
    for (int32_t i : std::views::iota(0, rule_count))
        if (rules[i].kind == RuleKind::Prefer && i != left_out && rule_names(rules[i], a) != rule_names(rules[i], b))
            return false;
    return true;
}

void price_profile(int profile, int32_t section, int32_t left_out)
{
    static std::array<int64_t, MAX_ROOM_COLUMNS> sums;
    sums.fill(0);
    for (const Rule& rule : file_rules()) {
        if (rule.kind != RuleKind::Prefer || (left_out != NO_RULE && same_rule(rule, rules[left_out])) ||
            !rule_names(rule, section))
            continue;
        RoomSet rooms = rooms_of(rule);
        for (int room = 0; room <= last_room; ++room)
            sums[room] += rooms[static_cast<std::size_t>(room)] ? 0 : rule.weight;
    }
    auto& prices = profile_prices[static_cast<std::size_t>(profile)];
    for (int room = 0; room <= last_room; ++room)  // beyond 32 bits, load_weights refuses the weights
        prices[room] = static_cast<int32_t>(std::min<int64_t>(sums[room], INT32_MAX));
}

// The profile of a section's preferences: found among the profiles with
// its key, or made; profile 0 when it has none, or the table is full.
int16_t profile_of(int32_t section, int32_t left_out)
{
    uint64_t key = preference_key[section];
    if (key == 0)
        return 0;
    std::size_t slot = hash_slot<PROFILE_INDEX_SIZE>(key);
    for (; profile_index.profile[slot] != 0; slot = next_slot<PROFILE_INDEX_SIZE>(slot))
        if (profile_index.key[slot] == key &&
            same_preferences(preference_first[profile_index.profile[slot]], section, left_out))
            return profile_index.profile[slot];
    if (preference_profile_count == MAX_PREFERENCE_PROFILES)
        return 0;
    auto profile = static_cast<int16_t>(preference_profile_count++);
    profile_index.key[slot] = key;
    profile_index.profile[slot] = profile;
    preference_first[profile] = section;
    price_profile(profile, section, left_out);
    return profile;
}

void build_preferences(int32_t left_out)
{
    preference_profile.fill(0);
    preference_profile_count = 1;
    auto priced = [&](int32_t i) {
        return rules[i].kind == RuleKind::Prefer && (left_out == NO_RULE || !same_rule(rules[i], rules[left_out]));
    };
    auto indices = std::views::iota(0, rule_count);
    if (std::ranges::none_of(indices, priced))
        return;
    std::fill(preference_key.begin(), preference_key.begin() + section_count + 1, 0);
    for (int32_t i : indices)
        if (priced(i))
            for_each_section_named(rules[i], [&](int32_t section) {
                preference_key[section] = key_with(preference_key[section], static_cast<uint64_t>(i));
            });
    profile_index.profile.fill(0);
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section) {
        preference_profile[section] = profile_of(section, left_out);
        sections_with_room_rules[section] = sections_with_room_rules[section] || preference_profile[section] != 0;
    }
}

void clear_rule_tables()
{
    pinned_room = {};
    for (int32_t section = 0; section <= MAX_SECTIONS; ++section) {
        avoided_rooms[section].reset();
        limits.avoided[section].reset();
        limits.allowed[section].reset();
        limits.owned[section].reset();
    }
    limits.limited.fill(false);
    limits.reserved.reset();
    for (auto& rooms : closed_cells)
        rooms.fill(false);
    clear_grid(pinned_grid);
    rows_with_closed_cells.fill(false);
    closed_rows_up_to.fill(0);
    sections_avoiding_rooms.fill(false);
    sections_with_room_rules.fill(false);
    same_room_weight = 0;
    change_weight = 0;
    preference_profile.fill(0);
    preference_profile_count = 1;
}

// ---------------------------------------------------------------- breaches

constexpr RuleBreach KEPT{};  // not broken: nothing else is read

int32_t column_holding(const GridRow& row, int32_t section)
{
    for (int room = 0; room <= last_room; ++room)
        if (row[room] == section)
            return room;
    return NO_COLUMN;
}

RuleBreach pin_breach(const AllocationGrid& grid, const Rule& rule, int32_t section, const MeetingMarks* out_of_grid)
{
    for (int m : meeting_numbers()) {
        const Meeting& meeting = sections[section].meetings[m];
        bool present = is_present(meeting) && (out_of_grid == nullptr || !(*out_of_grid)[section][m]);
        for (int row = meeting.first_slot; present && row <= meeting.last_slot; ++row)
            if (grid[row][rule.room] != section)
                return {true, row, column_holding(grid[row], section), section};
    }
    return KEPT;
}

// Whether the section in room `room` breaks the rule.
bool cell_breaks(const Rule& rule, int32_t section, int room, int32_t row)
{
    switch (rule.kind) {
    case RuleKind::Avoid:
        return rule_holds_room(rule, room) && rule_names(rule, section);
    case RuleKind::Allowed:
        return room != OVERFLOW_COLUMN && !rule_holds_room(rule, room) && rule_names(rule, section);
    case RuleKind::Reserved:  // another line may reserve the room for it too
        return rule_holds_room(rule, room) && !limits.owned[section][static_cast<std::size_t>(room)];
    case RuleKind::Closed:
        return closure_closes(rule, row, room);
    default:
        return false;
    }
}

}  // namespace

bool is_hard_rule(const Rule& rule)
{
    switch (rule.kind) {
    case RuleKind::Pin:
    case RuleKind::Avoid:
    case RuleKind::Closed:
    case RuleKind::Allowed:
    case RuleKind::Reserved:
        return true;
    default:
        return false;
    }
}

bool is_priced_rule(const Rule& rule)
{
    return is_hard_rule(rule) || rule.kind == RuleKind::Prefer;
}

bool rule_holds_room(const Rule& rule, int room)
{
    if (rule.rooms != NO_ROOM_SET)  // a set holds real rooms only
        return room_sets.sets[static_cast<std::size_t>(rule.rooms)][static_cast<std::size_t>(room)];
    return room == rule.room;
}

bool rule_names(const Rule& rule, int32_t section)
{
    return rule.section != 0 ? rule.section == section : selects(rule.selector, section);
}

void reset_rules()
{
    rule_count = 0;
    reset_room_sets();
    clear_rule_tables();
}

bool same_rule(const Rule& a, const Rule& b)
{
    return a.kind == b.kind && a.section == b.section && a.room == b.room && a.weekday == b.weekday &&
           a.from == b.from && a.to == b.to && a.weight == b.weight && a.rooms == b.rooms &&
           a.selector.type == b.selector.type && a.selector.course == b.selector.course &&
           a.selector.number == b.selector.number && a.feature == b.feature;
}

void apply_rules(int32_t left_out)
{
    clear_rule_tables();
    for (const Rule& rule : file_rules())
        if (left_out == NO_RULE || !same_rule(rule, rules[left_out]))
            apply_rule(rule);
    bar_rooms();
    build_preferences(left_out);
}

bool room_allowed(int32_t section, int32_t room, int first, int last)
{
    if (pinned_room[section] != 0 && pinned_room[section] != room)
        return false;
    if (avoided_rooms[section][static_cast<std::size_t>(room)])
        return false;
    for (int row = first; row <= last; ++row)
        if (closed_cells[row][room])
            return false;
    return true;
}

bool closure_covers(const Rule& rule, int32_t slot)
{
    if (slot < 1 || slot > slot_count || slot_weekday(slot) != rule.weekday)
        return false;
    int32_t start = slot_start(slot);
    if (own_week)  // every block the interval meets
        return rule.from < slot_end(slot) && start < rule.to;
    return rule.from <= start && start < rule.to;
}

bool closure_closes(const Rule& rule, int32_t slot, int room)
{
    return rule.kind == RuleKind::Closed && rule_holds_room(rule, room) && closure_covers(rule, slot);
}

RuleBreach find_breach(const AllocationGrid& grid, const Rule& rule, const MeetingMarks* out_of_grid)
{
    if (rule.kind == RuleKind::Pin) {
        RuleBreach first = KEPT;
        for_each_section_named(rule, [&](int32_t section) {
            RuleBreach breach = pin_breach(grid, rule, section, out_of_grid);
            if (breach.broken && (!first.broken || breach.row < first.row))
                first = breach;
        });
        return first;
    }
    if (!is_hard_rule(rule))
        return KEPT;
    // Only the rooms where it can be broken are looked at: its set, but for
    // a salas line, which every other room breaks.
    RoomSet looked_at = rooms_of(rule);
    if (rule.kind == RuleKind::Allowed)
        looked_at.set();
    auto breach_in_row = [&](int row, auto wanted) -> RuleBreach {
        for (std::size_t room = looked_at._Find_first(); room <= static_cast<std::size_t>(last_room);
             room = looked_at._Find_next(room)) {
            int32_t section = grid[row][room];
            if (section != 0 && wanted(section) && cell_breaks(rule, section, static_cast<int>(room), row))
                return {true, row, static_cast<int32_t>(room), section};
        }
        return KEPT;
    };
    if (rule.section != 0 && rule.kind != RuleKind::Reserved) {
        // One section (a closure names none; a room reserved for one is broken
        // by the others): only the rows of its meetings, the first breach by row.
        RuleBreach first = KEPT;
        for (int m : meeting_numbers()) {
            const Meeting& meeting = sections[rule.section].meetings[m];
            for (int row = meeting.first_slot; is_present(meeting) && row <= meeting.last_slot; ++row) {
                RuleBreach breach = breach_in_row(row, [&](int32_t section) { return section == rule.section; });
                if (breach.broken && (!first.broken || breach.row < first.row))
                    first = breach;
            }
        }
        return first;
    }
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        if (RuleBreach breach = breach_in_row(row, [](int32_t) { return true; }); breach.broken)
            return breach;
    return KEPT;
}

int32_t line_barring(int32_t section, int room)
{
    for (const Rule& rule : file_rules()) {
        bool bars = false;
        switch (rule.kind) {
        case RuleKind::Pin:
            bars = rule.room != room && rule_names(rule, section);
            break;
        case RuleKind::Avoid:
            bars = rule_holds_room(rule, room) && rule_names(rule, section);
            break;
        case RuleKind::Allowed:
            bars = !rule_holds_room(rule, room) && rule_names(rule, section);
            break;
        case RuleKind::Reserved:
            bars = rule_holds_room(rule, room) && !limits.owned[section][static_cast<std::size_t>(room)];
            break;
        default:
            break;
        }
        if (bars)
            return rule.line;
    }
    return 0;
}

int32_t same_room_rule_line()
{
    for (const Rule& rule : file_rules())
        if (rule.kind == RuleKind::SameRoom)
            return rule.line;
    return 0;
}
