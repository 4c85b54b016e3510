// The week the imported times need. The standard week (17 blocks a day)
// when every time starts at one of its blocks and no class meets on more
// than two weekdays; otherwise a week of the times' own, for semana.txt:
// one block at each distinct start of each weekday, ending at the next
// start, the day's last at its latest end. Two classes then hold a block in
// common exactly when their real times overlap, however the times fall.
#pragma once

#include <array>
#include <cstdint>

#include "model/week.hpp"

struct ImportWeek {
    bool standard;
    std::array<WeekSlot, MAX_SLOTS> blocks;  // the own week's, in weekday and start order
    int count;
};
extern ImportWeek import_week;

// Whether a class is written: read, and not refused for conflicting students.
bool class_written(int32_t class_index);

// Chooses the week for the times of the classes written; nullptr, or why no
// week can hold them ("mais de 48 inicios de aula na segunda-feira").
const char* plan_week();
