#include "dialogs/overlay/title_tables.h"

#include <cstdio>

#include "app/dialog_selections.h"
#include "files/settings_file.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"

namespace {

// The texts of a value; a stored value outside the list paints as the first.
struct ValueTexts {
    const char* item;
    const char* painted;
};

const ValueTexts kPositions[] = {{"BOTTOM", "BOTTOM"}, {"TOP", "TOP   "}};
const ValueTexts kSizes[] = {{"LARGE", "LARGE "}, {"MEDIUM", "MEDIUM"}, {"SMALL", "SMALL "}};

template <size_t N>
const ValueTexts& TextsOf(const ValueTexts (&texts)[N], int value)
{
    return value >= 0 && static_cast<size_t>(value) < N ? texts[value] : texts[0];
}

void PositionItem(int value, char* text, size_t size)
{
    snprintf(text, size, "%s", TextsOf(kPositions, value).item);
}

void PositionPainted(int value, char* text, size_t size)
{
    snprintf(text, size, "%s", TextsOf(kPositions, value).painted);
}

void SizeItem(int value, char* text, size_t size)
{
    snprintf(text, size, "%s", TextsOf(kSizes, value).item);
}

void SizePainted(int value, char* text, size_t size)
{
    snprintf(text, size, "%s", TextsOf(kSizes, value).painted);
}

int& OffsetField(TitleOffset offset)
{
    return offset == kTitleOffsetTop ? DeviceModel.TitleFineTop : DeviceModel.TitleFineBottom;
}

} // namespace

const ChannelTable TitleDisplayInputTable = {
    .entries = {
        .count = ChannelTableEntries,
        .position = &DialogSelections.inputChannel,
        .get = [](int channel) { return DeviceModel.TitleDisplayInput[channel]; },
        .set = [](int channel, int on) { DeviceModel.TitleDisplayInput[channel] = on; },
    },
    .values = {.count = 2, .item = OnOffItem, .painted = OnOffPainted, .sameStart = 1},
    .sends = {.one = [](int channel) { return SendTitleDisplayInput(DeviceModel, channel); },
              .all = [] { return SendTitleDisplayInputAll(DeviceModel); }},
};

const ChannelTable TitleDisplayOutputTable = {
    .entries = {
        .count = OutputTableEntries,
        .position = &DialogSelections.outputSide,
        .get = [](int output) { return DeviceModel.TitleDisplayOutput[output]; },
        .set = [](int output, int on) { DeviceModel.TitleDisplayOutput[output] = on; },
    },
    .values = {.count = 2, .item = OnOffItem, .painted = OnOffPainted, .sameStart = 1},
    .sends = {.one = [](int output) { return SendTitleDisplayOutput(DeviceModel, output); },
              .all = [] { return SendTitleDisplayOutputAll(DeviceModel); }},
};

const ChannelTable TitlePositionTable = {
    .entries = {
        .count = ChannelTableEntries,
        .position = &DialogSelections.inputChannel,
        .get = [](int channel) { return DeviceModel.TitlePosition[channel]; },
        .set = [](int channel, int top) { DeviceModel.TitlePosition[channel] = top; },
    },
    .values = {.count = 2, .item = PositionItem, .painted = PositionPainted, .sameStart = 0},
    .sends = {.one = [](int channel) { return SendTitlePosition(DeviceModel, channel); },
              .all = [] { return SendTitlePositionAll(DeviceModel); }},
};

const ChannelTable TitleFontSizeTable = {
    .entries = {
        .count = ChannelTableEntries,
        .position = &DialogSelections.inputChannel,
        .get = [](int channel) { return DeviceModel.TitleFontSize[channel]; },
        .set = [](int channel, int size) { DeviceModel.TitleFontSize[channel] = size; },
    },
    .values = {.count = 3, .item = SizeItem, .painted = SizePainted, .sameStart = 1},
    .sends = {.one = [](int channel) { return SendTitleFontSize(DeviceModel, channel); },
              .all = [] { return SendTitleFontSizeAll(DeviceModel); }},
};

int TitleOffsetLine(TitleOffset offset)
{
    return OffsetField(offset);
}

void SelectTitleOffset(TitleOffset offset, int line)
{
    if (line < 0 || line >= kTitleOffsetLines)
        return;
    OffsetField(offset) = line;
    SettingsModified = 1;
}

bool SendTitleOffset(TitleOffset offset)
{
    if (!ReadyForSingleCommand())
        return false;
    return offset == kTitleOffsetTop ? SendTitleFineTop(DeviceModel) : SendTitleFineBottom(DeviceModel);
}
