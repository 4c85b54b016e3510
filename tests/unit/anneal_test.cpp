// The annealing loop: acceptance, stopping rules, traces and exact costs.
#include "search/anneal.hpp"

#include <regex>
#include <vector>

#include "io/console.hpp"
#include "search/allocation.hpp"
#include "search/cost.hpp"
#include "search/move.hpp"
#include "test_support.hpp"

namespace {

struct TraceLine {
    bool new_best;
    int32_t cost;
    std::string temperature;
    int32_t iteration;
};

std::vector<TraceLine> parse_traces(const std::string& console)
{
    static const std::regex trace(
        "\n\n(Novo vizinho|Nova) fun\xE7\xE3o objetivo: (0|-?[1-9][0-9]*)\nTemperatura atual: ([0-9.]+)\n"
        "Numero de itera\xE7\xF5" "es: ([0-9]+)\n");
    std::vector<TraceLine> lines;
    std::string rest;
    for (std::sregex_iterator it(console.begin(), console.end(), trace), end; it != end; ++it) {
        lines.push_back({(*it)[1] == "Nova", std::stoi((*it)[2]), (*it)[3], std::stoi((*it)[4])});
        rest += it->prefix();
    }
    EXPECT_EQ(rest, "") << "console text that is not a trace";
    return lines;
}

// Temperatures in the order their levels ran, as traced.
std::vector<std::string> levels_of(const std::vector<TraceLine>& traces)
{
    std::vector<std::string> levels;
    for (const TraceLine& line : traces)
        if (levels.empty() || levels.back() != line.temperature)
            levels.push_back(line.temperature);
    return levels;
}

// A text of `length` bytes "a".."z" over and over, as the console has it.
ConsoleText alphabet_text(std::size_t length)
{
    ConsoleText text{};
    for (std::size_t i = 0; i < text.bytes.size(); ++i)
        text.bytes[i] = static_cast<char>('a' + i % 26);
    text.length = length;
    return text;
}

}  // namespace

class Annealing : public FreshTables {
protected:
    void SetUp() override
    {
        FreshTables::SetUp();
        annealing_schedule = {1000.0, 0.01, 0.9, 5000, 10000};
        room_capacity = {0, 40, 50, 60, 70, 80, 90, 100};
        excess_weight = 1;
        idle_weight = 1;
    }

    // `count` sections with random demands and one or two meetings, placed at random.
    void random_instance(int count)
    {
        section_count = count;
        for (int32_t s = 1; s <= count; ++s) {
            Section& section = sections[s];
            section.demand = 10 + random_below(95);
            for (int m = 1; m <= 1 + s % 2; ++m) {
                int first = 1 + random_below(slot_count - 2);
                section.meetings[m].first_slot = first;
                section.meetings[m].last_slot = first + random_below(3);
                place_meeting(s, section.meetings[m]);
            }
        }
        grid_cost(current_grid, current_cost);
    }

    std::vector<TraceLine> run()
    {
        start_console_capture();
        anneal();
        return parse_traces(console_capture());
    }
};

TEST_F(Annealing, RunThatNeverImprovesStopsAfterExactlyTenLevels)
{
    section_count = 1;
    sections[1].demand = 40;
    current_grid[10][1] = 1;  // fits room 1 exactly: no other grid costs less
    grid_cost(current_grid, current_cost);
    int32_t start_cost = current_cost;
    std::vector<TraceLine> traces = run();
    std::vector<std::string> levels = levels_of(traces);
    ASSERT_EQ(levels.size(), 10u);
    EXPECT_EQ(levels.front(), "1000.000000");
    EXPECT_EQ(levels.back(), "387.420489");
    EXPECT_EQ(run_stall_count, 10010);
    EXPECT_EQ(best_cost, start_cost);
    for (const TraceLine& line : traces)
        EXPECT_FALSE(line.new_best);
}

TEST_F(Annealing, RunStallCountStartsFromZeroAtTheLastNewBest)
{
    section_count = 1;
    sections[1].demand = 45;
    current_grid[10][1] = 1;  // 5 above room 1's 40 seats; any larger room is best, reached in the first level
    grid_cost(current_grid, current_cost);
    std::vector<TraceLine> traces = run();
    ASSERT_TRUE(traces.front().new_best || traces[1].new_best);
    EXPECT_EQ(levels_of(traces).size(), 10u);
    EXPECT_EQ(run_stall_count, 10010);  // ten levels of 1001 attempts since that best
}

