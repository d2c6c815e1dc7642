#include "dialogs/routing/channel_table.h"

#include <cstdio>
#include <string>

#include "app/main_window.h"
#include "app/ui_text.h"
#include "files/settings_file.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/tcp_link.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

namespace {

constexpr int kPageEntries = 32;
constexpr int kValueCellWidth = 112;   // up to the next column's label
constexpr int kValueCellHeight = 22;

// The frame's own controls that a running sequence locks.
const int kFrameLocks[] = {IDC_TABLE_CHANNEL_LIST, IDC_TABLE_VALUE_LIST, IDC_TABLE_SAME_LIST,
                           IDC_TABLE_SET, IDC_TABLE_SET_ALL, IDC_TABLE_CLOSE, 0};

const ChannelTableMember& MemberOf(HWND dialog)
{
    return *reinterpret_cast<const ChannelTableMember*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

int EntryCount(const ChannelTableMember& member)
{
    return member.entryCount > 0 ? member.entryCount : DeviceModel.ChannelCount;
}

int Selection(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

void AddItem(HWND dialog, int id, const wchar_t* text)
{
    SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void Enable(HWND dialog, int id, bool enabled)
{
    EnableWindow(GetDlgItem(dialog, id), enabled);
}

void LockControls(HWND dialog, const ChannelTableMember& member, bool locked)
{
    for (const int* id = kFrameLocks; *id; ++id)
        Enable(dialog, *id, !locked);
    if (member.sequenceLocks)
        for (const int* id = member.sequenceLocks; *id; ++id)
            Enable(dialog, *id, !locked);
    Enable(dialog, IDC_TABLE_SLAVE_LIST, !locked && IsRs485Link());
    EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | (locked ? MF_GRAYED : MF_ENABLED));
}

void FillLists(HWND dialog, const ChannelTableMember& member)
{
    const int count = EntryCount(member);
    for (int entry = member.firstListedEntry; entry < count; ++entry) {
        wchar_t text[16];
        swprintf(text, 16, L"ch.%02d", entry + 1);
        AddItem(dialog, IDC_TABLE_CHANNEL_LIST, text);
    }
    for (int value = 0; value < member.valueCount; ++value) {
        wchar_t text[32];
        member.valueItem(value, text, 32);
        AddItem(dialog, IDC_TABLE_VALUE_LIST, text);
        AddItem(dialog, IDC_TABLE_SAME_LIST, text);
    }
    for (int address = 0; address <= kMaxSlaveAddress; ++address) {
        wchar_t text[4];
        swprintf(text, 4, L"%02d", address);
        AddItem(dialog, IDC_TABLE_SLAVE_LIST, text);
    }
    AddItem(dialog, IDC_TABLE_SLAVE_LIST, L"Broadcast");
}

void Start(HWND dialog, const ChannelTableMember& member)
{
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&member));
    OpenDialog = dialog;
    const std::wstring caption = WideFromUtf8(member.title) + L"  " + WideFromUtf8(CurrentFilePath);
    SetWindowTextW(dialog, caption.c_str());

    const int positions = EntryCount(member) - member.firstListedEntry;
    if (*member.selected < 0 || *member.selected >= positions)
        *member.selected = *member.previous = positions - 1;
    FillLists(dialog, member);
    SendDlgItemMessageW(dialog, IDC_TABLE_CHANNEL_LIST, CB_SETCURSEL, *member.selected, 0);
    SendDlgItemMessageW(dialog, IDC_TABLE_SAME_LIST, CB_SETCURSEL, member.sameValueStart, 0);
    SendDlgItemMessageW(dialog, IDC_TABLE_SLAVE_LIST, CB_SETCURSEL, SlaveAddress, 0);
    Enable(dialog, IDC_TABLE_SLAVE_LIST, IsRs485Link());
    if (member.start)
        member.start(dialog);
    ShowSelectedValue(dialog, member);
}

void Paint(HWND dialog, const ChannelTableMember& member)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    Rectangle(dc, 25, 20, 690, 250);
    const int count = EntryCount(member);
    const int base = SelectedTableEntry(member) / kPageEntries * kPageEntries;
    const int* row = member.row();
    for (int i = 0; i < kPageEntries && base + i < count; ++i) {
        const int x = 35 + 175 * (i / 8);
        const int y = 40 + 25 * (i % 8);
        wchar_t text[32];
        swprintf(text, 32, L"ch.%02d =", base + i + 1);
        TextOutW(dc, x, y, text, static_cast<int>(wcslen(text)));
        member.paintValue(row[base + i], text, 32);
        // The value's cell is filled as the text is drawn: the table is
        // painted over itself, and in a proportional font a shorter value
        // would leave the end of a longer one standing.
        RECT cell = {x + 60, y, x + 60 + kValueCellWidth, y + kValueCellHeight};
        ExtTextOutW(dc, x + 60, y, ETO_OPAQUE, &cell, text, static_cast<UINT>(wcslen(text)), nullptr);
    }
    if (member.paintExtra)
        member.paintExtra(dc);
    EndPaint(dialog, &paint);
}

