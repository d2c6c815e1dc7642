#include "dialogs/overlay/date_time_tables.h"

#include "app/dialog_selections.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"

namespace {

constexpr TableValues kOnOff = {.count = 2, .item = OnOffItem, .painted = OnOffPainted, .sameStart = 1};

} // namespace

const ChannelTable DateTimeInputTable = {
    .entries = {
        .count = ChannelTableEntries,
        .position = &DialogSelections.inputChannel,
        .get = [](int channel) { return DeviceModel.DateTimeDisplayInput[channel]; },
        .set = [](int channel, int on) { DeviceModel.DateTimeDisplayInput[channel] = on; },
    },
    .values = kOnOff,
    .sends = {.one = [](int channel) { return SendDateTimeInput(DeviceModel, channel); },
              .all = [] { return SendDateTimeInputAll(DeviceModel); }},
};

const ChannelTable DateTimeOutputTable = {
    .entries = {
        .count = OutputTableEntries,
        .position = &DialogSelections.outputSide,
        .get = [](int output) { return DeviceModel.DateTimeDisplayOutput[output]; },
        .set = [](int output, int on) { DeviceModel.DateTimeDisplayOutput[output] = on; },
    },
    .values = kOnOff,
    .sends = {.one = [](int output) { return SendDateTimeOutput(DeviceModel, output); },
              .all = [] { return SendDateTimeOutputAll(DeviceModel); }},
};
