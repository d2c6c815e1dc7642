#include "app/comm_dialogs.h"

#include "app/config_file.h"
#include "app/config_values.h"
#include "app/main_window.h"
#include "app/ui_text.h"
#include "common/controls.h"
#include "common/dialog.h"
#include "link/link_state.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "resources/resource.h"

namespace {

// What the first three dialogs showed when they opened: only a value that
// differs from it is written, so that "OK" on an unchanged dialog leaves the
// file and the menu alone.
int InterfaceAtStart = kInterfaceSerial;
int ControlAtStart = kControlRs232c;
int PortAtStart = 0;
int ClientServerAtStart = kModeClient;

// ---- Interface -------------------------------------------------------------

const wchar_t* const kInterfaceItems[] = {L"RS-232C/RS-485", L"TCP/IP", nullptr};

const ControlField kInterfaceFields[] = {
    {.id = IDC_INTERFACE_LIST, .items = kInterfaceItems,
     .get = [] { return static_cast<int>(InterfaceKind); }, .set = [](int line) { InterfaceKind = line; }},
};

// Switching the interface only changes the setting and the menu: the links
// themselves are set up at start and from the TCP/IP dialog.
void ApplyInterface(HWND)
{
    if (InterfaceKind == InterfaceAtStart)
        return;
    UpdateMenuStates();
    WriteConfigNumber(kKeyInterface, InterfaceKind);
    // A program started on TCP/IP has no serial port and no receive
    // thread yet; the serial interface must work without a restart.
    if (InterfaceKind == kInterfaceSerial)
        StartSerialLink();
}

const ModalDialog kInterfaceDialog = {
    .templateId = IDD_INTERFACE,
    .title = L"インターフェイスの設定",
    .okId = IDC_INTERFACE_OK,
    .fields = kInterfaceFields,
    .handlers = {.start = [](HWND) { InterfaceAtStart = InterfaceKind; }, .apply = ApplyInterface},
};

// ---- Serial port and control -------------------------------------------------

int ListedPortCount()
{
    if (PortCount < 0)
        return 0;
    return PortCount < kPortNameCount ? PortCount : kPortNameCount;
}

void FillPorts(HWND dialog, int id)
{
    const int ports = ListedPortCount();
    for (int i = 0; i < ports; ++i)
        AddComboItem(dialog, id, WideFromUtf8(PortNameTable[i]).c_str());
}

const wchar_t* const kControlItems[] = {L"RS-232C", L"RS-485", nullptr};

// With no port listed, or none selected, the previous port stays: there is
// nothing better to store, and reopening would only repeat the failure.
const ControlField kSerialFields[] = {
    {.id = IDC_SERIAL_PORT_LIST, .fill = FillPorts,
     .get = [] { return static_cast<int>(PortIndex); }, .set = [](int line) { PortIndex = line; }},
    {.id = IDC_SERIAL_CONTROL_LIST, .items = kControlItems,
     .get = [] { return static_cast<int>(ControlMode); }, .set = [](int line) { ControlMode = line; }},
};

void ApplySerialSettings(HWND)
{
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
}

const ModalDialog kSerialDialog = {
    .templateId = IDD_SERIAL_SETTINGS,
    .title = L"RS-232C/RS485の設定",
    .okId = IDC_SERIAL_OK,
    .fields = kSerialFields,
    .handlers = {.start = [](HWND) { PortAtStart = PortIndex; ControlAtStart = ControlMode; },
                 .apply = ApplySerialSettings},
};

// ---- Client or server ----------------------------------------------------------

const wchar_t* const kClientServerItems[] = {L"Client", L"Server", nullptr};

const ControlField kClientServerFields[] = {
    {.id = IDC_CLIENT_SERVER_LIST, .items = kClientServerItems,
     .get = [] { return static_cast<int>(ClientServerMode); }, .set = [](int line) { ClientServerMode = line; }},
};

const ModalDialog kClientServerDialog = {
    .templateId = IDD_CLIENT_SERVER,
    .title = L"クライアント/サーバー",
    .okId = IDC_CLIENT_SERVER_OK,
    .fields = kClientServerFields,
    .handlers = {.start = [](HWND) { ClientServerAtStart = ClientServerMode; },
                 .apply = [](HWND) {
                     if (ClientServerMode != ClientServerAtStart)
                         WriteConfigNumber(kKeyClientServer, ClientServerMode);
                 }},
};

// ---- Slave address -------------------------------------------------------------

// The address takes effect the moment it is picked: there is nothing to
// confirm, and the dialog has no "OK".
bool SlaveAddressCommand(HWND dialog, int id, int code)
{
    if (id != IDC_SLAVE_ADDRESS_LIST)
        return false;
    if (code == CBN_SELCHANGE)
        PickSlaveAddress(dialog, id);
    return true;
}

// A command still awaited from the previous address must not keep the next
// dialog from sending.
void CloseSlaveAddressDialog(HWND dialog)
{
    ResetTransaction();
    EndModalDialog(dialog, IDOK);
}

const ModalDialog kSlaveAddressDialog = {
    .templateId = IDD_SLAVE_ADDRESS,
    .title = L"スレーブアドレスの設定",
    .caption = kCaptionWithoutPath,
    .closeId = IDC_SLAVE_ADDRESS_CLOSE,
    .handlers = {.start = [](HWND dialog) { FillSlaveAddressList(dialog, IDC_SLAVE_ADDRESS_LIST); },
                 .command = SlaveAddressCommand,
                 .close = CloseSlaveAddressDialog},
};

} // namespace

void RunInterfaceDialog(HWND owner)
{
    RunModalDialog(owner, kInterfaceDialog);
}

void RunSerialSettingsDialog(HWND owner)
{
    RunModalDialog(owner, kSerialDialog);
}

void RunClientServerDialog(HWND owner)
{
    RunModalDialog(owner, kClientServerDialog);
}

void RunSlaveAddressDialog(HWND owner)
{
    RunModalDialog(owner, kSlaveAddressDialog);
}
