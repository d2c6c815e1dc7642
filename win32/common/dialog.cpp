#include "common/dialog.h"

#include <string>

#include "app/main_window.h"
#include "app/ui_text.h"
#include "files/settings_file.h"
#include "link/tcp_link.h"
#include "link/transaction.h"
#include "protocol/reply_parser.h"

namespace {

// What the dialog's window carries (DWLP_USER) while it is up.
struct RunningDialog {
    const ModalDialog* dialog;
    void* context;
};

const ModalDialog* DescriptionOf(HWND dialog)
{
    const auto* running = reinterpret_cast<const RunningDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return running ? running->dialog : nullptr;
}

void Start(HWND window, const RunningDialog& running)
{
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(&running));
    OpenDialog = window;
    const ModalDialog& dialog = *running.dialog;
    SetDialogCaption(window, dialog.title, dialog.caption);
    FillControls(window, dialog.fields);
    if (dialog.handlers.start)
        dialog.handlers.start(window);
}

void Close(HWND window, const ModalDialog& dialog)
{
    if (dialog.handlers.close)
        dialog.handlers.close(window);
    else
        EndModalDialog(window, IDCANCEL);
}

bool Command(HWND window, const ModalDialog& dialog, int id, int code)
{
    if (dialog.handlers.command && dialog.handlers.command(window, id, code))
        return true;
    if (dialog.okId && id == dialog.okId) {
        StoreControls(window, dialog.fields);
        if (dialog.handlers.apply)
            dialog.handlers.apply(window);
        EndModalDialog(window, IDOK);
        return true;
    }
    if (id == IDCANCEL || (dialog.closeId && id == dialog.closeId)) {
        Close(window, dialog);
        return true;
    }
    return false;
}

INT_PTR CALLBACK ModalDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        Start(window, *reinterpret_cast<const RunningDialog*>(lParam));
        return TRUE;
    }
    const ModalDialog* dialog = DescriptionOf(window);
    if (!dialog)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return Command(window, *dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_DEVICE_REPLY:
        if (dialog->takesReplies)
            HandleDeviceReply();
        return TRUE;
    case WM_CLOSE:
        Close(window, *dialog);
        return TRUE;
    }
    if (dialog->handlers.message && dialog->handlers.message(window, message, wParam, lParam))
        return TRUE;
    return FALSE;
}

} // namespace

INT_PTR RunModalDialog(HWND owner, const ModalDialog& dialog, void* context)
{
    RunningDialog running{&dialog, context};
    // A part of a TCP reply left from before belongs to no command of this
    // dialog, nor one left from this dialog to whatever comes after it.
    ResetDialogReplyLine();
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialog.templateId), owner,
                                           ModalDialogProc, reinterpret_cast<LPARAM>(&running));
    ResetDialogReplyLine();
    return result;
}

void* DialogContext(HWND dialog)
{
    const auto* running = reinterpret_cast<const RunningDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return running ? running->context : nullptr;
}

void EndModalDialog(HWND dialog, INT_PTR result)
{
    if (OpenDialog == dialog)
        OpenDialog = nullptr;
    EndDialog(dialog, result);
}

void SetDialogCaption(HWND dialog, const wchar_t* title, CaptionPath caption)
{
    std::wstring text = title;
    if (caption != kCaptionOwnBlanks)
        text += L"  ";
    if (caption != kCaptionWithoutPath)
        text += WideFromUtf8(CurrentFilePath);
    SetWindowTextW(dialog, text.c_str());
}

void CloseSendingDialog(HWND dialog)
{
    ResetTransaction();
    EndModalDialog(dialog, IDCANCEL);
}
