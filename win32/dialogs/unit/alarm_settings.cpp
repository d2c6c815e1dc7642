#include "dialogs/unit/alarm_settings.h"

#include "dialogs/unit/unit_form.h"
#include "dialogs/unit/unit_forms.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

namespace {

const wchar_t* const kPolarityItems[] = {L"Make", L"Break", nullptr};

AlarmSettingsRecord& Alarm()
{
    return DeviceModel.AlarmSettings;
}

const ControlField kFields[] = {
    {.id = IDC_ALARM_POLARITY_LIST, .items = kPolarityItems,
     .get = [] { return Alarm().inputPolarity; }, .set = [](int value) { Alarm().inputPolarity = value; }},
    {.id = IDC_ALARM_HOLD_TIME, .kind = kEditText, .text = DeviceModel.AlarmSettings.holdTimeText,
     .textBytes = sizeof DeviceModel.AlarmSettings.holdTimeText},
    {.id = IDC_ALARM_BUZZER_LIST, .items = kOffOnItems,
     .get = [] { return Alarm().buzzer; }, .set = [](int value) { Alarm().buzzer = value; }},
    {.id = IDC_ALARM_DISPLAY_LIST, .items = kOffOnItems,
     .get = [] { return Alarm().alarmDisplay; }, .set = [](int value) { Alarm().alarmDisplay = value; }},
    {.id = IDC_ALARM_RETURN_LIST, .items = kOffOnItems,
     .get = [] { return Alarm().autoReturn; }, .set = [](int value) { Alarm().autoReturn = value; }},
};

constexpr FormButton kButtons[] = {
    {IDC_ALARM_POLARITY_SET, kAlarmPolarityRow}, {IDC_ALARM_HOLD_TIME_SET, kAlarmHoldTimeRow},
    {IDC_ALARM_BUZZER_SET, kAlarmBuzzerRow},     {IDC_ALARM_DISPLAY_SET, kAlarmDisplayRow},
    {IDC_ALARM_RETURN_SET, kAlarmReturnRow},
};

const FormControls kForm = {
    .fields = kFields,
    .buttons = kButtons,
    .sendRow = [](int row) { return SendAlarmRow(static_cast<AlarmRow>(row)); },
    .checkedEditId = IDC_ALARM_HOLD_TIME,
    .checkedSetId = IDC_ALARM_HOLD_TIME_SET,
    .editSendable = HoldTimeTextChanged,
    .slaveListId = IDC_ALARM_SLAVE_LIST,
};

const ModalDialog kDialog = {
    .templateId = IDD_ALARM_SETTINGS,
    .title = L"アラーム",
    .caption = kCaptionWithoutPath,
    .closeId = IDC_ALARM_CLOSE,
    .handlers = {.close = CloseSendingDialog},
};

} // namespace

void RunAlarmSettingsDialog(HWND owner)
{
    RunForm(owner, kDialog, kForm);
}
