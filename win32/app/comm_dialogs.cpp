#include "app/comm_dialogs.h"

#include <cwchar>
#include <string>

#include "app/config_file.h"
#include "app/config_values.h"
#include "app/main_window.h"
#include "app/ui_text.h"
#include "files/settings_file.h"
#include "link/link_state.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "resources/resource.h"

namespace {

// What the first three dialogs showed when they opened: only a value that
// differs from it is stored and written, so that "OK" on an unchanged dialog
// leaves the file and the menu alone.
int InterfaceAtStart = kInterfaceSerial;
int ControlAtStart = kControlRs232c;
int PortAtStart = 0;
int ClientServerAtStart = kModeClient;

// Title text, two blanks and, where wanted, the settings file the user is
// working on (empty for a new set).
void SetDialogTitle(HWND dialog, const wchar_t* text, bool withFilePath)
{
    std::wstring title = text;
    title += L"  ";
    if (withFilePath)
        title += WideFromUtf8(CurrentFilePath);
    SetWindowTextW(dialog, title.c_str());
}

void AddLine(HWND dialog, int listId, const wchar_t* text)
{
    SendDlgItemMessageW(dialog, listId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

// A stored value outside the list selects nothing rather than a wrong line.
void SelectLine(HWND dialog, int listId, int line)
{
    const LRESULT count = SendDlgItemMessageW(dialog, listId, CB_GETCOUNT, 0, 0);
    const WPARAM index = line >= 0 && line < count ? static_cast<WPARAM>(line) : static_cast<WPARAM>(-1);
    SendDlgItemMessageW(dialog, listId, CB_SETCURSEL, index, 0);
}

// The selected line, or -1 when the list has no selection (CB_ERR) or the
// line lies outside `lineCount`, the number of values the caller can store.
int SelectedLine(HWND dialog, int listId, int lineCount)
{
    const LRESULT line = SendDlgItemMessageW(dialog, listId, CB_GETCURSEL, 0, 0);
    if (line == CB_ERR || line < 0 || line >= lineCount)
        return -1;
    return static_cast<int>(line);
}

// Every way a dialog ends goes through here, so replies and close requests
// never reach a window that is gone.
void EndCommDialog(HWND dialog, INT_PTR result)
{
    if (OpenDialog == dialog)
        OpenDialog = nullptr;
    EndDialog(dialog, result);
}

void RegisterOpenDialog(HWND dialog)
{
    OpenDialog = dialog;
}

// ---- Interface -------------------------------------------------------------

void InitInterfaceDialog(HWND dialog)
{
    RegisterOpenDialog(dialog);
    SetDialogTitle(dialog, L"インターフェイスの設定", true);
    AddLine(dialog, IDC_INTERFACE_LIST, L"RS-232C/RS-485");
    AddLine(dialog, IDC_INTERFACE_LIST, L"TCP/IP");
    InterfaceAtStart = InterfaceKind;
    SelectLine(dialog, IDC_INTERFACE_LIST, InterfaceKind);
}

// Switching the interface only changes the setting and the menu: the links
// themselves are set up at start and from the TCP/IP dialog.
void ApplyInterface(HWND dialog)
{
    const int line = SelectedLine(dialog, IDC_INTERFACE_LIST, 2);
    if (line >= 0)
        InterfaceKind = line;
    if (InterfaceKind != InterfaceAtStart) {
        UpdateMenuStates();
        WriteConfigNumber(kKeyInterface, InterfaceKind);
        // A program started on TCP/IP has no serial port and no receive
        // thread yet; the serial interface must work without a restart.
        if (InterfaceKind == kInterfaceSerial)
            StartSerialLink();
    }
    EndCommDialog(dialog, IDOK);
}

INT_PTR CALLBACK InterfaceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitInterfaceDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_INTERFACE_OK:
            ApplyInterface(dialog);
            return TRUE;
        case IDCANCEL:
            EndCommDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        EndCommDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

// ---- Serial port and control -------------------------------------------------

int ListedPortCount()
{
    if (PortCount < 0)
        return 0;
    return PortCount < kPortNameCount ? PortCount : kPortNameCount;
}

void InitSerialDialog(HWND dialog)
{
    RegisterOpenDialog(dialog);
    SetDialogTitle(dialog, L"RS-232C/RS485の設定", true);
    const int ports = ListedPortCount();
    for (int i = 0; i < ports; ++i)
        AddLine(dialog, IDC_SERIAL_PORT_LIST, WideFromUtf8(PortNameTable[i]).c_str());
    AddLine(dialog, IDC_SERIAL_CONTROL_LIST, L"RS-232C");
    AddLine(dialog, IDC_SERIAL_CONTROL_LIST, L"RS-485");
    PortAtStart = PortIndex;
    ControlAtStart = ControlMode;
    SelectLine(dialog, IDC_SERIAL_PORT_LIST, PortIndex);
    SelectLine(dialog, IDC_SERIAL_CONTROL_LIST, ControlMode);
}

// With no port listed, or none selected, the previous port stays: there is
// nothing better to store, and reopening would only repeat the failure.
void ApplySerialSettings(HWND dialog)
{
    const int control = SelectedLine(dialog, IDC_SERIAL_CONTROL_LIST, 2);
    if (control >= 0)
        ControlMode = control;
    const int port = SelectedLine(dialog, IDC_SERIAL_PORT_LIST, ListedPortCount());
    if (port >= 0)
        PortIndex = port;

    if (ControlMode != ControlAtStart) {
        WriteConfigNumber(kKeyControl, ControlMode);
        UpdateMenuStates();
    }
    if (PortIndex != PortAtStart) {
        // The new choice is kept even when the port then fails to open, so
        // the user sees what was picked and can pick again.
        WriteConfigNumber(kKeyComPort, PortIndex);
        ReopenSerialPort();
    }
    EndCommDialog(dialog, IDOK);
}

INT_PTR CALLBACK SerialDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitSerialDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SERIAL_OK:
            ApplySerialSettings(dialog);
            return TRUE;
        case IDCANCEL:
            EndCommDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        EndCommDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

// ---- Client or server ----------------------------------------------------------

void InitClientServerDialog(HWND dialog)
{
    RegisterOpenDialog(dialog);
    SetDialogTitle(dialog, L"クライアント/サーバー", true);
    AddLine(dialog, IDC_CLIENT_SERVER_LIST, L"Client");
    AddLine(dialog, IDC_CLIENT_SERVER_LIST, L"Server");
    ClientServerAtStart = ClientServerMode;
    SelectLine(dialog, IDC_CLIENT_SERVER_LIST, ClientServerMode);
}

void ApplyClientServer(HWND dialog)
{
    const int line = SelectedLine(dialog, IDC_CLIENT_SERVER_LIST, 2);
    if (line >= 0)
        ClientServerMode = line;
    if (ClientServerMode != ClientServerAtStart)
        WriteConfigNumber(kKeyClientServer, ClientServerMode);
    EndCommDialog(dialog, IDOK);
}

INT_PTR CALLBACK ClientServerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitClientServerDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CLIENT_SERVER_OK:
            ApplyClientServer(dialog);
            return TRUE;
        case IDCANCEL:
            EndCommDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        EndCommDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

// ---- Slave address -------------------------------------------------------------

void InitSlaveAddressDialog(HWND dialog)
{
    RegisterOpenDialog(dialog);
    SetDialogTitle(dialog, L"スレーブアドレスの設定", false);
    for (int address = 0; address <= kMaxSlaveAddress; ++address) {
        wchar_t text[4];
        swprintf(text, 4, L"%02d", address);
        AddLine(dialog, IDC_SLAVE_ADDRESS_LIST, text);
    }
    AddLine(dialog, IDC_SLAVE_ADDRESS_LIST, L"Broadcast");
    SelectLine(dialog, IDC_SLAVE_ADDRESS_LIST, SlaveAddress);
}

// The address takes effect the moment it is picked: there is nothing to
// confirm, and the dialog has no "OK".
void PickSlaveAddress(HWND dialog)
{
    const int line = SelectedLine(dialog, IDC_SLAVE_ADDRESS_LIST, kSlaveBroadcast + 1);
    if (line >= 0)
        SlaveAddress = line;
}

// A command still awaited from the previous address must not keep the next
// dialog from sending.
void CloseSlaveAddressDialog(HWND dialog)
{
    ResetTransaction();
    EndCommDialog(dialog, IDOK);
}

INT_PTR CALLBACK SlaveAddressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitSlaveAddressDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SLAVE_ADDRESS_LIST:
            if (HIWORD(wParam) == CBN_SELCHANGE)
                PickSlaveAddress(dialog);
            return TRUE;
        case IDC_SLAVE_ADDRESS_CLOSE:
        case IDCANCEL:
            CloseSlaveAddressDialog(dialog);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        CloseSlaveAddressDialog(dialog);
        return TRUE;
    }
    return FALSE;
}

void RunDialog(HWND owner, int templateId, DLGPROC procedure)
{
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, procedure, 0);
}

} // namespace

void RunInterfaceDialog(HWND owner)
{
    RunDialog(owner, IDD_INTERFACE, InterfaceDialogProc);
}

void RunSerialSettingsDialog(HWND owner)
{
    RunDialog(owner, IDD_SERIAL_SETTINGS, SerialDialogProc);
}

void RunClientServerDialog(HWND owner)
{
    RunDialog(owner, IDD_CLIENT_SERVER, ClientServerDialogProc);
}

void RunSlaveAddressDialog(HWND owner)
{
    RunDialog(owner, IDD_SLAVE_ADDRESS, SlaveAddressDialogProc);
}
