// The importer's tables, the outcome of each line and the notes.
#include "app/importar/import.hpp"

#include <cstdarg>
#include <cstdio>

RoomTable import_rooms;
FeatureTable import_features;
CourseTable import_courses;
ClassTable import_classes;
TimeTable import_times;
SheetOutcomes turmas_outcomes{{}, 0, "turmas.csv"};
SheetOutcomes salas_outcomes{{}, 0, "salas.csv"};
ImportNotes import_notes;

void set_outcome(SheetOutcomes& sheet, int32_t line, Outcome outcome, const char* column, const char* value,
                 const char* reason)
{
    if (line < 1 || line > MAX_SHEET_LINES)
        return;
    LineOutcome& entry = sheet.lines[line];
    entry.outcome = outcome;
    entry.column = column;
    entry.reason = reason;
    std::snprintf(entry.value.data(), entry.value.size(), "%s", value != nullptr ? value : "");
    if (line > sheet.last_line)
        sheet.last_line = line;
}

void add_note(const char* format, ...)
{
    if (import_notes.count == MAX_NOTES) {
        ++import_notes.dropped;
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    auto& text = import_notes.texts[import_notes.count++];
    std::vsnprintf(text.data(), text.size(), format, arguments);
    va_end(arguments);
}

FeatureSet features_held()
{
    FeatureSet held;
    for (int32_t room = FIRST_ROOM; room <= import_rooms.count; ++room)
        held |= import_rooms.rooms[room].features;
    return held;
}

void clear_import()
{
    import_rooms.count = 0;
    import_features.count = 0;
    import_courses.count = 0;
    import_courses.type_count = 0;
    import_classes.count = 0;
    import_times.count = 0;
    for (SheetOutcomes* sheet : {&turmas_outcomes, &salas_outcomes}) {
        for (int32_t line = 0; line <= sheet->last_line; ++line)
            sheet->lines[line] = {};
        sheet->last_line = {};  // no line yet
    }
    import_notes.count = 0;
    import_notes.dropped = 0;
}
