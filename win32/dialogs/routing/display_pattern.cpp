#include "dialogs/routing/display_pattern.h"

#include <cwchar>

#include "common/controls.h"
#include "dialogs/routing/channel_table.h"
#include "dialogs/routing/routing_tables.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

namespace {

void EnableSequence(const TableFrame& frame)
{
    EnableControl(frame.dialog, IDC_TABLE_SEQUENCE, AllPatternsAvailable());
}

void Start(TableFrame& frame)
{
    for (int pattern = 0; pattern < kPatternCount; ++pattern) {
        wchar_t text[8];
        swprintf(text, 8, L"OP%02d", pattern + 1);
        AddComboItem(frame.dialog, IDC_PATTERN_LIST, text);
    }
    AddComboItem(frame.dialog, IDC_PATTERN_LIST, L"FREE");
    SelectComboItem(frame.dialog, IDC_PATTERN_LIST, DeviceModel.CurrentDisplayPattern);
    EnableSequence(frame);
}

bool Command(TableFrame& frame, int id, int code)
{
    if (id == IDC_PATTERN_LIST) {
        if (code == CBN_SELCHANGE && SelectDisplayPattern(ComboSelection(frame.dialog, id))) {
            InvalidateTable(frame);
            ShowSelectedValue(frame);
            EnableSequence(frame);
        }
        return true;
    }
    if (id == IDC_PATTERN_SWITCH) {
        SwitchToSelectedPattern();
        return true;
    }
    return false;
}

constexpr int kLocks[] = {IDC_PATTERN_LIST, IDC_PATTERN_SWITCH};

const ChannelTableMember kDisplayPattern = {
    .title = L"画面表示パターン",
    .templateId = IDD_DISPLAY_PATTERN,
    .table = &DisplayPatternScreens,
    .sequenceLocks = kLocks,
    .hooks = {.start = Start, .command = Command},
};

} // namespace

void RunDisplayPatternDialog(HWND owner)
{
    RunChannelTableDialog(owner, kDisplayPattern);
}
