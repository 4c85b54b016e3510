// Placing meetings in random rooms. A meeting with slots F..L needs a room
// free in every one of them that its section may take (regras.txt: not one
// it avoids, no closed cell; pinned sections are placed before all others);
// an absent meeting (F = L = 0) competes for row 0, which is not a slot and
// which nothing else looks at.
#include "search/allocation.hpp"

#include <span>

#include "io/console.hpp"
#include "model/calendar.hpp"
#include "model/rules/rules.hpp"
#include "model/tables.hpp"
#include "model/weights.hpp"
#include "search/cost.hpp"
#include "search/optimum_model.hpp"
#include "search/random.hpp"

namespace {

int draw_real_room()
{
    return random_between(1, last_room + 1);
}

// Whether `room` is free over rows first..last and the rules let `section` stand there.
bool room_takes(int32_t section, int first, int last, int room)
{
    for (int row = first; row <= last; ++row)
        if (current_grid[row][room] != 0)
            return false;
    return room_allowed(section, room, first, last);
}

void occupy(int first, int last, int room, int32_t section)
{
    for (int row = first; row <= last; ++row)
        current_grid[row][room] = section;
}

// Whether regras.txt bars some meeting from some cell: without a pin, an
// avoidance or a closure, the re-lay in order of first row is exact.
bool some_room_rule()
{
    for (const Rule& rule : file_rules())
        if (is_hard_rule(rule))
            return true;
    return false;
}

// Whether this initial allocation said that the rules leave no room.
bool rules_warning_given = false;

// Consecutive rows first..last of one column that hold one section.
struct Piece {
    int32_t section;
    int first;
    int last;
    int column;  // where it stood; for the meeting being placed, none
    bool is_new;
};
constexpr int MAX_DAY_PIECES = MAX_DAY_BLOCKS * MAX_ROOM_COLUMNS + 1;  // every cell, and the new meeting
using DayPieces = std::array<Piece, MAX_DAY_PIECES>;

// The re-lay's work tables: the weekday's pieces, and its rows as they were;
// and every meeting of the weekday for its exact assignment.
DayPieces day_pieces;
std::array<GridRow, MAX_DAY_BLOCKS> saved_day;
std::array<DayMeeting, MAX_DAY_PIECES> day_meetings;

// The lowest column 0..last_room that takes `section` over rows first..last;
// last_room + 1 when none does.
int lowest_free_room(int32_t section, int first, int last)
{
    int room = OVERFLOW_COLUMN;
    while (room <= last_room && !room_takes(section, first, last, room))
        ++room;
    return room;
}

// The weekday's pieces in order of first row, then of column, the new meeting
// last among those that start with it; pinned meetings are not pieces, since
// they never move. Returns how many.
int collect_pieces(DaySlots day, int32_t section, int first, int last, DayPieces& pieces)
{
    int count = 0;
    for (int row : slots_of(day)) {
        for (int room = 0; room <= last_room; ++room) {
            int32_t cell = current_grid[row][room];
            if (cell == 0 || pinned_room[cell] != 0 || (row > day.first && current_grid[row - 1][room] == cell))
                continue;
            int end = row;
            while (end < day.last && current_grid[end + 1][room] == cell)
                ++end;
            pieces[count++] = {cell, row, end, room, false};
        }
        if (row == first)
            pieces[count++] = {section, first, last, 0, true};
    }
    return count;
}

// Every run of one section in one column of the weekday as it was before
// the re-lay, pinned meetings included, and the new meeting; how many.
int collect_day_meetings(DaySlots day, int32_t section, int first, int last)
{
    int count = 0;
    for (int row : slots_of(day))
        for (int room = 0; room <= last_room; ++room) {
            int32_t cell = saved_day[row - day.first][room];
            if (cell == 0 || (row > day.first && saved_day[row - 1 - day.first][room] == cell))
                continue;
            int end = row;
            while (end < day.last && saved_day[end + 1 - day.first][room] == cell)
                ++end;
            day_meetings[count++] = {cell, row, end};
        }
    day_meetings[count++] = {section, first, last};
    return count;
}

// When the lay in order of first row fails, which closed, pinned and
// avoided cells can cause, an exact assignment of the weekday's meetings and
// the new one decides; failing that too, the rows are left exactly as they
// were and false is returned.
bool relay_weekday_exactly(DaySlots day, int32_t section, int first, int last)
{
    if (some_room_rule()) {
        int count = collect_day_meetings(day, section, first, last);
        for (int row : slots_of(day))
            current_grid[row] = {};
        if (lay_meetings_exactly(current_grid, day_meetings.data(), count))
            return true;
    }
    for (int row : slots_of(day))
        current_grid[row] = saved_day[row - day.first];
    return false;
}

// Whether some row of the weekday holds more of its meetings than there are
// columns; when none does, only the rules keep them from fitting.
bool weekday_overfull(DaySlots day, int count)
{
    for (int row : slots_of(day)) {
        int covering = 0;
        for (const DayMeeting& meeting : std::span(day_meetings).first(static_cast<std::size_t>(count)))
            covering += meeting.first <= row && row <= meeting.last;
        if (covering > last_room + 1)
            return true;
    }
    return false;
}

// Lays the meeting's weekday again around its pinned meetings: every other
// piece already there and the new meeting, in order of first row, each in its
// previous column when that takes it over its rows, else in the lowest column
// that does. Without rules, a column free at a piece's first row is free over
// all its rows, so this fails only when some row would hold more meetings
// than there are columns; with rules it may fail sooner, and the exact
// assignment decides. A meeting that does not lie within one weekday is not
// laid again.
bool relay_weekday(int32_t section, int first, int last)
{
    DaySlots day = day_slots_of(first);
    if (last > day.last)
        return false;
    int count = collect_pieces(day, section, first, last, day_pieces);
    for (int row : slots_of(day)) {
        saved_day[row - day.first] = current_grid[row];
        current_grid[row] = pinned_grid[row];
    }
    for (int i = 0; i < count; ++i) {
        const Piece& piece = day_pieces[i];
        int room = piece.column;
        if (piece.is_new || !room_takes(piece.section, piece.first, piece.last, room))
            room = lowest_free_room(piece.section, piece.first, piece.last);
        if (room > last_room)
            return relay_weekday_exactly(day, section, first, last);
        occupy(piece.first, piece.last, room, piece.section);
    }
    return true;
}

void report_lost_room(int32_t loser, int row)
{
    const Section& lost = sections[loser];
    int32_t start = slot_start(row);
    console_print("Aviso: turma %d (%s %d-%d) perdeu a sala: %s, bloco das %02d:%02d.\n", loser, lost.course_code,
                  lost.course_number, lost.section_number, weekday_name(slot_weekday(row)), start / 60, start % 60);
}

// After 17 failed draws: the overflow column if it is free, else the lowest
// real room that is; failing both, the weekday laid again around it; failing
// that too (a slot with more meetings than columns, or rules that leave no
// allocation, which is said once), the overflow column, and every section
// that loses its cell there is named.
void place_in_overflow(int32_t section, int first, int last)
{
    if (first == 0) {
        current_grid[0][OVERFLOW_COLUMN] = section;
        return;
    }
    if (int room = lowest_free_room(section, first, last); room <= last_room) {
        occupy(first, last, room, section);
        return;
    }
    if (relay_weekday(section, first, last))
        return;
    DaySlots day = day_slots_of(first);
    if (last <= day.last && !rules_warning_given && some_room_rule() &&
        !weekday_overfull(day, collect_day_meetings(day, section, first, last))) {
        console_print("Aviso: as regras de regras.txt nao deixam lugar para todas as reunioes; "
                      "veja alocacao-otimo.\n");
        rules_warning_given = true;
    }
    for (int row = first; row <= last; ++row) {
        int32_t loser = current_grid[row][OVERFLOW_COLUMN];
        if (loser != 0 && loser != section)
            report_lost_room(loser, row);
        current_grid[row][OVERFLOW_COLUMN] = section;
    }
}

}  // namespace

