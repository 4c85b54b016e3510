// Drawing a source cell and a target room, and shifting between them.
#include "search/move.hpp"

#include "model/calendar.hpp"
#include "model/rules/rules.hpp"
#include "search/random.hpp"

RoomShift last_shift{};
int32_t level_stall_count = 0;
int32_t run_stall_count = 0;

namespace {

uint32_t draw_room()
{
    return random_index(last_room + 1);
}

// Draws cells, room first, until one is occupied; lists what moves with it.
int draw_source()
{
    uint32_t room, row;
    do {
        room = draw_room();
        row = 1 + random_index(slot_count);
    } while (candidate_grid[row][room] == 0);
    list_moving_rows(row, room);
    return row;
}

// Whether the cell is free for the moving section: empty, not closed, and
// not in a room the section avoids.
bool takes_moving_section(int row, int room)
{
    if (candidate_grid[row][room] != 0)
        return false;
    return !last_shift.meets_rules || (!closed_cells[row][room] && !avoided_rooms[last_shift.section][room]);
}

bool has_closed_cell_in(int first_row, int last_row)
{
    return closed_rows_up_to[last_row] != closed_rows_up_to[first_row - 1];
}

bool free_in_listed_rows(int room)
{
    for (int row = last_shift.first_row; row <= last_shift.last_row; ++row)
        if (!takes_moving_section(row, room))
            return false;
    return true;
}

// No room takes a pinned section's meeting: it never moves.
bool some_room_takes_shift()
{
    if (pinned_room[last_shift.section] != 0)
        return false;
    for (int room = 0; room <= last_room; ++room)
        if (free_in_listed_rows(room))
            return true;
    return false;
}

// Counts one attempt in both stall counts; true when the level should give up.
bool count_attempt()
{
    ++level_stall_count;
    ++run_stall_count;
    return level_stall_count > level_stall_limit();
}

void move_cells(AllocationGrid& grid, int from, int to)
{
    for (int row = last_shift.first_row; row <= last_shift.last_row; ++row) {
        grid[row][to] = grid[row][from];
        grid[row][from] = 0;
    }
}

}  // namespace

void list_moving_rows(int row, int room)
{
    int32_t section = candidate_grid[row][room];
    DaySlots day = day_slots_of(row);
    int first = row, last = row;
    while (first > day.first && candidate_grid[first - 1][room] == section)
        --first;
    while (last < day.last && candidate_grid[last + 1][room] == section)
        ++last;
    bool meets_rules = sections_avoiding_rooms[section] || has_closed_cell_in(first, last);
    last_shift = {section, room, 0, first, last, meets_rules, preference_profile[section] != 0};
}

bool make_neighbour()
{
    for (;;) {
        int row = draw_source();
        if (!some_room_takes_shift()) {
            if (count_attempt())
                return false;
            continue;
        }
        for (;;) {
            int room = draw_room();
            if (!takes_moving_section(row, room))
                continue;
            if (count_attempt())
                return false;
            if (!free_in_listed_rows(room))
                continue;
            last_shift.to_room = room;
            apply_shift(candidate_grid);
            return true;
        }
    }
}

void apply_shift(AllocationGrid& grid)
{
    move_cells(grid, last_shift.from_room, last_shift.to_room);
}

void undo_shift(AllocationGrid& grid)
{
    move_cells(grid, last_shift.to_room, last_shift.from_room);
}