void ChannelChanged(HWND dialog, const ChannelTableMember& member)
{
    const int position = Selection(dialog, IDC_TABLE_CHANNEL_LIST);
    if (position < 0)
        return;
    *member.selected = position;
    if (PageChanged(*member.previous + member.firstListedEntry, position + member.firstListedEntry, kPageEntries))
        InvalidateTable(dialog);
    *member.previous = position;
    ShowSelectedValue(dialog, member);
}

void ValueChanged(HWND dialog, const ChannelTableMember& member)
{
    const int value = Selection(dialog, IDC_TABLE_VALUE_LIST);
    if (value < 0)
        return;
    member.row()[SelectedTableEntry(member)] = value;
    InvalidateTable(dialog);
    SettingsModified = 1;
}

void SameValueChanged(HWND dialog, const ChannelTableMember& member)
{
    const int value = Selection(dialog, IDC_TABLE_SAME_LIST);
    if (value < 0)
        return;
    int* row = member.row();
    for (int entry = member.sameValueFirstEntry; entry < EntryCount(member); ++entry)
        row[entry] = value;
    InvalidateTable(dialog);
    ShowSelectedValue(dialog, member);
    SettingsModified = 1;
}

void SendSingle(bool (*send)(int), int entry)
{
    if (TransactionState.busy)
        return;
    TransactionState.sequencePhase = kPhaseSingle;
    send(entry);
}

// ---- The timed sequence ------------------------------------------------------------

wchar_t SequenceButtonText[64];

void EndSequenceDisplay(HWND dialog, const ChannelTableMember& member)
{
    KillTimer(dialog, static_cast<UINT_PTR>(member.sequence->timerId));
    LockControls(dialog, member, false);
    SetDlgItemTextW(dialog, IDC_TABLE_PERCENT, L"");
    SetDlgItemTextW(dialog, IDC_TABLE_SEQUENCE, SequenceButtonText);
}

void SequenceButton(HWND dialog, const ChannelTableMember& member)
{
    const SequenceSpec& spec = *member.sequence;
    if (SequenceRunning(spec)) {
        if (!CancelSequence())
            return;   // the last command is under way
        KillTimer(dialog, static_cast<UINT_PTR>(spec.timerId));
        ShowMessage({"中止しました", "キャンセル", kIconError, kButtonsOk, false, kOwnerNone});
        EndCancel();
        EndSequenceDisplay(dialog, member);
        return;
    }
    if (TransactionState.busy)
        return;
    GetDlgItemTextW(dialog, IDC_TABLE_SEQUENCE, SequenceButtonText, 64);
    LockControls(dialog, member, true);
    SetDlgItemTextW(dialog, IDC_TABLE_PERCENT, L"0");
    SetDlgItemTextW(dialog, IDC_TABLE_SEQUENCE, L"キャンセル");
    SetTimer(dialog, static_cast<UINT_PTR>(spec.timerId), static_cast<UINT>(member.sequencePeriodMs), nullptr);
    StartSequence(spec);
}

