// Reading regras.txt and keeping its tables. Each line is checked against the
// lines before it, so a refusal names the later of two lines that disagree.
#include "model/rules.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/calendar.hpp"
#include "model/instance.hpp"

std::array<Rule, MAX_RULES> rules{};
int32_t rule_count{};
std::array<int32_t, MAX_SECTIONS + 1> pinned_room{};
std::array<std::bitset<MAX_ROOM_COLUMNS>, MAX_SECTIONS + 1> avoided_rooms{};
std::array<std::bitset<MAX_ROOM_COLUMNS>, SLOT_COUNT + 1> closed_cells{};
AllocationGrid pinned_grid{};
bool any_closed_cell{};
int32_t same_room_weight{};

namespace {

constexpr int MAX_LINE = 256;
constexpr int MAX_FIELDS = 6;

// A record's fields: the text between its bars, blanks and tabs dropped.
struct Fields {
    std::array<char*, MAX_FIELDS> text;
    int count;
};

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

char* trimmed(char* begin, char* end)
{
    while (begin < end && is_blank(*begin))
        ++begin;
    while (end > begin && is_blank(end[-1]))
        --end;
    *end = '\0';
    return begin;
}

// Splits "a|b|c|" into its fields; false unless the last bar ends the record
// (only white space after it) and there are at most MAX_FIELDS of them.
bool split_fields(char* line, Fields& fields)
{
    fields.count = 0;
    char* start = line;
    for (char* bar; (bar = std::strchr(start, '|')) != nullptr; start = bar + 1) {
        if (fields.count == MAX_FIELDS)
            return false;
        fields.text[fields.count++] = trimmed(start, bar);
    }
    for (; *start != '\0'; ++start)
        if (!is_blank(*start) && *start != '\r')
            return false;
    return fields.count > 0;
}

bool parse_number(const char* text, int32_t& value)
{
    const char* digits = *text == '-' || *text == '+' ? text + 1 : text;
    if (*digits == '\0' || std::strspn(digits, "0123456789") != std::strlen(digits))
        return false;
    errno = 0;
    long long number = std::strtoll(text, nullptr, 10);
    if (errno == ERANGE || number < INT32_MIN || number > INT32_MAX)
        return false;
    value = static_cast<int32_t>(number);
    return true;
}

// "H:MM" or "HH:MM", 00:00 to 24:00, in minutes.
bool parse_time(const char* text, int32_t& minutes)
{
    std::size_t hour_digits = std::strspn(text, "0123456789");
    if (hour_digits < 1 || hour_digits > 2 || text[hour_digits] != ':')
        return false;
    const char* minute_text = text + hour_digits + 1;
    if (std::strspn(minute_text, "0123456789") != 2 || minute_text[2] != '\0')
        return false;
    int32_t hour = std::atoi(text), minute = std::atoi(minute_text);
    if (minute > 59 || hour > 24 || (hour == 24 && minute > 0))
        return false;
    minutes = hour * 60 + minute;
    return true;
}

char reason[160];  // a refusal that names another line

const char* refusal(const char* format, int32_t a, int32_t b = 0)
{
    std::snprintf(reason, sizeof reason, format, a, b);
    return reason;
}

// A refusal that names another section, as "MTM 121-1", and another line.
const char* refusal_naming(const char* format, int32_t section, int32_t line)
{
    const Section& other = sections[section];
    char name[48];
    std::snprintf(name, sizeof name, "%s %d-%d", other.course_code, other.course_number, other.section_number);
    std::snprintf(reason, sizeof reason, format, name, line);
    return reason;
}

const char* room_fault(int32_t room)
{
    return room < 1 || room > last_room ? refusal("sala fora de 1..%d", last_room) : nullptr;
}

// The line of the first rule of `kind` for which `matches` holds.
template <typename Match>
int32_t line_of(RuleKind kind, Match matches)
{
    for (int32_t i = 0; i < rule_count; ++i)
        if (rules[i].kind == kind && matches(rules[i]))
            return rules[i].line;
    return 0;
}

const char* section_rule(const Fields& fields, Rule& rule)
{
    int32_t type = 0, course = 0, number = 0;
    if (fields.count != 5 || !parse_number(fields.text[1], type) || !parse_number(fields.text[2], course) ||
        !parse_number(fields.text[3], number) || !parse_number(fields.text[4], rule.room))
        return "registro mal formado";
    rule.section = find_section(course_code(type), course, number);
    if (rule.section == 0)
        return "turma fora de demanda.txt";
    return room_fault(rule.room);
}

// Where a pin of rule.section in rule.room meets an earlier rule.
const char* pin_conflict(const Rule& rule)
{
    int32_t section = rule.section, room = rule.room;
    if (pinned_room[section] != 0 && pinned_room[section] != room)
        return refusal("turma ja fixa na sala %d (linha %d)", pinned_room[section],
                       line_of(RuleKind::Pin, [&](const Rule& r) { return r.section == section; }));
    if (avoided_rooms[section][room])
        return refusal("turma evita esta sala (linha %d)",
                       line_of(RuleKind::Avoid, [&](const Rule& r) { return r.section == section && r.room == room; }));
    for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m) {
        const Meeting& meeting = sections[section].meetings[m];
        for (int row = meeting.first_slot; meeting.weekday != 0 && row <= meeting.last_slot; ++row) {
            int32_t other = pinned_grid[row][room];
            if (other != 0 && other != section)
                return refusal_naming("turma fixa no mesmo horario e sala que a turma %s (linha %d)", other,
                                      line_of(RuleKind::Pin, [&](const Rule& r) { return r.section == other; }));
            if (closed_cells[row][room])
                return refusal("turma fixa em horario fechado (linha %d)",
                               line_of(RuleKind::Closed, [&](const Rule& r) {
                                   return r.room == room && closure_covers(r, row);
                               }));
        }
    }
    return nullptr;
}

