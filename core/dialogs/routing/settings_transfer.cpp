#include "dialogs/routing/settings_transfer.h"

#include "files/settings_file.h"
#include "link/link_state.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"

const SequenceSteps ReadAllSettings = {
    .timerId = 2,
    .periodMs = 300,
    .length = kReadAllSteps,
    .sendStep = [](int step) { return SendReadAllStep(DeviceModel, step); },
    .sendModelStep = SendReadAllStep,
};

const SequenceSteps SetAllSettings = {
    .timerId = 3,
    .periodMs = 400,
    .length = kSetAllSteps,
    .sendStep = [](int step) { return SendSetAllStep(DeviceModel, step); },
    .sendModelStep = SendSetAllStep,
};

void OpenReadAll()
{
    if (SlaveAddress == kSlaveBroadcast)
        SlaveAddress = 0;
}

void ReadAllSucceeded()
{
    SettingsModified = 1;
}
