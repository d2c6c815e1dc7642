#include "dialogs/overlay/titles.h"

#include <string>

#include "app/ui_text.h"
#include "common/controls.h"
#include "dialogs/overlay/title_editing.h"
#include "dialogs/routing/channel_table.h"
#include "link/message_ops.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

namespace {

// Set while the dialog puts a title into the edit itself: that is no edit.
bool Initialising = false;

void ShowTitle(const TableFrame& frame)
{
    Initialising = true;
    SetDlgItemTextW(frame.dialog, IDC_TITLE_TEXT,
                    WideFromModel(DeviceModel.TitleText[SelectedEntry(frame.cursor)]).c_str());
    Initialising = false;
}

void Start(TableFrame& frame)
{
    OpenTitles();
    ShowTitle(frame);
}

// The edit control counts UTF-16 units, a title holds 56 Shift-JIS bytes:
// a longer text is cut at the last whole character that fits. A "＊" cannot
// be kept by the settings file and is refused at once.
void TitleEdited(TableFrame& frame)
{
    HWND edit = GetDlgItem(frame.dialog, IDC_TITLE_TEXT);
    const int length = GetWindowTextLengthW(edit);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(edit, &text[0], length + 1);
    text.resize(static_cast<size_t>(length));
    bool refused = false;
    for (size_t at; (at = text.find(L'＊')) != std::wstring::npos; refused = true)
        text.erase(at, 1);
    char title[kTitleSlotBytes] = {};
    ModelFromWide(text.c_str(), title, kTitleMaxBytes + 1);
    const std::wstring kept = WideFromModel(title);
    if (kept != text || refused) {
        Initialising = true;
        SetWindowTextW(edit, kept.c_str());
        SendMessageW(edit, EM_SETSEL, kept.size(), kept.size());
        Initialising = false;
    }
    StoreTitleText(SelectedEntry(frame.cursor), title, false);
    InvalidateTable(frame);
    if (refused)
        ShowWarning(kTitleRefusedText);
}

bool Command(TableFrame& frame, int id, int code)
{
    if (id == IDC_TITLE_TEXT) {
        if (code == EN_CHANGE && !Initialising)
            TitleEdited(frame);
        return true;
    }
    if (id == IDC_TABLE_CHANNEL_LIST) {
        if (code == CBN_SELCHANGE) {
            if (SelectTablePosition(frame.cursor, ComboSelection(frame.dialog, id)))
                InvalidateTable(frame);
            ShowTitle(frame);
        }
        return true;
    }
    return false;
}

// 8 channels, "ch.NN =" and the title; each title's line is filled to the
// frame's edge, so a shorter title never leaves a longer one's tail.
void Paint(TableFrame& frame, HDC dc)
{
    PaintTableFrame(dc, 250);
    const int base = PageBase(frame.cursor);
    for (int i = 0; i < PageLength(frame.cursor); ++i) {
        const int y = 40 + 25 * i;
        const std::wstring label = TableEntryLabel(TitleChannels, base + i) + L" =";
        TextOutW(dc, 35, y, label.c_str(), static_cast<int>(label.size()));
        PaintTableCell(dc, 105, y, 1000, WideFromModel(DeviceModel.TitleText[base + i]));
    }
}

constexpr int kLocks[] = {IDC_TITLE_TEXT};

const ChannelTableMember kTitles = {
    .title = L"タイトル ",
    .caption = kCaptionOwnBlanks,
    .templateId = IDD_TITLES,
    .table = &TitleChannels,
    .sequenceLocks = kLocks,
    .sequenceKeepsPercent = true,
    .hooks = {.start = Start, .command = Command, .paint = Paint},
};

} // namespace

void RunTitlesDialog(HWND owner)
{
    RunChannelTableDialog(owner, kTitles);
}
