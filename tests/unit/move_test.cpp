// The room-shift move.
#include "search/move.hpp"

#include <algorithm>
#include <vector>

#include "model/calendar.hpp"
#include "model/rules/rules.hpp"
#include "search/cost.hpp"
#include "test_support.hpp"

namespace {

std::vector<int32_t> listed_rows()
{
    std::vector<int32_t> rows;
    for (int32_t row = last_shift.first_row; row <= last_shift.last_row; ++row)
        rows.push_back(row);
    return rows;
}

int occupied_cells(const AllocationGrid& grid)
{
    int count = 0;
    for (int row = 1; row <= slot_count; ++row)
        for (int32_t cell : grid[row])
            count += cell != 0;
    return count;
}

// Fills candidate_grid with `sections_to_place` random meetings of one to four slots.
void random_grid(int sections_to_place)
{
    clear_grid(candidate_grid);
    for (int32_t section = 1; section <= sections_to_place; ++section) {
        int length = 1 + random_below(4);
        int first = 1 + random_below(slot_count - length + 1);
        int room = random_below(ROOM_COLUMNS);
        bool free = true;
        for (int row = first; row < first + length; ++row)
            free = free && candidate_grid[row][room] == 0;
        for (int row = first; free && row < first + length; ++row)
            candidate_grid[row][room] = section;
    }
}

// Makes `moves` moves on candidate_grid, each priced by its change and
// checked against a full pricing; how many left their section in three
// rooms or more.
int expect_moves_priced_as_in_full(int moves)
{
    int32_t cost;
    grid_cost(candidate_grid, cost);
    int three_rooms = 0;
    for (int move = 0; move < moves; ++move) {
        level_stall_count = 0;
        EXPECT_TRUE(make_neighbour());
        int32_t full;
        grid_cost(candidate_grid, full);
        cost = static_cast<int32_t>(cost + shift_cost_change(candidate_grid, last_shift));
        EXPECT_EQ(cost, full) << "move " << move;
        if (cost != full)
            break;
        three_rooms += rooms_changed(candidate_grid, last_shift.section) > 1;
    }
    return three_rooms;
}

}  // namespace

class RoomShiftMove : public FreshTables {
protected:
    void SetUp() override
    {
        FreshTables::SetUp();
        annealing_schedule.stall_limit = 10000;
    }
};

