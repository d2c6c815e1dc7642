#include "common/controls.h"

#include <commctrl.h>

#include <cwchar>

#include "app/ui_text.h"
#include "link/link_state.h"

void EnableControl(HWND dialog, int id, bool enabled)
{
    EnableWindow(GetDlgItem(dialog, id), enabled);
}

void AddComboItem(HWND dialog, int id, const wchar_t* text)
{
    SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void SelectComboItem(HWND dialog, int id, int index)
{
    const LRESULT count = SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0);
    const WPARAM line = index >= 0 && index < count ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1);
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, line, 0);
}

int ComboSelection(HWND dialog, int id)
{
    const LRESULT line = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
    return line == CB_ERR || line < 0 ? -1 : static_cast<int>(line);
}

void FillNumberedList(HWND dialog, int id, int count, int digits)
{
    for (int number = 1; number <= count; ++number) {
        wchar_t text[12];
        swprintf(text, 12, L"%0*d", digits, number);
        AddComboItem(dialog, id, text);
    }
}

void FillSlaveAddressList(HWND dialog, int id, bool withBroadcast)
{
    for (int address = 0; address <= kMaxSlaveAddress; ++address) {
        wchar_t text[4];
        swprintf(text, 4, L"%02d", address);
        AddComboItem(dialog, id, text);
    }
    if (withBroadcast)
        AddComboItem(dialog, id, L"Broadcast");
    SelectComboItem(dialog, id, SlaveAddress);
}

void PickSlaveAddress(HWND dialog, int id)
{
    const int line = ComboSelection(dialog, id);
    if (line >= 0 && line <= kSlaveBroadcast)
        SlaveAddress = line;
}

namespace {

// The field's value in its control.
void ShowField(HWND dialog, const ControlField& field)
{
    switch (field.kind) {
    case kComboChoice:
        SelectComboItem(dialog, field.id, field.get());
        break;
    case kCheckBox:
        CheckDlgButton(dialog, field.id, field.get() ? BST_CHECKED : BST_UNCHECKED);
        break;
    case kEditText:
        SetDlgItemTextW(dialog, field.id, WideFromModel(field.text).c_str());
        break;
    case kIpAddress: {
        const int* o = field.octets;
        SendDlgItemMessageW(dialog, field.id, IPM_SETADDRESS, 0, MAKEIPADDRESS(o[0], o[1], o[2], o[3]));
        break;
    }
    }
}

void FillField(HWND dialog, const ControlField& field)
{
    switch (field.kind) {
    case kComboChoice:
        if (field.fill)
            field.fill(dialog, field.id);
        for (const wchar_t* const* item = field.items; item && *item; ++item)
            AddComboItem(dialog, field.id, *item);
        break;
    case kEditText:
        SendDlgItemMessageW(dialog, field.id, EM_LIMITTEXT, static_cast<WPARAM>(field.textBytes - 1), 0);
        break;
    case kCheckBox:
    case kIpAddress:
        break;
    }
    ShowField(dialog, field);
}

void StoreField(HWND dialog, const ControlField& field)
{
    switch (field.kind) {
    case kComboChoice: {
        const int line = ComboSelection(dialog, field.id);
        if (line >= 0)
            field.set(line);
        break;
    }
    case kCheckBox:
        field.set(IsDlgButtonChecked(dialog, field.id) == BST_CHECKED ? 1 : 0);
        break;
    case kEditText: {
        const int length = GetWindowTextLengthW(GetDlgItem(dialog, field.id));
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        GetDlgItemTextW(dialog, field.id, &text[0], length + 1);
        ModelFromWide(text.c_str(), field.text, static_cast<size_t>(field.textBytes));
        break;
    }
    case kIpAddress: {
        DWORD packed = 0;
        SendDlgItemMessageW(dialog, field.id, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&packed));
        field.octets[0] = FIRST_IPADDRESS(packed);
        field.octets[1] = SECOND_IPADDRESS(packed);
        field.octets[2] = THIRD_IPADDRESS(packed);
        field.octets[3] = FOURTH_IPADDRESS(packed);
        break;
    }
    }
}

} // namespace

void FillControls(HWND dialog, std::span<const ControlField> fields)
{
    for (const ControlField& field : fields)
        FillField(dialog, field);
}

void RefreshControls(HWND dialog, std::span<const ControlField> fields)
{
    for (const ControlField& field : fields)
        ShowField(dialog, field);
}

void StoreControls(HWND dialog, std::span<const ControlField> fields)
{
    for (const ControlField& field : fields)
        StoreField(dialog, field);
}

void StoreControl(HWND dialog, std::span<const ControlField> fields, int id)
{
    for (const ControlField& field : fields)
        if (field.id == id)
            StoreField(dialog, field);
}

bool StorePickedField(HWND dialog, std::span<const ControlField> fields, int id, int code)
{
    for (const ControlField& field : fields) {
        if (field.id != id)
            continue;
        if (field.kind == kComboChoice && code == CBN_SELCHANGE)
            StoreField(dialog, field);
        return true;
    }
    return false;
}
