// The penalty weights of peso.par and the price of a grid.
#include "model/rules/rules.hpp"
#include "model/weights.hpp"
#include "search/cost.hpp"
#include "search/planning.hpp"

#include "test_support.hpp"

namespace {

struct Weights {
    std::string error;
    int32_t excess;
    int32_t idle;
};

Weights read_weights_from(const std::string& text)
{
    std::FILE* stream = text_stream(text);
    Weights weights{"", -99, -99};
    const char* error = read_weights(stream, weights.excess, weights.idle);
    std::fclose(stream);
    if (error != nullptr)
        weights.error = error;
    return weights;
}

int32_t cost_of(const AllocationGrid& grid)
{
    int32_t cost = -1;
    grid_cost(grid, cost);
    return cost;
}

}  // namespace

TEST(PenaltyWeights, TwoNumbersOnOneLineOrTwo)
{
    for (const char* text : {"5 1", "5\n1\n", "  \n 5\t\t1", "5 1 7 texto"}) {
        Weights weights = read_weights_from(text);
        EXPECT_EQ(weights.error, "") << text;
        EXPECT_EQ(weights.excess, 5) << text;
        EXPECT_EQ(weights.idle, 1) << text;
    }
}

TEST(PenaltyWeights, ZeroWeightsAreTakenNegativeOnesRefused)
{
    Weights weights = read_weights_from("0 0");
    EXPECT_EQ(weights.error, "");
    EXPECT_EQ(weights.excess, 0);
    EXPECT_EQ(weights.idle, 0);
    EXPECT_EQ(read_weights_from("-2 0").error, "peso negativo");
    EXPECT_EQ(read_weights_from("3 -1").error, "peso negativo");
}

TEST(PenaltyWeights, ReadErrorIsRefusedNotTakenForAnEmptyFile)
{
    std::FILE* unreadable = std::fopen("/dev/null", "w");
    int32_t excess = 0, idle = 0;
    EXPECT_STREQ(read_weights(unreadable, excess, idle), "erro de leitura");
    std::fclose(unreadable);
}

TEST(PenaltyWeights, FewerThanTwoNumbersIsMalformed)
{
    EXPECT_EQ(read_weights_from("7").error, "falta o segundo numero");
    EXPECT_EQ(read_weights_from("7\n\n").error, "falta o segundo numero");
    EXPECT_EQ(read_weights_from("").error, "arquivo sem numeros");
    EXPECT_EQ(read_weights_from("peso 5 1").error, "numero esperado");
    EXPECT_EQ(read_weights_from("5x 1").error, "numero esperado");
    EXPECT_EQ(read_weights_from("5 99999999999").error, "numero fora do intervalo de 32 bits");
}

class GridCost : public FreshTables {
protected:
    void SetUp() override
    {
        FreshTables::SetUp();
        load_three_section_example();
    }
};

TEST_F(GridCost, WorkedExampleOfThreeSections)
{
    current_grid[1][1] = 1;
    current_grid[1][2] = 2;
    current_grid[2][0] = 3;
    EXPECT_EQ(cost_of(current_grid), 15280);
}

TEST_F(GridCost, EmptyGridCostsEverySeatOfEverySlot)
{
    EXPECT_EQ(cost_of(best_grid), 90 * 170);
}

TEST_F(GridCost, EachGridHasItsOwnCost)
{
    candidate_grid[1][1] = 1;
    grid_cost(candidate_grid, candidate_cost);
    grid_cost(best_grid, best_cost);
    EXPECT_EQ(candidate_cost, 90 * 170 - 40 + 15);
    EXPECT_EQ(best_cost, 90 * 170);
    EXPECT_EQ(current_cost, 0);
}

TEST_F(GridCost, RowZeroIsNotPriced)
{
    current_grid[0][1] = 1;
    current_grid[0][0] = 3;
    EXPECT_EQ(cost_of(current_grid), 90 * 170);
}

TEST_F(GridCost, SectionFillingItsRoomExactlyAddsNothing)
{
    sections[1].demand = 40;
    current_grid[5][1] = 1;
    EXPECT_EQ(cost_of(current_grid), 90 * 170 - 40);
}

TEST_F(GridCost, ShiftBetweenRoomsThatBothSeatTheSectionKeepsTheCost)
{
    current_grid[7][1] = 3;
    int32_t before = cost_of(current_grid);
    current_grid[7][1] = 0;
    current_grid[7][4] = 3;
    EXPECT_EQ(cost_of(current_grid), before);
}