const char* closure_rule(const Fields& fields, Rule& rule)
{
    if (fields.count != 5 || !parse_number(fields.text[1], rule.room) || !parse_number(fields.text[2], rule.weekday))
        return "registro mal formado";
    if (const char* fault = room_fault(rule.room))
        return fault;
    if (rule.weekday < MONDAY || rule.weekday > SATURDAY)
        return "dia da semana fora de 2..7";
    if (!parse_time(fields.text[3], rule.from) || !parse_time(fields.text[4], rule.to))
        return "horario mal formado (HH:MM)";
    if (rule.from >= rule.to)
        return "fechada com inicio que nao antecede o fim";
    for (int32_t slot = 1; slot <= SLOT_COUNT; ++slot)
        if (int32_t section = pinned_grid[slot][rule.room]; section != 0 && closure_covers(rule, slot))
            return refusal_naming("fecha o horario da turma %s, fixa nesta sala (linha %d)", section,
                                  line_of(RuleKind::Pin, [&](const Rule& r) { return r.section == section; }));
    return nullptr;
}

// Parses one record into `rule` and checks it against the rules before it.
const char* parse_rule(char* line, Rule& rule)
{
    Fields fields;
    if (!split_fields(line, fields))
        return "registro mal formado";
    const char* keyword = fields.text[0];
    if (std::strcmp(keyword, "fixa") == 0 || std::strcmp(keyword, "evita") == 0) {
        rule.kind = keyword[0] == 'f' ? RuleKind::Pin : RuleKind::Avoid;
        if (const char* fault = section_rule(fields, rule))
            return fault;
        if (rule.kind == RuleKind::Pin)
            return pin_conflict(rule);
        if (pinned_room[rule.section] == rule.room)
            return refusal("turma fixa nesta sala (linha %d)", line_of(RuleKind::Pin, [&](const Rule& r) {
                               return r.section == rule.section;
                           }));
        return nullptr;
    }
    if (std::strcmp(keyword, "fechada") == 0) {
        rule.kind = RuleKind::Closed;
        return closure_rule(fields, rule);
    }
    if (std::strcmp(keyword, "mesma_sala") == 0) {
        rule.kind = RuleKind::SameRoom;
        if (fields.count != 2 || !parse_number(fields.text[1], rule.weight))
            return "registro mal formado";
        if (rule.weight < 0)
            return "peso negativo";
        if (int32_t first = line_of(RuleKind::SameRoom, [](const Rule&) { return true; }))
            return refusal("segunda linha mesma_sala (a primeira e a linha %d)", first);
        return nullptr;
    }
    return "registro mal formado";
}

