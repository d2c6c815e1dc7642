// The date and time dialog without its window: the six clock lists opened on
// the PC's local time, and what each "設定" sends. The clock is not kept in
// the model; the display range and size are.
#pragma once

enum ClockField { kClockYear, kClockMonth, kClockDay, kClockHour, kClockMinute, kClockSecond, kClockFields };

// Lines of each clock list: "2000".."2099", "01".."12", "01".."31",
// "00".."23", "00".."59", "00".."59".
int ClockFieldLines(ClockField field);
// The text of a line (UTF-8, fits 8 bytes).
void ClockFieldText(ClockField field, int line, char* text, int size);

struct LocalTime {
    int year, month, day, hour, minute, second;   // calendar values (month 1..12)
};
// The line each list opens on; -1 where the list has no such line (a year
// after 2099 leaves the year unselected).
void ClockLinesFor(const LocalTime& time, int (&lines)[kClockFields]);

// "設定" of a clock list with `line` selected (-1: none). Nothing while a
// command is outstanding (false); a line outside the list sends nothing and,
// except for the month, is reported as "Command Error".
bool SendClockField(ClockField field, int line);

// The display range and size lists store into the model and mark the
// settings as changed; their "設定" and "30秒補正" send as the clock fields do.
void SelectDateTimeFormat(int line);
void SelectDateTimeSize(int line);
bool SendDateTimeFormatField();
bool SendDateTimeSizeField();
bool SendThirtySecondCorrection();
