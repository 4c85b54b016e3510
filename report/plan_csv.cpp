// The spreadsheet plan: its records read (io/csv.hpp), the fields read, each
// row placed as one meeting in the grid, and every fault named by line.
#include "report/plan_csv.hpp"

#include <array>
#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>

#include "io/console.hpp"
#include "io/csv.hpp"
#include "model/calendar.hpp"
#include "model/instance.hpp"
#include "model/rules/rules.hpp"
#include "report/left_out_file.hpp"
#include "search/optimum.hpp"
#include "search/optimum_model.hpp"

namespace {

// The columns the plan is read from, in the order of COLUMN_NAMES; the
// room's name is optional.
enum Column { DAY, START, ROOM, COURSE, SECTION, ROOM_NAME, COLUMNS };
constexpr int REQUIRED_COLUMNS = ROOM_NAME;
constexpr std::array<const char*, COLUMNS> COLUMN_NAMES{"dia", "inicio", "sala", "disciplina", "turma",
                                                        "nome da sala"};
constexpr const char* LEFT_OUT_ROOM_NAME = "fora da grade";  // what alocacao.csv writes for a meeting left out
constexpr int NO_ROOM = INT_MIN;       // no column is either
constexpr int LEFT_OUT_ROW = INT_MAX;

// The weekday as written: in UTF-8 with its accents, or without them.
constexpr std::array<const char*, SATURDAY + 1> WEEKDAY_UTF8{
    "", "domingo", "segunda-feira", "ter\xC3\xA7" "a-feira", "quarta-feira", "quinta-feira", "sexta-feira", "s\xC3\xA1" "bado"};

struct PlanFile {
    const char* name;
    CsvFile csv;
    CsvRecord record;
    int line;
    std::array<int, COLUMNS> column;  // each column's field; CSV_NO_FIELD when the header has none
    int faults;
    PlanReading reading;
    LeftOutMeetings* left_out;  // the rows read without a room
};
PlanFile plan;

// Where each meeting was read: its line, 0 when not yet.
BySection<ByMeeting<int>> meeting_line;

// "alocacao.csv, linha 12: ": the start of a fault's line (no line: the whole file).
void begin_fault(int line)
{
    console_print_path(plan.name);
    if (line > 0)
        console_print(", linha %d", line);
    console_print(": ");
    ++plan.faults;
}

void fault(int line, const char* format, ...) __attribute__((format(printf, 2, 3)));
void fault(int line, const char* format, ...)
{
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    begin_fault(line);
    console_print("%s\n", text);
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

// A fault of one row that shows a cell as it was typed: `before`, the cell
// between quotes, shown safely, and `after`.
void cell_fault(const char* before, const char* cell, const char* after)
{
    if (plan.reading == PlanReading::Kept)
        return;
    begin_fault(plan.line);
    console_print("%s'", before);
    console_print_cell(cell);
    console_print("'%s\n", after);
}

bool same_word(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

// The header: each column found by its name; false when a required one is missing.
bool read_header()
{
    CsvRead read = read_csv_header(plan.csv, plan.record);
    if (read == CsvRead::Unreadable)
        fail_with("\n\nArquivo %s nao pode ser lido.\n", plan.name);
    if (read == CsvRead::NullByte && plan.reading == PlanReading::Kept)
        fail_with("\n\nArquivo %s: %s\n", plan.name, CSV_NULL_BYTE);
    if (read == CsvRead::NullByte) {
        fault(0, "%s", CSV_NULL_BYTE);
        return false;
    }
    if (read != CsvRead::Record) {
        fault(0, "arquivo vazio");
        return false;
    }
    if (plan.record.open_quote) {
        fault(1, "cabecalho mal formado");
        return false;
    }
    bool complete = true;
    for (int column = 0; column < COLUMNS; ++column) {
        plan.column[column] = CSV_NO_FIELD;
        for (int i = 0; i < plan.record.count && plan.column[column] == CSV_NO_FIELD; ++i)
            if (same_word(plan.record.fields[i].data(), COLUMN_NAMES[column]))
                plan.column[column] = i;
        if (plan.column[column] == CSV_NO_FIELD && column < REQUIRED_COLUMNS) {
            fault(1, "falta a coluna %s", COLUMN_NAMES[column]);
            complete = false;
        }
    }
    return complete;
}

const char* field(Column column)
{
    int index = plan.column[column];
    return index != CSV_NO_FIELD && index < plan.record.count ? plan.record.fields[index].data() : "";
}

int32_t read_weekday(const char* text)
{
    for (int32_t weekday = SUNDAY; weekday <= SATURDAY; ++weekday)
        if (same_word(text, WEEKDAY_UTF8[weekday]) || same_word(text, weekday_name(weekday)))
            return weekday;
    return 0;
}

// "7:30", "07:30" or "07:30:00" as minutes since midnight; none for anything else.
std::optional<int32_t> read_clock(const char* text)
{
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    int hours = 0, digits = 0;
    for (; digit(*text) && digits < 2; ++text, ++digits)
        hours = hours * 10 + (*text - '0');
    if (digits == 0 || *text != ':' || !digit(text[1]) || !digit(text[2]))
        return std::nullopt;
    int minutes = (text[1] - '0') * 10 + (text[2] - '0');
    text += 3;
    if (std::strcmp(text, ":00") == 0)
        text += 3;  // the seconds a spreadsheet may add
    if (*text != '\0' || hours > 23 || minutes > 59)
        return std::nullopt;
    return hours * 60 + minutes;
}

// "sv", or a column number with any leading zeros; NO_ROOM for anything else or past the last room.
int read_room_column(const char* text)
{
    if (same_word(text, "sv"))
        return OVERFLOW_COLUMN;
    int room = 0;
    if (*text == '\0' || std::strspn(text, "0123456789") != std::strlen(text))
        return NO_ROOM;
    for (; *text != '\0'; ++text) {
        room = room * 10 + (*text - '0');
        if (room > last_room)
            return NO_ROOM;
    }
    return room;
}

// The room whose name capacidade.txt gives as `text` (letters compared
// without case); NO_ROOM when none has it.
int room_named(const char* text)
{
    for (int room = FIRST_ROOM; room <= last_room && *text != '\0'; ++room)
        if (same_word(room_names[room].data(), text))
            return room;
    return NO_ROOM;
}

// The room of a row, from its "sala" and its "nome da sala": a column, or a
// room's name, in "sala"; a name in "nome da sala" alone. Both empty (or the
// name "fora da grade"): LEFT_OUT_ROW. NO_ROOM, with the fault named, when
// they name no room or two different ones.
int read_room()
{
    const char* column_text = field(ROOM);
    const char* name = field(ROOM_NAME);
    bool no_name = *name == '\0' || same_word(name, LEFT_OUT_ROOM_NAME);
    if (*column_text == '\0' && no_name)
        return LEFT_OUT_ROW;
    int by_column = *column_text == '\0' ? NO_ROOM : read_room_column(column_text);
    if (by_column == NO_ROOM && *column_text != '\0')
        by_column = room_named(column_text);
    if (by_column == NO_ROOM && *column_text != '\0') {
        char after[48];
        std::snprintf(after, sizeof after, " fora de sv e 1..%d", last_room);
        cell_fault("sala ", column_text, after);
        return NO_ROOM;
    }
    if (no_name)
        return by_column;
    int by_name = room_named(name);
    if (by_name == NO_ROOM) {
        cell_fault("nome da sala ", name, " nao e de nenhuma sala de capacidade.txt");
        return NO_ROOM;
    }
    if (by_column != NO_ROOM && by_column != by_name) {
        if (plan.reading == PlanReading::Kept)
            return NO_ROOM;
        begin_fault(plan.line);
        console_print("sala '");
        console_print_cell(column_text);
        console_print("' e nome da sala '");
        console_print_cell(name);
        console_print("' (sala %02d) nao concordam\n", by_name);
        return NO_ROOM;
    }
    return by_name;
}

// The loaded section of "QUI 110" and "1"; 0 when there is none.
int32_t read_section(const char* course, const char* number)
{
    char code[MAX_COURSE_CODE + 2] = "";
    int course_number{}, section_number{}, used{};
    if (std::sscanf(course, "%9s %d%n", code, &course_number, &used) != 2 || course[used] != '\0' ||
        std::sscanf(number, "%d%n", &section_number, &used) != 1 || number[used] != '\0')
        return 0;
    for (int32_t index = FIRST_SECTION; index <= section_count; ++index) {
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
    for (int m : meeting_numbers()) {
        const Meeting& meeting = sections[section].meetings[m];
        if (is_present(meeting) && meeting.first_slot <= row && row <= meeting.last_slot)
            return meeting_line[section][m];
    }
    return 0;
}

void name_class(char* text, std::size_t size, int32_t section)
{
    const Section& s = sections[section];
    std::snprintf(text, size, "turma %s %d-%d", s.course_code, s.course_number, s.section_number);
}

// The meetings of each slot row, for the rows a plan may leave out; and,
// asked once a weekday, whether the rules leave the weekday no allocation.
BySlot<int32_t> meetings_in_row;
enum class Tight : int8_t { Unknown, No, Yes };
std::array<Tight, SATURDAY + 1> rules_leave_no_room;

// Whether the meeting is where no plan can seat every meeting: some row of
// it holds more meetings than open columns, or the rules leave its weekday
// no allocation of all of them. Only there may a plan leave it out.
bool in_an_overfull_block(const Meeting& meeting)
{
    for (int row = meeting.first_slot; row <= meeting.last_slot; ++row)
        if (meetings_in_row[row] > open_columns(row))
            return true;
    Tight& tight = rules_leave_no_room[meeting.weekday];
    if (tight == Tight::Unknown)
        tight = slot_where_columns_run_out(meeting.weekday) != 0 ? Tight::Yes : Tight::No;
    return tight == Tight::Yes;
}

// A row whose meeting is left out of the grid: only in an over-full block.
void leave_out(int32_t section, int m, const char* name)
{
    const Meeting& meeting = sections[section].meetings[m];
    if (plan.reading == PlanReading::Kept)
        return;
    if (!in_an_overfull_block(meeting))
        return row_fault(plan.line, "%s, %s %02d:%02d: sem sala, mas o bloco tem colunas para todas as reunioes",
                         name, weekday_name(meeting.weekday), meeting.earliest_start / 60,
                         meeting.earliest_start % 60);
    plan.left_out->marked[section][m] = true;
    ++plan.left_out->count;
}

// One row: its meeting found and laid in its room, unless a fault says why not.
void place_row(AllocationGrid& grid)
{
    int32_t weekday = read_weekday(field(DAY));
    if (weekday == 0)
        return cell_fault("dia ", field(DAY), " desconhecido");
    std::optional<int32_t> clock = read_clock(field(START));
    if (!clock)
        return cell_fault("inicio ", field(START), " nao e um horario hh:mm");
    int32_t start = *clock;
    int room = read_room();
    if (room == NO_ROOM)
        return;
    int32_t section = read_section(field(COURSE), field(SECTION));
    if (section == 0) {
        if (plan.reading == PlanReading::Kept)
            return;
        begin_fault(plan.line);
        console_print("turma ");
        console_print_cell(field(COURSE));
        console_print("-");
        console_print_cell(field(SECTION));
        console_print(" fora de demanda.txt\n");
        return;
    }
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
    if (room == LEFT_OUT_ROW)
        return leave_out(section, m, name);
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
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers()) {
            const Meeting& meeting = sections[section].meetings[m];
            if (!is_present(meeting) || meeting_line[section][m] != 0)
                continue;
            char name[64];
            name_class(name, sizeof name, section);
            fault(0, "falta a reuniao da %s, %s %02d:%02d", name, weekday_name(meeting.weekday),
                  meeting.earliest_start / 60, meeting.earliest_start % 60);
        }
}

// Every pin, avoidance and closure the plan breaks, at the line of the meeting that breaks it,
// in its room or in sv.
void name_broken_rules(const AllocationGrid& grid)
{
    for (const Rule& rule : file_rules()) {
        if (!is_hard_rule(rule))
            continue;
        RuleBreach breach = find_breach(grid, rule, &plan.left_out->marked);
        if (!breach.broken || breach.room < 0)  // a pinned meeting the plan lacks is named as missing
            continue;
        char name[64], room[12] = "sv";
        name_class(name, sizeof name, breach.section);
        if (breach.room != OVERFLOW_COLUMN)
            std::snprintf(room, sizeof room, "%d", breach.room);
        fault(line_of(breach.section, breach.row), "regras.txt, linha %d, nao cumprida: %s na sala %s", rule.line,
              name, room);
    }
}

// The records after the header, each a meeting; false when the file could not be read.
bool read_rows(AllocationGrid& grid)
{
    for (;;) {
        CsvRead read = read_csv_record(plan.csv, plan.record);
        plan.line = static_cast<int>(plan.record.line);
        if (read == CsvRead::End)
            return true;
        if (read == CsvRead::Unreadable)
            return false;
        if (read == CsvRead::NullByte && plan.reading == PlanReading::Kept)
            fail_with("\n\nArquivo %s: %s\n", plan.name, CSV_NULL_BYTE);
        if (read == CsvRead::NullByte) {
            fault(0, "%s", CSV_NULL_BYTE);
            return true;
        }
        if (plan.record.open_quote || plan.record.too_many_fields)
            row_fault(plan.line, "linha mal formada (aspas abertas ou campos demais)");
        else if (!csv_blank(plan.record))
            place_row(grid);
    }
}

}  // namespace

int read_plan_csv(const char* name, AllocationGrid& grid, LeftOutMeetings& rows_left_out, PlanReading reading)
{
    plan.reading = reading;
    plan.left_out = &rows_left_out;
    clear_grid(grid);
    clear_left_out(rows_left_out);
    meeting_line.fill({});
    plan.name = name;
    plan.line = 1;
    plan.faults = 0;
    meetings_in_row = meetings_per_slot();
    rules_leave_no_room.fill(Tight::Unknown);
    if (!open_csv(name, plan.csv))
        fail_with("\n\nArquivo %s nao pode ser aberto.\n", name);
    bool header = read_header();
    bool readable = !header || read_rows(grid);
    close_csv(plan.csv);
    if (!readable)
        fail_with("\n\nArquivo %s nao pode ser lido.\n", name);
    if (header && reading == PlanReading::Checked) {
        name_missing_meetings();
        name_broken_rules(grid);
    }
    return plan.faults;
}
