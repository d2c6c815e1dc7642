#include "app/main_window.h"

#include <commctrl.h>

#include "app/comm_dialogs.h"
#include "app/main_commands.h"
#include "app/status_timer.h"
#include "app/tcp_dialogs.h"
#include "app/ui_text.h"
#include "common/dpi_scaling.h"
#include "dialogs/alarm/alarm_dialogs.h"
#include "dialogs/overlay/date_time_display.h"
#include "dialogs/glyph/glyph_editor.h"
#include "dialogs/glyph/glyph_insert.h"
#include "dialogs/overlay/date_time.h"
#include "dialogs/overlay/title_layout.h"
#include "dialogs/overlay/titles.h"
#include "dialogs/routing/auto_switch.h"
#include "dialogs/routing/display_pattern.h"
#include "dialogs/routing/transfer_dialogs.h"
#include "dialogs/routing/io_status.h"
#include "dialogs/routing/io_status_view.h"
#include "dialogs/routing/video_output.h"
#include "dialogs/unit/alarm_settings.h"
#include "dialogs/unit/password.h"
#include "dialogs/unit/unit_network.h"
#include "files/settings_file.h"
#include "files/settings_operations.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/serial_link.h"
#include "link/tcp_link.h"
#include "protocol/device_model.h"
#include "protocol/glyph.h"
#include "resources/resource.h"

HWND MainWindow = nullptr;
HWND OpenDialog = nullptr;

namespace {

void StopStatusPolling()
{
    if (OpenDialog)
        KillTimer(OpenDialog, kIoStatusTimerId);
}

void CloseOpenDialog()
{
    if (OpenDialog)
        PostMessageW(OpenDialog, WM_CLOSE, 0, 0);
}

// The program ends: nothing more is polled or received. Also what follows
// "エラーが発生しました。アプリケーションを終了します。", without asking again.
void QuitProgram()
{
    if (MainWindow)
        KillTimer(MainWindow, kStatusTimerId);
    AppRunning = 0;
    StopSerialReadThread();
    PostQuitMessage(0);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void EnableItem(HMENU menu, UINT id, bool enabled)
{
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void EndProgram()
{
    if (ConfirmProgramEnd(DeviceModel))
        QuitProgram();
}

} // namespace

void UpdateMenuStates()
{
    HMENU menu = GetMenu(MainWindow);
    if (!menu)
        return;
    const bool tcp = InterfaceKind == kInterfaceTcp;
    EnableItem(menu, IDM_SERIAL_SETTINGS, !tcp);
    EnableItem(menu, IDM_CLIENT_SERVER, tcp);
    EnableItem(menu, IDM_TCP_SETTINGS, tcp);
    EnableItem(menu, IDM_SLAVE_ADDRESS, IsRs485Link());
    DrawMenuBar(MainWindow);
}

void UpdateMainWindowTitle()
{
    char title[kFilePathBytes + 32];
    FormatMainWindowTitle(title, sizeof title);
    SetWindowTextW(MainWindow, WideFromUtf8(title).c_str());
}

void RunMainCommand(int id)
{
    switch (id) {
    case IDM_FILE_NEW: FileNew(DeviceModel); break;
    case IDM_FILE_OPEN: FileOpen(DeviceModel); break;
    case IDM_FILE_SAVE: FileSave(DeviceModel); break;
    case IDM_FILE_SAVE_AS: FileSaveAs(DeviceModel); break;
    case IDM_EXIT: EndProgram(); break;
    case IDM_ABOUT:
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), MainWindow, AboutProc, 0);
        break;
    case IDM_READ_ALL:
        if (BroadcastGuardPasses())
            RunReadAllDialog(MainWindow);
        break;
    case IDM_IO_STATUS:
        if (BroadcastGuardPasses())
            RunIoStatusWindow(MainWindow);
        break;
    case IDM_INTERFACE:
        if (TcpGuardPasses())
            RunInterfaceDialog(MainWindow);
        break;
    case IDM_CLIENT_SERVER:
        if (TcpGuardPasses())
            RunClientServerDialog(MainWindow);
        break;
    case IDM_TCP_SETTINGS:
        if (ClientServerMode == kModeServer)
            RunTcpServerDialog(MainWindow);
        else
            RunTcpClientDialog(MainWindow);
        break;
    case IDM_UNIT_NETWORK:
        if (InterfaceKind == kInterfaceTcp)
            ShowError("インターフェイスをRS-232C/RS-485にしてください。");
        else
            RunUnitNetworkDialog(MainWindow);
        break;
    case IDM_DISPLAY_PATTERN: RunDisplayPatternDialog(MainWindow); break;
    case IDM_AUTO_SWITCH: RunAutoSwitchDialog(MainWindow); break;
    case IDM_VIDEO_OUTPUT: RunVideoOutputDialog(MainWindow); break;
    case IDM_SET_ALL: RunSetAllDialog(MainWindow); break;
    case IDM_SLAVE_ADDRESS: RunSlaveAddressDialog(MainWindow); break;
    case IDM_SERIAL_SETTINGS: RunSerialSettingsDialog(MainWindow); break;
    case IDM_DATE_TIME: RunDateTimeDialog(MainWindow); break;
    case IDM_TITLES: RunTitlesDialog(MainWindow); break;
    case IDM_TITLE_POSITION: RunTitlePositionDialog(MainWindow); break;
    case IDM_DATE_TIME_INPUT: RunDateTimeInputDialog(MainWindow); break;
    case IDM_DATE_TIME_OUTPUT: RunDateTimeOutputDialog(MainWindow); break;
    case IDM_PASSWORD: RunPasswordDialog(MainWindow); break;
    case IDM_TITLE_DISPLAY_INPUT: RunTitleDisplayInputDialog(MainWindow); break;
    case IDM_TITLE_DISPLAY_OUTPUT: RunTitleDisplayOutputDialog(MainWindow); break;
    case IDM_GLYPH_INSERT: RunGlyphInsertDialog(MainWindow); break;
    case IDM_GLYPH_SMALL: RunGlyphEditor(MainWindow, kGlyphSmall); break;
    case IDM_GLYPH_MEDIUM: RunGlyphEditor(MainWindow, kGlyphMedium); break;
    case IDM_GLYPH_LARGE: RunGlyphEditor(MainWindow, kGlyphLarge); break;
    case IDM_TITLE_FONT_SIZE: RunTitleFontSizeDialog(MainWindow); break;
    case IDM_TITLE_FINE_POSITION: RunTitleFinePositionDialog(MainWindow); break;
    case IDM_ALARM_INPUT: RunAlarmInputDialog(MainWindow); break;
    case IDM_ALARM_VIDEO_OUTPUT: RunAlarmVideoOutputDialog(MainWindow); break;
    case IDM_ALARM_SIGNAL_OUTPUT: RunAlarmSignalOutputDialog(MainWindow); break;
    case IDM_ALARM_SETTINGS: RunAlarmSettingsDialog(MainWindow); break;
    default: break;
    }
}

