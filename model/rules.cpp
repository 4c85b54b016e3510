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
std::array<std::array<bool, MAX_ROOM_COLUMNS>, MAX_SLOTS + 1> closed_cells{};
AllocationGrid pinned_grid{};
std::array<bool, MAX_SLOTS + 1> rows_with_closed_cells{};
std::array<int16_t, MAX_SLOTS + 1> closed_rows_up_to{};
std::array<bool, MAX_SECTIONS + 1> sections_avoiding_rooms{};
int32_t same_room_weight{};
int32_t change_weight{};

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

char reason[256];  // a refusal that names another line

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

// The form of each kind of record, as the README writes it.
struct RuleForm {
    const char* keyword;
    RuleKind kind;
    int fields;
    const char* pattern;
};
constexpr std::array<RuleForm, 5> RULE_FORMS{{
    {"fixa", RuleKind::Pin, 5, "fixa|tipo|curso|turma|sala|"},
    {"evita", RuleKind::Avoid, 5, "evita|tipo|curso|turma|sala|"},
    {"fechada", RuleKind::Closed, 5, "fechada|sala|dia|HH:MM|HH:MM|"},
    {"mesma_sala", RuleKind::SameRoom, 2, "mesma_sala|peso|"},
    {"mudanca", RuleKind::ChangePrice, 2, "mudanca|peso|"},
}};

const char* form_fault(const RuleForm& form)
{
    std::snprintf(reason, sizeof reason, "a regra %s tem a forma %s", form.keyword, form.pattern);
    return reason;
}

// "regra desconhecida 'fixo' (use fixa, evita, fechada ou mesma_sala)": every kind read, the last after "ou".
const char* unknown_kind(const char* keyword)
{
    int used = std::snprintf(reason, sizeof reason, "regra desconhecida '%.40s' (use ", keyword);
    for (std::size_t i = 0; i < RULE_FORMS.size(); ++i) {
        const char* joint = i == 0 ? "" : i + 1 == RULE_FORMS.size() ? " ou " : ", ";
        used += std::snprintf(reason + used, sizeof reason - used, "%s%s", joint, RULE_FORMS[i].keyword);
    }
    std::snprintf(reason + used, sizeof reason - used, ")");
    return reason;
}

const char* room_field(const char* text, int32_t& room)
{
    if (!parse_number(text, room))
        return "sala deve ser o numero da coluna em capacidade.txt";
    return room_fault(room);
}

// "tipo 2 (embutido)", "tipo 7 (cursos.txt, linha 3)": where a type's code comes from.
int describe_type(char* text, std::size_t size, int32_t type)
{
    if (int64_t line = course_code_line(type))
        return std::snprintf(text, size, "tipo %d (cursos.txt, linha %lld)", type, static_cast<long long>(line));
    return std::snprintf(text, size, "tipo %d (embutido)", type);
}

// Two types with one code: both named, and where each code comes from.
const char* code_clash(const char* code, int32_t first, int32_t second)
{
    char a[64], b[64];
    describe_type(a, sizeof a, first);
    describe_type(b, sizeof b, second);
    std::snprintf(reason, sizeof reason, "codigo %.8s de dois tipos, %s e %s: use o numero do tipo", code, a, b);
    return reason;
}

