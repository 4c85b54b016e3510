// turmas.csv row by row: each row's course, section, students, times,
// required features and room today, into the importer's tables.
#include "app/importar/classes.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/importar/cells.hpp"
#include "app/importar/import.hpp"
#include "io/console.hpp"
#include "io/encoding.hpp"
#include "model/fnv1a.hpp"
#include "model/hash_slot.hpp"

namespace {

// ---------------------------------------------------------------- lookups

constexpr std::size_t INDEX_SIZE = 1 << 15;  // above MAX_IMPORT_COURSES and MAX_SECTIONS
std::array<int32_t, INDEX_SIZE> course_slots;  // course + 1, 0 for an empty slot
std::array<int32_t, INDEX_SIZE> class_slots;   // class, 0 for an empty slot

// A course's key: its text folded, without blanks ("MTM 121" and "mtm121" are one course).
void course_key(const char* text, ImportKey& key)
{
    char folded[MAX_KEY];  // no longer than the key, NUL included: the loop needs no bound
    fold_text(text, folded, sizeof folded);
    std::size_t used = 0;
    for (const char* c = folded; *c != '\0'; ++c)
        if (*c != ' ')
            key[used++] = *c;
    key[used] = '\0';
}

// The course of `text`, added when new; NOT_FOUND when the table is full.
int32_t find_or_add_course(const char* text, int32_t line)
{
    ImportKey key;
    course_key(text, key);
    std::size_t slot = hash_slot<INDEX_SIZE>(fnv1a_text(key.data()));
    for (; course_slots[slot] != 0; slot = next_slot<INDEX_SIZE>(slot))
        if (std::strcmp(import_courses.courses[course_slots[slot] - 1].key.data(), key.data()) == 0)
            return course_slots[slot] - 1;
    if (import_courses.count == MAX_IMPORT_COURSES)
        return NOT_FOUND;
    int32_t course = import_courses.count++;
    ImportCourse& entry = import_courses.courses[course];
    entry = {};
    entry.key = key;
    std::snprintf(entry.text.data(), entry.text.size(), "%.255s", text);
    entry.line = line;
    course_slots[slot] = course + 1;
    return course;
}

// The class of a course and a section as written, added when new; 0 when the table is full.
int32_t find_or_add_class(int32_t course, const char* label, int32_t students, int32_t line)
{
    std::size_t slot = hash_slot<INDEX_SIZE>(fnv1a_text(label) ^ static_cast<uint64_t>(course));
    for (; class_slots[slot] != 0; slot = next_slot<INDEX_SIZE>(slot)) {
        const ImportClass& known = import_classes.classes[class_slots[slot]];
        if (known.course == course && std::strcmp(known.label.data(), label) == 0)
            return class_slots[slot];
    }
    if (import_classes.count == MAX_SECTIONS)
        return 0;
    int32_t index = ++import_classes.count;
    ImportClass& entry = import_classes.classes[index];
    entry = {};
    entry.course = course;
    std::snprintf(entry.label.data(), entry.label.size(), "%s", label);
    entry.students = students;
    entry.students_line = line;
    class_slots[slot] = index;
    return index;
}

// ---------------------------------------------------------------- rooms from the classes

// A room named in the sala column, made when new, with the seats the row
// gives it (the largest when rows differ, which a note says).
int32_t room_of_class_row(const char* text, const char* seats_text, int32_t line)
{
    int32_t room = find_room(text);
    int32_t seats{};
    bool seats_read = read_count(seats_text, seats);
    if (room == 0) {
        if (import_rooms.count == MAX_ROOM) {
            add_note("linha %d de %s: mais de %d salas; a sala '%s' fica de fora", line, turmas_outcomes.name, MAX_ROOM,
                     text);
            return 0;
        }
        room = ++import_rooms.count;
        ImportRoom& entry = import_rooms.rooms[room];
        entry = {};
        fold_text(text, entry.key.data(), entry.key.size());
        entry.name_key = entry.key;
        std::snprintf(entry.name.data(), entry.name.size(), "%s", text);
        entry.seats = seats_read ? seats : NOT_FOUND;
        entry.line = line;
        return room;
    }
    ImportRoom& entry = import_rooms.rooms[room];
    if (seats_read && entry.seats >= 0 && seats != entry.seats)
        add_note("sala '%s': %d lugares na linha %d e %d na linha %d de %s; fica com %d", entry.name.data(),
                 entry.seats, entry.line, seats, line, turmas_outcomes.name, seats > entry.seats ? seats : entry.seats);
    if (seats_read && seats > entry.seats) {
        entry.seats = seats;
        entry.line = line;
    }
    return room;
}

// ---------------------------------------------------------------- one row

// Why a row is refused or skipped, for its outcome.
struct RowFault {
    Outcome outcome;
    ImportColumn column;
    const char* reason;
};
constexpr RowFault ROW_SOUND{Outcome::None, IMPORT_COLUMNS, nullptr};

RowFault refuse(ImportColumn column, const char* reason)
{
    return {Outcome::Refused, column, reason};
}

// The course's text of the row: "MTM121", or code and number of two columns.
void row_course(const Sheet& sheet, char* text, std::size_t size)
{
    const char* code = has_column(sheet, COURSE) ? cell(sheet, COURSE) : cell(sheet, SUBJECT);
    const char* number = cell(sheet, CATALOG);
    std::snprintf(text, size, *number != '\0' ? "%s %s" : "%s", code, number);
}

// The times of the row, by its horario cell or its dia, inicio and fim.
RowFault row_times(const Sheet& sheet, std::array<CellTime, MAX_CELL_TIMES>& times, int& count)
{
    const char* day_cell = cell(sheet, DAY);
    DaySet days{};
    bool days_read = read_days(day_cell, days);
    const char* schedule = cell(sheet, SCHEDULE);
    bool by_schedule = *schedule != '\0' || !has_column(sheet, START);
    bool timed = by_schedule ? has_digit(schedule) : has_digit(cell(sheet, START)) || has_digit(cell(sheet, END));
    if (!timed)  // online, "a definir": a class with no time has no room to get
        return {Outcome::Skipped, by_schedule ? SCHEDULE : START, "sem horario: fica sem sala"};
    if (!days_read)
        return refuse(DAY, "dia desconhecido");
    if (by_schedule) {
        const char* reason = nullptr;
        count = read_schedule(schedule, days, times, reason);
        if (count < 0)
            return refuse(SCHEDULE, reason);
    } else {
        int32_t start = read_time(cell(sheet, START)), end = read_time(cell(sheet, END));
        if (start < 0)
            return refuse(START, "horario invalido (use 08:00 ou 8h)");
        if (end < 0)
            return refuse(END, "horario invalido (use 09:40 ou 9h40)");
        times[0] = {days, start, end};
        count = 1;
    }
    for (int i = 0; i < count; ++i) {
        if (times[i].days == 0)
            return refuse(DAY, "sem dia da semana");
        if (times[i].end <= times[i].start)
            return refuse(by_schedule ? SCHEDULE : END, "termina antes de comecar");
    }
    return ROW_SOUND;
}

// The row's times added to its class: a weekday the class already has from
// an earlier line merges into that line's meeting. Whether every time merged.
bool add_times(int32_t class_index, const std::array<CellTime, MAX_CELL_TIMES>& times, int count, int32_t room,
               int32_t line, int32_t& merged_with)
{
    ImportClass& entry = import_classes.classes[class_index];
    bool all_merged = true;
    for (int i = 0; i < count; ++i)
        for (int32_t weekday = SUNDAY; weekday <= SATURDAY; ++weekday) {
            if ((times[i].days & (1u << weekday)) == 0 || import_times.count == MAX_TIME_LINES)
                continue;
            import_times.lines[import_times.count++] = {class_index, weekday, times[i].start, times[i].end, line, room};
            int32_t& first = entry.first_line[weekday];
            if (first == 0 || first == line) {
                first = line;
                all_merged = false;
            } else {
                merged_with = first;
            }
        }
    return all_merged;
}

// Whether the rooms come from the sala and lugares columns (no salas.csv).
bool rooms_from_class_rows = false;

// One row: its outcome, and when taken, its class and times.
void read_class_row(const Sheet& sheet)
{
    bool rooms_from_classes = rooms_from_class_rows;
    auto line = static_cast<int32_t>(sheet.line);
    auto set = [&](Outcome outcome, ImportColumn column, const char* reason) {
        set_outcome(turmas_outcomes, line, outcome, column < IMPORT_COLUMNS ? IMPORT_COLUMN_NAMES[column] : nullptr,
                    column < IMPORT_COLUMNS ? cell(sheet, column) : "", reason);
    };
    if (sheet.record.open_quote || sheet.record.too_many_fields || sheet.record.cut)
        return set(Outcome::Refused, IMPORT_COLUMNS, "linha mal formada (aspas abertas, campos demais ou celula longa demais)");
    char course_text[2 * CSV_FIELD_SIZE];
    row_course(sheet, course_text, sizeof course_text);
    ImportColumn course_column = has_column(sheet, COURSE) ? COURSE : SUBJECT;
    char folded_course[sizeof course_text];
    if (fold_text(course_text, folded_course, sizeof folded_course) == 0)
        return set(Outcome::Refused, course_column, "disciplina vazia");
    const char* label = cell(sheet, SECTION);
    if (*label == '\0')
        return set(Outcome::Refused, SECTION, "turma vazia");
    if (std::strlen(label) >= sizeof(ImportClass{}.label))
        return set(Outcome::Refused, SECTION, "turma com mais de 47 caracteres");
    ImportColumn students_column = has_column(sheet, STUDENTS) ? STUDENTS : PLACES;
    int32_t students{};
    const char* students_text = cell(sheet, students_column);
    if (!read_count(students_text, students))
        return set(Outcome::Refused, students_column, *students_text == '\0' ? "sem numero de alunos"
                                                                             : "nao e um numero de alunos");
    std::array<CellTime, MAX_CELL_TIMES> times;
    int count{};
    RowFault fault = row_times(sheet, times, count);
    if (fault.outcome != Outcome::None)
        return set(fault.outcome, fault.column, fault.reason);
    int32_t course = find_or_add_course(course_text, line);
    if (course < 0)
        return set(Outcome::Refused, course_column, "disciplinas diferentes demais (mais de 20000)");
    int32_t class_index = find_or_add_class(course, label, students, line);
    if (class_index == 0)
        return set(Outcome::Refused, SECTION, "mais de 9999 turmas");
    ImportClass& entry = import_classes.classes[class_index];
    if (students != entry.students && entry.conflict_line == 0)
        entry.conflict_line = line;
    read_feature_list(cell(sheet, FEATURES), entry.features, turmas_outcomes.name, line);
    const char* room_text = cell(sheet, ROOM);
    int32_t room = NO_IMPORT_ROOM;
    if (*room_text != '\0') {
        room = rooms_from_classes ? room_of_class_row(room_text, cell(sheet, SEATS), line) : find_room(room_text);
        if (room == NO_IMPORT_ROOM && !rooms_from_classes)
            add_note("linha %d de %s: sala '%s' nao esta em %s; a turma fica sem sala atual", line,
                     turmas_outcomes.name, room_text, salas_outcomes.name);
    }
    int32_t merged_with{};
    bool merged = add_times(class_index, times, count, room, line, merged_with);
    set(merged ? Outcome::Merged : Outcome::Taken, students_column, nullptr);  // the students, should the class be refused
    turmas_outcomes.lines[line].class_index = class_index;
    if (merged)
        turmas_outcomes.lines[line].other_line = merged_with;
}

// A class given different students by two lines is refused, every line of it.
void refuse_conflicting_classes()
{
    for (int32_t line = 1; line <= turmas_outcomes.last_line; ++line) {
        LineOutcome& outcome = turmas_outcomes.lines[line];
        if (outcome.class_index == 0)
            continue;
        const ImportClass& entry = import_classes.classes[outcome.class_index];
        if (entry.conflict_line == 0)
            continue;
        outcome.outcome = Outcome::Refused;
        outcome.column = IMPORT_COLUMN_NAMES[STUDENTS];
        outcome.reason = "a turma tem outro numero de alunos na linha";
        outcome.other_line = line == entry.students_line ? entry.conflict_line : entry.students_line;
    }
}

}  // namespace

