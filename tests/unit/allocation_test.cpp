// The random initial allocation.
#include "search/allocation.hpp"

#include <random>
#include <set>
#include <string>

#include "model/calendar.hpp"
#include "model/rules/rules.hpp"
#include "search/anneal.hpp"
#include "search/cost.hpp"
#include "test_support.hpp"

namespace {

Meeting slots(int first, int last)
{
    Meeting meeting{};
    meeting.first_slot = first;
    meeting.last_slot = last;
    meeting.weekday = first == 0 ? 0 : 2;
    return meeting;
}

// Columns of `row` that hold `section`.
std::set<int> rooms_of(int32_t section, int row)
{
    std::set<int> rooms;
    for (int room = 0; room <= LAST_ROOM; ++room)
        if (current_grid[row][room] == section)
            rooms.insert(room);
    return rooms;
}

// Skips draws until the next 17 real-room draws all miss `rooms`.
void skip_until_draws_avoid(std::set<int> rooms)
{
    for (int offset = 0;; ++offset) {
        skip_draws(offset);
        bool avoided = true;
        for (int i = 0; i < 17 && avoided; ++i)
            avoided = rooms.count(static_cast<int>(random_between(1, 8))) == 0;
        if (avoided) {
            skip_draws(offset);
            return;
        }
    }
}

}  // namespace

class MeetingPlacement : public FreshTables {};

TEST_F(MeetingPlacement, MeetingOccupiesEveryOneOfItsSlotsInOneRoom)
{
    for (int length = 1; length <= 6; ++length) {
        clear_grid(current_grid);
        Meeting meeting = slots(10, 10 + length - 1);
        place_meeting(4, meeting);
        std::set<int> rooms = rooms_of(4, 10);
        ASSERT_EQ(rooms.size(), 1u);
        for (int row = 10; row < 10 + length; ++row)
            EXPECT_EQ(rooms_of(4, row), rooms) << "length " << length << " row " << row;
        EXPECT_TRUE(rooms_of(4, 10 + length).empty());
        EXPECT_EQ(meeting.placed, 1);
    }
}

TEST_F(MeetingPlacement, RoomTakenInAnInnerSlotIsNotFreeAndKeepsItsSection)
{
    for (int room = 1; room <= LAST_ROOM; ++room)
        current_grid[11][room] = 20 + room;  // every room taken in the middle slot only
    Meeting meeting = slots(10, 12);
    place_meeting(3, meeting);
    for (int room = 1; room <= LAST_ROOM; ++room)
        EXPECT_EQ(current_grid[11][room], 20 + room);
    EXPECT_EQ(current_grid[10][0], 3);
    EXPECT_EQ(current_grid[11][0], 3);
    EXPECT_EQ(current_grid[12][0], 3);
}

TEST_F(MeetingPlacement, FirstFreeDrawPlacesWithOneDraw)
{
    Meeting meeting = slots(30, 31);
    place_meeting(1, meeting);
    EXPECT_EQ(draws_taken(), 1);
}

TEST_F(MeetingPlacement, SeventeenFailedAttemptsTakeEighteenDrawsAndUseTheOverflowColumn)
{
    for (int room = 1; room <= LAST_ROOM; ++room)
        current_grid[40][room] = room;
    Meeting meeting = slots(40, 40);
    place_meeting(9, meeting);
    EXPECT_EQ(draws_taken(), 18);
    EXPECT_EQ(current_grid[40][0], 9);
    EXPECT_EQ(meeting.placed, 1);
}

