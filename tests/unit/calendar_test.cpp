// Course codes and weekly slots.
#include <gtest/gtest.h>

#include "model/calendar.hpp"

TEST(WeeklySlot, NumbersBlocksByWeekdayThenTime)
{
    EXPECT_EQ(weekly_slot(450, 2), 1);
    EXPECT_EQ(weekly_slot(500, 2), 2);
    EXPECT_EQ(weekly_slot(1310, 2), 17);
    EXPECT_EQ(weekly_slot(450, 3), 18);
    EXPECT_EQ(weekly_slot(1140, 4), 48);
    EXPECT_EQ(weekly_slot(1310, 6), 85);
    EXPECT_EQ(weekly_slot(450, 7), 86);
    EXPECT_EQ(weekly_slot(680, 7), 90);
}

TEST(WeeklySlot, EveryWeekdayBlockHasItsOwnSlot)
{
    const int starts[] = {450, 500, 570, 620, 680, 730, 780, 830, 900,
                          950, 1010, 1060, 1110, 1140, 1190, 1260, 1310};
    int expected = 1;
    for (int weekday = 2; weekday <= 7; ++weekday)
        for (int block = 0; block < (weekday == 7 ? 5 : 17); ++block)
            EXPECT_EQ(weekly_slot(starts[block], weekday), expected++);
    EXPECT_EQ(expected, 91);
}

TEST(WeeklySlot, OnlyExactBlockStartsOfTeachingDaysHaveASlot)
{
    EXPECT_EQ(weekly_slot(730, 7), NO_SLOT);  // Saturday 12:10
    EXPECT_EQ(weekly_slot(451, 2), NO_SLOT);  // 07:31
    EXPECT_EQ(weekly_slot(550, 2), NO_SLOT);  // 09:10, an end time
    EXPECT_EQ(weekly_slot(0, 2), NO_SLOT);
    EXPECT_EQ(weekly_slot(450, 1), NO_SLOT);
    EXPECT_EQ(weekly_slot(450, 8), NO_SLOT);
    EXPECT_EQ(weekly_slot(450, -2), NO_SLOT);
    EXPECT_LT(NO_SLOT, 0);
}

TEST(CourseCode, GivesTheCodeOfEachCourseType)
{
    EXPECT_STREQ(course_code(1), "MTM");
    EXPECT_STREQ(course_code(2), "QUI");
    EXPECT_STREQ(course_code(3), "FIS");
    EXPECT_STREQ(course_code(4), "CIC");
    EXPECT_STREQ(course_code(5), "COM");
    EXPECT_STREQ(course_code(6), "CBI");
}

TEST(CourseCode, SameTypeGivesTheIdenticalText)
{
    EXPECT_EQ(course_code(4), course_code(4));
    EXPECT_NE(course_code(4), course_code(5));
}

TEST(CourseCode, TypesOutsideOneToSixGetAPrintableMarkerThatMatchesNoCourse)
{
    for (int type : {0, 7, -1, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(course_code(type), NO_COURSE_CODE);
        for (int valid = 1; valid <= 6; ++valid)
            EXPECT_NE(course_code(type), course_code(valid));
    }
    EXPECT_STREQ(NO_COURSE_CODE, "???");
}
