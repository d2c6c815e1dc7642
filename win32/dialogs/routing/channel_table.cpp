#include "dialogs/routing/channel_table.h"

#include <algorithm>
#include <cwchar>

#include "app/ui_text.h"
#include "common/controls.h"
#include "common/dialog.h"
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
    for (int entry = table.entries.firstListed; entry < table.entries.count(); ++entry) {
        wchar_t text[16];
        swprintf(text, 16, L"ch.%02d", entry + 1);
        AddComboItem(frame.dialog, IDC_TABLE_CHANNEL_LIST, text);
    }
    for (int value = 0; value < table.values.count; ++value) {
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
    SelectComboItem(dialog, IDC_TABLE_SAME_LIST, Table(frame).values.sameStart);
    EnableControl(dialog, IDC_TABLE_SLAVE_LIST, IsRs485Link());
    if (Table(frame).sequence) {
        frame.sequence = {
            .dialog = dialog,
            .steps = Table(frame).sequence,
            .controls = {.buttonId = IDC_TABLE_SEQUENCE, .percentId = IDC_TABLE_PERCENT,
                         .slaveListId = IDC_TABLE_SLAVE_LIST, .locks = kFrameLocks,
                         .moreLocks = frame.member->sequenceLocks},
        };
    }
    if (frame.member->hooks.start)
        frame.member->hooks.start(frame);
    ShowSelectedValue(frame);
}

void Paint(TableFrame& frame)
{
    ScopedPaint paint(frame.dialog);
    HDC dc = paint.dc();
    Rectangle(dc, kTableFrame.left, kTableFrame.top, kTableFrame.right, kTableFrame.bottom);
    const ChannelTable& table = Table(frame);
    const int base = PageBase(frame.cursor);
    const int length = PageLength(frame.cursor);
    for (int i = 0; i < length; ++i) {
        const int x = 35 + 175 * (i / 8);
        const int y = 40 + 25 * (i % 8);
        wchar_t label[16];
        swprintf(label, 16, L"ch.%02d =", base + i + 1);
        TextOutW(dc, x, y, label, static_cast<int>(wcslen(label)));
        char value[32];
        table.values.painted(table.entries.get(base + i), value, sizeof value);
        const std::wstring text = WideFromUtf8(value);
        // The value's cell is filled as the text is drawn: the table is
        // painted over itself, and in a proportional font a shorter value
        // would leave the end of a longer one standing.
        RECT cell = {x + 60, y, std::min<LONG>(x + 60 + kValueCellWidth, kTableFrame.right - 1), y + kValueCellHeight};
        ExtTextOutW(dc, x + 60, y, ETO_OPAQUE, &cell, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    }
    if (frame.member->hooks.paintExtra)
        frame.member->hooks.paintExtra(frame, dc);
}

void SequenceTimer(TableFrame& frame)
{
    if (SequenceDisplayTick(frame.sequence) == kSequenceSucceeded)
        ShowMessage({"Success", "接続成功", kIconNone, kButtonsOk, false, kOwnerNone});
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

void ShowSelectedValue(const TableFrame& frame)
{
    SelectComboItem(frame.dialog, IDC_TABLE_VALUE_LIST, SelectedValue(frame.cursor));
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
