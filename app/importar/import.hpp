// alocacao-importar's tables: what it read from the registrar's spreadsheet
// (turmas.csv, one row per class meeting) and the rooms' (salas.csv), and
// what became of each row. The files it then writes are built from these
// alone: the rooms, the course codes and the classes with their numbers, the
// time lines of each class by weekday, the features rooms have and classes
// require, and one outcome per spreadsheet line for importacao.txt.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <span>

#include "io/csv.hpp"
#include "model/calendar.hpp"
#include "model/tables.hpp"
#include "model/week.hpp"

inline constexpr int MAX_SHEET_LINES = 100000;              // spreadsheet lines with an outcome
inline constexpr int MAX_TIME_LINES = 4 * MAX_SHEET_LINES;  // a row may hold several weekdays
inline constexpr int MAX_IMPORT_COURSES = 20000;            // distinct course texts
inline constexpr int MAX_IMPORT_FEATURES = 128;
inline constexpr int MAX_FEATURE_TEXT = 30;     // as regras.txt takes a feature's name
inline constexpr int MAX_KEY = CSV_FIELD_SIZE;  // a folded name kept whole to match rooms and classes
inline constexpr int32_t NO_IMPORT_ROOM = 0;    // a class's room today, when none is known
inline constexpr int32_t NOT_FOUND = -1;        // no entry or number: every one found is 0 or more

using ImportKey = std::array<char, MAX_KEY>;
using FeatureSet = std::bitset<MAX_IMPORT_FEATURES>;

// ---------------------------------------------------------------- rooms

// A room, numbered by its place (1..room_total): the name people use for it
// ("Lab. 3", "B-204"), kept folded to match the sala column, its name for
// capacidade.txt (UTF-8), its seats and features, and where it was read.
struct ImportRoom {
    ImportKey key;
    ImportKey name_key;
    RoomName name;
    int32_t seats;  // NOT_FOUND when no line gave them
    FeatureSet features;
    int32_t line;  // salas.csv's line, or turmas.csv's line that named it first
};
struct RoomTable {
    std::array<ImportRoom, MAX_ROOM_COLUMNS> rooms;  // entries 1..count
    int32_t count;
};
extern RoomTable import_rooms;

// The features rooms have and classes require, as regras.txt names them:
// a letter, then letters, digits, "_" and "-".
using FeatureText = std::array<char, MAX_FEATURE_TEXT + 1>;
struct FeatureTable {
    std::array<FeatureText, MAX_IMPORT_FEATURES> names;
    int count;
};
extern FeatureTable import_features;

// The features that some room has.
FeatureSet features_held();

// ---------------------------------------------------------------- courses and classes

// A course as the spreadsheet writes it ("MTM121", "Cálculo I"): its folded
// text, the code and number it becomes, and whether they had to be made
// (the text is not a code and a number).
struct ImportCourse {
    ImportKey key;
    std::array<char, CSV_FIELD_SIZE> text;  // as written, UTF-8
    std::array<char, MAX_COURSE_CODE + 1> code;
    int32_t type;    // its code's course type, 1..999, in cursos.txt
    int32_t number;  // 0 until numbered
    bool made;       // the code or number is not read plainly from the text
    int32_t line;
};
struct CourseTable {
    std::array<ImportCourse, MAX_IMPORT_COURSES> courses;
    int32_t count;
    std::array<std::array<char, MAX_COURSE_CODE + 1>, LAST_COURSE_TYPE_ALLOWED + 1> type_codes;  // 1..type_count
    int32_t type_count;
};
extern CourseTable import_courses;

// The courses read, entries 0..count-1 of import_courses.
inline std::span<ImportCourse> courses_read()
{
    return {import_courses.courses.data(), static_cast<std::size_t>(import_courses.count)};
}

// A class: its course and the section as written ("T02"), the number it
// becomes, its students and where they were read, the features it
// requires, and whether two lines gave it different students (it is then
// refused whole).
struct ImportClass {
    int32_t course;
    std::array<char, 48> label;
    int32_t number;  // 0 until numbered
    int32_t students;
    int32_t students_line;
    int32_t conflict_line;  // a line with other students; 0: none
    FeatureSet features;
    std::array<int32_t, SATURDAY + 1> first_line;  // by weekday: the line of its first time there; 0 none
};
struct ClassTable {
    BySection<ImportClass> classes;  // entries 1..count
    int32_t count;
};
extern ClassTable import_classes;

// One time of a class on a weekday, from one spreadsheet line, with the
// room it has today. A class's times on one weekday are one meeting.
struct TimeLine {
    int32_t class_index;
    int32_t weekday;
    int32_t start;
    int32_t end;
    int32_t line;
    int32_t room;  // NO_IMPORT_ROOM when unknown
};
struct TimeTable {
    std::array<TimeLine, MAX_TIME_LINES> lines;
    int32_t count;
};
extern TimeTable import_times;

// The time lines read, entries 0..count-1 of import_times.
inline std::span<TimeLine> time_lines()
{
    return {import_times.lines.data(), static_cast<std::size_t>(import_times.count)};
}

// ---------------------------------------------------------------- outcomes

// What became of a spreadsheet line.
enum class Outcome : int8_t { None, Taken, Merged, Skipped, Refused };

// A line's outcome: the class it is of, and for a line merged, skipped or
// refused, why: the column and the value at fault, or the other line.
struct LineOutcome {
    Outcome outcome;
    int32_t class_index;
    int32_t other_line;
    const char* column;  // the heading's canonical name, or nullptr
    std::array<char, 48> value;
    const char* reason;
};
struct SheetOutcomes {
    std::array<LineOutcome, MAX_SHEET_LINES + 1> lines;  // by the line where the row starts
    int32_t last_line;
    const char* name;  // the file's name as given, for the notes (turmas.csv, salas.csv before any)
};
extern SheetOutcomes turmas_outcomes;
extern SheetOutcomes salas_outcomes;

// Notes of importacao.txt that are not one line's outcome: a room today
// that is no room, a feature no room has, seats that differ.
inline constexpr int MAX_NOTES = 2000;
struct ImportNotes {
    std::array<std::array<char, 160>, MAX_NOTES> texts;  // UTF-8
    int count;
    int dropped;  // beyond MAX_NOTES, only counted
};
extern ImportNotes import_notes;

// Records `outcome` for `line`, with its column, value (cut) and reason.
void set_outcome(SheetOutcomes& sheet, int32_t line, Outcome outcome, const char* column, const char* value,
                 const char* reason);
// Adds a note (printf form).
void add_note(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Forgets everything read.
void clear_import();
