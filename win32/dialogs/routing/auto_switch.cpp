#include "dialogs/routing/auto_switch.h"

#include <cwchar>

#include "app/dialog_selections.h"
#include "common/controls.h"
#include "dialogs/routing/channel_table.h"
#include "dialogs/routing/routing_tables.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

namespace {

void Start(TableFrame& frame)
{
    for (int pattern = 0; pattern < kPatternCount; ++pattern) {
        wchar_t text[8];
        swprintf(text, 8, L"SP%02d", pattern + 1);
        AddComboItem(frame.dialog, IDC_AUTO_PATTERN_LIST, text);
    }
    SelectComboItem(frame.dialog, IDC_AUTO_PATTERN_LIST, DialogSelections.autoSwitchPattern);
}

bool Command(TableFrame& frame, int id, int code)
{
    if (id != IDC_AUTO_PATTERN_LIST)
        return false;
    if (code == CBN_SELCHANGE && SelectAutoSwitchPattern(ComboSelection(frame.dialog, id))) {
        InvalidateTable(frame);
        ShowSelectedValue(frame);
    }
    return true;
}

constexpr int kLocks[] = {IDC_AUTO_PATTERN_LIST};

const ChannelTableMember kAutoSwitch = {
    .title = L"自動切換えパターン",
    .templateId = IDD_AUTO_SWITCH,
    .table = &AutoSwitchChannels,
    .sequenceLocks = kLocks,
    .hooks = {.start = Start, .command = Command},
};

} // namespace

void RunAutoSwitchDialog(HWND owner)
{
    RunChannelTableDialog(owner, kAutoSwitch);
}