TEST_F(MeetingPlacement, TakenOverflowColumnSendsTheMeetingToTheLowestFreeRealRoom)
{
    for (int room = 1; room <= LAST_ROOM; ++room)
        if (room != 3 && room != 6)
            current_grid[50][room] = room;
    current_grid[51][0] = 30;
    skip_until_draws_avoid({3, 6});
    Meeting meeting = slots(50, 51);
    place_meeting(9, meeting);
    EXPECT_EQ(current_grid[50][3], 9);
    EXPECT_EQ(current_grid[51][3], 9);
    EXPECT_EQ(current_grid[51][0], 30);
    EXPECT_EQ(current_grid[50][6], 0);
    // The last room, when it alone is free over the meeting's rows: the
    // weekday is not laid again, which would move a later piece out of room 2.
    for (int room = 0; room <= LAST_ROOM - 1; ++room)
        if (room != 2)
            current_grid[52][room] = 20 + room;
    current_grid[53][2] = 40;
    AllocationGrid expected = current_grid;
    expected[52][LAST_ROOM] = expected[53][LAST_ROOM] = 9;
    skip_until_draws_avoid({LAST_ROOM});
    Meeting last = slots(52, 53);
    place_meeting(9, last);
    EXPECT_EQ(current_grid, expected);
}

TEST_F(MeetingPlacement, StaircaseWithNoFreeColumnIsLaidAgainAroundTheNewMeeting)
{
    struct Placed { int32_t section; int first, last, room; };
    const Placed thursday[] = {{1, 54, 55, 0}, {2, 56, 57, 0}, {3, 55, 56, 1}, {4, 57, 58, 2}, {5, 53, 55, 3},
                               {6, 57, 57, 4}, {7, 56, 56, 5}, {8, 58, 59, 6}, {9, 55, 55, 7}};
    for (const Placed& p : thursday)
        for (int row = p.first; row <= p.last; ++row)
            current_grid[row][p.room] = p.section;
    current_grid[51][2] = 11;  // Wednesday and Friday are not part of the re-lay
    current_grid[69][2] = 11;
    AllocationGrid expected = current_grid;
    for (int row = 55; row <= 58; ++row)
        expected[row][2] = 10;
    expected[57][1] = expected[58][1] = 4;  // the one piece whose column the new meeting took
    Meeting meeting = slots(55, 58);
    start_console_capture();
    place_meeting(10, meeting);
    EXPECT_EQ(console_capture(), "");
    EXPECT_EQ(current_grid, expected);
    EXPECT_EQ(draws_taken(), 18);
}

TEST_F(MeetingPlacement, SlotWithMoreMeetingsThanColumnsLeavesTheWeekdayAndAnnouncesEachLoss)
{
    for (int room = 0; room <= LAST_ROOM; ++room)
        current_grid[60][room] = room + 1;
    current_grid[61][0] = 31;
    current_grid[62][0] = 32;
    current_grid[63][4] = 33;
    for (int32_t section : {1, 31, 32})
        sections[section] = {course_code(section % 6 + 1), 100 + section, section % 3 + 1, 'T', 40, section, {}};
    AllocationGrid expected = current_grid;
    for (int row = 60; row <= 63; ++row)  // at 63 the overflow column is free: nobody loses it there
        expected[row][0] = 9;
    Meeting meeting = slots(60, 63);
    start_console_capture();
    place_meeting(9, meeting);
    EXPECT_EQ(console_capture(),
              "Aviso: turma 1 (QUI 101-2) perdeu a sala: quinta-feira, bloco das 15:00.\n"
              "Aviso: turma 31 (QUI 131-2) perdeu a sala: quinta-feira, bloco das 15:50.\n"
              "Aviso: turma 32 (FIS 132-3) perdeu a sala: quinta-feira, bloco das 16:50.\n");
    EXPECT_EQ(current_grid, expected);
}

TEST_F(MeetingPlacement, MeetingAcrossTwoWeekdaysIsNotLaidAgain)
{
    int32_t section = 1;
    for (int row = 1; row <= 34; ++row)  // Monday and Tuesday full, every cell its own piece
        for (int room = 0; room <= LAST_ROOM; ++room)
            current_grid[row][room] = section++ % 90 + 1;
    AllocationGrid expected = current_grid;
    expected[17][0] = expected[18][0] = 95;
    Meeting meeting = slots(17, 18);
    start_console_capture();
    place_meeting(95, meeting);
    console_capture();
    EXPECT_EQ(current_grid, expected);
}

