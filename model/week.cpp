// The week's table of slots: the standard week it holds at start, or the
// university's own that semana.txt gives.
#include "model/week.hpp"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "model/records.hpp"

namespace {

constexpr int STANDARD_DAY_BLOCKS = 17;  // teaching blocks of Monday..Friday
constexpr int SATURDAY_BLOCKS = 5;       // Saturday has the morning's only

// Block starts in minutes since midnight: 07:30, 08:20, 09:30, ... 21:50.
constexpr std::array<int32_t, STANDARD_DAY_BLOCKS> STANDARD_STARTS{
    450, 500, 570, 620, 680, 730, 780, 830, 900,
    950, 1010, 1060, 1110, 1140, 1190, 1260, 1310};

constexpr std::array<const char*, SATURDAY + 1> WEEKDAY_NAMES{
    "", "domingo", "segunda-feira", "terca-feira", "quarta-feira", "quinta-feira", "sexta-feira", "sabado"};

struct Week {
    int32_t count;
    BySlot<WeekSlot> slots;
    std::array<DaySlots, SATURDAY + 1> days;
};

constexpr Week standard_week()
{
    Week week{};
    for (int32_t weekday = SUNDAY; weekday <= SATURDAY; ++weekday) {
        int blocks = weekday == SUNDAY ? 0 : weekday == SATURDAY ? SATURDAY_BLOCKS : STANDARD_DAY_BLOCKS;
        week.days[weekday] = {week.count + 1, week.count + blocks};
        for (int block = 0; block < blocks; ++block) {
            int32_t start = STANDARD_STARTS[block];
            int32_t end = start + BLOCK_MINUTES;
            if (block + 1 < blocks)
                end = std::min(end, STANDARD_STARTS[block + 1]);
            week.slots[++week.count] = {weekday, start, end};
        }
    }
    return week;
}

constexpr Week STANDARD_WEEK = standard_week();

}  // namespace

int32_t slot_count = STANDARD_WEEK.count;
BySlot<WeekSlot> week_slots = STANDARD_WEEK.slots;
std::array<DaySlots, SATURDAY + 1> week_days = STANDARD_WEEK.days;
bool own_week = false;

void use_standard_week()
{
    slot_count = STANDARD_WEEK.count;
    week_slots = STANDARD_WEEK.slots;
    week_days = STANDARD_WEEK.days;
    own_week = false;
}

int32_t weekly_slot(int32_t start, int32_t weekday)
{
    if (weekday < SUNDAY || weekday > SATURDAY)
        return NO_SLOT;
    for (int32_t slot = week_days[weekday].first; slot <= week_days[weekday].last; ++slot)
        if (week_slots[slot].start == start)
            return slot;
    return NO_SLOT;
}

bool is_clock(int32_t hour, int32_t minute)
{
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}

int32_t first_block_met(int32_t weekday, int32_t start, int32_t end)
{
    for (int32_t slot = week_days[weekday].first; slot <= week_days[weekday].last; ++slot)
        if (week_slots[slot].start < end && start < week_slots[slot].end)
            return slot;
    return NO_SLOT;
}

int32_t first_block_held(int32_t weekday, int32_t start, int32_t end)
{
    constexpr int32_t END_OF_DAY = 24 * 60;
    DaySlots day = week_days[weekday];
    for (int32_t slot : slots_of(day)) {
        int32_t held_until = slot < day.last ? week_slots[slot + 1].start : END_OF_DAY;
        if (week_slots[slot].start < end && start < held_until)
            return slot;
    }
    return NO_SLOT;
}

const char* weekday_name(int32_t weekday)
{
    return WEEKDAY_NAMES[weekday];
}

bool is_one_block(int32_t weekday, int32_t start, int64_t end)
{
    int32_t slot = weekly_slot(start, weekday);
    if (end <= start)
        return false;
    if (slot == week_days[weekday].last)
        return true;
    return end < slot_start(slot + 1) + BLOCK_MINUTES;
}

namespace {

constexpr const char* WEEK_RECORD = "d|d:d|d:d|";

struct ReadBlock {
    WeekSlot slot;
    int64_t line;
};

// The blocks read so far, and how many of each weekday.
struct ReadWeek {
    std::array<ReadBlock, MAX_SLOTS> blocks;
    int count;
    std::array<int, SATURDAY + 1> per_day;
};
ReadWeek read_blocks;

// Why a block cannot join the week, or nullptr.
const char* block_fault(const WeekSlot& block)
{
    static char overlap[64];
    for (int i = 0; i < read_blocks.count; ++i) {
        const ReadBlock& other = read_blocks.blocks[i];
        if (other.slot.weekday == block.weekday && other.slot.start < block.end && block.start < other.slot.end) {
            std::snprintf(overlap, sizeof overlap, "bloco sobreposto ao da linha %lld",
                          static_cast<long long>(other.line));
            return overlap;
        }
    }
    return read_blocks.per_day[block.weekday] == MAX_DAY_BLOCKS ? "mais de 48 blocos nesse dia" : nullptr;
}

// Why a line of semana.txt is not a block of the week, or nullptr; `block`
// is the line's block.
const char* line_fault(const RecordFields& fields, WeekSlot& block)
{
    if (fields[0] < SUNDAY || fields[0] > SATURDAY)
        return "dia da semana fora do intervalo 1..7";
    if (!is_clock(fields[1], fields[2]) || !is_clock(fields[3], fields[4]))
        return "horario invalido";
    block = {fields[0], fields[1] * 60 + fields[2], fields[3] * 60 + fields[4]};
    if (block.end <= block.start)
        return "bloco termina antes de comecar";
    return block_fault(block);
}

// The blocks read become the week: by weekday, then by start.
void set_week_from_blocks()
{
    std::ranges::sort(read_blocks.blocks.begin(), read_blocks.blocks.begin() + read_blocks.count, {},
                      [](const ReadBlock& block) { return std::pair(block.slot.weekday, block.slot.start); });
    week_slots = {};
    week_days = {};
    slot_count = read_blocks.count;
    for (int32_t weekday = SUNDAY; weekday <= SATURDAY; ++weekday)
        week_days[weekday] = {1, 0};
    for (int i = 0; i < read_blocks.count; ++i) {
        int32_t slot = i + 1, weekday = read_blocks.blocks[i].slot.weekday;
        week_slots[slot] = read_blocks.blocks[i].slot;
        if (is_day_off(weekday))
            week_days[weekday].first = slot;
        week_days[weekday].last = slot;
    }
    own_week = true;
}

}  // namespace

bool read_week(RecordFile& file)
{
    RecordFields fields;
    RecordRead read;
    read_blocks.count = 0;
    read_blocks.per_day = {};
    while ((read = read_record(file, WEEK_RECORD, fields)) == RecordRead::Record) {
        WeekSlot block;
        if (const char* fault = line_fault(fields, block)) {
            file.error = fault;
            return false;
        }
        read_blocks.blocks[read_blocks.count++] = {block, file.line};
        ++read_blocks.per_day[block.weekday];
    }
    if (read != RecordRead::End) {
        if (!std::ferror(file.stream))
            file.error = "registro mal formado";
        return false;
    }
    if (read_blocks.count > 0)
        set_week_from_blocks();
    return true;
}
