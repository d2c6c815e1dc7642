#include "dialogs/unit/unit_forms.h"

#include "dialogs/routing/channel_table_model.h"
#include "files/settings_file.h"
#include "link/message_ops.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"

namespace {

using ModelCommand = bool (*)(const DeviceModelData&);

bool SendRow(ModelCommand send)
{
    if (!ReadyForSingleCommand())
        return false;
    return send(DeviceModel);
}

const char* TextOrZero(const char* text, const char* zero)
{
    return text[0] != '\0' ? text : zero;
}

} // namespace

// ---- Panel password -------------------------------------------------------------

bool PasswordTextChanged()
{
    return PasswordSendable(DeviceModel.PanelLock);
}

// ---- Alarm settings -------------------------------------------------------------

bool HoldTimeTextChanged()
{
    AlarmSettingsRecord& alarm = DeviceModel.AlarmSettings;
    int value = 0;
    for (const char* c = alarm.holdTimeText; *c >= '0' && *c <= '9'; ++c)
        value = value * 10 + (*c - '0');
    alarm.holdTime = value;
    return HoldTimeSendable(alarm);
}

// ---- Unit network settings ------------------------------------------------------

const char* const TimeRegisterItems[kTimeRegisterItems] = {
    "10秒", "30秒", "1分", "2分", "5分", "10分", "20分", "50分",
};

const char* PortRefusal(const char* text)
{
    int port = 0;
    switch (CheckUnitPort(text, port)) {
    case kUnitPortGood: return nullptr;
    case kUnitPortEmpty: return "ポート番号を入力してください。";
    case kUnitPortNotDigits: return "ポート番号は数字だけで入力してください。";
    case kUnitPortOutOfRange: break;
    }
    return "ポート番号は1～65535の範囲で入力してください。";
}

const char* ShownMacAddress()
{
    return TextOrZero(DeviceModel.UnitNetwork.macAddressText, "00-00-00-00-00-00");
}

const char* ShownFirmwareVersion()
{
    return TextOrZero(DeviceModel.UnitNetwork.firmwareVersionText, "0.00");
}

void OpenUnitNetwork()
{
    DeviceModel.UnitNetwork.macAddressText[0] = '\0';
    DeviceModel.UnitNetwork.firmwareVersionText[0] = '\0';
}

const SequenceSteps UnitNetworkRead = {
    .timerId = 12,
    .periodMs = 200,
    .length = kUnitNetworkReadSteps,
    .sendStep = [](int step) { return SendUnitNetworkRead(DeviceModel, step); },
};

void UnitNetworkReadSucceeded()
{
    SettingsModified = 1;
}

// ---- The rows' "設定" ------------------------------------------------------------

bool SendPasswordRow(PasswordRow row)
{
    static const ModelCommand kRows[] = {SendPassword, SendButtonLock, SendMenuLock};
    return SendRow(kRows[row]);
}

bool SendAlarmRow(AlarmRow row)
{
    static const ModelCommand kRows[] = {SendAlarmPolarity, SendAlarmHoldTime, SendAlarmBuzzer, SendAlarmDisplay,
                                         SendAlarmReturn};
    return SendRow(kRows[row]);
}

bool SendUnitNetworkRow(UnitNetworkRow row)
{
    static const ModelCommand kRows[] = {
        [](const DeviceModelData& m) { return SendUnitAddress(m, kUnitIpAddress); },
        [](const DeviceModelData& m) { return SendUnitAddress(m, kUnitGatewayAddress); },
        [](const DeviceModelData& m) { return SendUnitAddress(m, kUnitActiveAddress); },
        [](const DeviceModelData& m) { return SendUnitAddress(m, kUnitSubnetMask); },
        SendUnitConnectionTry,
        SendUnitKeepAlive,
        SendUnitTimeRegister,
        SendUnitSourcePort,
        SendUnitDestinationPort,
    };
    const UnitNetworkRecord& net = DeviceModel.UnitNetwork;
    const char* port = row == kUnitSourcePortRow        ? net.sourcePortText
                       : row == kUnitDestinationPortRow ? net.destinationPortText
                                                        : nullptr;
    if (TransactionState.busy)
        return false;
    if (const char* refusal = port ? PortRefusal(port) : nullptr) {
        ShowError(refusal);
        return false;
    }
    return SendRow(kRows[row]);
}
