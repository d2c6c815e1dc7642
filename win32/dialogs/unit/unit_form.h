// What the unit's small fixed forms (panel password, alarm settings, unit
// network settings) share: every setting has its own "設定" that sends one
// row of the form, lists store their line at once, and filling the controls
// at the start does not count as the user's change.
#pragma once

#include <windows.h>

#include <span>

#include "common/controls.h"
#include "common/dialog.h"

// A "設定" button and the row of the form it sends.
struct FormButton {
    int id = 0;
    int row = 0;
};

// A form: its bound controls, its "設定" buttons and what sends their rows,
// an edit whose "設定" is usable only while its text can be sent, and its
// slave-address list (each 0 when it has none).
struct FormControls {
    std::span<const ControlField> fields = {};
    std::span<const FormButton> buttons = {};
    bool (*sendRow)(int row) = nullptr;
    int checkedEditId = 0;
    int checkedSetId = 0;
    bool (*editSendable)() = nullptr;   // the edit's text is in its field
    int slaveListId = 0;
};

// "OFF", "ON": the lists of a flag.
extern const wchar_t* const kOffOnItems[];

// Runs the form; its fields are the form's. At the start, after the bound
// controls: the checked edit's "設定" and the slave-address list (with
// "Broadcast", usable on RS-485 only), then the dialog's own start. Until
// that has returned, the change notifications that filling the controls
// causes are the program's own.
// A control's command the dialog's own handler leaves: a "設定" sends its
// row; a list picked stores its line and marks the settings as changed; the
// checked edit's text is stored and its "設定" enabled or disabled (a change
// the user made marks the settings).
INT_PTR RunForm(HWND owner, const ModalDialog& dialog, const FormControls& form);
bool FormInitialising(HWND dialog);