TEST_F(MeetingPlacement, AbsentMeetingsFillRowZeroThenItsOverflowCell)
{
    for (int32_t section = 1; section <= 20; ++section) {
        Meeting meeting = slots(0, 0);
        place_meeting(section, meeting);
    }
    std::set<int32_t> in_real_rooms;
    for (int room = 1; room <= LAST_ROOM; ++room)
        in_real_rooms.insert(current_grid[0][room]);
    EXPECT_EQ(in_real_rooms.size(), 7u);
    EXPECT_EQ(in_real_rooms.count(0), 0u);
    EXPECT_EQ(current_grid[0][0], 20);
    for (int row = 1; row <= slot_count; ++row)
        EXPECT_TRUE(rooms_of(0, row).size() == ROOM_COLUMNS);
}

class InitialAllocation : public InScratchDirectory {
protected:
    void SetUp() override
    {
        InScratchDirectory::SetUp();
        write_file("peso.par", "5 1\n");
        room_capacity = {0, 30, 40, 40, 50, 60, 80, 100};
    }
    void add_section(int32_t demand, int first, int last, int second_first = 0, int second_last = 0)
    {
        Section& section = sections[++section_count];
        section.demand = demand;
        section.meetings[1] = slots(first, last);
        section.meetings[2] = slots(second_first, second_last);
    }
};

TEST_F(InitialAllocation, NoSectionsLeavesTheGridEmptyAndPricesIt)
{
    current_grid[5][5] = 3;
    start_console_capture();
    build_initial_allocation();
    EXPECT_EQ(console_capture(), "Penalidade por excesso de capacidade= 5\nPenalidade por ociosidade= 1\n");
    EXPECT_EQ(current_grid, AllocationGrid{});
    EXPECT_EQ(current_cost, 90 * 400);
    EXPECT_EQ(excess_weight, 5);
}

TEST_F(InitialAllocation, EveryMeetingIsPlacedWholeAndNoSectionIsOverwritten)
{
    for (int i = 0; i < 12; ++i)
        add_section(20 + 5 * i, 1 + i % 4, 2 + i % 4, 35 + i % 3, 35 + i % 3 + i % 2);
    start_console_capture();
    build_initial_allocation();
    std::string console = console_capture();
    ASSERT_EQ(console.find("Aviso"), std::string::npos);
    int cells = 0;
    for (int32_t s = 1; s <= section_count; ++s)
        for (int m = 1; m <= 2; ++m) {
            const Meeting& meeting = sections[s].meetings[m];
            EXPECT_EQ(meeting.placed, 1);
            std::set<int> rooms = rooms_of(s, meeting.first_slot);
            ASSERT_EQ(rooms.size(), 1u) << "section " << s;
            for (int row = meeting.first_slot; row <= meeting.last_slot; ++row, ++cells)
                EXPECT_EQ(rooms_of(s, row), rooms);
        }
    int occupied = 0;
    for (int row = 1; row <= slot_count; ++row)
        occupied += ROOM_COLUMNS - static_cast<int>(rooms_of(0, row).size());
    EXPECT_EQ(occupied, cells);
    int32_t full_cost;
    grid_cost(current_grid, full_cost);
    EXPECT_EQ(current_cost, full_cost);
}

TEST_F(InitialAllocation, SecondRunStartsFromAClearedGridAndGoesOnWithTheDraws)
{
    add_section(30, 5, 6);
    add_section(40, 5, 6);
    build_initial_allocation();
    AllocationGrid first = current_grid;
    current_grid[80][1] = 7;
    bool differs = false;
    for (int run = 0; run < 5 && !differs; ++run) {
        build_initial_allocation();
        EXPECT_EQ(current_grid[80][1], 0);
        differs = current_grid != first;
    }
    EXPECT_TRUE(differs);
}

