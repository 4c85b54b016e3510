// Full pricing of a grid, cell by cell, in 64 bits; load_weights has made
// sure that the sum fits the 32-bit cost.
#include "search/cost.hpp"

#include <algorithm>

#include "model/calendar.hpp"
#include "model/rules/rules.hpp"
#include "model/weights.hpp"

int64_t cell_cost(const AllocationGrid& grid, int row, int room)
{
    int32_t section = grid[row][room];
    if (section == 0 && closed_cells[row][room])
        return 0;
    return seat_cost(sections[section].demand, room_capacity[room]);
}

int64_t meeting_price(int32_t section, int64_t length, int room)
{
    int64_t capacity = room_capacity[room];
    return length * (seat_cost(sections[section].demand, capacity) - seat_cost(0, capacity)) +
           preference_price(section, room);
}

int32_t first_slot_column(const AllocationGrid& grid, int32_t section, int m)
{
    const Meeting& meeting = sections[section].meetings[m];
    if (!is_present(meeting))
        return NO_COLUMN;
    for (int room = 0; room <= last_room; ++room)
        if (grid[meeting.first_slot][room] == section)
            return room;
    return NO_COLUMN;
}

int32_t meeting_column(const AllocationGrid& grid, int32_t section, const Meeting& meeting)
{
    for (int room = 0; room <= last_room; ++room) {
        bool whole = true;
        for (int row = meeting.first_slot; row <= meeting.last_slot && whole; ++row)
            whole = grid[row][room] == section;
        if (whole)
            return room;
    }
    return NO_COLUMN;
}

namespace {

// The distinct columns that the section's meetings take in `grid`.
int distinct_columns(const AllocationGrid& grid, int32_t section)
{
    std::array<int32_t, MAX_MEETINGS> columns;
    int count = 0;
    for (int m : meeting_numbers()) {
        int32_t column = first_slot_column(grid, section, m);  // NO_COLUMN for a meeting it does not have
        if (column >= 0 && std::find(columns.begin(), columns.begin() + count, column) == columns.begin() + count)
            columns[count++] = column;
    }
    return count;
}

}  // namespace

int32_t rooms_changed(const AllocationGrid& grid, int32_t section)
{
    return std::max(distinct_columns(grid, section) - 1, 0);
}

bool changes_rooms(const AllocationGrid& grid, int32_t section)
{
    return rooms_changed(grid, section) > 0;
}

int32_t sections_changing_rooms(const AllocationGrid& grid)
{
    int32_t count = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        count += changes_rooms(grid, section);
    return count;
}

int64_t section_preference_cost(const AllocationGrid& grid, int32_t section)
{
    int64_t price = 0;
    for (int m = FIRST_MEETING; preference_profile[section] != 0 && m <= MAX_MEETINGS; ++m)
        if (int32_t column = first_slot_column(grid, section, m); column >= 0)
            price += preference_price(section, column);
    return price;
}

int64_t preference_cost(const AllocationGrid& grid)
{
    int64_t price = 0;
    for (int32_t section = FIRST_SECTION; preference_profile_count > 1 && section <= section_count; ++section)
        price += section_preference_cost(grid, section);
    return price;
}

int64_t stability_cost(const AllocationGrid& grid)
{
    int64_t changes = 0;
    for (int32_t section = FIRST_SECTION; same_room_weight != 0 && section <= section_count; ++section)
        changes += rooms_changed(grid, section);
    return int64_t{same_room_weight} * changes;
}

void grid_cost(const AllocationGrid& grid, int32_t& cost)
{
    int64_t sum = stability_cost(grid) + preference_cost(grid);
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        for (int room = 0; room <= last_room; ++room)
            sum += cell_cost(grid, row, room);
    cost = static_cast<int32_t>(sum);
}

int32_t count_capacity_violations(const AllocationGrid& grid)
{
    int32_t count = 0;
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        for (int room = 0; room <= last_room; ++room)
            count += sections[grid[row][room]].demand > room_capacity[room];
    return count;
}