// The section a rule names by course type (its number, or its code when one
// type has it), course and section number.
const char* find_rule_section(const char* type_text, int32_t course, int32_t number, Rule& rule)
{
    int32_t type = 0;
    if (parse_number(type_text, type)) {
        rule.section = find_section(course_code(type), course, number);
        if (rule.section != 0)
            return nullptr;
        const char* code = course_code(type);
        if (code == NO_COURSE_CODE)
            std::snprintf(reason, sizeof reason, "turma de tipo %d, curso %d, turma %d fora de demanda.txt", type,
                          course, number);
        else
            std::snprintf(reason, sizeof reason, "turma %s %d-%d fora de demanda.txt", code, course, number);
        return reason;
    }
    std::array<int32_t, 2> types{};
    int count = 0;
    for (int32_t t = FIRST_COURSE_TYPE; t <= LAST_COURSE_TYPE_ALLOWED; ++t)
        if (std::strcmp(course_code(t), type_text) == 0 && course_code(t) != NO_COURSE_CODE) {
            if (count < 2)
                types[count] = t;
            ++count;
            if (int32_t found = find_section(course_code(t), course, number))
                rule.section = rule.section == 0 ? found : rule.section;
        }
    if (count == 0)
        return "tipo deve ser o numero ou o codigo de um curso (cursos.txt)";
    if (count > 1)
        return code_clash(type_text, types[0], types[1]);
    if (rule.section == 0) {
        std::snprintf(reason, sizeof reason, "turma %.8s %d-%d fora de demanda.txt", type_text, course, number);
        return reason;
    }
    return nullptr;
}

const char* section_rule(const Fields& fields, const RuleForm& form, Rule& rule)
{
    int32_t course = 0, number = 0;
    if (!parse_number(fields.text[2], course) || !parse_number(fields.text[3], number))
        return form_fault(form);
    if (const char* fault = find_rule_section(fields.text[1], course, number, rule))
        return fault;
    return room_field(fields.text[4], rule.room);
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
    for (int m = FIRST_MEETING; m <= MAX_MEETINGS; ++m) {
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
    if (const char* fault = room_field(fields.text[1], rule.room))
        return fault;
    int32_t first_weekday = own_week ? SUNDAY : MONDAY;
    if (!parse_number(fields.text[2], rule.weekday) || rule.weekday < first_weekday || rule.weekday > SATURDAY)
        return own_week ? "dia da semana deve ser um numero de 1 (domingo) a 7 (sabado)"
                        : "dia da semana deve ser um numero de 2 (segunda-feira) a 7 (sabado)";
    if (!parse_time(fields.text[3], rule.from) || !parse_time(fields.text[4], rule.to))
        return "horario mal formado (HH:MM)";
    if (rule.from >= rule.to)
        return "fechada com inicio que nao antecede o fim";
    for (int32_t slot = 1; slot <= slot_count; ++slot)
        if (int32_t section = pinned_grid[slot][rule.room]; section != 0 && closure_covers(rule, slot))
            return refusal_naming("fecha o horario da turma %s, fixa nesta sala (linha %d)", section,
                                  line_of(RuleKind::Pin, [&](const Rule& r) { return r.section == section; }));
    return nullptr;
}

// The record's kind: the text before its first bar, or the whole line.
const RuleForm* find_form(char* line, char*& keyword)
{
    char* bar = std::strchr(line, '|');
    keyword = trimmed(line, bar != nullptr ? bar : line + std::strlen(line));
    for (const RuleForm& form : RULE_FORMS)
        if (std::strcmp(keyword, form.keyword) == 0)
            return &form;
    return nullptr;
}

// Parses one record into `rule` and checks it against the rules before it.
const char* parse_rule(char* line, Rule& rule)
{
    char copy[MAX_LINE];
    std::snprintf(copy, sizeof copy, "%s", line);
    char* keyword = nullptr;
    const RuleForm* form = find_form(copy, keyword);
    if (form == nullptr)
        return unknown_kind(keyword);
    Fields fields;
    if (!split_fields(line, fields) || fields.count != form->fields)
        return form_fault(*form);
    rule.kind = form->kind;
    switch (rule.kind) {
    case RuleKind::Pin:
    case RuleKind::Avoid:
        if (const char* fault = section_rule(fields, *form, rule))
            return fault;
        if (rule.kind == RuleKind::Pin)
            return pin_conflict(rule);
        if (pinned_room[rule.section] == rule.room)
            return refusal("turma fixa nesta sala (linha %d)", line_of(RuleKind::Pin, [&](const Rule& r) {
                               return r.section == rule.section;
                           }));
        return nullptr;
    case RuleKind::Closed:
        return closure_rule(fields, rule);
    case RuleKind::SameRoom:
    case RuleKind::ChangePrice:
        if (!parse_number(fields.text[1], rule.weight))
            return form_fault(*form);
        if (rule.weight < 0)
            return "peso negativo";
        if (int32_t first = line_of(rule.kind, [](const Rule&) { return true; }))
            return refusal(rule.kind == RuleKind::SameRoom ? "segunda linha mesma_sala (a primeira e a linha %d)"
                                                           : "segunda linha mudanca (a primeira e a linha %d)",
                           first);
        return nullptr;
    }
    return nullptr;
}

void apply_rule(const Rule& rule)
{
    switch (rule.kind) {
    case RuleKind::Pin:
        pinned_room[rule.section] = rule.room;
        for (int m = FIRST_MEETING; m <= MAX_MEETINGS; ++m) {
            const Meeting& meeting = sections[rule.section].meetings[m];
            for (int row = meeting.first_slot; meeting.weekday != 0 && row <= meeting.last_slot; ++row)
                pinned_grid[row][rule.room] = rule.section;
        }
        break;
    case RuleKind::Avoid:
        avoided_rooms[rule.section].set(rule.room);
        sections_avoiding_rooms[rule.section] = true;
        break;
    case RuleKind::Closed:
        for (int32_t slot = 1; slot <= slot_count; ++slot)
            if (closure_covers(rule, slot)) {
                closed_cells[slot][rule.room] = true;
                rows_with_closed_cells[slot] = true;
            }
        for (int32_t slot = 1; slot <= slot_count; ++slot)
            closed_rows_up_to[slot] = static_cast<int16_t>(closed_rows_up_to[slot - 1] + rows_with_closed_cells[slot]);
        break;
    case RuleKind::SameRoom:
        same_room_weight = rule.weight;
        break;
    case RuleKind::ChangePrice:
        change_weight = rule.weight;
        break;
    }
}

void clear_rule_tables()
{
    pinned_room = {};
    for (auto& rooms : avoided_rooms)
        rooms.reset();
    for (auto& rooms : closed_cells)
        rooms.fill(false);
    clear_grid(pinned_grid);
    rows_with_closed_cells.fill(false);
    closed_rows_up_to.fill(0);
    sections_avoiding_rooms.fill(false);
    same_room_weight = 0;
    change_weight = 0;
}

}  // namespace