TEST_F(GridCost, EachRoomASectionTakesPastItsFirstHasTheStabilityPrice)
{
    same_room_weight = 100;
    const int days[] = {1, 35, 69};  // Monday, Wednesday and Friday at 07:30
    for (int m = 1; m <= 3; ++m) {
        sections[1].meetings[m] = {0, slot_weekday(days[m - 1]), 450, 450, days[m - 1], days[m - 1], 1, 500, 0};
        current_grid[days[m - 1]][4] = 1;
    }
    EXPECT_EQ(stability_cost(current_grid), 0);
    current_grid[35][4] = 0;
    current_grid[35][3] = 1;
    EXPECT_EQ(rooms_changed(current_grid, 1), 1);
    EXPECT_EQ(stability_cost(current_grid), 100);
    current_grid[69][4] = 0;
    current_grid[69][3] = 1;  // Friday joins Wednesday's room: still two rooms
    EXPECT_EQ(stability_cost(current_grid), 100);
    current_grid[69][3] = 0;
    current_grid[69][2] = 1;
    EXPECT_EQ(rooms_changed(current_grid, 1), 2);
    EXPECT_EQ(sections_changing_rooms(current_grid), 1);
    EXPECT_EQ(stability_cost(current_grid), 200);
    int32_t priced = cost_of(current_grid);
    same_room_weight = 0;
    EXPECT_EQ(priced - cost_of(current_grid), 200);
    current_grid[1][4] = 0;  // a meeting out of the grid takes no room
    EXPECT_EQ(rooms_changed(current_grid, 1), 1);
}

TEST_F(GridCost, ZeroWeightsMakeEveryGridFree)
{
    excess_weight = idle_weight = 0;
    current_grid[1][0] = 1;
    EXPECT_EQ(cost_of(current_grid), 0);
}

TEST_F(GridCost, WeightsThatCouldOverflowThirtyTwoBitsAreRefused)
{
    EXPECT_TRUE(costs_fit_32_bits(5, 1, 0));
    // 90 slots x 170 idle seats x 140000 = 2142000000, just inside.
    EXPECT_TRUE(costs_fit_32_bits(0, 140000, 0));
    EXPECT_FALSE(costs_fit_32_bits(0, 141000, 0));
    // Section 1 in every cell: 90 x (45 + 5 + 15 + 5 x 25) students above capacity.
    EXPECT_TRUE(costs_fit_32_bits(125583, 0, 0));
    EXPECT_FALSE(costs_fit_32_bits(125584, 0, 0));
    EXPECT_FALSE(costs_fit_32_bits(INT32_MIN, INT32_MIN, 0));
    room_capacity[7] = INT32_MAX;
    EXPECT_FALSE(costs_fit_32_bits(1, INT32_MAX, 0));
    EXPECT_TRUE(costs_fit_32_bits(0, 0, 0));
    // Preferences add their price in sv for each meeting: section 1 meets once.
    sections[1].meetings[1].weekday = MONDAY;
    preference_profile[1] = 1;
    profile_prices[1][OVERFLOW_COLUMN] = INT32_MAX - 1;
    EXPECT_TRUE(costs_fit_32_bits(0, 0, 0, true));
    profile_prices[1][OVERFLOW_COLUMN] = INT32_MAX;  // a sum of weights at its cap: past 32 bits
    EXPECT_FALSE(costs_fit_32_bits(0, 0, 0, true));
    EXPECT_TRUE(costs_fit_32_bits(0, 0, 0));
    // At 32 bits exactly: two meetings in sv at (2^31 - 2) / 2 each, and a room past the first at 1.
    sections[1].meetings[2].weekday = MONDAY + 1;
    profile_prices[1][OVERFLOW_COLUMN] = (INT32_MAX - 1) / 2;
    EXPECT_TRUE(costs_fit_32_bits(0, 0, 1, true));
    EXPECT_FALSE(costs_fit_32_bits(0, 0, 2, true));
    sections[1].meetings[2].weekday = 0;
    preference_profile[1] = 0;
    // Planned seats price each cell so that every grid sums exactly in 64 bits.
    excess_weight = idle_weight = INT32_MAX;
    EXPECT_TRUE(cell_prices_exact(120));  // at most 120 idle seats at INT32_MAX each
    idle_weight = 1;
    sections[2].demand = 20000000;  // 20000000 - 20 students above 20 seats, at INT32_MAX each
    EXPECT_TRUE(cell_prices_exact(20000000));
    EXPECT_FALSE(cell_prices_exact(20));
    // Planning checks every size it tries, down to 20 seats: a class that only 20 seats price past the limit.
    int32_t fits = 30, past = 20000000;  // demands that 30 seats price within the limit, and past it
    while (past - fits > 1) {
        int32_t middle = fits + (past - fits) / 2;
        sections[2].demand = middle;
        (cell_prices_exact(30) ? fits : past) = middle;
    }
    sections[2].demand = fits;
    EXPECT_FALSE(cell_prices_exact(20));
    EXPECT_FALSE(planned_costs_exact());
    sections[2].demand = fits - 10;
    EXPECT_TRUE(planned_costs_exact());
    // The empty cell is priced too: 60000 idle seats at INT32_MAX pass the limit, 1000 do not.
    idle_weight = INT32_MAX;
    for (int32_t section = 1; section <= section_count; ++section)
        sections[section].demand = 59000;
    EXPECT_FALSE(cell_prices_exact(60000));
}