namespace {

// What is wrong with `grid` as an allocation of every loaded meeting: a
// meeting not whole in exactly one column, or a cell no meeting explains.
std::string broken_meetings(const AllocationGrid& grid)
{
    std::string problems;
    int cells = 0;
    for (int32_t s = 1; s <= section_count; ++s)
        for (int m = 1; m <= MAX_MEETINGS; ++m) {
            const Meeting& meeting = sections[s].meetings[m];
            if (meeting.first_slot == 0)
                continue;
            int whole_in = 0;
            for (int room = 0; room <= LAST_ROOM; ++room) {
                bool whole = true;
                for (int row = meeting.first_slot; row <= meeting.last_slot; ++row)
                    whole = whole && grid[row][room] == s;
                whole_in += whole;
            }
            if (whole_in != 1)
                problems += "section " + std::to_string(s) + " meeting " + std::to_string(m) + " is not whole\n";
            cells += meeting.last_slot - meeting.first_slot + 1;
        }
    int occupied = 0;
    for (int row = 1; row <= slot_count; ++row)
        for (int32_t cell : grid[row])
            occupied += cell != 0;
    if (occupied != cells)
        problems += std::to_string(occupied) + " cells occupied for " + std::to_string(cells) + " meeting cells\n";
    return problems;
}

// A department at full load: up to `per_slot` meetings in a slot, two-block
// meetings on two weekdays, laboratories of five to eight blocks, and
// sections that meet at the end of one day and the start of the next.
void full_load_instance(std::mt19937& rng, int per_slot)
{
    std::array<int, MAX_SLOTS + 1> load{};
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    auto fits = [&](int first, int last) {
        for (int row = first; row <= last; ++row)
            if (load[row] == per_slot)
                return false;
        return true;
    };
    for (int tries = 0; tries < 2000 && section_count < 99; ++tries) {  // a department's sections
        int day = pick(0, 4);
        int kind = pick(0, 9), first1, last1, first2 = 0, last2 = 0;
        if (kind < 6) {  // twice a week, two blocks
            int block = pick(1, 16);
            first1 = day * 17 + block;
            first2 = (day + pick(1, 5 - day > 1 ? 2 : 1)) * 17 + block;
            if (first2 > 85)
                first2 = 86 + block % 4;
            last1 = first1 + 1, last2 = first2 + 1;
        } else if (kind < 8) {  // a laboratory
            int length = pick(5, 8);
            first1 = day * 17 + pick(1, 18 - length);
            last1 = first1 + length - 1;
        } else {  // the day's last blocks, then the next day's first
            last1 = (day + 1) * 17;
            first1 = last1 - pick(0, 1);
            first2 = last1 + 1;
            last2 = first2 + pick(0, 1);
        }
        if (!fits(first1, last1) || (first2 != 0 && !fits(first2, last2)))
            continue;
        Section& section = sections[++section_count];
        section = {};
        section.demand = pick(10, 95);
        section.meetings[1] = slots(first1, last1);
        section.meetings[2] = slots(first2, last2);
        for (int row = first1; row <= last1; ++row)
            ++load[row];
        for (int row = first2; first2 != 0 && row <= last2; ++row)
            ++load[row];
    }
}

}  // namespace

TEST_F(InitialAllocation, FullLoadInstancesKeepEveryMeetingWholeThroughAllocationAndAnnealing)
{
    for (int instance = 0; instance < 24; ++instance) {
        std::mt19937 rng(static_cast<unsigned>(instance));
        section_count = 0;
        full_load_instance(rng, instance % 2 == 0 ? 7 : 8);
        start_console_capture();
        build_initial_allocation();
        std::string console = console_capture();
        EXPECT_EQ(console.find("Aviso"), std::string::npos) << "instance " << instance;
        EXPECT_EQ(broken_meetings(current_grid), "") << "instance " << instance << " after choice 1";
        annealing_schedule = {1000.0, 0.01, 0.9, 5000, 10000};
        start_console_capture();
        anneal();
        console_capture();
        EXPECT_EQ(broken_meetings(current_grid), "") << "instance " << instance << " after choice 2";
        EXPECT_EQ(broken_meetings(best_grid), "") << "instance " << instance << " after choice 2";
    }
}