TEST_F(Annealing, RunStallLimitIsPassedStrictly)
{
    section_count = 1;
    sections[1].demand = 40;
    current_grid[10][1] = 1;
    grid_cost(current_grid, current_cost);
    annealing_schedule.stall_limit = 40;  // levels give up at their 5th attempt: 40 after eight levels
    std::vector<TraceLine> traces = run();
    EXPECT_EQ(levels_of(traces).size(), 9u);
    EXPECT_EQ(run_stall_count, 45);
}

// A grid whose one meeting sits at an edge of the grid is annealed, and
// leaves the cell it started in, where any other room is better.
TEST_F(Annealing, OnlyMeetingAtAnEdgeOfTheGridIsStillAnnealed)
{
    struct Edge {
        int row, room;
        int32_t demand;
    };
    room_capacity[last_room] = 30;
    const Edge edges[] = {
        {slot_count, 1, 45},  // the last slot: 5 students above room 1's 40 seats
        {1, 0, 30},           // sv: every student above its no seats
        {1, last_room, 45},   // the last room: 15 students above its 30 seats
    };
    for (const Edge& edge : edges) {
        clear_grid(current_grid);
        section_count = 1;
        sections[1].demand = edge.demand;
        current_grid[edge.row][edge.room] = 1;
        grid_cost(current_grid, current_cost);
        int32_t start_cost = current_cost;
        std::vector<TraceLine> traces = run();
        EXPECT_FALSE(traces.empty()) << "row " << edge.row << ", room " << edge.room;
        EXPECT_LT(best_cost, start_cost) << "row " << edge.row << ", room " << edge.room;
        EXPECT_EQ(best_grid[edge.row][edge.room], 0) << "row " << edge.row << ", room " << edge.room;
    }
}

TEST_F(Annealing, EqualCostNeighboursAreAlwaysAcceptedAndTraced)
{
    excess_weight = idle_weight = 0;
    random_instance(30);
    AllocationGrid start = current_grid;
    std::vector<TraceLine> traces = run();
    ASSERT_FALSE(traces.empty());
    int32_t expected_iteration = 1;
    std::string temperature = traces.front().temperature;
    for (const TraceLine& line : traces) {
        if (line.temperature != temperature) {
            temperature = line.temperature;
            expected_iteration = 1;
        }
        EXPECT_EQ(line.iteration, expected_iteration++);
        EXPECT_EQ(line.cost, 0);
    }
    EXPECT_NE(current_grid, start);
}

TEST_F(Annealing, RiseOfOneIsRefusedWhereItsChanceIsNil)
{
    annealing_schedule.initial_temperature = 0.001;  // exp(-1 / 0.001) is 0, below every draw
    annealing_schedule.final_temperature = 0.0001;
    room_capacity = {0, 41, 40, 40, 40, 40, 40, 40};
    idle_weight = 0;
    section_count = 1;
    sections[1].demand = 41;
    current_grid[10][1] = 1;  // every other room seats one student too few
    grid_cost(current_grid, current_cost);
    int32_t start_cost = current_cost;
    AllocationGrid start = current_grid;
    for (const TraceLine& line : run())  // a level that gives up traces its unchanged grid
        EXPECT_EQ(line.cost, start_cost);
    EXPECT_EQ(current_grid, start);
}

TEST_F(Annealing, NewBestRestartsBothStallCounts)
{
    excess_weight = 5;
    random_instance(60);
    std::vector<TraceLine> traces = run();
    std::vector<std::string> levels = levels_of(traces);
    size_t last_best_level = 0;
    for (const TraceLine& line : traces)
        if (line.new_best)
            last_best_level = levels_of({traces.begin(), traces.begin() + (&line - traces.data()) + 1}).size();
    ASSERT_GE(last_best_level, 1u);
    EXPECT_GT(levels.size(), 10u);  // without the restart every run would stop after ten
    EXPECT_GE(levels.size() - last_best_level, 9u);
    EXPECT_LE(levels.size() - last_best_level, 10u);
}

