// A spreadsheet the importer reads, turmas.csv or salas.csv: a CSV file as
// spreadsheets save it (io/csv.hpp), or an .xlsx workbook's first sheet
// through xlsx2csv when that program is installed; and its columns, found
// by their headings without case or accents, in Portuguese and English, or
// by the headings that --colunas names (a sheet without that heading falls
// back on the known ones; one the map names must be in some sheet).
#pragma once

#include <array>

#include "io/csv.hpp"

// The columns the importer reads, by their names in --colunas.
enum ImportColumn {
    COURSE,    // disciplina: "MTM121", "MTM 121", or the code alone beside numero
    SUBJECT,   // sigla: the code, when the number stands in numero
    CATALOG,   // numero: the course's number
    SECTION,   // turma
    STUDENTS,  // alunos: those enrolled
    PLACES,    // vagas: the places offered, when no column gives the students
    DAY,       // dia
    START,     // inicio
    END,       // fim
    SCHEDULE,  // horario: a range, a whole schedule or schedule codes
    ROOM,      // sala: the room today (in salas.csv, the room itself)
    SEATS,     // lugares: a room's seats
    FEATURES,  // recurso: the features a class requires, or a room has
    NAME,      // nome: a room's name (salas.csv)
    BUILDING,  // predio: a room's building (salas.csv), a feature predio_X
    IMPORT_COLUMNS
};
extern const std::array<const char*, IMPORT_COLUMNS> IMPORT_COLUMN_NAMES;

// The headings --colunas gives ("disciplina=Cod. Disc.;turma=Tur"), folded;
// empty where it gives none.
using FoldedHeading = std::array<char, 128>;
extern std::array<FoldedHeading, IMPORT_COLUMNS> mapped_headings;

// Reads --colunas; nullptr, or why it is refused.
const char* read_column_map(const char* text);

// The first column whose --colunas heading no sheet opened has; nullptr when each was found.
const char* mapped_heading_missing();

struct Sheet {
    const char* name;
    CsvFile csv;
    CsvRecord record;
    std::array<int, IMPORT_COLUMNS> column;  // each column's field, CSV_NO_FIELD when its heading is missing
    int64_t line;                            // the line where the current record starts
};

// Opens the spreadsheet and reads its header: nullptr, or why it cannot be
// read ("nao pode ser aberto", "planilha .xlsx: ...", "arquivo vazio").
const char* open_sheet(Sheet& sheet, const char* name);
void close_sheet(Sheet& sheet);

// Calls `read_row` for every row after the header that is not blank;
// nullptr, or why the file stopped being read (or holds more lines than
// the importer's tables).
const char* read_rows(Sheet& sheet, void (*read_row)(const Sheet& sheet));

// The cell of a column in the current row; "" when the sheet has no such column.
const char* cell(const Sheet& sheet, ImportColumn column);

// Whether the sheet has the column.
inline bool has_column(const Sheet& sheet, ImportColumn column)
{
    return sheet.column[column] >= 0;
}
