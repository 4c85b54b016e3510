// Placing meetings in random rooms. A meeting with slots F..L needs a room
// free in every one of them; an absent meeting (F = L = 0) competes for row 0,
// which is not a slot and which nothing else looks at.
#include "search/allocation.hpp"

#include "app/console.hpp"
#include "model/tables.hpp"
#include "model/weights.hpp"
#include "search/cost.hpp"
#include "search/random.hpp"

namespace {

int draw_real_room()
{
    return static_cast<int>(random_between(1, LAST_ROOM + 1));
}

bool room_is_free(int first, int last, int room)
{
    for (int row = first; row <= last; ++row)
        if (current_grid[row][room] != 0)
            return false;
    return true;
}

void occupy(int first, int last, int room, int32_t section)
{
    for (int row = first; row <= last; ++row)
        current_grid[row][room] = section;
}

// After 17 failed draws: the overflow column if it is free, else the lowest
// real room that is; failing both, the overflow column, and every section
// that loses its cell there is named.
void place_in_overflow(int32_t section, int first, int last)
{
    if (first == 0) {
        current_grid[0][OVERFLOW_COLUMN] = section;
        return;
    }
    for (int room = OVERFLOW_COLUMN; room <= LAST_ROOM; ++room)
        if (room_is_free(first, last, room)) {
            occupy(first, last, room, section);
            return;
        }
    for (int row = first; row <= last; ++row) {
        int32_t loser = current_grid[row][OVERFLOW_COLUMN];
        if (loser != 0 && loser != section)
            console_print("Aviso: turma %d perdeu a sala no horario %d\n", loser, row);
        current_grid[row][OVERFLOW_COLUMN] = section;
    }
}

}  // namespace

void place_meeting(int32_t section, Meeting& meeting)
{
    int first = meeting.first_slot, last = meeting.last_slot;
    int room = draw_real_room();
    for (int retries = 0;; ++retries) {
        if (room_is_free(first, last, room)) {
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

void build_initial_allocation()
{
    current_grid = {};
    for (int32_t section = 1; section <= section_count; ++section)
        for (int m = 1; m <= LAST_MEETING; ++m)
            place_meeting(section, sections[section].meetings[m]);
    load_weights();
    grid_cost(current_grid, current_cost);
}