const char* missing_class_columns(const Sheet& sheet)
{
    if (!has_column(sheet, COURSE) && !(has_column(sheet, SUBJECT) && has_column(sheet, CATALOG)))
        return "falta a coluna disciplina (ou codigo, course; ou sigla e numero)";
    if (!has_column(sheet, SECTION))
        return "falta a coluna turma (ou section)";
    if (!has_column(sheet, STUDENTS) && !has_column(sheet, PLACES))
        return "falta a coluna alunos (ou matriculados, enrollment; ou vagas)";
    if (!has_column(sheet, SCHEDULE) && !(has_column(sheet, DAY) && has_column(sheet, START) && has_column(sheet, END)))
        return "falta o horario: as colunas dia, inicio e fim, ou a coluna horario";
    return nullptr;
}

const char* read_class_sheet(Sheet& sheet, bool rooms_from_classes)
{
    course_slots.fill(0);
    class_slots.fill(0);
    if (!has_column(sheet, STUDENTS))
        add_note("%s nao tem coluna de alunos: os alunos de cada turma sao as suas vagas", turmas_outcomes.name);
    rooms_from_class_rows = rooms_from_classes;
    if (const char* fault = read_rows(sheet, read_class_row))
        return fault;
    refuse_conflicting_classes();
    return nullptr;
}

