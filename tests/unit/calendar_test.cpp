// Course codes and weekly slots.
#include <gtest/gtest.h>

#include <cstdio>

#include "model/calendar.hpp"
#include "model/week.hpp"

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
    // The type is read back from the text's place in the table, and only from there.
    set_course_code(LAST_COURSE_TYPE_ALLOWED, "ZZZ");
    for (int type : {FIRST_COURSE_TYPE, 4, LAST_COURSE_TYPE_ALLOWED})
        EXPECT_EQ(course_type_of(course_code(type)), type);
    const char* past_the_table = course_code(LAST_COURSE_TYPE_ALLOWED) + MAX_COURSE_CODE + 1;
    EXPECT_EQ(course_type_of(past_the_table), 0);
    EXPECT_EQ(course_type_of(NO_COURSE_CODE), 0);
    EXPECT_EQ(course_type_of("CIC"), 0);
    reset_course_codes();
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

TEST(OneBlock, EndFollowsTheStartAndStopsBeforeTheFollowingBlockEnds)
{
    const struct {
        int32_t weekday, start;
        int64_t end;
        bool one_block;
    } cases[] = {
        {2, 450, 500, true},     // 07:30 to 08:20, a 50-minute block
        {2, 450, 549, true},     // a minute before the following block ends
        {2, 450, 550, false},    // 07:30 to 09:10: two blocks on one line
        {2, 450, 450, false},    // the end equal to the start
        {2, 450, 449, false},
        {2, 1110, 1160, true},   // 18:30 to 19:20, although 19:00 starts before
        {2, 1110, 1189, true},
        {2, 1110, 1190, false},  // the end of 19:00's block
        {6, 1310, 1360, true},   // the day's last block has no following block
        {6, 1310, 9999, true},
        {6, 1310, 1310, false},
        {7, 680, 730, true},     // Saturday's last block, 11:20
        {7, 680, 4000, true},
        {7, 620, 730, false},    // Saturday 10:20 to 12:10: two blocks
        {3, 1260, 1361, false},  // 21:00 to 22:41 reaches past 21:50's block
    };
    for (const auto& c : cases)
        EXPECT_EQ(is_one_block(c.weekday, c.start, c.end), c.one_block)
            << "weekday " << c.weekday << ", " << c.start << " to " << c.end;
}

TEST(SlotNames, WeekdayNameAndBlockStartOfASlot)
{
    const struct {
        int32_t slot, weekday, start;
        const char* name;
    } cases[] = {{1, 2, 450, "segunda-feira"}, {17, 2, 1310, "segunda-feira"}, {18, 3, 450, "terca-feira"},
                 {48, 4, 1140, "quarta-feira"}, {60, 5, 900, "quinta-feira"},   {85, 6, 1310, "sexta-feira"},
                 {90, 7, 680, "sabado"}};
    for (const auto& c : cases) {
        EXPECT_EQ(slot_weekday(c.slot), c.weekday) << c.slot;
        EXPECT_EQ(slot_start(c.slot), c.start) << c.slot;
        EXPECT_STREQ(weekday_name(c.weekday), c.name);
    }
    EXPECT_STREQ(weekday_name(SUNDAY), "domingo");
    EXPECT_TRUE(is_day_off(SUNDAY));  // the standard week has no Sunday block
    EXPECT_EQ(slot_end(16), 1310);    // 21:00 ends when 21:50 starts
    EXPECT_EQ(slot_end(17), 1360);    // the day's last block lasts 50 minutes
}

TEST(Dates, OnlyRealDatesWrittenAAAAMMDDAreTaken)
{
    const struct {
        const char* text;
        bool real;
        int32_t weekday;  // 1 Sunday .. 7 Saturday
    } cases[] = {{"1970-01-01", true, 5}, {"2026-03-02", true, 2}, {"2024-02-29", true, 5}, {"2000-02-29", true, 3},
                 {"2026-12-31", true, 5}, {"0001-01-01", true, 2},  {"9999-12-31", true, 6},
                 {"2100-02-28", true, 1}, {"2100-03-01", true, 2},  {"1900-03-01", true, 5}, {"2400-02-29", true, 3},
                 {"2101-01-01", true, 7}, {"1601-01-01", true, 2},  {"2100-02-29", false, 0},
                 {"2026-02-29", false, 0}, {"1900-02-29", false, 0}, {"2026-13-01", false, 0}, {"2026-00-10", false, 0},
                 {"2026-04-31", false, 0}, {"2026-4-30", false, 0},  {"2026-04-30 ", false, 0}, {"0000-01-01", false, 0},
                 {"26-04-30", false, 0},   {"2026/04/30", false, 0}, {"", false, 0},           {"+026-04-30", false, 0}};
    for (const auto& c : cases) {
        int32_t days = -1;
        ASSERT_EQ(parse_date(c.text, days), c.real) << c.text;
        if (!c.real)
            continue;
        EXPECT_EQ(weekday_of(days), c.weekday) << c.text;
        CivilDate back = civil_date(days);
        char written[16];
        std::snprintf(written, sizeof written, "%04d-%02d-%02d", back.year, back.month, back.day);
        EXPECT_STREQ(written, c.text);
    }
    int32_t first, last;
    ASSERT_TRUE(parse_date("2026-03-02", first) && parse_date("2026-07-04", last));
    EXPECT_EQ(last - first, 124);
    // Every month's last day is a date, and reads back as itself; the day after it is not.
    const int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month) {
        char text[40];
        int32_t days;
        std::snprintf(text, sizeof text, "2026-%02d-%02d", month, month_days[month - 1]);
        EXPECT_TRUE(parse_date(text, days)) << text;
        CivilDate back = civil_date(days);
        EXPECT_EQ(back.month * 100 + back.day, month * 100 + month_days[month - 1]) << text;
        std::snprintf(text, sizeof text, "2026-%02d-%02d", month, month_days[month - 1] + 1);
        EXPECT_FALSE(parse_date(text, days)) << text;
    }
}
