// Reading regras.txt. The recurso lines are read first, so that any line may
// name a feature; then every other line, each checked against the lines
// before it, so that a refusal names the later of two lines that disagree;
// then what no single line shows: a pin into a room other lines bar, a
// section the lines leave no room at all.
#include "model/rules/rules.hpp"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/calendar.hpp"
#include "model/instance.hpp"

namespace {

constexpr int MAX_LINE = 4096;  // a set of rooms may name many
constexpr int MAX_FIELDS = 7;

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
// (only white space after it) and there are at most MAX_FIELDS of them. A
// record without a bar has no field, which no form has.
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

[[gnu::format(printf, 1, 2)]] const char* refusal(const char* format, ...)
{
    std::va_list values;
    va_start(values, format);
    std::vsnprintf(reason, sizeof reason, format, values);
    va_end(values);
    return reason;
}

// "MTM 121-1": a section as the messages name it.
void section_name(char* text, std::size_t size, int32_t section)
{
    const Section& s = sections[section];
    std::snprintf(text, size, "%s %d-%d", s.course_code, s.course_number, s.section_number);
}

// A refusal that names another section and another line.
const char* refusal_naming(const char* format, int32_t section, int32_t line)
{
    char name[48];
    section_name(name, sizeof name, section);
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
    for (const Rule& rule : file_rules())
        if (rule.kind == kind && matches(rule))
            return rule.line;
    return 0;
}

// The form of each kind of record, as the docs write it.
struct RuleForm {
    const char* keyword;
    RuleKind kind;
    int fields;
    const char* pattern;
};
constexpr std::array<RuleForm, RULE_KINDS> RULE_FORMS{{
    {"fixa", RuleKind::Pin, 5, "fixa|tipo|curso|turma|sala|"},
    {"evita", RuleKind::Avoid, 5, "evita|tipo|curso|turma|SALAS|"},
    {"salas", RuleKind::Allowed, 5, "salas|tipo|curso|turma|SALAS|"},
    {"reservada", RuleKind::Reserved, 5, "reservada|SALAS|tipo|curso|turma|"},
    {"prefere", RuleKind::Prefer, 6, "prefere|tipo|curso|turma|SALAS|PESO|"},
    {"fechada", RuleKind::Closed, 5, "fechada|SALAS|dia|HH:MM|HH:MM|"},
    {"recurso", RuleKind::Feature, 3, "recurso|SALAS|NOME|"},
    {"mesma_sala", RuleKind::SameRoom, 2, "mesma_sala|peso|"},
    {"mudanca", RuleKind::ChangePrice, 2, "mudanca|peso|"},
}};

const char* form_fault(const RuleForm& form)
{
    std::snprintf(reason, sizeof reason, "a regra %s tem a forma %s", form.keyword, form.pattern);
    return reason;
}

// "regra desconhecida 'fixo' (use fixa, evita, ... ou mudanca)": every kind read, the last after "ou".
const char* unknown_kind(const char* keyword)
{
    int used = std::snprintf(reason, sizeof reason, "regra desconhecida '%.40s' (use ", keyword);
    for (std::size_t i = 0; i < RULE_FORMS.size(); ++i) {
        const char* joint = i == 0 ? "" : i + 1 == RULE_FORMS.size() ? " ou " : ", ";
        used += std::snprintf(reason + used, sizeof reason - static_cast<std::size_t>(used), "%s%s", joint,
                              RULE_FORMS[i].keyword);
    }
    std::snprintf(reason + used, sizeof reason - static_cast<std::size_t>(used), ")");
    return reason;
}

// The sections a rule names, into rule.section (one) or rule.selector ("*").
const char* section_fields(const Fields& fields, int first, const RuleForm& form, Rule& rule)
{
    bool malformed{};
    const char* fault = parse_selector(fields.text[first], fields.text[first + 1], fields.text[first + 2],
                                       rule.selector, malformed);
    if (malformed)
        return form_fault(form);
    if (fault != nullptr)
        return fault;
    if (!names_one_section(rule.selector))
        return nullptr;
    rule.section = selected_section(rule.selector, fault);
    return fault;
}

// The set of rooms in `text`, into rule.rooms.
const char* room_set_field(const char* text, Rule& rule, bool features_known = true)
{
    if (std::strcmp(text, "*") == 0) {
        rule.rooms = keep_room_set(real_rooms());
        return nullptr;
    }
    RoomSet rooms;
    if (const char* fault = parse_room_set(text, rooms, features_known))
        return fault;
    rule.rooms = keep_room_set(rooms);
    return rule.rooms == NO_ROOM_SET ? "mais de 100000 conjuntos de salas" : nullptr;
}

// Where a pin of `section` in `room` meets an earlier rule.
const char* pin_conflict(int32_t section, int32_t room)
{
    if (pinned_room[section] != 0 && pinned_room[section] != room)
        return refusal("turma ja fixa na sala %d (linha %d)", pinned_room[section],
                       line_of(RuleKind::Pin, [&](const Rule& r) { return r.room != room && rule_names(r, section); }));
    for (int m : meeting_numbers()) {
        const Meeting& meeting = sections[section].meetings[m];
        for (int row = meeting.first_slot; is_present(meeting) && row <= meeting.last_slot; ++row) {
            int32_t other = pinned_grid[row][room];
            if (other != 0 && other != section)
                return refusal_naming("turma fixa no mesmo horario e sala que a turma %s (linha %d)", other,
                                      line_of(RuleKind::Pin, [&](const Rule& r) { return rule_names(r, other); }));
            if (closed_cells[row][room])
                return refusal("turma fixa em horario fechado (linha %d)",
                               line_of(RuleKind::Closed, [&](const Rule& r) { return closure_closes(r, row, room); }));
        }
    }
    return nullptr;
}

// A pin: its sections (by "*" in turma alone), its room, and no earlier rule it meets.
const char* pin_rule(const Fields& fields, const RuleForm& form, Rule& rule)
{
    if (std::strcmp(fields.text[1], "*") == 0 || std::strcmp(fields.text[2], "*") == 0)
        return "fixa aceita * so na turma: fixa|tipo|curso|*|sala|";
    if (const char* fault = section_fields(fields, 1, form, rule))
        return fault;
    if (!parse_whole(fields.text[4], rule.room))
        return "sala deve ser o numero da coluna em capacidade.txt";
    if (const char* fault = room_fault(rule.room))
        return fault;
    const char* fault = nullptr;
    for_each_section_named(rule, [&](int32_t section) {
        if (fault == nullptr && (fault = pin_conflict(section, rule.room)) == nullptr)
            for (int m : meeting_numbers()) {  // what a later pin is checked against
                const Meeting& meeting = sections[section].meetings[m];
                for (int row = meeting.first_slot; is_present(meeting) && row <= meeting.last_slot; ++row)
                    pinned_grid[row][rule.room] = section;
                pinned_room[section] = rule.room;
            }
    });
    return fault;
}

const char* closure_rule(const Fields& fields, Rule& rule)
{
    if (std::strcmp(fields.text[1], "*") == 0)
        return "fechada nao aceita *: diga as salas (1,4,30-34,laboratorio)";
    if (const char* fault = room_set_field(fields.text[1], rule))
        return fault;
    int32_t first_weekday = own_week ? SUNDAY : MONDAY;
    if (!parse_whole(fields.text[2], rule.weekday) || rule.weekday < first_weekday || rule.weekday > SATURDAY)
        return own_week ? "dia da semana deve ser um numero de 1 (domingo) a 7 (sabado)"
                        : "dia da semana deve ser um numero de 2 (segunda-feira) a 7 (sabado)";
    if (!parse_time(fields.text[3], rule.from) || !parse_time(fields.text[4], rule.to))
        return "horario mal formado (HH:MM)";
    if (rule.from >= rule.to)
        return "fechada com inicio que nao antecede o fim";
    for (int32_t slot = FIRST_SLOT; slot <= slot_count; ++slot)
        for (int room = FIRST_ROOM; room <= last_room; ++room)
            if (int32_t section = pinned_grid[slot][room]; section != 0 && closure_closes(rule, slot, room))
                return refusal_naming("fecha o horario da turma %s, fixa nesta sala (linha %d)", section,
                                      line_of(RuleKind::Pin, [&](const Rule& r) { return rule_names(r, section); }));
    for (int32_t slot = FIRST_SLOT; slot <= slot_count; ++slot)  // what a later pin is checked against
        for (int room = FIRST_ROOM; room <= last_room; ++room)
            if (closure_closes(rule, slot, room))
                closed_cells[slot][room] = true;
    return nullptr;
}

const char* weight_field(const char* text, const RuleForm& form, Rule& rule)
{
    if (!parse_whole(text, rule.weight))
        return form_fault(form);
    return rule.weight < 0 ? "peso negativo" : nullptr;
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

// Parses one record of any kind but recurso into `rule`, and checks it
// against the rules before it.
const char* parse_rule(const RuleForm& form, const Fields& fields, Rule& rule)
{
    switch (rule.kind) {
    case RuleKind::Pin:
        return pin_rule(fields, form, rule);
    case RuleKind::Avoid:
    case RuleKind::Allowed:
        if (const char* fault = section_fields(fields, 1, form, rule))
            return fault;
        return room_set_field(fields.text[4], rule);
    case RuleKind::Reserved:
        if (const char* fault = room_set_field(fields.text[1], rule))
            return fault;
        return section_fields(fields, 2, form, rule);
    case RuleKind::Prefer:
        if (const char* fault = section_fields(fields, 1, form, rule))
            return fault;
        if (const char* fault = room_set_field(fields.text[4], rule))
            return fault;
        return weight_field(fields.text[5], form, rule);
    case RuleKind::Closed:
        return closure_rule(fields, rule);
    case RuleKind::SameRoom:
    case RuleKind::ChangePrice:
        if (const char* fault = weight_field(fields.text[1], form, rule))
            return fault;
        if (int32_t first = line_of(rule.kind, [](const Rule&) { return true; }))
            return refusal(rule.kind == RuleKind::SameRoom ? "segunda linha mesma_sala (a primeira e a linha %d)"
                                                           : "segunda linha mudanca (a primeira e a linha %d)",
                           first);
        return nullptr;
    case RuleKind::Feature:
        return nullptr;
    }
    return nullptr;
}

// A recurso line: columns and ranges (no feature: they are being read) and a feature name.
const char* feature_rule(const Fields& fields, Rule& rule)
{
    RoomSet rooms;
    if (const char* fault = parse_room_set(fields.text[1], rooms, false))
        return fault;
    if (!is_feature_name(fields.text[2]))
        return "nome de recurso: uma letra, depois letras, digitos, _ ou -, ate 30";
    if (!add_feature(fields.text[2], rooms))
        return "mais de 1000 recursos";
    rule.feature = find_feature(fields.text[2]);
    rule.rooms = keep_room_set(rooms);
    return rule.rooms == NO_ROOM_SET ? "mais de 100000 conjuntos de salas" : nullptr;
}

// One line of the pass: a rule of `pass` kind (recurso, or any other) read
// and kept, a line of the other pass skipped; nullptr or why it is refused.
const char* read_line(char* line, bool features_pass, RecordFile& file)
{
    char copy[MAX_LINE];
    std::snprintf(copy, sizeof copy, "%s", line);
    char* keyword = nullptr;
    const RuleForm* form = find_form(copy, keyword);
    if (form == nullptr)
        return features_pass ? nullptr : unknown_kind(keyword);
    if ((form->kind == RuleKind::Feature) != features_pass)
        return nullptr;
    Fields fields;
    if (!split_fields(line, fields) || fields.count != form->fields)
        return form_fault(*form);
    if (rule_count == MAX_RULES)
        return "mais de 100000 regras";
    Rule rule{};
    rule.kind = form->kind;
    rule.line = static_cast<int32_t>(file.line);
    const char* fault = features_pass ? feature_rule(fields, rule) : parse_rule(*form, fields, rule);
    if (fault == nullptr)
        rules[rule_count++] = rule;
    return fault;
}

bool read_pass(RecordFile& file, bool features_pass)
{
    static char line[MAX_LINE];
    RecordRead read;
    while ((read = read_text_line(file, line, sizeof line)) == RecordRead::Record) {
        const char* text = line;
        while (is_blank(*text))
            ++text;
        if (*text == '#')
            continue;
        if ((file.error = read_line(line, features_pass, file)) != nullptr)
            return false;
    }
    return read == RecordRead::End;
}

// ---------------------------------------------------------------- what no line shows alone

// The rule on `line`.
const Rule& rule_on(int32_t line)
{
    int32_t i = 0;
    while (i + 1 < rule_count && rules[i].line != line)
        ++i;
    return rules[i];
}

// A pin into a room that another line bars to its section: the later of the
// two lines is refused, naming the other, in words of what that line does.
bool refuse_barred_pin(RecordFile& file, const Rule& pin, int32_t section)
{
    int32_t other = line_barring(section, pin.room);
    RuleKind kind = rule_on(other).kind;
    bool pin_later = pin.line > other;
    const char* format =
        kind == RuleKind::Avoid      ? (pin_later ? "turma %s evita esta sala (linha %d)" : "turma %s fixa nesta sala (linha %d)")
        : kind == RuleKind::Allowed  ? (pin_later ? "sala fora das salas da turma %s (linha %d)"
                                                  : "turma %s fixa numa sala fora destas (linha %d)")
        : kind == RuleKind::Reserved ? (pin_later ? "sala reservada a outras turmas que a %s (linha %d)"
                                                  : "reserva a sala da turma %s, fixa nela (linha %d)")
                                     : "turma %s fixa numa sala que outra regra lhe veda (linha %d)";
    file.line = std::max(pin.line, other);
    file.error = refusal_naming(format, section, std::min(pin.line, other));
    return false;
}

// A pin into a room that other lines bar to its section.
bool check_pins(RecordFile& file)
{
    for (const Rule& rule : file_rules()) {
        if (rule.kind != RuleKind::Pin)
            continue;
        int32_t barred = 0;
        for_each_section_named(rule, [&](int32_t section) {
            if (barred == 0 && avoided_rooms[section][static_cast<std::size_t>(rule.room)])
                barred = section;
        });
        if (barred != 0)
            return refuse_barred_pin(file, rule, barred);
    }
    return true;
}

// A section that the lines leave no room but sv: named at the last line that restricts it.
bool check_rooms_left(RecordFile& file)
{
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section) {
        if (avoided_rooms[section].count() < static_cast<std::size_t>(last_room) || last_room == 0)
            continue;
        int32_t last = 0;
        for (const Rule& rule : file_rules()) {
            bool restricts = ((rule.kind == RuleKind::Avoid || rule.kind == RuleKind::Allowed) &&
                              rule_names(rule, section)) ||
                             (rule.kind == RuleKind::Reserved && !rule_names(rule, section));
            if (restricts)
                last = rule.line;
        }
        char name[48];
        section_name(name, sizeof name, section);
        file.line = last;
        std::snprintf(reason, sizeof reason, "as regras deixam a turma %s sem nenhuma sala (so sv)", name);
        file.error = reason;
        return false;
    }
    return true;
}

}  // namespace

bool read_rules(RecordFile& file)
{
    reset_rules();
    if (!read_pass(file, true))
        return false;
    restart_record_file(file);
    if (!read_pass(file, false))
        return false;
    apply_rules();
    return check_pins(file) && check_rooms_left(file);
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