int32_t find_room(const char* text)
{
    char folded[MAX_KEY];
    fold_text(text, folded, sizeof folded);
    for (int32_t room = FIRST_ROOM; room <= import_rooms.count && folded[0] != '\0'; ++room)
        if (std::strcmp(import_rooms.rooms[room].key.data(), folded) == 0 ||
            std::strcmp(import_rooms.rooms[room].name_key.data(), folded) == 0)
            return room;
    return 0;
}

int find_or_add_feature(const char* text)
{
    char folded[MAX_KEY];
    fold_text(text, folded, sizeof folded);
    FeatureText name{};
    std::size_t used = 0;
    for (const char* c = folded; *c != '\0' && used < MAX_FEATURE_TEXT; ++c)
        name[used++] = *c == ' ' ? '_' : *c;
    if (name[0] < 'a' || name[0] > 'z')  // an empty name too
        return NOT_FOUND;
    std::span<const FeatureText> known(import_features.names.data(), static_cast<std::size_t>(import_features.count));
    if (auto found = std::ranges::find(known, name); found != known.end())
        return static_cast<int>(found - known.begin());
    if (import_features.count == MAX_IMPORT_FEATURES)
        return NOT_FOUND;
    import_features.names[import_features.count] = name;
    return import_features.count++;
}

