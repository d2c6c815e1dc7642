#include "dialogs/routing/display_pattern.h"

#include <cstring>
#include <cwchar>

#include "app/dialog_selections.h"
#include "dialogs/routing/channel_table.h"
#include "files/settings_file.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

namespace {

int Pattern()
{
    return DeviceModel.CurrentDisplayPattern;
}

int* Layout()
{
    return DeviceModel.DisplayPatternTable[Pattern()];
}

// "IN01".."IN64", then "SP01".."SP32".
void SourceItem(int value, wchar_t* text, size_t size)
{
    char label[5];
    DisplaySourceLabel(value, DeviceModel.ChannelCount, label);
    swprintf(text, size, L"%hs", label);
}

bool SendOutput(int output)
{
    return Pattern() == kFreePattern ? SendFreeOutput(DeviceModel, output) : SendPatternCell(DeviceModel, Pattern(), output);
}

bool SendLayout()
{
    return Pattern() == kFreePattern ? SendOutputSources(DeviceModel, kFreePattern) : SendPatternRow(DeviceModel, Pattern());
}

bool SendPatternStep(int step)
{
    return SendPatternRow(DeviceModel, step - 1);
}

const SequenceSpec kAllPatterns = {4, kPatternCount, SendPatternStep};

void EnableSequence(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, IDC_TABLE_SEQUENCE), Pattern() != kFreePattern);
}

void Start(HWND dialog)
{
    for (int pattern = 0; pattern < kPatternCount; ++pattern) {
        wchar_t text[8];
        swprintf(text, 8, L"OP%02d", pattern + 1);
        SendDlgItemMessageW(dialog, IDC_PATTERN_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendDlgItemMessageW(dialog, IDC_PATTERN_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"FREE"));
    SendDlgItemMessageW(dialog, IDC_PATTERN_LIST, CB_SETCURSEL, Pattern(), 0);
    EnableSequence(dialog);
}

void SwitchScreens()
{
    if (TransactionState.busy)
        return;
    // The unit shows the pattern; the free layout starts from it.
    if (Pattern() != kFreePattern)
        memcpy(DeviceModel.DisplayPatternTable[kFreePattern], Layout(), sizeof DeviceModel.DisplayPatternTable[0]);
    TransactionState.sequencePhase = kPhaseSingle;
    SendPatternSelect(DeviceModel, Pattern());
}

const ChannelTableMember& Member();

bool Command(HWND dialog, int id, int code)
{
    if (id == IDC_PATTERN_LIST) {
        if (code == CBN_SELCHANGE) {
            const int pattern = static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
            if (pattern >= 0 && pattern <= kFreePattern) {
                DeviceModel.CurrentDisplayPattern = pattern;
                InvalidateTable(dialog);
                ShowSelectedValue(dialog, Member());
                EnableSequence(dialog);
            }
        }
        return true;
    }
    if (id == IDC_PATTERN_SWITCH) {
        SwitchScreens();
        return true;
    }
    return false;
}

const int kLocks[] = {IDC_PATTERN_LIST, IDC_PATTERN_SWITCH, 0};

const ChannelTableMember kDisplayPattern = {
    "画面表示パターン", IDD_DISPLAY_PATTERN, kOutputCount, 0,
    &DialogSelections.patternOutput, &DialogSelections.previousPatternOutput,
    Layout, kMaxChannels + kPatternCount, SourceItem, SourceItem, 0, 0,
    SendOutput, SendLayout,
    &kAllPatterns, 400,
    Start, Command, nullptr, kLocks,
};

const ChannelTableMember& Member()
{
    return kDisplayPattern;
}

} // namespace

void RunDisplayPatternDialog(HWND owner)
{
    RunChannelTableDialog(owner, kDisplayPattern);
}