namespace {

// The change of the stability price: the meeting whose first slot moves
// takes the shift's target column, the other meetings, on other weekdays,
// stay where they are. A section meets once a weekday, so the shifted run
// lies within that day's meeting and holds its first slot exactly when it
// starts there. The meeting adds a room when it leaves the others' columns
// and takes one away when it joins them; when it does both or neither, the
// count stays.
int64_t stability_change(const AllocationGrid& grid, const RoomShift& shift)
{
    if (same_room_weight == 0)
        return 0;
    const auto& meetings = sections[shift.section].meetings;
    bool moving = false, to_taken = false, from_taken = false;
    for (int m = FIRST_MEETING; m <= MAX_MEETINGS && meetings[m].first_slot != 0; ++m) {
        int32_t first = meetings[m].first_slot;
        if (first == shift.first_row) {
            moving = true;
            continue;
        }
        to_taken = to_taken || grid[first][shift.to_room] == shift.section;
        from_taken = from_taken || grid[first][shift.from_room] == shift.section;
    }
    return moving ? same_room_weight * (!to_taken - !from_taken) : 0;
}

// The change of the preference price: the meeting whose first slot the
// shifted run holds takes the target room (see stability_change).
int64_t preference_change(const RoomShift& shift)
{
    const auto& meetings = sections[shift.section].meetings;
    for (int m = FIRST_MEETING; m <= MAX_MEETINGS && meetings[m].first_slot != 0; ++m)
        if (meetings[m].first_slot == shift.first_row)
            return preference_price(shift.section, shift.to_room) - preference_price(shift.section, shift.from_room);
    return 0;
}

}  // namespace

int64_t shift_cost_change(const AllocationGrid& grid, const RoomShift& shift)
{
    // A section in a room costs (excess + idle) per student above its seats,
    // less idle per student, more than the empty room: the last part is the
    // same in both rooms, so a row's change is the weights' sum times the
    // change of the students above capacity.
    int64_t demand = sections[shift.section].demand;
    int64_t from = room_capacity[shift.from_room];
    int64_t to = room_capacity[shift.to_room];
    int64_t above_change = std::max<int64_t>(demand - to, 0) - std::max<int64_t>(demand - from, 0);
    int64_t rows = shift.last_row - shift.first_row + 1;
    int64_t change = (int64_t{excess_weight} + idle_weight) * above_change * rows + stability_change(grid, shift);
    // A closed cell costs nothing empty: taking one adds its empty price,
    // leaving one takes it away.
    if (shift.meets_rules)
        for (int row = shift.first_row; row <= shift.last_row; ++row)
            if (rows_with_closed_cells[row])
                change += closed_cells[row][shift.to_room] * seat_cost(0, to) -
                          closed_cells[row][shift.from_room] * seat_cost(0, from);
    return shift.prefers ? change + preference_change(shift) : change;
}

GridFigures grid_figures(const AllocationGrid& grid)
{
    GridFigures figures{0, 0, 0, 0, 0};
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        for (int room = 0; room <= last_room; ++room) {
            int32_t section = grid[row][room];
            if (section == 0)
                continue;
            int64_t demand = sections[section].demand, capacity = room_capacity[room];
            int64_t above = std::max<int64_t>(demand - capacity, 0);
            int64_t idle = std::max<int64_t>(capacity - demand, 0);
            figures.student_blocks_above += above;
            figures.idle_seat_blocks += idle;
            bool starts_a_meeting = row == day_slots_of(row).first || grid[row - 1][room] != section;
            figures.meetings_without_room += room == OVERFLOW_COLUMN && starts_a_meeting;
            figures.students_above += starts_a_meeting ? above : 0;
            figures.occupied_idle_seats += starts_a_meeting ? idle : 0;
        }
    return figures;
}
