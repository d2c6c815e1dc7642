#include "dialogs/routing/channel_table.h"

#include <algorithm>
#include <cwchar>

#include "app/ui_text.h"
#include "common/controls.h"
#include "common/dialog.h"
#include "common/dpi_scaling.h"
#include "common/scoped.h"
#include "common/sequence_display.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/transaction.h"
#include "resources/resource.h"

namespace {

// The table's frame, and a value's cell: up to the next column's label, and
// never across the frame's right edge (the last column).
constexpr RECT kTableFrame = {25, 20, 690, 250};
constexpr int kValueCellWidth = 112;
constexpr int kValueCellHeight = 22;
// The radio-button pairs of flag tables: "ON" of flag k is IDC_TABLE_FLAG_ON + k.
constexpr int kMaxFlags = IDC_TABLE_FLAG_OFF - IDC_TABLE_FLAG_ON;

// The frame's own controls that a running sequence locks.
constexpr int kFrameLocks[] = {IDC_TABLE_CHANNEL_LIST, IDC_TABLE_VALUE_LIST, IDC_TABLE_SAME_LIST,
                               IDC_TABLE_SET, IDC_TABLE_SET_ALL, IDC_TABLE_CLOSE};

TableFrame& FrameOf(HWND dialog)
{
    return *static_cast<TableFrame*>(DialogContext(dialog));
}

const ChannelTable& Table(const TableFrame& frame)
{
    return *frame.cursor.table;
}

void AddValueText(HWND dialog, int id, const ChannelTable& table, int value)
{
    char text[32];
    table.values.item(value, text, sizeof text);
    AddComboItem(dialog, id, WideFromUtf8(text).c_str());
}

void FillLists(const TableFrame& frame)
{
    const ChannelTable& table = Table(frame);
    for (int entry = table.entries.firstListed; entry < table.entries.count(); ++entry)
        AddComboItem(frame.dialog, IDC_TABLE_CHANNEL_LIST, TableEntryLabel(table, entry).c_str());
    for (int value = 0; value < ValueCount(table); ++value) {
        AddValueText(frame.dialog, IDC_TABLE_VALUE_LIST, table, value);
        AddValueText(frame.dialog, IDC_TABLE_SAME_LIST, table, value);
    }
    FillSlaveAddressList(frame.dialog, IDC_TABLE_SLAVE_LIST);
}

void Start(HWND dialog)
{
    TableFrame& frame = FrameOf(dialog);
    frame.dialog = dialog;
    frame.cursor = OpenTable(*frame.member->table);
    FillLists(frame);
    SelectComboItem(dialog, IDC_TABLE_CHANNEL_LIST, *Table(frame).entries.position);
    if (ValueCount(Table(frame)) > 0)
        SelectComboItem(dialog, IDC_TABLE_SAME_LIST, Table(frame).values.sameStart);
    EnableControl(dialog, IDC_TABLE_SLAVE_LIST, IsRs485Link());
    if (Table(frame).sequence) {
        frame.sequence = {
            .dialog = dialog,
            .steps = Table(frame).sequence,
            .controls = {.buttonId = IDC_TABLE_SEQUENCE, .percentId = IDC_TABLE_PERCENT,
                         .keepsPercent = frame.member->sequenceKeepsPercent,
                         .slaveListId = IDC_TABLE_SLAVE_LIST, .locks = kFrameLocks,
                         .moreLocks = frame.member->sequenceLocks},
        };
    }
    if (frame.member->hooks.start)
        frame.member->hooks.start(frame);
    ShowSelectedValue(frame);
}

// The page of the selected entry in columns of 8: "ch.01 =" and the value.
void PaintGrid(const TableFrame& frame, HDC dc)
{
    PaintTableFrame(dc, kTableFrame.bottom);
    const ChannelTable& table = Table(frame);
    const int base = PageBase(frame.cursor);
    const int length = PageLength(frame.cursor);
    for (int i = 0; i < length; ++i) {
        const int x = 35 + 175 * (i / 8);
        const int y = 40 + 25 * (i % 8);
        const std::wstring label = TableEntryLabel(table, base + i) + L" =";
        TextOutW(dc, x, y, label.c_str(), static_cast<int>(label.size()));
        char value[32];
        table.values.painted(table.entries.get(base + i), value, sizeof value);
        PaintTableCell(dc, x + 60, y, kValueCellWidth, WideFromUtf8(value));
    }
}

void Paint(TableFrame& frame)
{
    ScopedPaint paint(frame.dialog);
    HDC dc = paint.dc();
    const DpiScaling scaling(dc);
    if (frame.member->hooks.paint)
        frame.member->hooks.paint(frame, dc);
    else
        PaintGrid(frame, dc);
    if (frame.member->hooks.paintExtra)
        frame.member->hooks.paintExtra(frame, dc);
    ++TablePaints;
}

// A radio button of a flag table: the flag and the value it stands for, or
// false for any other control.
bool FlagButton(const ChannelTable& table, int id, int& flag, int& on)
{
    const int count = std::min(table.flags.count, kMaxFlags);
    if (id >= IDC_TABLE_FLAG_ON && id < IDC_TABLE_FLAG_ON + count) {
        flag = id - IDC_TABLE_FLAG_ON;
        on = 1;
        return true;
    }
    if (id >= IDC_TABLE_FLAG_OFF && id < IDC_TABLE_FLAG_OFF + count) {
        flag = id - IDC_TABLE_FLAG_OFF;
        on = 0;
        return true;
    }
    return false;
}

void SequenceTimer(TableFrame& frame)
{
    if (SequenceDisplayTick(frame.sequence) == kSequenceSucceeded) {
        ShowMessage({"Success", "接続成功", kIconNone, kButtonsOk, false, kOwnerNone});
        FinishSequenceDisplay(frame.sequence);
    }
}

void Close(HWND dialog)
{
    const ChannelTable& table = Table(FrameOf(dialog));
    if (table.sequence && SequenceRunning(*table.sequence))
        return;   // "Close" and the close box are locked while it runs
    ResetTransaction();
    EndModalDialog(dialog, 0);
}

bool Command(HWND dialog, int id, int code)
{
    TableFrame& frame = FrameOf(dialog);
    if (frame.member->hooks.command && frame.member->hooks.command(frame, id, code))
        return true;
    const bool picked = code == CBN_SELCHANGE;
    int flag = 0;
    int on = 0;
    if (FlagButton(Table(frame), id, flag, on)) {
        if (code == BN_CLICKED && SetSelectedFlag(frame.cursor, flag, on))
            InvalidateTable(frame);
        ShowSelectedValue(frame);
        return true;
    }
    switch (id) {
    case IDC_TABLE_CHANNEL_LIST:
        if (picked) {
            if (SelectTablePosition(frame.cursor, ComboSelection(dialog, id)))
                InvalidateTable(frame);
            ShowSelectedValue(frame);
        }
        return true;
    case IDC_TABLE_VALUE_LIST:
        if (picked && SetSelectedValue(frame.cursor, ComboSelection(dialog, id)))
            InvalidateTable(frame);
        return true;
    case IDC_TABLE_SAME_LIST:
        if (picked && SetSameValue(frame.cursor, ComboSelection(dialog, id))) {
            InvalidateTable(frame);
            ShowSelectedValue(frame);
        }
        return true;
    case IDC_TABLE_SLAVE_LIST:
        if (picked)
            PickSlaveAddress(dialog, id);
        return true;
    case IDC_TABLE_SET: SendSelectedEntry(frame.cursor); return true;
    case IDC_TABLE_SET_ALL: SendWholeTable(frame.cursor); return true;
    case IDC_TABLE_SEQUENCE:
        if (Table(frame).sequence)
            PressSequenceButton(frame.sequence);
        return true;
    }
    return false;
}

bool Message(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    TableFrame& frame = FrameOf(dialog);
    switch (message) {
    case WM_PAINT:
        Paint(frame);
        return true;
    case WM_TIMER:
        if (Table(frame).sequence && static_cast<int>(wParam) == Table(frame).sequence->timerId)
            SequenceTimer(frame);
        return true;
    }
    return false;
}

} // namespace

