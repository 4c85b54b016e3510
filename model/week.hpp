// The teaching week: its blocks, numbered as weekly slots 1..slot_count in
// weekday order (1 Sunday .. 7 Saturday), then start order within a day. The
// grid's rows are these slots. It is the standard week (17 blocks Monday to
// Friday from 07:30 and 5 on Saturday morning, 90 slots) unless the instance
// gives its own in semana.txt, one block a line: "d|hh:mm|hh:mm|".
#pragma once

#include <array>
#include <cstdint>
#include <ranges>

inline constexpr int MAX_SLOTS = 336;       // slot_count <= MAX_SLOTS
inline constexpr int FIRST_SLOT = 1;        // slots run FIRST_SLOT..slot_count; entry 0 stays empty
inline constexpr int MAX_DAY_BLOCKS = 48;   // blocks of one weekday
inline constexpr int32_t SUNDAY = 1;
inline constexpr int32_t MONDAY = 2;
inline constexpr int32_t SATURDAY = 7;
inline constexpr int32_t NO_SLOT = -1;        // never a grid row
inline constexpr int32_t BLOCK_MINUTES = 50;  // how long a block of the standard week lasts

template <typename T>
using BySlot = std::array<T, MAX_SLOTS + 1>;  // a value for each weekly slot; entry 0 stays empty

// One block of the week: its weekday and its interval [start, end), in
// minutes since midnight.
struct WeekSlot {
    int32_t weekday;
    int32_t start;
    int32_t end;
};

// The slots of one weekday, first..last; first > last when it has none.
struct DaySlots {
    int32_t first;
    int32_t last;
};

extern int32_t slot_count;                            // the week's slots: 1..slot_count
extern BySlot<WeekSlot> week_slots;                   // entries past slot_count stay empty
extern std::array<DaySlots, SATURDAY + 1> week_days;  // by weekday 1..7; entry 0 stays empty
extern bool own_week;                                 // the instance gave its own week (semana.txt)

// Sets the standard week.
void use_standard_week();

// Reads semana.txt to its end into the week's table; false at the first line
// it refuses, with file.line and file.error saying where and why. A file
// without a block is refused as a whole: the caller ends the process.
struct RecordFile;
bool read_week(RecordFile& file);

// Whether a weekday 1..7 has no block.
inline bool is_day_off(int32_t weekday)
{
    return week_days[weekday].first > week_days[weekday].last;
}

// The weekday, start and interval end of a slot 1..slot_count. The end of a
// standard block is 50 minutes after its start, or the next block's start
// of its weekday when that comes sooner (18:30 ends at 19:00). The
// annealing's move asks these at every draw, so they stand here whole.
inline int32_t slot_weekday(int32_t slot)
{
    return week_slots[slot].weekday;
}
inline int32_t slot_start(int32_t slot)
{
    return week_slots[slot].start;
}
inline int32_t slot_end(int32_t slot)
{
    return week_slots[slot].end;
}

// The slots of a weekday, first to last, as a range.
inline auto slots_of(DaySlots day)
{
    return std::views::iota(day.first, day.last + 1);
}

// The slots of the weekday that `slot` (1..slot_count) belongs to.
inline DaySlots day_slots_of(int32_t slot)
{
    return week_days[week_slots[slot].weekday];
}

// The weekly slot of a block that starts at `start` (minutes since midnight)
// on `weekday`; NO_SLOT when that pair is not a block.
int32_t weekly_slot(int32_t start, int32_t weekday);

// Whether hh:mm is a time of day: an hour 0..23 and a minute 0..59.
bool is_clock(int32_t hour, int32_t minute);

// The first slot of `weekday` whose interval meets [start, end); NO_SLOT
// when none does.
int32_t first_block_met(int32_t weekday, int32_t start, int32_t end);

// The first slot of `weekday` whose holding interval meets [start, end); NO_SLOT
// when none does. A block holds its room from its start to the next block's
// start of its weekday (the day's last block to the end of the day), so that
// a gap between blocks belongs to the block before it, and two classes whose
// real times overlap always share a slot.
int32_t first_block_held(int32_t weekday, int32_t start, int32_t end);

// "domingo", "segunda-feira" .. "sabado": the plain name of weekday 1..7.
const char* weekday_name(int32_t weekday);

// Whether a line of horario.txt that starts a block at `start` on `weekday`
// and ends at `end` describes that one block: its end is after its start and
// before the end of the day's following block (that block's start + 50
// minutes). The day's last block has no following block.
bool is_one_block(int32_t weekday, int32_t start, int64_t end);
