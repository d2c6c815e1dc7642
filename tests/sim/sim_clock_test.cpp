// The unit's clock: calendar arithmetic, field setting, the 30-second correction.
#include "sim/unit_clock.h"
#include "sim_test_support.h"

namespace {

DateTimeFields Fields(int y, int mo, int d, int h, int mi, int s)
{
    return DateTimeFields{y, mo, d, h, mi, s};
}

void ExpectFields(const DateTimeFields& f, int y, int mo, int d, int h, int mi, int s)
{
    EXPECT_EQ(f.year, y);
    EXPECT_EQ(f.month, mo);
    EXPECT_EQ(f.day, d);
    EXPECT_EQ(f.hour, h);
    EXPECT_EQ(f.minute, mi);
    EXPECT_EQ(f.second, s);
}

TEST(SimClock, CalendarArithmetic)
{
    EXPECT_EQ(SecondsSince2000(Fields(2000, 1, 1, 0, 0, 0)), 0);
    EXPECT_EQ(SecondsSince2000(Fields(2024, 3, 5, 9, 7, 8)), kTestWallSeconds);
    EXPECT_EQ(SecondsSince2000(Fields(2000, 3, 1, 0, 0, 0)), 60 * 86400);   // 2000 is a leap year
    ExpectFields(DateTimeOfSeconds(kTestWallSeconds), 2024, 3, 5, 9, 7, 8);
    ExpectFields(DateTimeOfSeconds(-1), 1999, 12, 31, 23, 59, 59);
    for (int64_t s : {int64_t{0}, int64_t{86399}, int64_t{951868800}, int64_t{3155759999}})
        EXPECT_EQ(SecondsSince2000(DateTimeOfSeconds(s)), s);
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2100, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2023, 4), 30);
}

TEST(SimClock, RunsWithTheMonotonicClock)
{
    UnitClock clock;
    StartUnitClock(clock, kTestWallSeconds, 500);
    ExpectFields(ReadUnitClock(clock, 1499), 2024, 3, 5, 9, 7, 8);
    ExpectFields(ReadUnitClock(clock, 1500), 2024, 3, 5, 9, 7, 9);
    ExpectFields(ReadUnitClock(clock, 500 + 86400000), 2024, 3, 6, 9, 7, 8);
}

TEST(SimClock, FieldsAreSetOneByOne)
{
    UnitClock clock;
    StartUnitClock(clock, kTestWallSeconds, 0);
    SetUnitClockField(clock, kClockYear, 99, 0);
    SetUnitClockField(clock, kClockSecond, 0, 0);
    ExpectFields(ReadUnitClock(clock, 0), 2099, 3, 5, 9, 7, 0);
    SetUnitClockField(clock, kClockHour, 23, 10000);
    ExpectFields(ReadUnitClock(clock, 10000), 2099, 3, 5, 23, 7, 10);

    // A clock at 23:59:59.5 whose day is set still turns half a second
    // later, as a real one does; setting the seconds starts the second anew.
    StartUnitClockMs(clock, SecondsSince2000(Fields(2026, 12, 31, 23, 59, 59)) * 1000 + 500, 0);
    SetUnitClockField(clock, kClockDay, 30, 100);
    ExpectFields(ReadUnitClock(clock, 499), 2026, 12, 30, 23, 59, 59);
    ExpectFields(ReadUnitClock(clock, 500), 2026, 12, 31, 0, 0, 0);
    SetUnitClockField(clock, kClockSecond, 10, 700);
    EXPECT_EQ(UnitClockMs(clock, 1699) % 1000, 999);
    ExpectFields(ReadUnitClock(clock, 1700), 2026, 12, 31, 0, 0, 11);
}

TEST(SimClock, DayBeyondTheMonthBecomesItsLastDay)
{
    UnitClock clock;
    StartUnitClock(clock, SecondsSince2000(Fields(2024, 1, 31, 12, 0, 0)), 0);
    SetUnitClockField(clock, kClockMonth, 2, 0);
    ExpectFields(ReadUnitClock(clock, 0), 2024, 2, 29, 12, 0, 0);
    SetUnitClockField(clock, kClockYear, 23, 0);
    ExpectFields(ReadUnitClock(clock, 0), 2023, 2, 28, 12, 0, 0);
    SetUnitClockField(clock, kClockDay, 31, 0);
    ExpectFields(ReadUnitClock(clock, 0), 2023, 2, 28, 12, 0, 0);
}

TEST(SimClock, ThirtySecondCorrection)
{
    UnitClock clock;
    StartUnitClock(clock, SecondsSince2000(Fields(2024, 3, 5, 9, 7, 29)), 0);
    CorrectUnitClock(clock, 0);
    ExpectFields(ReadUnitClock(clock, 0), 2024, 3, 5, 9, 7, 0);
    StartUnitClock(clock, SecondsSince2000(Fields(2024, 3, 5, 9, 59, 30)), 0);
    CorrectUnitClock(clock, 0);
    ExpectFields(ReadUnitClock(clock, 0), 2024, 3, 5, 10, 0, 0);
}

} // namespace
