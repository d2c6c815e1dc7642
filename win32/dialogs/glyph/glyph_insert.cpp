#include "dialogs/glyph/glyph_insert.h"

#include <cwchar>
#include <span>

#include "app/dialog_selections.h"
#include "common/controls.h"
#include "common/dialog.h"
#include "dialogs/glyph/glyph_insert_model.h"
#include "link/link_state.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

namespace {

const wchar_t* const kFontSizes[] = {L"LARGE", L"MEDIUM", L"SMALL", nullptr};

void FillChannels(HWND dialog, int id)
{
    for (int channel = 1; channel <= DeviceModel.ChannelCount; ++channel) {
        wchar_t text[16];
        swprintf(text, 16, L"ch.%02d", channel);
        AddComboItem(dialog, id, text);
    }
}

// The slot and position lists come last: a new font size refills them.
const ControlField kFields[] = {
    {.id = IDC_INSERT_CHANNEL_LIST, .fill = FillChannels,
     .get = [] { return DialogSelections.inputChannel; }, .set = SelectGlyphInsertChannel},
    {.id = IDC_INSERT_SIZE_LIST, .items = kFontSizes,
     .get = [] { return DialogSelections.glyphInsertSize; },
     .set = [](int line) { SelectGlyphInsertSize(line); }},
    {.id = IDC_INSERT_SLAVE_LIST, .fill = [](HWND dialog, int id) { FillSlaveAddressList(dialog, id, false); },
     .get = [] { return static_cast<int>(SlaveAddress); }, .set = [](int line) { SlaveAddress = line; }},
    {.id = IDC_INSERT_SLOT_LIST,
     .fill = [](HWND dialog, int id) { FillNumberedList(dialog, id, GlyphInsertSlotLines(), 3); },
     .get = [] { return DialogSelections.glyphSlot; }, .set = SelectGlyphInsertSlot},
    {.id = IDC_INSERT_POSITION_LIST,
     .fill = [](HWND dialog, int id) { FillNumberedList(dialog, id, GlyphInsertPositionLines(), 2); },
     .get = [] { return DialogSelections.glyphInsertPosition; }, .set = SelectGlyphInsertPosition},
};
const std::span<const ControlField> kSizedLists = std::span(kFields).last(2);

void Start(HWND dialog)
{
    EnableControl(dialog, IDC_INSERT_SLAVE_LIST, IsRs485Link());
}

bool Command(HWND dialog, int id, int code)
{
    if (id == IDC_INSERT_SET) {
        SendGlyphInsertion();
        return true;
    }
    if (!StorePickedField(dialog, kFields, id, code))
        return false;
    if (id == IDC_INSERT_SIZE_LIST && code == CBN_SELCHANGE) {
        for (const ControlField& list : kSizedLists)
            SendDlgItemMessageW(dialog, list.id, CB_RESETCONTENT, 0, 0);
        FillControls(dialog, kSizedLists);
    }
    return true;
}

void Close(HWND dialog)
{
    ResetTransaction();
    EndModalDialog(dialog, IDCANCEL);
}

} // namespace

void RunGlyphInsertDialog(HWND owner)
{
    OpenGlyphInsert();
    const ModalDialog dialog = {
        .templateId = IDD_GLYPH_INSERT,
        .title = L"外字挿入",
        .caption = kCaptionWithoutPath,
        .closeId = IDC_INSERT_CLOSE,
        .fields = kFields,
        .handlers = {.start = Start, .command = Command, .close = Close},
    };
    RunModalDialog(owner, dialog);
}