static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        AppRunning = 1;
        INITCOMMONCONTROLSEX controls = {sizeof controls,
                                         ICC_STANDARD_CLASSES | ICC_INTERNET_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_CLOSE:
        EndProgram();
        return 0;
    case WM_QUERYENDSESSION:
        // Log-off or shut-down: unsaved settings get the save question first.
        // A TCP/IP connection does not hold the session up: it ends with it.
        return ConfirmSessionEnd(DeviceModel) ? TRUE : FALSE;
    case WM_ENDSESSION:
        if (wParam)
            QuitProgram();   // the process may be ended as soon as this returns
        return 0;
    case WM_COMMAND:
        RunMainCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == kStatusTimerId)
            StatusTimerTick();
        return 0;
    case WM_SOCKET_EVENT:
        // The sockets report here while no TCP/IP dialog is open.
        HandleSocketEvent(wParam, lParam);
        return 0;
    case WM_QUERY_MENU_STATE:
        return static_cast<LRESULT>(GetMenuState(GetMenu(window), static_cast<UINT>(wParam), MF_BYCOMMAND));
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool RegisterMainWindowClass(HINSTANCE instance, const wchar_t* className)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_KVR2840E));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KVR2840E), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINFRAME);
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance, const wchar_t* className, const wchar_t* title)
{
    // 400 × 80 at 100 %, grown with the DPI as the dialogs are.
    MainWindow = CreateWindowExW(0, className, title,
                                 WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX,
                                 CW_USEDEFAULT, 0, ScaledForDpi(400), ScaledForDpi(80), nullptr, nullptr, instance, nullptr);
    return MainWindow;
}

void InstallMainWindowServices()
{
    StatusWindowHooks = {StopStatusPolling, CloseOpenDialog};
    FileUi.pathChanged = UpdateMainWindowTitle;
    FileUi.closeMainWindow = QuitProgram;
}
