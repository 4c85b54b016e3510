// The board's "Regras" section, when regras.txt holds rules: each rule in
// words, whether each solution keeps it, and, from planejamento.txt, what
// the optimum would be without it; then the sections that change rooms
// during the week in the plan.
#pragma once

#include <cstdint>
#include <cstdio>

// On screen, every line of regras.txt; printed, only how many of each kind,
// since each room's page says the rules that touch it.
void write_rules_section(std::FILE* out);

// After a class's name in the class list: the rooms its rules allow, what
// it prefers and what it owns ("só em laboratorio; prefere predio_a (10)");
// nothing when no such rule names it.
void write_section_rules(std::FILE* out, int32_t section);

// Below a room's week: the rules that touch the room (the classes pinned to
// it, its closures, how many classes avoid it), on one line; nothing when
// none does.
void write_room_rules(std::FILE* out, int room);
