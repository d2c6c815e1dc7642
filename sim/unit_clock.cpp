#include "sim/unit_clock.h"

#include <cstdio>
#include <ctime>

namespace {

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days from 2000-01-01 to the given date of the proleptic Gregorian calendar
// (the usual era arithmetic: March-based years of 365.2425 days).
int64_t DaysSince2000(int year, int month, int day)
{
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int monthFromMarch = (month + 9) % 12;
    const int dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t daysSince1970 = static_cast<int64_t>(era) * 146097 + dayOfEra - 719468;
    return daysSince1970 - 10957;   // 1970-01-01 .. 2000-01-01
}

void DateOfDays(int64_t daysSince2000, int& year, int& month, int& day)
{
    const int64_t z = daysSince2000 + 10957 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int dayOfEra = static_cast<int>(z - era * 146097);
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int monthFromMarch = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    year = static_cast<int>(yearOfEra + era * 400) + (month <= 2 ? 1 : 0);
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

} // namespace

int DaysInMonth(int year, int month)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 31;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t SecondsSince2000(const DateTimeFields& f)
{
    return DaysSince2000(f.year, f.month, f.day) * 86400 + f.hour * 3600 + f.minute * 60 + f.second;
}

DateTimeFields DateTimeOfSeconds(int64_t seconds)
{
    DateTimeFields f{};
    const int64_t days = FloorDiv(seconds, 86400);
    int64_t rest = seconds - days * 86400;
    DateOfDays(days, f.year, f.month, f.day);
    f.hour = static_cast<int>(rest / 3600);
    rest %= 3600;
    f.minute = static_cast<int>(rest / 60);
    f.second = static_cast<int>(rest % 60);
    return f;
}

int64_t LocalWallSecondsSince2000()
{
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (!local)
        return 0;
    DateTimeFields f{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
                     local->tm_hour, local->tm_min, local->tm_sec > 59 ? 59 : local->tm_sec};
    return SecondsSince2000(f);
}

void StartUnitClock(UnitClock& clock, int64_t secondsSince2000, int64_t nowMs)
{
    clock.secondsAtAnchor = secondsSince2000;
    clock.anchorMs = nowMs;
}

DateTimeFields ReadUnitClock(const UnitClock& clock, int64_t nowMs)
{
    return DateTimeOfSeconds(clock.secondsAtAnchor + FloorDiv(nowMs - clock.anchorMs, 1000));
}

int64_t UnitClockMs(const UnitClock& clock, int64_t nowMs)
{
    return clock.secondsAtAnchor * 1000 + (nowMs - clock.anchorMs);
}

void StartUnitClockMs(UnitClock& clock, int64_t msSince2000, int64_t nowMs)
{
    const int64_t seconds = FloorDiv(msSince2000, 1000);
    StartUnitClock(clock, seconds, nowMs - (msSince2000 - seconds * 1000));
}

bool ParseClockText(const char* text, int64_t& msSince2000)
{
    DateTimeFields f{};
    int fraction = 0, used = 0;
    if (sscanf(text, "%4d-%2d-%2d %2d:%2d:%2d%n", &f.year, &f.month, &f.day, &f.hour, &f.minute, &f.second,
               &used) != 6)
        return false;
    const char* rest = text + used;
    if (*rest == '.') {
        int digits = 0;
        for (++rest; *rest >= '0' && *rest <= '9' && digits < 3; ++rest, ++digits)
            fraction = fraction * 10 + (*rest - '0');
        if (digits == 0)
            return false;
        for (; digits < 3; ++digits)
            fraction *= 10;
    }
    if (*rest != '\0' || f.year < 2000 || f.year > 2099 || f.month < 1 || f.month > 12 || f.day < 1 ||
        f.day > DaysInMonth(f.year, f.month) || f.hour > 23 || f.minute > 59 || f.second > 59 || f.hour < 0 ||
        f.minute < 0 || f.second < 0)
        return false;
    msSince2000 = SecondsSince2000(f) * 1000 + fraction;
    return true;
}

void SetUnitClockField(UnitClock& clock, ClockField field, int value, int64_t nowMs)
{
    const int64_t fractionMs = UnitClockMs(clock, nowMs) - FloorDiv(UnitClockMs(clock, nowMs), 1000) * 1000;
    DateTimeFields f = ReadUnitClock(clock, nowMs);
    switch (field) {
    case kClockYear: f.year = 2000 + value; break;
    case kClockMonth: f.month = value; break;
    case kClockDay: f.day = value; break;
    case kClockHour: f.hour = value; break;
    case kClockMinute: f.minute = value; break;
    case kClockSecond: f.second = value; break;
    }
    const int last = DaysInMonth(f.year, f.month);
    if (f.day > last)
        f.day = last;
    StartUnitClock(clock, SecondsSince2000(f), field == kClockSecond ? nowMs : nowMs - fractionMs);
}

void CorrectUnitClock(UnitClock& clock, int64_t nowMs)
{
    const DateTimeFields f = ReadUnitClock(clock, nowMs);
    int64_t seconds = SecondsSince2000(f) - f.second;
    if (f.second >= 30)
        seconds += 60;
    StartUnitClock(clock, seconds, nowMs);
}
