#include "dialogs/overlay/clock_fields.h"

#include <cstdio>

#include "dialogs/routing/channel_table_model.h"
#include "files/settings_file.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"

namespace {

struct FieldSpec {
    int lines;
    int firstShown;   // the number line 0 shows
    bool (*send)(const DeviceModelData& model, int line);
};

const FieldSpec kFields[kClockFields] = {
    {100, 2000, SendDateYear}, {12, 1, SendDateMonth},  {31, 1, SendDateDay},
    {24, 0, SendTimeHour},     {60, 0, SendTimeMinute}, {60, 0, SendTimeSecond},
};

int LineOf(ClockField field, int value)
{
    const int line = value - kFields[field].firstShown;
    return line >= 0 && line < kFields[field].lines ? line : -1;
}

} // namespace

int ClockFieldLines(ClockField field)
{
    return kFields[field].lines;
}

void ClockFieldText(ClockField field, int line, char* text, int size)
{
    snprintf(text, static_cast<size_t>(size), "%02d", kFields[field].firstShown + line);
}

void ClockLinesFor(const LocalTime& time, int (&lines)[kClockFields])
{
    const int values[kClockFields] = {time.year, time.month, time.day, time.hour, time.minute, time.second};
    for (int field = 0; field < kClockFields; ++field)
        lines[field] = LineOf(static_cast<ClockField>(field), values[field]);
}

bool SendClockField(ClockField field, int line)
{
    if (!ReadyForSingleCommand())
        return false;
    return kFields[field].send(DeviceModel, line);
}

void SelectDateTimeFormat(int line)
{
    if (line < 0 || line >= kDateTimeFormats)
        return;
    DeviceModel.DateTimeFormat = line;
    SettingsModified = 1;
}

void SelectDateTimeSize(int line)
{
    if (line < 0 || line > 1)
        return;
    DeviceModel.DateTimeSize = line;
    SettingsModified = 1;
}

bool SendDateTimeFormatField()
{
    return ReadyForSingleCommand() && SendDateTimeFormat(DeviceModel);
}

bool SendDateTimeSizeField()
{
    return ReadyForSingleCommand() && SendDateTimeSize(DeviceModel);
}

bool SendThirtySecondCorrection()
{
    return ReadyForSingleCommand() && SendTimeCorrection(DeviceModel);
}