void apply_rule(const Rule& rule)
{
    switch (rule.kind) {
    case RuleKind::Pin:
        pinned_room[rule.section] = rule.room;
        for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m) {
            const Meeting& meeting = sections[rule.section].meetings[m];
            for (int row = meeting.first_slot; meeting.weekday != 0 && row <= meeting.last_slot; ++row)
                pinned_grid[row][rule.room] = rule.section;
        }
        break;
    case RuleKind::Avoid:
        avoided_rooms[rule.section].set(rule.room);
        break;
    case RuleKind::Closed:
        for (int32_t slot = 1; slot <= SLOT_COUNT; ++slot)
            if (closure_covers(rule, slot)) {
                closed_cells[slot].set(rule.room);
                any_closed_cell = true;
            }
        break;
    case RuleKind::SameRoom:
        same_room_weight = rule.weight;
        break;
    }
}

void clear_rule_tables()
{
    pinned_room = {};
    for (auto& rooms : avoided_rooms)
        rooms.reset();
    for (auto& rooms : closed_cells)
        rooms.reset();
    pinned_grid = {};
    any_closed_cell = false;
    same_room_weight = 0;
}

}  // namespace

int32_t same_room_rule_line()
{
    return line_of(RuleKind::SameRoom, [](const Rule&) { return true; });
}

void reset_rules()
{
    rule_count = 0;
    clear_rule_tables();
}

bool read_rules(RecordFile& file)
{
    reset_rules();
    char line[MAX_LINE];
    RecordRead read;
    while ((read = read_text_line(file, line, sizeof line)) == RecordRead::Record) {
        const char* text = line;
        while (is_blank(*text))
            ++text;
        if (*text == '#')
            continue;
        if (rule_count == MAX_RULES) {
            file.error = "mais de 39996 regras";
            return false;
        }
        Rule rule{};
        rule.line = static_cast<int32_t>(file.line);
        if ((file.error = parse_rule(line, rule)) != nullptr)
            return false;
        rules[rule_count++] = rule;
        apply_rule(rule);
    }
    return read == RecordRead::End;
}

void read_rules_file()
{
    reset_rules();
    std::FILE* stream = open_optional_input_file("regras.txt");
    if (stream == nullptr)
        return;
    RecordFile file{stream, "regras.txt", 0, nullptr};
    if (!read_rules(file))
        reject_line(file, file.error);
    std::fclose(stream);
}

bool same_rule(const Rule& a, const Rule& b)
{
    return a.kind == b.kind && a.section == b.section && a.room == b.room && a.weekday == b.weekday &&
           a.from == b.from && a.to == b.to && a.weight == b.weight;
}

void apply_rules(int32_t left_out)
{
    clear_rule_tables();
    for (int32_t i = 0; i < rule_count; ++i)
        if (left_out == NO_RULE || !same_rule(rules[i], rules[left_out]))
            apply_rule(rules[i]);
}

bool room_allowed(int32_t section, int32_t room, int first, int last)
{
    if (pinned_room[section] != 0 && pinned_room[section] != room)
        return false;
    if (avoided_rooms[section][room])
        return false;
    for (int row = first; row <= last; ++row)
        if (closed_cells[row][room])
            return false;
    return true;
}

bool closure_covers(const Rule& rule, int32_t slot)
{
    if (slot < 1 || slot > SLOT_COUNT || slot_weekday(slot) != rule.weekday)
        return false;
    int32_t start = slot_start(slot);
    return rule.from <= start && start < rule.to;
}

namespace {

int32_t column_holding(const GridRow& row, int32_t section)
{
    for (int room = 0; room <= last_room; ++room)
        if (row[room] == section)
            return room;
    return -1;
}

RuleBreach pin_breach(const AllocationGrid& grid, const Rule& rule)
{
    for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m) {
        const Meeting& meeting = sections[rule.section].meetings[m];
        for (int row = meeting.first_slot; meeting.weekday != 0 && row <= meeting.last_slot; ++row)
            if (grid[row][rule.room] != rule.section)
                return {true, row, column_holding(grid[row], rule.section), rule.section};
    }
    return {false, 0, 0, 0};
}

}  // namespace

RuleBreach find_breach(const AllocationGrid& grid, const Rule& rule)
{
    if (rule.kind == RuleKind::Pin)
        return pin_breach(grid, rule);
    for (int row = 1; row <= SLOT_COUNT; ++row) {
        int32_t section = grid[row][rule.room];
        bool broken = rule.kind == RuleKind::Avoid ? section == rule.section && section != 0
                      : rule.kind == RuleKind::Closed ? section != 0 && closure_covers(rule, row)
                                                       : false;
        if (broken)
            return {true, row, rule.room, section};
    }
    return {false, 0, 0, 0};
}