namespace {

// Closures, pins and avoidances drawn at random over a loaded instance, each
// one kept only when regras.txt could hold it with the ones before.
void add_random_rules(std::mt19937& rng)
{
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    for (int i = 0; i < 4; ++i) {
        int32_t from = slot_start(pick(1, 14));
        rules[rule_count++] = {RuleKind::Closed, 1, 0, pick(1, LAST_ROOM), pick(MONDAY, 6), from, from + 150, 0};
    }
    apply_rules();
    for (int32_t s = 1; s <= section_count; ++s) {
        int32_t room = pick(1, LAST_ROOM);
        bool free = true;
        for (int m = 1; m <= MAX_MEETINGS; ++m) {
            const Meeting& meeting = sections[s].meetings[m];
            for (int row = meeting.first_slot; meeting.first_slot != 0 && row <= meeting.last_slot; ++row)
                free = free && pinned_grid[row][room] == 0 && !closed_cells[row][room];
        }
        if (s % 9 == 0 && free)
            rules[rule_count++] = {RuleKind::Pin, 2, s, room, 0, 0, 0, 0};
        else if (s % 4 == 0)
            rules[rule_count++] = {RuleKind::Avoid, 3, s, room, 0, 0, 0, 0};
        if (s % 5 == 0) {  // a preference of two rooms: the annealing's move prices it as a full pricing does
            RoomSet preferred;
            preferred.set(static_cast<std::size_t>(pick(1, LAST_ROOM)));
            preferred.set(static_cast<std::size_t>(pick(1, LAST_ROOM)));
            rules[rule_count++] = {RuleKind::Prefer, 5, s, 0, 0, 0, 0, pick(1, 80), keep_room_set(preferred)};
        }
        apply_rules();
    }
    RoomSet seminar_rooms;  // and every section prefers rooms 1 to 3
    for (std::size_t room : {1, 2, 3})
        seminar_rooms.set(room);
    rules[rule_count++] = {RuleKind::Prefer, 6, 0, 0, 0, 0, 0, 7, keep_room_set(seminar_rooms),
                           {ANY_FIELD, ANY_FIELD, ANY_FIELD}};
    rules[rule_count++] = {RuleKind::SameRoom, 4, 0, 0, 0, 0, 0, 25};
    apply_rules();
}

std::string broken_rules(const AllocationGrid& grid)
{
    std::string broken;
    for (int32_t i = 0; i < rule_count; ++i)
        if (find_breach(grid, rules[i]).broken)
            broken += "rule " + std::to_string(i) + " is broken\n";
    return broken;
}

int32_t priced(const AllocationGrid& grid)
{
    int32_t cost;
    grid_cost(grid, cost);
    return cost;
}

}  // namespace

TEST_F(InitialAllocation, UnderRoomRulesEveryRuleIsKeptAndTheCostStaysExactThroughAllocationAndAnnealing)
{
    for (int instance = 0; instance < 6; ++instance) {
        std::mt19937 rng(static_cast<unsigned>(100 + instance));
        reset_rules();
        section_count = 0;
        full_load_instance(rng, 5);
        add_random_rules(rng);
        ASSERT_GT(rule_count, 10);
        start_console_capture();
        build_initial_allocation();
        console_capture();
        EXPECT_EQ(broken_rules(current_grid), "") << "instance " << instance << " after choice 1";
        for (int32_t s = 1; s <= section_count; ++s)  // a pinned section's meetings are marked placed too
            for (int m = 1; m <= MAX_MEETINGS; ++m)
                EXPECT_EQ(sections[s].meetings[m].placed, m <= 2 || sections[s].meetings[m].weekday != 0)
                    << "instance " << instance << ", section " << s << ", meeting " << m;
        EXPECT_EQ(current_cost, priced(current_grid)) << "instance " << instance;
        annealing_schedule = {1000.0, 0.01, 0.9, 2000, 4000};
        start_console_capture();
        anneal();
        console_capture();
        for (const AllocationGrid* grid : {&current_grid, &best_grid}) {
            EXPECT_EQ(broken_rules(*grid), "") << "instance " << instance << " after choice 2";
            EXPECT_EQ(broken_meetings(*grid), "") << "instance " << instance << " after choice 2";
        }
        EXPECT_EQ(current_cost, priced(current_grid)) << "instance " << instance;
        EXPECT_EQ(best_cost, priced(best_grid)) << "instance " << instance;
        EXPECT_GT(stability_cost(best_grid), 0);  // the weight is paid by some, so it is priced
        EXPECT_GT(preference_cost(best_grid), 0);  // and so are the preferences
    }
}
