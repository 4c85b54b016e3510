// planejamento.txt: every change of one column's seats with the optimum it
// gives, in the record syntax of the input files, and the best of them on
// the console.
#pragma once

#include <cstdint>

inline constexpr int BEST_CHANGES_SHOWN = 10;

// Writes planejamento.txt from room_changes, in their order: the line
// "Planejamento de salas: custo otimo atual N", then one record per change,
// "coluna|lugares atuais|lugares propostos|custo otimo|variacao|inviabilidades|provado|".
void write_planning_file(int64_t current_optimum);

// Prints the first BEST_CHANGES_SHOWN changes, one line each, in Portuguese.
void print_best_changes(int64_t current_optimum);

// Reads planejamento.txt back into room_changes and `current_optimum`;
// false when there is no such file. One that cannot be read or is not as
// written above ends the process with status 1, naming its line.
bool read_planning_file(int64_t& current_optimum);