std::atomic<int> TablePaints = 0;

void ShowSelectedValue(const TableFrame& frame)
{
    const ChannelTable& table = Table(frame);
    if (table.flags.count == 0) {
        SelectComboItem(frame.dialog, IDC_TABLE_VALUE_LIST, SelectedValue(frame.cursor));
        return;
    }
    // ON marked for 1, OFF for 0 (neither for a value the unit never sends).
    for (int flag = 0; flag < std::min(table.flags.count, kMaxFlags); ++flag) {
        const int value = SelectedFlag(frame.cursor, flag);
        CheckDlgButton(frame.dialog, IDC_TABLE_FLAG_ON + flag, value == 1 ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(frame.dialog, IDC_TABLE_FLAG_OFF + flag, value == 0 ? BST_CHECKED : BST_UNCHECKED);
    }
}

std::wstring TableEntryLabel(const ChannelTable& table, int entry)
{
    wchar_t number[8];
    swprintf(number, 8, L"%02d", entry + 1);
    return WideFromUtf8(table.entries.label) + number;
}

void PaintTableCell(HDC dc, int x, int y, int width, const std::wstring& text)
{
    RECT cell = {x, y, std::min<LONG>(x + width, kTableFrame.right - 1), y + kValueCellHeight};
    ExtTextOutW(dc, x, y, ETO_OPAQUE, &cell, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

void PaintTableFrame(HDC dc, int bottom)
{
    Rectangle(dc, kTableFrame.left, kTableFrame.top, kTableFrame.right, bottom);
}

void InvalidateTable(const TableFrame& frame)
{
    InvalidateRect(frame.dialog, nullptr, FALSE);
}

void RunChannelTableDialog(HWND owner, const ChannelTableMember& member)
{
    const ModalDialog dialog = {
        .templateId = member.templateId,
        .title = member.title,
        .caption = member.caption,
        .closeId = IDC_TABLE_CLOSE,
        .handlers = {.start = Start, .command = Command, .close = Close, .message = Message},
    };
    TableFrame frame{.member = &member};
    RunModalDialog(owner, dialog, &frame);
}
