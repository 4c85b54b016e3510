// The instance files the import writes, from the importer's tables:
// capacidade.txt, cursos.txt, demanda.txt, horario.txt, semana.txt (a week
// of the times' own), regras.txt (the rooms' features and the features
// classes require), peso.par (when there is none), and plano-atual.csv
// (each meeting in its room today, as alocacao.csv writes a plan), each
// through the safe output path; the caller makes them one set.
#pragma once

#include <cstdint>

// The weights of the peso.par an import writes where there is none: per
// student above capacity, per idle seat.
inline constexpr const char* DEFAULT_WEIGHTS_TEXT = "5 1";

// What the files hold, for the console and importacao.txt.
struct WrittenCounts {
    int32_t classes;
    int32_t time_lines;
    int32_t rules;
    int32_t current_meetings;  // rows of plano-atual.csv
    bool weights;              // peso.par written
};

// Writes every file above that the import has; the files it has not
// (semana.txt for the standard week, regras.txt without features,
// plano-atual.csv without rooms today) are removed, as the set commits.
WrittenCounts write_instance_files();
