// One way to run a modal dialog. The runner records the dialog as the open
// dialog while it is up (replies and close requests go to it), sets its
// caption, fills its bound controls, hands WM_DEVICE_REPLY to the reply
// dispatcher, and clears the open dialog whichever way the dialog ends.
// A dialog describes itself with a ModalDialog and small handlers.
#pragma once

#include <windows.h>

#include <span>

#include "common/controls.h"

enum CaptionPath {
    kCaptionWithPath,      // title, two blanks, the settings file path
    kCaptionWithoutPath,   // title and two blanks
    kCaptionOwnBlanks,     // the title with the blanks it carries, then the path
};

struct DialogHandlers {
    // After the caption and the bound controls: anything else the start needs.
    void (*start)(HWND dialog) = nullptr;
    // A control's command; true when handled.
    bool (*command)(HWND dialog, int id, int code) = nullptr;
    // "OK" (the dialog's okId): the bound controls are stored first.
    void (*apply)(HWND dialog) = nullptr;
    // Escape, the close box or the dialog's closeId. Without it the dialog
    // ends with IDCANCEL.
    void (*close)(HWND dialog) = nullptr;
    // Any other message (paint, timers, socket events); true when handled.
    bool (*message)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) = nullptr;
};

struct ModalDialog {
    int templateId = 0;
    const wchar_t* title = L"";
    CaptionPath caption = kCaptionWithPath;
    int okId = 0;       // stores the bound controls, applies, ends with IDOK
    int closeId = 0;    // a "Close" button that acts like the close box
    // False: TCP data that reaches this dialog is dropped (it asked nothing).
    bool takesReplies = true;
    std::span<const ControlField> fields = {};
    DialogHandlers handlers = {};
};

// Runs the dialog; `context` is what DialogContext gives its handlers.
INT_PTR RunModalDialog(HWND owner, const ModalDialog& dialog, void* context = nullptr);
void* DialogContext(HWND dialog);
// Ends the dialog and clears the open dialog.
void EndModalDialog(HWND dialog, INT_PTR result);
// Close of a dialog that sends commands: the transaction is reset, then the
// dialog ends with IDCANCEL.
void CloseSendingDialog(HWND dialog);

void SetDialogCaption(HWND dialog, const wchar_t* title, CaptionPath caption);