void SequenceTimer(HWND dialog, const ChannelTableMember& member)
{
    int percent = 0;
    switch (TickSequence(*member.sequence, percent)) {
    case kSequenceStepSent: {
        wchar_t text[8];
        swprintf(text, 8, L"%d", percent);
        SetDlgItemTextW(dialog, IDC_TABLE_PERCENT, text);
        break;
    }
    case kSequenceSucceeded:
        EndSequenceDisplay(dialog, member);
        ShowMessage({"Success", "接続成功", kIconNone, kButtonsOk, false, kOwnerNone});
        break;
    case kSequenceEnded:
        EndSequenceDisplay(dialog, member);
        break;
    case kSequenceWaiting:
        break;
    }
}

void Close(HWND dialog, const ChannelTableMember& member)
{
    if (member.sequence && SequenceRunning(*member.sequence))
        return;   // "Close" and the close box are locked while it runs
    ResetTransaction();
    OpenDialog = nullptr;
    EndDialog(dialog, 0);
}

bool Command(HWND dialog, const ChannelTableMember& member, int id, int code)
{
    if (member.command && member.command(dialog, id, code))
        return true;
    const bool picked = code == CBN_SELCHANGE;
    switch (id) {
    case IDC_TABLE_CHANNEL_LIST: if (picked) ChannelChanged(dialog, member); return true;
    case IDC_TABLE_VALUE_LIST: if (picked) ValueChanged(dialog, member); return true;
    case IDC_TABLE_SAME_LIST: if (picked) SameValueChanged(dialog, member); return true;
    case IDC_TABLE_SLAVE_LIST:
        if (picked && Selection(dialog, IDC_TABLE_SLAVE_LIST) >= 0)
            SlaveAddress = Selection(dialog, IDC_TABLE_SLAVE_LIST);
        return true;
    case IDC_TABLE_SET: SendSingle(member.sendOne, SelectedTableEntry(member)); return true;
    case IDC_TABLE_SET_ALL:
        if (!TransactionState.busy) {
            TransactionState.sequencePhase = kPhaseSingle;
            member.sendAll();
        }
        return true;
    case IDC_TABLE_SEQUENCE:
        if (member.sequence)
            SequenceButton(dialog, member);
        return true;
    case IDC_TABLE_CLOSE:
    case IDCANCEL: Close(dialog, member); return true;
    }
    return false;
}

INT_PTR CALLBACK FrameProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        Start(dialog, *reinterpret_cast<const ChannelTableMember*>(lParam));
        return TRUE;
    }
    if (!GetWindowLongPtrW(dialog, DWLP_USER))
        return FALSE;
    const ChannelTableMember& member = MemberOf(dialog);
    switch (message) {
    case WM_PAINT:
        Paint(dialog, member);
        return TRUE;
    case WM_COMMAND:
        return Command(dialog, member, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_TIMER:
        if (member.sequence && static_cast<int>(wParam) == member.sequence->timerId)
            SequenceTimer(dialog, member);
        return TRUE;
    case WM_DEVICE_REPLY:
        HandleDeviceReply();
        return TRUE;
    case WM_CLOSE:
        Close(dialog, member);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int SelectedTableEntry(const ChannelTableMember& member)
{
    return *member.selected + member.firstListedEntry;
}

void ShowSelectedValue(HWND dialog, const ChannelTableMember& member)
{
    SendDlgItemMessageW(dialog, IDC_TABLE_VALUE_LIST, CB_SETCURSEL, member.row()[SelectedTableEntry(member)], 0);
}

void InvalidateTable(HWND dialog)
{
    InvalidateRect(dialog, nullptr, FALSE);
}

void RunChannelTableDialog(HWND owner, const ChannelTableMember& member)
{
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(member.templateId), owner, FrameProc,
                    reinterpret_cast<LPARAM>(&member));
}
