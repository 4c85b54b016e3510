// The board's "Regras" section, when regras.txt holds rules: each rule in
// words, whether each solution keeps it, and, from planejamento.txt, what
// the optimum would be without it; then the sections that change rooms
// during the week in the plan.
#pragma once

#include <cstdio>

void write_rules_section(std::FILE* out);