TEST_F(Annealing, CostsStayThoseOfFullPricingAndBestNeverExceedsTheStart)
{
    const int32_t weights[][2] = {{5, 1}, {3, 1}, {10, 2}};
    for (const auto& weight : weights) {
        reset_tables();
        last_room = LAST_ROOM;
        SetUp();
        excess_weight = weight[0];
        idle_weight = weight[1];
        random_instance(70);
        int32_t start_cost = current_cost;
        std::vector<TraceLine> traces = run();
        int32_t full;
        grid_cost(current_grid, full);
        EXPECT_EQ(current_cost, full);
        grid_cost(best_grid, full);
        EXPECT_EQ(best_cost, full);
        EXPECT_LT(best_cost, start_cost) << "weights " << weight[0] << " " << weight[1];
        for (int row = 1; row <= slot_count; ++row)
            ASSERT_EQ(candidate_grid[row], current_grid[row]);
        for (const TraceLine& line : traces) {
            if (line.new_best) {
                EXPECT_GE(line.cost, best_cost);
            }
        }
    }
}

TEST_F(Annealing, TracesCarryCostTemperatureAndIterationWithinTheLevel)
{
    random_instance(40);
    std::vector<TraceLine> traces = run();
    ASSERT_FALSE(traces.empty());
    EXPECT_EQ(traces.front().temperature, "1000.000000");
    EXPECT_EQ(traces.front().iteration, 1);
    for (size_t i = 1; i < traces.size(); ++i)
        if (traces[i].new_best) {
            EXPECT_FALSE(traces[i - 1].new_best);  // the move trace of the same move comes first
            EXPECT_EQ(traces[i].cost, traces[i - 1].cost);
            EXPECT_EQ(traces[i].iteration, traces[i - 1].iteration);
        }
}

TEST_F(Annealing, GridWithoutSectionsEndsAfterSetUp)
{
    current_grid[0][3] = 4;  // row 0 is not a slot
    sections[4].demand = 10;
    section_count = 4;
    grid_cost(current_grid, current_cost);
    best_grid[7][7] = 9;
    std::vector<TraceLine> traces = run();
    EXPECT_TRUE(traces.empty());
    EXPECT_EQ(best_grid[7][7], 0);
    EXPECT_EQ(best_grid[0][3], 0);
    EXPECT_EQ(best_cost, current_cost);
}

TEST_F(Annealing, SameStartGivesTheSameRun)
{
    random_instance(50);
    AllocationGrid start = current_grid;
    int32_t start_cost = current_cost;
    restart_random_sequence();
    start_console_capture();
    anneal();
    std::string first = console_capture();
    AllocationGrid first_best = best_grid;
    current_grid = start;
    current_cost = start_cost;
    restart_random_sequence();
    start_console_capture();
    anneal();
    EXPECT_EQ(console_capture(), first);
    EXPECT_EQ(best_grid, first_best);
}

TEST_F(Annealing, TraceLinesHoldTheWholeTextAndTheNumberAsPrintfWouldAndComeBeforeLaterOutput)
{
    start_console_capture();
    std::string expected;
    const std::size_t lengths[] = {0, 1, 63, 64, 65, 127, 128};
    int next = 0;
    for (int32_t number : {0, 7, 10, 99, 100, 1234, 99999, 100000, 2147483647, -1, -10, -2147483647 - 1}) {
        ConsoleText text = alphabet_text(lengths[next++ % std::size(lengths)]);
        trace_line(text, number);
        expected += std::string(text.bytes.data(), text.length) + std::to_string(number) + "\n";
    }
    console_print("after\n");
    ConsoleText last = alphabet_text(5);  // a trace left at the end reaches the console with the exit status
    trace_line(last, 42);
    EXPECT_EQ(console_exit_status(3), 3);
    EXPECT_EQ(console_capture(), expected + "after\n" + std::string(last.bytes.data(), last.length) + "42\n");
}

TEST_F(Annealing, TracesLongerThanTheirBufferArriveWholeAndInOrder)
{
    start_console_capture();
    std::string expected;
    ConsoleText text = alphabet_text(100);
    for (int32_t i = 0; i < 20000; ++i) {
        trace_line(text, i * 7919);
        expected += std::string(text.bytes.data(), text.length) + std::to_string(i * 7919) + "\n";
    }
    console_flush_traces();
    EXPECT_EQ(console_capture(), expected);
}
