// The process-wide draw sequence and its range operations.
#include <gtest/gtest.h>

#include "search/random.hpp"

class RandomDraws : public ::testing::Test {
protected:
    void SetUp() override { restart_random_sequence(); }
};

TEST_F(RandomDraws, SequenceStartsWithTheKnownRand48Draws)
{
    EXPECT_EQ(random_below(INT32_MAX), 851401618);
    EXPECT_EQ(random_below(INT32_MAX), 1804928587);
    EXPECT_EQ(random_below(INT32_MAX), 758783491);
}

TEST_F(RandomDraws, BelowIsTheRemainderOfOneDraw)
{
    EXPECT_EQ(random_below(1000), 851401618 % 1000);
    EXPECT_EQ(random_below(7), 1804928587 % 7);
    EXPECT_EQ(random_below(-10), 758783491 % 10);  // the remainder keeps the draw's sign
    restart_random_sequence();
    EXPECT_EQ(random_index(1000), 851401618u % 1000);  // the same remainder, in unsigned arithmetic
    EXPECT_EQ(random_index(1), 0u);
}

TEST_F(RandomDraws, RangeOfOneStillTakesADraw)
{
    EXPECT_EQ(random_below(1), 0);
    EXPECT_EQ(random_below(INT32_MAX), 1804928587);
}

TEST_F(RandomDraws, ZeroRangeTakesNoDraw)
{
    EXPECT_EQ(random_below(0), 0);
    EXPECT_EQ(random_between(5, 5), 5.0);
    EXPECT_EQ(random_below(INT32_MAX), 851401618);
}

TEST_F(RandomDraws, BetweenNeverReachesItsUpperBound)
{
    bool seen_low = false, seen_high = false;
    for (int i = 0; i < 10000; ++i) {
        double room = random_between(1, 8);
        EXPECT_GE(room, 1.0);
        EXPECT_LE(room, 7.0);
        EXPECT_EQ(room, static_cast<int>(room));
        seen_low = seen_low || room == 1.0;
        seen_high = seen_high || room == 7.0;
    }
    EXPECT_TRUE(seen_low && seen_high);
}

TEST_F(RandomDraws, BetweenAddsTheLowBoundToTheRemainder)
{
    EXPECT_EQ(random_between(10, 20), 10 + 851401618 % 10);
    EXPECT_EQ(random_between(-5, 5), -5 + 1804928587 % 10);
}

TEST_F(RandomDraws, AcceptanceFractionStaysBelowOne)
{
    for (int i = 0; i < 100000; ++i) {
        double u = random_between(0, 100000) * 0.00001;
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
}

TEST_F(RandomDraws, RestartGivesTheSameSequenceAgain)
{
    int32_t first[5];
    for (int32_t& draw : first)
        draw = random_below(1000000);
    restart_random_sequence();
    for (int32_t draw : first)
        EXPECT_EQ(random_below(1000000), draw);
}
