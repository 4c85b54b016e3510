// turmas.csv read row by row into the courses, the classes and their times
// (app/importar/import.hpp), each line's outcome recorded: taken, merged
// with an earlier line of its class on the same weekday, skipped (a class
// with no day or time, as one taught online) or refused (the column and the
// value at fault). A class that two lines give different students is
// refused whole, each of its lines naming the other.
#pragma once

#include "app/importar/import.hpp"
#include "app/importar/sheet.hpp"

// Whether the sheet has the columns a class needs; nullptr, or what is missing.
const char* missing_class_columns(const Sheet& sheet);

// Reads every row after the header. Rooms today are matched to the rooms
// read from salas.csv; with `rooms_from_classes` they are made from the sala
// and lugares columns instead. Returns nullptr, or why the whole file
// cannot be used (it stops being readable, or holds more lines or codes than
// the tables).
const char* read_class_sheet(Sheet& sheet, bool rooms_from_classes);

// The room whose sala or name is `text` (folded), 0 when none.
int32_t find_room(const char* text);

// The feature named `text` as regras.txt writes it ("Laboratório de
// Química" is laboratorio_de_quimica), made when new: its index, or -1 when
// the text makes no name or the table is full.
int find_or_add_feature(const char* text);

// The features of a cell that lists them ("laboratorio; projetor"), added
// to `features`; a note names a word that makes no name.
void read_feature_list(const char* list, FeatureSet& features, const char* sheet_name, int32_t line);

// A note for each feature that classes require and no room has: the rule
// would leave them no room, so it is not written.
void note_features_without_rooms();
