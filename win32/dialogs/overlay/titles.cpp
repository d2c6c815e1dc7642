#include "dialogs/overlay/titles.h"

#include <string>

#include "app/ui_text.h"
#include "common/controls.h"
#include "dialogs/overlay/title_editing.h"
#include "dialogs/routing/channel_table.h"
#include "link/message_ops.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

int TitleEditBeeps = 0;

namespace {

// Set while the dialog puts a title into the edit itself: that is no edit.
bool Initialising = false;

// The edit's text as the title last held it: an edit is what changed since.
std::wstring Shown;

void ShowTitle(const TableFrame& frame)
{
    Initialising = true;
    Shown = WideFromModel(DeviceModel.TitleText[SelectedEntry(frame.cursor)]);
    SetDlgItemTextW(frame.dialog, IDC_TITLE_TEXT, Shown.c_str());
    Initialising = false;
}

size_t ShiftJisBytes(const std::wstring& text)
{
    const int bytes = WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    return bytes > 0 ? static_cast<size_t>(bytes) : 0;
}

// An edit of the title: the text before it, and the edit's text after it.
struct FittedTitle {
    std::wstring text;    // what the title keeps
    size_t caret = 0;     // after what was kept of the insertion
    bool dropped = false; // part of the insertion did not fit
    bool asterisk = false;
};

// What was typed or pasted stands between the part the edit kept in front
// and the part it kept behind. Only the insertion is cut to fit, at a whole
// character, so that nothing the user did not touch is lost. A "＊" in it
// is taken out: the settings file cannot keep it.
FittedTitle FitTitleEdit(const std::wstring& before, const std::wstring& after)
{
    const size_t shorter = before.size() < after.size() ? before.size() : after.size();
    size_t head = 0;
    while (head < shorter && before[head] == after[head])
        ++head;
    size_t tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    FittedTitle fit;
    std::wstring inserted;
    for (wchar_t c : after.substr(head, after.size() - head - tail)) {
        if (c == L'＊')
            fit.asterisk = true;
        else
            inserted += c;
    }
    const std::wstring front = after.substr(0, head);
    const std::wstring back = after.substr(after.size() - tail);
    size_t keep = inserted.size();
    while (keep > 0 && (ShiftJisBytes(front + inserted.substr(0, keep) + back) > static_cast<size_t>(kTitleMaxBytes) ||
                        IS_HIGH_SURROGATE(inserted[keep - 1])))
        --keep;
    fit.dropped = keep < inserted.size();
    fit.text = front + inserted.substr(0, keep) + back;
    fit.caret = head + keep;
    return fit;
}

void Start(TableFrame& frame)
{
    OpenTitles();
    ShowTitle(frame);
}

// The edit control counts UTF-16 units, a title holds 56 Shift-JIS bytes.
// What does not fit of an insertion is dropped with a beep; a "＊" is
// refused with its own message.
void TitleEdited(TableFrame& frame)
{
    HWND edit = GetDlgItem(frame.dialog, IDC_TITLE_TEXT);
    const int length = GetWindowTextLengthW(edit);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(edit, &text[0], length + 1);
    text.resize(static_cast<size_t>(length));
    const FittedTitle fit = FitTitleEdit(Shown, text);
    char title[kTitleSlotBytes] = {};
    ModelFromWide(fit.text.c_str(), title, kTitleMaxBytes + 1);
    // As the title holds it (a character without a Shift-JIS code does not
    // stay what it was).
    Shown = WideFromModel(title);
    if (Shown != text) {
        Initialising = true;
        SetWindowTextW(edit, Shown.c_str());
        const size_t caret = fit.caret < Shown.size() ? fit.caret : Shown.size();
        SendMessageW(edit, EM_SETSEL, caret, caret);
        Initialising = false;
    }
    StoreTitleText(SelectedEntry(frame.cursor), title, false);
    InvalidateTable(frame);
    if (fit.dropped) {
        ++TitleEditBeeps;
        MessageBeep(MB_OK);
    }
    if (fit.asterisk)
        ShowWarning(kTitleAsteriskText);
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
