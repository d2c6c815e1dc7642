#include "dialogs/overlay/title_layout.h"

#include <cwchar>

#include "common/controls.h"
#include "common/dialog.h"
#include "dialogs/overlay/title_tables.h"
#include "dialogs/routing/channel_table.h"
#include "link/link_state.h"
#include "link/transaction.h"
#include "resources/resource.h"

namespace {

// The two title display captions carry their own blanks.
const ChannelTableMember kDisplayInput = {
    .title = L"タイトル表示 （入力側） ",
    .caption = kCaptionOwnBlanks,
    .templateId = IDD_TITLE_DISPLAY_INPUT,
    .table = &TitleDisplayInputTable,
};

const ChannelTableMember kDisplayOutput = {
    .title = L"タイトル表示 (出力側) ",
    .caption = kCaptionOwnBlanks,
    .templateId = IDD_TITLE_DISPLAY_OUTPUT,
    .table = &TitleDisplayOutputTable,
};

const ChannelTableMember kPosition = {
    .title = L"タイトル位置",
    .templateId = IDD_TITLE_POSITION,
    .table = &TitlePositionTable,
};

const ChannelTableMember kFontSize = {
    .title = L"フォントサイズ",
    .templateId = IDD_TITLE_FONT_SIZE,
    .table = &TitleFontSizeTable,
};

// ---- Fine position -----------------------------------------------------------------

void FillOffsetList(HWND dialog, int id)
{
    for (int line = 0; line < kTitleOffsetLines; ++line) {
        wchar_t text[4];
        swprintf(text, 4, L"%02d", line + 1);
        AddComboItem(dialog, id, text);
    }
}

const ControlField kFineFields[] = {
    {.id = IDC_TITLE_TOP_LIST, .fill = FillOffsetList, .get = [] { return TitleOffsetLine(kTitleOffsetTop); }},
    {.id = IDC_TITLE_BOTTOM_LIST, .fill = FillOffsetList,
     .get = [] { return TitleOffsetLine(kTitleOffsetBottom); }},
    {.id = IDC_TITLE_FINE_SLAVE_LIST, .fill = [](HWND dialog, int id) { FillSlaveAddressList(dialog, id); },
     .get = [] { return static_cast<int>(SlaveAddress); }},
};

void FineStart(HWND dialog)
{
    EnableControl(dialog, IDC_TITLE_FINE_SLAVE_LIST, IsRs485Link());
}

bool FineCommand(HWND dialog, int id, int code)
{
    const bool picked = code == CBN_SELCHANGE;
    switch (id) {
    case IDC_TITLE_TOP_LIST:
    case IDC_TITLE_BOTTOM_LIST:
        if (picked)
            SelectTitleOffset(id == IDC_TITLE_TOP_LIST ? kTitleOffsetTop : kTitleOffsetBottom,
                              ComboSelection(dialog, id));
        return true;
    case IDC_TITLE_TOP_SET: SendTitleOffset(kTitleOffsetTop); return true;
    case IDC_TITLE_BOTTOM_SET: SendTitleOffset(kTitleOffsetBottom); return true;
    case IDC_TITLE_FINE_SLAVE_LIST:
        if (picked)
            PickSlaveAddress(dialog, id);
        return true;
    }
    return false;
}

} // namespace

void RunTitleDisplayInputDialog(HWND owner)
{
    RunChannelTableDialog(owner, kDisplayInput);
}

void RunTitleDisplayOutputDialog(HWND owner)
{
    RunChannelTableDialog(owner, kDisplayOutput);
}

void RunTitlePositionDialog(HWND owner)
{
    RunChannelTableDialog(owner, kPosition);
}

void RunTitleFontSizeDialog(HWND owner)
{
    RunChannelTableDialog(owner, kFontSize);
}

void RunTitleFinePositionDialog(HWND owner)
{
    const ModalDialog dialog = {
        .templateId = IDD_TITLE_FINE_POSITION,
        .title = L"タイトル位置微調整",
        .closeId = IDC_TITLE_FINE_CLOSE,
        .fields = kFineFields,
        .handlers = {.start = FineStart, .command = FineCommand, .close = CloseSendingDialog},
    };
    RunModalDialog(owner, dialog);
}
