// The spreadsheet plan: its lines split into fields, the fields read, each
// row placed as one meeting in the grid, and every fault named by line.
#include "report/plan_csv.hpp"

#include <array>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "io/console.hpp"
#include "io/input_file.hpp"
#include "model/calendar.hpp"
#include "model/instance.hpp"
#include "model/rules.hpp"

namespace {

constexpr int CSV_LINE = 8192;  // a line of alocacao.csv takes about a hundred bytes
constexpr int MAX_FIELDS = 32;
constexpr int FIELD_SIZE = 256;

// The columns the plan is read from, in the order of COLUMN_NAMES.
enum Column { DAY, START, ROOM, COURSE, SECTION, USED_COLUMNS };
constexpr std::array<const char*, USED_COLUMNS> COLUMN_NAMES{"dia", "inicio", "sala", "disciplina", "turma"};

// The weekday as written: in UTF-8 with its accents, or without them.
constexpr std::array<const char*, SATURDAY + 1> WEEKDAY_UTF8{
    "", "domingo", "segunda-feira", "ter\xC3\xA7" "a-feira", "quarta-feira", "quinta-feira", "sexta-feira", "s\xC3\xA1" "bado"};

struct CsvLine {
    int count;
    std::array<std::array<char, FIELD_SIZE>, MAX_FIELDS> fields;
};

struct PlanFile {
    const char* name;
    std::FILE* stream;
    int line;
    char separator;
    std::array<int, USED_COLUMNS> column;  // each used column's field
    std::array<char, CSV_LINE> text;
    CsvLine fields;
    int faults;
    PlanReading reading;
};
PlanFile plan;

// Where each meeting was read: its line, 0 when not yet.
std::array<std::array<int, MAX_MEETINGS + 1>, MAX_SECTIONS + 1> meeting_line;

void fault(int line, const char* format, ...) __attribute__((format(printf, 2, 3)));
void fault(int line, const char* format, ...)
{
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    console_print_path(plan.name);
    if (line > 0)
        console_print(", linha %d", line);
    console_print(": %s\n", text);
    ++plan.faults;
}

// A fault of one row: for a plan to keep, the row is only skipped.
void row_fault(int line, const char* format, ...) __attribute__((format(printf, 2, 3)));
void row_fault(int line, const char* format, ...)
{
    if (plan.reading == PlanReading::Kept)
        return;
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    fault(line, "%s", text);
}

// A field in Windows-1252, or any bytes that are not UTF-8, as UTF-8; the
// bytes 0x80..0x9F, which Windows-1252 gives to other characters, never
// matter to the columns read and stay as Latin-1 would read them.
bool valid_utf8(const unsigned char* bytes)
{
    for (std::size_t i = 0; bytes[i] != 0;) {
        int length = utf8_sequence_length(bytes + i);
        if (length == 0)
            return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

void to_utf8(std::array<char, FIELD_SIZE>& field)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(field.data());
    if (valid_utf8(bytes))
        return;
    std::array<char, FIELD_SIZE> converted{};
    std::size_t used = 0;
    for (std::size_t i = 0; bytes[i] != 0 && used + 3 < converted.size(); ++i) {
        if (bytes[i] < 0x80) {
            converted[used++] = static_cast<char>(bytes[i]);
            continue;
        }
        converted[used++] = static_cast<char>(0xC0 | (bytes[i] >> 6));
        converted[used++] = static_cast<char>(0x80 | (bytes[i] & 0x3F));
    }
    field = converted;
}

// Splits a line into its fields: blanks around a field dropped, a quoted
// field's quotes removed and its doubled quotes made single; false when a
// quote is left open or there are too many fields.
bool split(const char* text, CsvLine& line)
{
    line.count = 0;
    for (;;) {
        if (line.count == MAX_FIELDS)
            return false;
        auto& field = line.fields[line.count++];
        std::size_t used = 0;
        while (*text == ' ')
            ++text;
        bool quoted = *text == '"';
        text += quoted;
        for (; *text != '\0' && (quoted || *text != plan.separator); ++text) {
            if (quoted && *text == '"' && text[1] != '"') {
                quoted = false;
                continue;
            }
            text += quoted && *text == '"';  // a doubled quote stands for one
            if (used + 1 < field.size())
                field[used++] = *text;
        }
        while (used > 0 && field[used - 1] == ' ')
            --used;
        field[used] = '\0';
        to_utf8(field);
        if (quoted)
            return false;
        if (*text == '\0')
            return true;
        ++text;  // the separator
    }
}

// The next line, without its line end; false at the end of the file. A
// line longer than any spreadsheet writes for the plan is a fault, skipped.
bool next_line()
{
    for (;;) {
        ++plan.line;
        if (std::fgets(plan.text.data(), CSV_LINE, plan.stream) == nullptr)
            return false;
        std::size_t length = std::strlen(plan.text.data());
        if (length > 0 && plan.text[length - 1] == '\n') {
            plan.text[--length] = '\0';
            if (length > 0 && plan.text[length - 1] == '\r')
                plan.text[--length] = '\0';
            return true;
        }
        if (std::feof(plan.stream))
            return true;  // the last line, without a line end
        row_fault(plan.line, "linha longa demais");
        for (int c = 0; c != '\n' && c != EOF;)
            c = std::fgetc(plan.stream);
    }
}

bool same_word(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

// The header: a byte-order mark skipped, ";" when the line has one, else ",",
// and each used column found by its name; false when one is missing.
bool read_header()
{
    if (!next_line()) {
        fault(0, "arquivo vazio");
        return false;
    }
    char* text = plan.text.data();
    if (std::strncmp(text, "\xEF\xBB\xBF", 3) == 0)
        text += 3;
    plan.separator = std::strchr(text, ';') != nullptr ? ';' : ',';
    if (!split(text, plan.fields)) {
        fault(plan.line, "cabecalho mal formado");
        return false;
    }
    bool complete = true;
    for (int column = 0; column < USED_COLUMNS; ++column) {
        plan.column[column] = -1;
        for (int i = 0; i < plan.fields.count && plan.column[column] < 0; ++i)
            if (same_word(plan.fields.fields[i].data(), COLUMN_NAMES[column]))
                plan.column[column] = i;
        if (plan.column[column] < 0) {
            fault(plan.line, "falta a coluna %s", COLUMN_NAMES[column]);
            complete = false;
        }
    }
    return complete;
}

const char* field(Column column)
{
    int index = plan.column[column];
    return index < plan.fields.count ? plan.fields.fields[index].data() : "";
}

int32_t read_weekday(const char* text)
{
    for (int32_t weekday = SUNDAY; weekday <= SATURDAY; ++weekday)
        if (same_word(text, WEEKDAY_UTF8[weekday]) || same_word(text, weekday_name(weekday)))
            return weekday;
    return 0;
}

// "7:30", "07:30" or "07:30:00" as minutes since midnight; -1 for anything else.
int32_t read_clock(const char* text)
{
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    int hours = 0, digits = 0;
    for (; digit(*text) && digits < 2; ++text, ++digits)
        hours = hours * 10 + (*text - '0');
    if (digits == 0 || *text != ':' || !digit(text[1]) || !digit(text[2]))
        return -1;
    int minutes = (text[1] - '0') * 10 + (text[2] - '0');
    text += 3;
    if (std::strcmp(text, ":00") == 0)
        text += 3;  // the seconds a spreadsheet may add
    return *text == '\0' && hours <= 23 && minutes <= 59 ? hours * 60 + minutes : -1;
}

// "sv", or a column number with any leading zeros; -1 for anything else or past the last room.
int read_room(const char* text)
{
    if (same_word(text, "sv"))
        return OVERFLOW_COLUMN;
    int room = 0;
    if (*text == '\0' || std::strspn(text, "0123456789") != std::strlen(text))
        return -1;
    for (; *text != '\0'; ++text) {
        room = room * 10 + (*text - '0');
        if (room > last_room)
            return -1;
    }
    return room;
}

// The loaded section of "QUI 110" and "1"; 0 when there is none.
int32_t read_section(const char* course, const char* number)
{
    char code[MAX_COURSE_CODE + 2] = "";
    int course_number = 0, section_number = 0, used = 0;
    if (std::sscanf(course, "%9s %d%n", code, &course_number, &used) != 2 || course[used] != '\0' ||
        std::sscanf(number, "%d%n", &section_number, &used) != 1 || number[used] != '\0')
        return 0;
    for (int32_t index = 1; index <= section_count; ++index) {
        const Section& section = sections[index];
        if (section.course_number == course_number && section.section_number == section_number &&
            std::strcmp(section.course_code, code) == 0)
            return index;
    }
    return 0;
}

// The line that gave the meeting of `section` over grid row `row`.
int line_of(int32_t section, int row)
{
    for (int m = FIRST_MEETING; m <= MAX_MEETINGS; ++m) {
        const Meeting& meeting = sections[section].meetings[m];
        if (meeting.weekday != 0 && meeting.first_slot <= row && row <= meeting.last_slot)
            return meeting_line[section][m];
    }
    return 0;
}

void name_class(char* text, std::size_t size, int32_t section)
{
    const Section& s = sections[section];
    std::snprintf(text, size, "turma %s %d-%d", s.course_code, s.course_number, s.section_number);
}

// One row: its meeting found and laid in its room, unless a fault says why not.
void place_row(AllocationGrid& grid)
{
    int32_t weekday = read_weekday(field(DAY)), start = read_clock(field(START));
    int room = read_room(field(ROOM));
    int32_t section = read_section(field(COURSE), field(SECTION));
    if (weekday == 0)
        return row_fault(plan.line, "dia '%s' desconhecido", field(DAY));
    if (start < 0)
        return row_fault(plan.line, "inicio '%s' nao e um horario hh:mm", field(START));
    if (room < 0)
        return row_fault(plan.line, "sala '%s' fora de sv e 1..%d", field(ROOM), last_room);
    if (section == 0)
        return row_fault(plan.line, "turma %s-%s fora de demanda.txt", field(COURSE), field(SECTION));
    char name[64];
    name_class(name, sizeof name, section);
    int m = find_meeting(section, weekday, start);
    if (m == 0)
        return row_fault(plan.line, "%s nao tem reuniao %s as %02d:%02d", name, weekday_name(weekday), start / 60,
                     start % 60);
    if (meeting_line[section][m] != 0)
        return row_fault(plan.line, "%s, %s: reuniao repetida (ja na linha %d)", name, weekday_name(weekday),
                     meeting_line[section][m]);
    meeting_line[section][m] = plan.line;
    const Meeting& meeting = sections[section].meetings[m];
    for (int row = meeting.first_slot; row <= meeting.last_slot; ++row)
        if (int32_t other = grid[row][room]) {
            char other_name[64];
            name_class(other_name, sizeof other_name, other);
            int32_t clash = slot_start(row);
            return row_fault(plan.line, "%s e %s (linha %d) na mesma sala as %02d:%02d de %s", name, other_name,
                         line_of(other, row), clash / 60, clash % 60, weekday_name(weekday));
        }
    for (int row = meeting.first_slot; row <= meeting.last_slot; ++row)
        grid[row][room] = section;
}

void name_missing_meetings()
{
    for (int32_t section = 1; section <= section_count; ++section)
        for (int m = FIRST_MEETING; m <= MAX_MEETINGS; ++m) {
            const Meeting& meeting = sections[section].meetings[m];
            if (meeting.weekday == 0 || meeting_line[section][m] != 0)
                continue;
            char name[64];
            name_class(name, sizeof name, section);
            fault(0, "falta a reuniao da %s, %s %02d:%02d", name, weekday_name(meeting.weekday),
                  meeting.earliest_start / 60, meeting.earliest_start % 60);
        }
}

// Every pin, avoidance and closure the plan breaks, at the line of the meeting that breaks it.
void name_broken_rules(const AllocationGrid& grid)
{
    for (int32_t i = 0; i < rule_count; ++i) {
        if (!is_hard_rule(rules[i]))
            continue;
        RuleBreach breach = find_breach(grid, rules[i]);
        if (!breach.broken)
            continue;
        char name[64];
        name_class(name, sizeof name, breach.section);
        fault(line_of(breach.section, breach.row), "regras.txt, linha %d, nao cumprida: %s na sala %d", rules[i].line, name, breach.room);
    }
}

}  // namespace

int read_plan_csv(const char* name, AllocationGrid& grid, PlanReading reading)
{
    plan.reading = reading;
    clear_grid(grid);
    for (int32_t section = 0; section <= section_count; ++section)
        meeting_line[section] = {};
    plan.name = name;
    plan.line = 0;
    plan.faults = 0;
    plan.stream = open_regular_file(name);
    if (plan.stream == nullptr)
        fail_with("\n\nArquivo %s nao pode ser aberto.\n", name);
    bool header = read_header();
    while (header && next_line()) {
        if (!split(plan.text.data(), plan.fields)) {
            row_fault(plan.line, "linha mal formada (aspas abertas ou campos demais)");
            continue;
        }
        bool blank = true;
        for (int i = 0; i < plan.fields.count; ++i)
            blank = blank && plan.fields.fields[i][0] == '\0';
        if (!blank)
            place_row(grid);
    }
    bool unreadable = std::ferror(plan.stream) != 0;
    std::fclose(plan.stream);
    if (unreadable)
        fail_with("\n\nArquivo %s nao pode ser lido.\n", name);
    if (header && reading == PlanReading::Checked) {
        name_missing_meetings();
        name_broken_rules(grid);
    }
    return plan.faults;
}
