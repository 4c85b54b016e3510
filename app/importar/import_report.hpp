// importacao.txt, what the import did with every spreadsheet line: taken
// (as which class, with which times), merged into an earlier line's meeting,
// skipped (no time) or refused (the column and the value at fault); then
// the codes and sections that had to be numbered, and the notes. Also the
// counts the console gives.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "app/importar/import.hpp"
#include "app/importar/instance_files.hpp"

// How many lines of a sheet had each outcome, by Outcome.
using OutcomeCounts = std::array<int32_t, 5>;
OutcomeCounts count_outcomes(const SheetOutcomes& sheet);

// What importacao.txt says at its head: the files read and written.
struct ImportSummary {
    const char* classes_sheet;
    const char* rooms_sheet;  // nullptr: the rooms came from turmas.csv
    bool written;             // the instance files were written
    WrittenCounts counts;
};

// "Gravados: capacidade.txt (40 salas), ..., importacao.txt.": the files written.
void format_written_files(char* text, std::size_t size, const ImportSummary& summary);

// Writes importacao.txt through the safe output path.
void write_import_report(const ImportSummary& summary);
