#include "dialogs/alarm/alarm_tables.h"

#include <cstdio>

#include "app/dialog_selections.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"

namespace {

int Connectors()
{
    return kAlarmInputCount;
}

// "ch.01".. for the channel a connector shows, in the lists and the table.
void ChannelItem(int channel, char* text, size_t size)
{
    snprintf(text, size, "ch.%02d", channel + 1);
}

} // namespace

const ChannelTable AlarmInputTable = {
    .entries = {
        .count = Connectors,
        .label = "no.",
        .position = &DialogSelections.alarmConnector,
        .get = [](int connector) { return DeviceModel.AlarmInputChannel[connector]; },
        .set = [](int connector, int channel) { DeviceModel.AlarmInputChannel[connector] = channel; },
    },
    .values = {.countNow = ChannelTableEntries, .item = ChannelItem, .painted = ChannelItem},
    .sends = {.one = [](int connector) { return SendAlarmInput(DeviceModel, connector); },
              .all = [] { return SendAlarmInputAll(DeviceModel); }},
    .pageSize = kAlarmInputCount,
};

const ChannelTable AlarmVideoOutputTable = {
    .entries = {.count = ChannelTableEntries, .position = &DialogSelections.inputChannel},
    .flags = {
        .count = kAlarmVideoOutputs,
        .get = [](int channel, int output) { return DeviceModel.AlarmVideoOutput[channel][output]; },
        .set = [](int channel, int output, int on) { DeviceModel.AlarmVideoOutput[channel][output] = on; },
    },
    .sends = {.one = [](int channel) { return SendAlarmVideoOutput(DeviceModel, channel); },
              .all = [] { return SendAlarmVideoOutputAll(DeviceModel); }},
    .pageSize = kAlarmOutputPage,
};

const ChannelTable AlarmSignalOutputTable = {
    .entries = {.count = ChannelTableEntries, .position = &DialogSelections.inputChannel},
    .flags = {
        .count = kAlarmSignalOutputs,
        .get = [](int channel, int output) { return DeviceModel.AlarmSignalOutput[channel][output]; },
        .set = [](int channel, int output, int on) { DeviceModel.AlarmSignalOutput[channel][output] = on; },
    },
    .sends = {.one = [](int channel) { return SendAlarmSignalOutput(DeviceModel, channel); },
              .all = [] { return SendAlarmSignalOutputAll(DeviceModel); }},
    .pageSize = kAlarmOutputPage,
};
