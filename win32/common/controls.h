// Small helpers for the controls of the dialogs, and the binding of controls
// to the fields they show: a dialog lists its control↔field pairs once, and
// the list is walked once to fill the dialog and once to store it.
#pragma once

#include <windows.h>

#include <span>

void EnableControl(HWND dialog, int id, bool enabled);

// Drop-down lists.
void AddComboItem(HWND dialog, int id, const wchar_t* text);
// A value outside the list selects nothing rather than a wrong line.
void SelectComboItem(HWND dialog, int id, int index);
// The selected line, or -1 when there is none.
int ComboSelection(HWND dialog, int id);
// Lines "1".."count" with `digits` digits each ("001".."256").
void FillNumberedList(HWND dialog, int id, int count, int digits);
// "00".."31", then "Broadcast" (unless a dialog must address one unit), with
// the shared slave address selected; and the line picked in such a list
// stored as the shared slave address.
void FillSlaveAddressList(HWND dialog, int id, bool withBroadcast = true);
void PickSlaveAddress(HWND dialog, int id);

enum ControlKind {
    kComboChoice,   // a drop-down list: the field is the line's index
    kCheckBox,      // the field is 1 when checked
    kEditText,      // the field is model text (Shift-JIS) of at most textBytes - 1 bytes
    kIpAddress,     // an IP-address control: the field is four octets
};

struct ControlField {
    int id = 0;
    ControlKind kind = kComboChoice;
    // kComboChoice: its lines, fixed (ending with a null) or filled by the program.
    const wchar_t* const* items = nullptr;
    void (*fill)(HWND dialog, int id) = nullptr;
    // kComboChoice, kCheckBox.
    int (*get)() = nullptr;
    void (*set)(int value) = nullptr;
    // kEditText.
    char* text = nullptr;
    int textBytes = 0;
    // kIpAddress.
    int* octets = nullptr;
};

// Shows every field in its control.
void FillControls(HWND dialog, std::span<const ControlField> fields);
// Shows every field again in its control, whose lines are already there.
void RefreshControls(HWND dialog, std::span<const ControlField> fields);
// Stores every control into its field. A list without a selection leaves its
// field as it was.
void StoreControls(HWND dialog, std::span<const ControlField> fields);
// Stores the one control `id` of the list into its field.
void StoreControl(HWND dialog, std::span<const ControlField> fields, int id);
// For dialogs whose lists take effect as soon as a line is picked: the
// command of a bound control. A pick (CBN_SELCHANGE) stores that list's
// field; true when `id` is one of the fields (the command is handled).
bool StorePickedField(HWND dialog, std::span<const ControlField> fields, int id, int code);
