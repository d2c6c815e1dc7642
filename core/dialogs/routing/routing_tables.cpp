#include "dialogs/routing/routing_tables.h"

#include <cstdio>
#include <cstring>

#include "app/dialog_selections.h"
#include "files/settings_file.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"

namespace {

int Pattern()
{
    return DeviceModel.CurrentDisplayPattern;
}

// "IN01".."IN64", then "SP01".."SP32".
void SourceItem(int value, char* text, size_t size)
{
    char label[5];
    DisplaySourceLabel(value, DeviceModel.ChannelCount, label);
    snprintf(text, size, "%s", label);
}

bool SendScreen(int output)
{
    return Pattern() == kFreePattern ? SendFreeOutput(DeviceModel, output) : SendPatternCell(DeviceModel, Pattern(), output);
}

bool SendScreens()
{
    return Pattern() == kFreePattern ? SendOutputSources(DeviceModel, kFreePattern) : SendPatternRow(DeviceModel, Pattern());
}

int AutoSwitchPattern()
{
    return DialogSelections.autoSwitchPattern;
}

// "00".."99" in the lists, "00 秒" in the table.
void DwellItem(int seconds, char* text, size_t size)
{
    snprintf(text, size, "%02d", seconds);
}

void DwellPainted(int seconds, char* text, size_t size)
{
    snprintf(text, size, "%02d 秒", seconds);
}

} // namespace

const ChannelTable VideoOutputTable = {
    .entries = {
        .count = OutputTableEntries,
        .firstListed = 1,
        .position = &DialogSelections.videoOutput,
        .get = [](int output) { return DeviceModel.VideoOutputEnable[output]; },
        .set = [](int output, int on) { DeviceModel.VideoOutputEnable[output] = on; },
    },
    .values = {.count = 2, .item = OnOffItem, .painted = OnOffPainted, .sameStart = 1, .sameFirstEntry = 1},
    .sends = {.one = [](int output) { return SendVideoOutput(DeviceModel, output); },
              .all = [] { return SendVideoOutputAll(DeviceModel); }},
};

const SequenceSteps AllDisplayPatterns = {
    .timerId = 4,
    .periodMs = 400,
    .length = kPatternCount,
    .sendStep = [](int step) { return SendPatternRow(DeviceModel, step - 1); },
};

const ChannelTable DisplayPatternScreens = {
    .entries = {
        .count = OutputTableEntries,
        .position = &DialogSelections.patternOutput,
        .get = [](int output) { return DeviceModel.DisplayPatternTable[Pattern()][output]; },
        .set = [](int output, int source) { DeviceModel.DisplayPatternTable[Pattern()][output] = source; },
    },
    .values = {.count = kMaxChannels + kPatternCount, .item = SourceItem, .painted = SourceItem},
    .sends = {.one = SendScreen, .all = SendScreens},
    .sequence = &AllDisplayPatterns,
};

bool SelectDisplayPattern(int pattern)
{
    if (pattern < 0 || pattern > kFreePattern)
        return false;
    DeviceModel.CurrentDisplayPattern = pattern;
    return true;
}

bool AllPatternsAvailable()
{
    return Pattern() != kFreePattern;
}

bool SwitchToSelectedPattern()
{
    if (!ReadyForSingleCommand())
        return false;
    // The free layout is part of the settings set: a changed one is saved too.
    int(&freeLayout)[kOutputCount] = DeviceModel.DisplayPatternTable[kFreePattern];
    const int(&shown)[kOutputCount] = DeviceModel.DisplayPatternTable[Pattern()];
    if (memcmp(freeLayout, shown, sizeof freeLayout) != 0) {
        memcpy(freeLayout, shown, sizeof freeLayout);
        SettingsModified = 1;
    }
    SendPatternSelect(DeviceModel, Pattern());
    return true;
}

const SequenceSteps AllAutoSwitchPatterns = {
    .timerId = 6,
    .periodMs = 400,
    .length = kPatternCount,
    .sendStep = [](int step) { return SendAutoSwitchPattern(DeviceModel, step - 1); },
};

const ChannelTable AutoSwitchChannels = {
    .entries = {
        .count = ChannelTableEntries,
        .position = &DialogSelections.inputChannel,
        .get = [](int channel) { return DeviceModel.AutoSwitchPatternTable[AutoSwitchPattern()][channel]; },
        .set = [](int channel, int seconds) { DeviceModel.AutoSwitchPatternTable[AutoSwitchPattern()][channel] = seconds; },
    },
    .values = {.count = kMaxDwellTime + 1, .item = DwellItem, .painted = DwellPainted},
    .sends = {.one = [](int channel) { return SendAutoSwitchCell(DeviceModel, AutoSwitchPattern(), channel); },
              .all = [] { return SendAutoSwitchPattern(DeviceModel, AutoSwitchPattern()); }},
    .sequence = &AllAutoSwitchPatterns,
};

bool SelectAutoSwitchPattern(int pattern)
{
    if (pattern < 0 || pattern >= kPatternCount)
        return false;
    DialogSelections.autoSwitchPattern = pattern;
    return true;
}
