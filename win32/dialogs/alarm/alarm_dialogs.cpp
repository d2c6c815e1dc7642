#include "dialogs/alarm/alarm_dialogs.h"

#include <cwchar>
#include <string>

#include "app/ui_text.h"
#include "dialogs/alarm/alarm_tables.h"
#include "dialogs/routing/channel_table.h"
#include "resources/resource.h"

namespace {

// The output tables: 16 channels of the selected channel's page in two
// halves of 8, under a line of output numbers; one "ON " / "OFF" per output.
constexpr int kOutputTableBottom = 275;
constexpr int kHalfLeft[] = {35, 375};
constexpr int kFlagOffset = 70;   // the first flag's column, from the label
constexpr int kFlagWidth = 40;

void PaintOutputs(TableFrame& frame, HDC dc)
{
    PaintTableFrame(dc, kOutputTableBottom);
    const ChannelTable& table = *frame.cursor.table;
    const int base = PageBase(frame.cursor);
    const int length = PageLength(frame.cursor);
    for (int half = 0; half < 2; ++half) {
        const int left = kHalfLeft[half];
        for (int k = 0; k < table.flags.count; ++k) {
            wchar_t number[8];
            swprintf(number, 8, L" %d ", k + 1);
            PaintTableCell(dc, left + kFlagOffset + kFlagWidth * k, 40, kFlagWidth, number);
        }
        for (int row = 0; row < 8 && half * 8 + row < length; ++row) {
            const int channel = base + half * 8 + row;
            const int y = 40 + 25 * (row + 1);
            const std::wstring label = TableEntryLabel(table, channel) + L" =";
            TextOutW(dc, left, y, label.c_str(), static_cast<int>(label.size()));
            for (int k = 0; k < table.flags.count; ++k) {
                char value[8];
                OnOffPainted(table.flags.get(channel, k), value, sizeof value);
                PaintTableCell(dc, left + kFlagOffset + kFlagWidth * k, y, kFlagWidth, WideFromUtf8(value));
            }
        }
    }
}

const ChannelTableMember kAlarmInput = {
    .title = L"アラーム入力",
    .templateId = IDD_ALARM_INPUT,
    .table = &AlarmInputTable,
};

const ChannelTableMember kAlarmVideoOutput = {
    .title = L"アラーム映像出力",
    .templateId = IDD_ALARM_VIDEO_OUTPUT,
    .table = &AlarmVideoOutputTable,
    .hooks = {.paint = PaintOutputs},
};

const ChannelTableMember kAlarmSignalOutput = {
    .title = L"アラーム信号出力",
    .templateId = IDD_ALARM_SIGNAL_OUTPUT,
    .table = &AlarmSignalOutputTable,
    .hooks = {.paint = PaintOutputs},
};

} // namespace

void RunAlarmInputDialog(HWND owner)
{
    RunChannelTableDialog(owner, kAlarmInput);
}

void RunAlarmVideoOutputDialog(HWND owner)
{
    RunChannelTableDialog(owner, kAlarmVideoOutput);
}

void RunAlarmSignalOutputDialog(HWND owner)
{
    RunChannelTableDialog(owner, kAlarmSignalOutput);
}
