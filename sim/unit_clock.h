// The unit's own clock: the date commands set it field by field, the
// 30-second correction rounds it to the minute. It runs on the simulator's
// monotonic clock, so tests advance it by passing a later time.
#pragma once

#include <cstdint>

#include "sim/unit_state.h"

struct DateTimeFields {
    int year;    // 2000..2099
    int month;   // 1..12
    int day;     // 1..31
    int hour;
    int minute;
    int second;
};

enum ClockField { kClockYear, kClockMonth, kClockDay, kClockHour, kClockMinute, kClockSecond };

int DaysInMonth(int year, int month);
int64_t SecondsSince2000(const DateTimeFields& fields);
DateTimeFields DateTimeOfSeconds(int64_t secondsSince2000);

// The PC's local time as seconds since 2000 (what a unit fresh from the box
// would have been set to).
int64_t LocalWallSecondsSince2000();

void StartUnitClock(UnitClock& clock, int64_t secondsSince2000, int64_t nowMs);
DateTimeFields ReadUnitClock(const UnitClock& clock, int64_t nowMs);
// The running clock to the millisecond, as milliseconds since 2000.
int64_t UnitClockMs(const UnitClock& clock, int64_t nowMs);
// Starts the clock at `msSince2000`, its fraction of a second included.
void StartUnitClockMs(UnitClock& clock, int64_t msSince2000, int64_t nowMs);
// "YYYY-MM-DD hh:mm:ss" or "YYYY-MM-DD hh:mm:ss.fff" (2000..2099) as
// milliseconds since 2000; false when the text is no such time.
bool ParseClockText(const char* text, int64_t& msSince2000);

// Replaces one field of the running clock. The year is given as 0..99
// (2000..2099), the month and day 1-based. A day beyond the end of the month
// is taken as the month's last day, so that a date set field by field never
// becomes invalid on the way. As a real clock chip does, setting the seconds
// starts the second anew; every other field keeps the running fraction of the
// second, so a clock at 23:59:59.5 whose day is set still turns to the next
// day half a second later.
void SetUnitClockField(UnitClock& clock, ClockField field, int value, int64_t nowMs);

// The 30-second correction: seconds below 30 go back to the full minute,
// 30 and above forward to the next one.
void CorrectUnitClock(UnitClock& clock, int64_t nowMs);
