#include "dialogs/overlay/date_time.h"

#include "app/ui_text.h"
#include "common/controls.h"
#include "common/dialog.h"
#include "dialogs/overlay/clock_fields.h"
#include "link/link_state.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

namespace {

// Each clock list's "設定" is the id after it.
constexpr int kClockLists[kClockFields] = {IDC_CLOCK_YEAR_LIST, IDC_CLOCK_MONTH_LIST, IDC_CLOCK_DAY_LIST,
                                           IDC_CLOCK_HOUR_LIST, IDC_CLOCK_MINUTE_LIST, IDC_CLOCK_SECOND_LIST};

const wchar_t* const kRanges[] = {L"年～秒", L"年～分", L"年～日", L"月～秒", L"月～分",
                                  L"月～日", L"時～秒", L"時～分", nullptr};
const wchar_t* const kSizes[] = {L"ノーマル", L"スモール", nullptr};

const ControlField kFields[] = {
    {.id = IDC_CLOCK_RANGE_LIST, .items = kRanges,
     .get = [] { return DeviceModel.DateTimeFormat; }, .set = SelectDateTimeFormat},
    {.id = IDC_CLOCK_SIZE_LIST, .items = kSizes,
     .get = [] { return DeviceModel.DateTimeSize; }, .set = SelectDateTimeSize},
    {.id = IDC_CLOCK_SLAVE_LIST, .fill = [](HWND dialog, int id) { FillSlaveAddressList(dialog, id); },
     .get = [] { return static_cast<int>(SlaveAddress); }},
};

void Start(HWND dialog)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    int lines[kClockFields];
    ClockLinesFor({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}, lines);
    for (int field = 0; field < kClockFields; ++field) {
        const ClockField f = static_cast<ClockField>(field);
        for (int line = 0; line < ClockFieldLines(f); ++line) {
            char text[8];
            ClockFieldText(f, line, text, sizeof text);
            AddComboItem(dialog, kClockLists[field], WideFromUtf8(text).c_str());
        }
        SelectComboItem(dialog, kClockLists[field], lines[field]);
    }
    EnableControl(dialog, IDC_CLOCK_SLAVE_LIST, IsRs485Link());
}

bool Command(HWND dialog, int id, int code)
{
    for (int field = 0; field < kClockFields; ++field) {
        if (id == kClockLists[field] + 1) {
            SendClockField(static_cast<ClockField>(field), ComboSelection(dialog, kClockLists[field]));
            return true;
        }
    }
    const bool picked = code == CBN_SELCHANGE;
    switch (id) {
    case IDC_CLOCK_RANGE_LIST:
        if (picked)
            SelectDateTimeFormat(ComboSelection(dialog, id));
        return true;
    case IDC_CLOCK_SIZE_LIST:
        if (picked)
            SelectDateTimeSize(ComboSelection(dialog, id));
        return true;
    case IDC_CLOCK_SLAVE_LIST:
        if (picked)
            PickSlaveAddress(dialog, id);
        return true;
    case IDC_CLOCK_RANGE_SET: SendDateTimeFormatField(); return true;
    case IDC_CLOCK_SIZE_SET: SendDateTimeSizeField(); return true;
    case IDC_CLOCK_CORRECTION: SendThirtySecondCorrection(); return true;
    }
    return false;
}

} // namespace

void RunDateTimeDialog(HWND owner)
{
    const ModalDialog dialog = {
        .templateId = IDD_DATE_TIME,
        .title = L"日付・時刻",
        .closeId = IDC_CLOCK_CLOSE,
        .fields = kFields,
        .handlers = {.start = Start, .command = Command, .close = CloseSendingDialog},
    };
    RunModalDialog(owner, dialog);
}
