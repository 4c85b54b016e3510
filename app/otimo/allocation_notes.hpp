// The console lines of alocacao-otimo about where an allocation falls short
// or changes: the blocks with more meetings than columns and the meetings a
// partial plan leaves out, where the rules of regras.txt leave no room, and
// the meetings that leave their room of a kept plan.
#pragma once

#include <cstdint>

#include "model/tables.hpp"

// Names each slot with more meetings than open columns ("Aviso: ..., bloco
// das 07:30: 9 reunioes para 8 colunas (sv e 7 salas).") with the classes
// that meet there, one line each.
void warn_overfull_slots();

// For each weekday of `weekdays` (bit w: weekday w), where the hard rules
// of regras.txt leave it no allocation of every meeting: "Aviso: ..., bloco
// das 07:30: 38 reunioes para 35 colunas abertas pelas regras de regras.txt
// (sv e 34 salas).", and the classes that share those columns.
void warn_rule_tight_weekdays(uint32_t weekdays);

// "Reuniao sem lugar na grade: ...", for each meeting marked left out.
void name_left_out();

// Says that no allocation was found within the time limit, and ends the process.
[[noreturn]] void refuse_without_allocation();

// The meetings of `grid` without a room (in sv), a line each: the first 20,
// then how many more ("e mais N").
void name_meetings_without_room(const AllocationGrid& grid);

// "Reunioes movidas em relacao ao plano mantido: N", then each meeting
// marked moved, its kept room and its room in best_grid.
void name_moved_meetings();