void read_feature_list(const char* list, FeatureSet& features, const char* sheet_name, int32_t line)
{
    char items[CSV_FIELD_SIZE];
    std::snprintf(items, sizeof items, "%s", list);
    for (char* item = items; *item != '\0';) {
        std::size_t length = std::strcspn(item, ";,/+\r\n");
        bool last = item[length] == '\0';
        item[length] = '\0';
        if (item[std::strspn(item, " \t")] != '\0') {
            int feature = find_or_add_feature(item);
            if (feature >= 0)
                features.set(static_cast<std::size_t>(feature));
            else
                add_note("linha %d de %s: recurso '%s' ignorado (sem letra no inicio, ou mais de %d recursos)", line,
                         sheet_name, item, MAX_IMPORT_FEATURES);
        }
        item += length + (last ? 0 : 1);
    }
}

void note_features_without_rooms()
{
    FeatureSet held = features_held();
    for (int feature = 0; feature < import_features.count; ++feature) {
        int32_t requiring = 0;
        for (int32_t index = FIRST_SECTION; index <= import_classes.count; ++index)
            requiring += import_classes.classes[index].conflict_line == 0 &&
                         import_classes.classes[index].features[static_cast<std::size_t>(feature)];
        if (requiring > 0 && !held[static_cast<std::size_t>(feature)])
            add_note("recurso '%s', exigido por %d %s, nao e de nenhuma sala: a exigencia fica de fora",
                     import_features.names[feature].data(), requiring, plural(requiring, "turma", "turmas"));
    }
}