bool is_hard_rule(const Rule& rule)
{
    return rule.kind == RuleKind::Pin || rule.kind == RuleKind::Avoid || rule.kind == RuleKind::Closed;
}

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
    if (slot < 1 || slot > slot_count || slot_weekday(slot) != rule.weekday)
        return false;
    int32_t start = slot_start(slot);
    if (own_week)  // every block the interval meets
        return rule.from < slot_end(slot) && start < rule.to;
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

RuleBreach pin_breach(const AllocationGrid& grid, const Rule& rule, const bool* out_of_grid)
{
    for (int m = FIRST_MEETING; m <= MAX_MEETINGS; ++m) {
        const Meeting& meeting = sections[rule.section].meetings[m];
        bool present = meeting.weekday != 0 && (out_of_grid == nullptr || !out_of_grid[m]);
        for (int row = meeting.first_slot; present && row <= meeting.last_slot; ++row)
            if (grid[row][rule.room] != rule.section)
                return {true, row, column_holding(grid[row], rule.section), rule.section};
    }
    return {false, 0, 0, 0};
}

}  // namespace

RuleBreach find_breach(const AllocationGrid& grid, const Rule& rule, const bool* out_of_grid)
{
    if (rule.kind == RuleKind::Pin)
        return pin_breach(grid, rule, out_of_grid);
    for (int row = 1; row <= slot_count; ++row) {
        int32_t section = grid[row][rule.room];
        bool broken = rule.kind == RuleKind::Avoid ? section == rule.section && section != 0
                      : rule.kind == RuleKind::Closed ? section != 0 && closure_covers(rule, row)
                                                       : false;
        if (broken)
            return {true, row, rule.room, section};
    }
    return {false, 0, 0, 0};
}
