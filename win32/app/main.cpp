// KVR2840E.exe: start-up and the message loop.
#include <windows.h>

#include "app/config_file.h"
#include "app/main_window.h"
#include "app/port_list.h"
#include "app/status_timer.h"
#include "files/file_dialogs.h"
#include "link/link_state.h"
#include "link/message_box.h"
#include "link/message_ops.h"
#include "link/serial_link.h"
#include "link/tcp_link.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    InstallMessageBoxes();

    // One copy at a time. Creating the mutex and checking that it existed is
    // one step, so two copies started together cannot both get through.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"KVR1620D TCP_X_Mutex");
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        ShowMessage({"２重に起動はできません", "２重起動防止", kIconNone, kButtonsOk, false, kOwnerNone});
        return 0;
    }

    wchar_t title[100];
    wchar_t className[100];
    LoadStringW(instance, IDS_APP_TITLE, title, 100);
    LoadStringW(instance, IDS_WINDOW_CLASS, className, 100);
    RegisterMainWindowClass(instance, className);
    HWND window = CreateMainWindow(instance, className, title);

    ResetModelToStartValues(DeviceModel);
    HostTable = HostTableRecord();
    if (!window)
        return 0;

    ReadConfiguration();
    UpdateMenuStates();
    InstallMainWindowServices();
    InstallFileDialogs(window);
    InstallSerialTransport();
    InstallTcpTransport();

    SetTimer(window, kStatusTimerId, kStatusTimerPeriodMs, nullptr);
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    TcpConnected = 0;
    ListSerialPorts();

    if (InterfaceKind == kInterfaceSerial)
        StartSerialLink();

    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorW(message.hwnd, accelerators, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CloseSerialPort();
    return static_cast<int>(message.wParam);
}