TEST_F(RoomShiftMove, WholeRunOfTheSectionInItsWeekdayIsListedHoweverLong)
{
    for (int row = 1; row <= 7; ++row)
        candidate_grid[row][2] = 5;
    list_moving_rows(1, 2);
    EXPECT_EQ(listed_rows(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(last_shift.section, 5);
    EXPECT_EQ(last_shift.from_room, 2);
    list_moving_rows(4, 2);
    EXPECT_EQ(listed_rows(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7}));
    for (int row = 1; row <= 17; ++row)
        candidate_grid[row][3] = 6;
    list_moving_rows(9, 3);
    EXPECT_EQ(last_shift.first_row, 1);
    EXPECT_EQ(last_shift.last_row, 17);
    for (int row = 84; row <= 90; ++row)
        candidate_grid[row][6] = 8;
    list_moving_rows(90, 6);
    EXPECT_EQ(listed_rows(), (std::vector<int32_t>{86, 87, 88, 89, 90}));
    list_moving_rows(84, 6);
    EXPECT_EQ(listed_rows(), (std::vector<int32_t>{84, 85}));
}

TEST_F(RoomShiftMove, NeighbouringWeekdayAndOtherRoomsOrSectionsStayBehind)
{
    for (int row : {16, 17, 18, 19})
        candidate_grid[row][1] = 4;  // Monday 21:00-21:50 and Tuesday 07:30-08:20
    candidate_grid[15][2] = 4;       // another room
    candidate_grid[15][1] = 9;       // another section
    list_moving_rows(17, 1);
    EXPECT_EQ(listed_rows(), (std::vector<int32_t>{16, 17}));
    list_moving_rows(18, 1);
    EXPECT_EQ(listed_rows(), (std::vector<int32_t>{18, 19}));
    clear_grid(candidate_grid);
    for (int row : {20, 21, 23, 24})
        candidate_grid[row][3] = 6;
    list_moving_rows(20, 3);
    EXPECT_EQ(listed_rows(), (std::vector<int32_t>{20, 21}));
    list_moving_rows(24, 3);
    EXPECT_EQ(listed_rows(), (std::vector<int32_t>{23, 24}));
}

TEST_F(RoomShiftMove, SevenSlotMeetingMovesWhole)
{
    for (int row = 40; row <= 46; ++row)
        candidate_grid[row][4] = 3;
    for (int move = 0; move < 20; ++move) {
        level_stall_count = 0;
        ASSERT_TRUE(make_neighbour());
        int to = last_shift.to_room;
        for (int row = 40; row <= 46; ++row) {
            EXPECT_EQ(candidate_grid[row][to], 3) << "row " << row;
            EXPECT_EQ(candidate_grid[row][4], to == 4 ? 3 : 0);
        }
        clear_grid(candidate_grid);
        for (int row = 40; row <= 46; ++row)
            candidate_grid[row][4] = 3;
    }
}

TEST_F(RoomShiftMove, ShiftMovesTheListedCellsToARoomFreeInAllOfThem)
{
    for (int seed = 0; seed < 300; ++seed) {
        random_grid(40 + seed % 60);
        candidate_grid[0] = {1, 2, 3, 4, 5, 6, 7, 8};
        AllocationGrid before = candidate_grid;
        level_stall_count = run_stall_count = 0;
        ASSERT_TRUE(make_neighbour());
        EXPECT_GE(level_stall_count, 1);
        EXPECT_EQ(level_stall_count, run_stall_count);
        int from = last_shift.from_room, to = last_shift.to_room;
        ASSERT_NE(from, to);
        EXPECT_EQ(candidate_grid[0], before[0]);
        EXPECT_EQ(occupied_cells(candidate_grid), occupied_cells(before));
        std::vector<int32_t> rows = listed_rows();
        for (int row = 1; row <= slot_count; ++row) {
            bool moved = std::find(rows.begin(), rows.end(), row) != rows.end();
            for (int room = 0; room <= LAST_ROOM; ++room) {
                int32_t expected = before[row][room];
                if (moved && room == from)
                    expected = 0;
                if (moved && room == to) {
                    ASSERT_EQ(before[row][to], 0) << "a shift overwrote a section";
                    expected = last_shift.section;
                }
                ASSERT_EQ(candidate_grid[row][room], expected) << "row " << row << " room " << room;
            }
        }
        DaySlots day = day_slots_of(rows.front());
        ASSERT_LE(rows.back(), day.last) << "a shift crossed into another weekday";
        ASSERT_TRUE(rows.front() == day.first || before[rows.front() - 1][from] != last_shift.section);
        ASSERT_TRUE(rows.back() == day.last || before[rows.back() + 1][from] != last_shift.section)
            << "a shift left part of a meeting behind";
    }
}

TEST_F(RoomShiftMove, FullRowsCountAttemptsUntilTheLevelGivesUp)
{
    for (int room = 0; room <= LAST_ROOM; ++room)
        candidate_grid[5][room] = room + 1;
    AllocationGrid before = candidate_grid;
    EXPECT_FALSE(make_neighbour());
    EXPECT_EQ(candidate_grid, before);
    EXPECT_EQ(level_stall_count, 1001);
    EXPECT_EQ(run_stall_count, 1001);
}

TEST_F(RoomShiftMove, UnmovableMeetingMakesTheMoveDrawAnotherSource)
{
    for (int room = 0; room <= LAST_ROOM; ++room)
        candidate_grid[5][room] = room + 1;
    candidate_grid[20][1] = 9;
    for (int move = 0; move < 50; ++move) {
        level_stall_count = 0;
        ASSERT_TRUE(make_neighbour());
        EXPECT_EQ(last_shift.section, 9);
        EXPECT_LE(level_stall_count, 1000);
    }
}

TEST_F(RoomShiftMove, TargetFreeInTheDrawnRowButTakenInAListedRowIsRefused)
{
    candidate_grid[10][3] = 5;
    candidate_grid[11][3] = 5;
    for (int room = 0; room <= LAST_ROOM; ++room)
        if (room != 3 && room != 6)
            candidate_grid[11][room] = 7;  // section 7, one cell per room
    for (int move = 0; move < 50; ++move) {
        AllocationGrid before = candidate_grid;
        ASSERT_TRUE(make_neighbour());
        EXPECT_EQ(last_shift.to_room, 6);
        candidate_grid = before;
    }
}

TEST_F(RoomShiftMove, UndoRestoresTheGridAndApplyRepeatsTheShift)
{
    random_grid(60);
    AllocationGrid before = candidate_grid;
    ASSERT_TRUE(make_neighbour());
    AllocationGrid after = candidate_grid;
    undo_shift(candidate_grid);
    EXPECT_EQ(candidate_grid, before);
    apply_shift(candidate_grid);
    EXPECT_EQ(candidate_grid, after);
}

TEST_F(RoomShiftMove, PriceChangeOfAShiftAgreesWithFullPricingOverLongRuns)
{
    room_capacity = {0, 30, 40, 45, 50, 60, 80, 100};
    constexpr int32_t DEPARTMENT = 99;  // sections of a department at full load
    section_count = DEPARTMENT;
    for (int32_t s = 1; s <= DEPARTMENT; ++s)
        sections[s].demand = 10 + random_below(90);
    const int32_t weights[][2] = {{5, 1}, {1, 5}, {-3, 2}, {7, -1}};
    for (const auto& weight : weights) {
        excess_weight = weight[0];
        idle_weight = weight[1];
        random_grid(DEPARTMENT);
        expect_moves_priced_as_in_full(20000);
    }
    // With a price on each room a section takes past its first: one to three
    // meetings, on Monday, Wednesday and Friday, each in a random free room.
    same_room_weight = 11;
    clear_grid(candidate_grid);
    for (int32_t s = 1; s <= DEPARTMENT; ++s)
        for (int m = 1; m <= 1 + s % 3; ++m) {
            Meeting& meeting = sections[s].meetings[m];
            meeting.weekday = MONDAY + 2 * (m - 1);
            meeting.first_slot = week_days[meeting.weekday].first + random_below(14);
            meeting.last_slot = meeting.first_slot + random_below(3);
            int room = 0;
            while (room < ROOM_COLUMNS - 1 && (candidate_grid[meeting.first_slot][room] != 0 ||
                                               candidate_grid[meeting.last_slot][room] != 0 ||
                                               candidate_grid[meeting.first_slot + 1][room] != 0))
                room = random_below(ROOM_COLUMNS);
            for (int row = meeting.first_slot; candidate_grid[row][room] == 0 && row <= meeting.last_slot; ++row)
                candidate_grid[row][room] = s;
        }
    EXPECT_GT(expect_moves_priced_as_in_full(8000), 0);  // some section took three rooms
    // Room 3 closed every weekday morning, some of its cells taken at the
    // start: a section that leaves one leaves it free of charge.
    for (int32_t weekday = MONDAY; weekday < SATURDAY; ++weekday)
        rules[rule_count++] = {RuleKind::Closed, weekday, 0, 3, weekday, 450, 720, 0};
    apply_rules();
    random_grid(DEPARTMENT);
    expect_moves_priced_as_in_full(8000);
}