void place_meeting(int32_t section, Meeting& meeting)
{
    int first = meeting.first_slot, last = meeting.last_slot;
    int room = draw_real_room();
    for (int retries = 0;; ++retries) {
        if (room_takes(section, first, last, room)) {
            occupy(first, last, room, section);
            break;
        }
        room = draw_real_room();
        if (retries == ROOM_RETRY_LIMIT) {
            place_in_overflow(section, first, last);
            break;
        }
    }
    meeting.placed = 1;
}

// Meetings 1 and 2 are always placed, an absent one in row 0 (its first
// slot); later ones when the section has them.
bool takes_part(const Section& section, int m)
{
    return m <= FIRST_MEETING + 1 || is_present(section.meetings[m]);
}

void place_all_meetings()
{
    clear_grid(current_grid);
    rules_warning_given = false;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        if (int room = pinned_room[section])
            for (int m = FIRST_MEETING; m <= MAX_MEETINGS && takes_part(sections[section], m); ++m) {
                Meeting& meeting = sections[section].meetings[m];
                occupy(meeting.first_slot, meeting.last_slot, room, section);
                meeting.placed = 1;
            }
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        if (pinned_room[section] == 0)
            for (int m = FIRST_MEETING; m <= MAX_MEETINGS && takes_part(sections[section], m); ++m)
                place_meeting(section, sections[section].meetings[m]);
}

void build_initial_allocation()
{
    place_all_meetings();
    load_weights();
    grid_cost(current_grid, current_cost);
}
