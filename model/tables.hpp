// The process-wide tables: everything the program knows lives here.
// Room capacities and names, the section table with its meetings, the three
// allocation grids with their costs, the penalty weights, the violation count
// and the annealing schedule. All are zero at start and are read and written
// in place. They are sized for the largest instance allowed (999 rooms, 9999
// sections); the instance says how much of them is used (last_room,
// section_count).
#pragma once

#include <array>
#include <cstdint>
#include <ranges>

#include "model/week.hpp"

inline constexpr int MAX_ROOM = 999;       // room columns run 0..last_room, last_room <= MAX_ROOM
inline constexpr int MAX_ROOM_COLUMNS = MAX_ROOM + 1;
inline constexpr int MAX_ROOM_NAME = 40;   // bytes of a room's name in capacidade.txt
inline constexpr int MAX_SECTIONS = 9999;  // section entries FIRST_SECTION..MAX_SECTIONS; entry 0 stays empty
inline constexpr int32_t FIRST_SECTION = 1;
inline constexpr int OVERFLOW_COLUMN = 0;  // where a meeting without a real room goes ("sv")
inline constexpr int FIRST_ROOM = 1;       // the real rooms are columns FIRST_ROOM..last_room
inline constexpr int NO_COLUMN = -1;       // a meeting that no column holds
inline constexpr int FIRST_MEETING = 1;    // a section's meetings are numbered 1..MAX_MEETINGS, one per
inline constexpr int MAX_MEETINGS = 7;     // weekday, without gaps; entry 0 of their arrays stays empty

// A value for each section, or each of a section's meetings; entry 0 stays empty.
template <typename T>
using BySection = std::array<T, MAX_SECTIONS + 1>;
template <typename T>
using ByMeeting = std::array<T, MAX_MEETINGS + 1>;

// The numbers of a section's meetings, FIRST_MEETING..MAX_MEETINGS.
inline auto meeting_numbers()
{
    return std::views::iota(FIRST_MEETING, MAX_MEETINGS + 1);
}

// One weekly meeting of a section; weekday 0 means the meeting is absent.
struct Meeting {
    int32_t placed;          // 1 once the initial allocation has put it in the grid
    int32_t weekday;         // 1 (Sunday) .. 7 (Saturday)
    int32_t earliest_start;  // minutes since midnight of its first line's start (a block start in the standard week)
    int32_t latest_start;    // minutes since midnight of its last line's start
    int32_t first_slot;      // weekly slot of the first block, 0 when absent
    int32_t last_slot;       // weekly slot of the last block, 0 when absent
    uint64_t block_lines;    // bit b: horario.txt has a line for (own week: that meets) the weekday's block b + 1
    int32_t end_time;        // minutes since midnight at which it ends: rows up to the last block that starts before
    int64_t end_line;        // the horario.txt line that gives end_time (the standard week's, which warnings name)
};

// Whether the section has this meeting: a weekday of 0 marks an entry it does not use.
inline bool is_present(const Meeting& meeting)
{
    return meeting.weekday != 0;
}

// One class section ("Turma") of a course ("Disciplina").
struct Section {
    const char* course_code;  // one of the six constant codes, compared by identity
    int32_t course_number;
    int32_t section_number;
    int32_t timetable_mark;   // the mark character of horario.txt, in the low byte
    int32_t demand;           // enrolled students
    int64_t demand_line;      // its line in demanda.txt
    ByMeeting<Meeting> meetings;
};

using SectionTable = BySection<Section>;  // entry 0: the empty section
using MeetingMarks = BySection<ByMeeting<bool>>;  // [section][meeting]
using GridRow = std::array<int32_t, MAX_ROOM_COLUMNS>;
inline constexpr int MAX_ROOM_NAME_UTF8 = 3 * MAX_ROOM_NAME;  // a Windows-1252 byte takes up to three in UTF-8
using RoomName = std::array<char, MAX_ROOM_NAME_UTF8 + 1>;
using AllocationGrid = BySlot<GridRow>;  // rows 1..slot_count are the week's slots

struct AnnealingSchedule {
    double initial_temperature;
    double final_temperature;
    double cooling_factor;
    int32_t moves_per_temperature;
    int32_t stall_limit;
};

extern int32_t last_room;  // the instance's last room: the highest column capacidade.txt names
extern std::array<int32_t, MAX_ROOM_COLUMNS> room_capacity;  // seats per room column
extern std::array<RoomName, MAX_ROOM_COLUMNS> room_names;    // as capacidade.txt gives them, in UTF-8; "" when unnamed
extern SectionTable sections;                            // entries 1..section_count are loaded
extern int32_t section_count;

extern AllocationGrid current_grid;    // the working solution
extern AllocationGrid candidate_grid;  // the neighbour under test
extern AllocationGrid best_grid;       // the best solution of the last annealing run
extern int32_t current_cost;
extern int32_t candidate_cost;
extern int32_t best_cost;

extern int32_t excess_weight;    // cost per student above a room's capacity
extern int32_t idle_weight;      // cost per empty seat
extern int32_t violation_count;  // over-capacity cells of best_grid
extern AnnealingSchedule annealing_schedule;

// Sets every table back to its start-up state (all zero); for tests.
void reset_tables();

// Empties every cell of `grid`, row 0 included, in place: the grids are too
// large for a temporary on the stack.
void clear_grid(AllocationGrid& grid);

// Copies the slot rows 1..slot_count of one grid onto another, columns
// 0..last_room; row 0 is never copied.
void copy_slot_rows(const AllocationGrid& from, AllocationGrid& to);
