#include "link/message_box.h"

#include <windows.h>

#include "app/main_window.h"
#include "app/ui_text.h"
#include "link/message_ops.h"

static int ShowWindowsMessageBox(const MessageRequest& request)
{
    UINT flags = request.buttons == kButtonsYesNo ? MB_YESNO : MB_OK;
    switch (request.icon) {
    case kIconError: flags |= MB_ICONERROR; break;
    case kIconWarning: flags |= MB_ICONWARNING; break;
    case kIconQuestion: flags |= MB_ICONQUESTION; break;
    case kIconNone: break;
    }
    HWND owner = nullptr;
    if (request.owner == kOwnerMainWindow)
        owner = MainWindow;
    else
        flags |= MB_TASKMODAL;   // stays above whatever dialog is open
    if (request.beep)
        MessageBeep(MB_OK);
    const std::wstring text = WideFromUtf8(request.text);
    const std::wstring caption = WideFromUtf8(request.caption);
    return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

void InstallMessageBoxes()
{
    MessageSink = ShowWindowsMessageBox;
}
