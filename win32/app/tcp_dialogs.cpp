#include "app/tcp_dialogs.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/config_file.h"
#include "app/config_values.h"
#include "app/host_list.h"
#include "app/main_window.h"
#include "app/ui_text.h"
#include "common/controls.h"
#include "common/dialog.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/tcp_link.h"
#include "link/tcp_state.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

namespace {

HWND ClientDialog = nullptr;
HWND ServerDialog = nullptr;
bool Initialising = false;

// A dialog of this file starts: it is the open dialog and receives the
// notifications of every socket from now on.
void StartTcpDialog(HWND dialog, HWND& self, void (*refresh)())
{
    self = dialog;
    RegisterTcpSockets(dialog);
    RefreshTcpDialog = refresh;
}

// ... and ends: the main window looks after the sockets again.
void EndTcpDialog(HWND dialog, HWND& self)
{
    RefreshTcpDialog = nullptr;
    RegisterTcpSockets(MainWindow);
    self = nullptr;
    EndModalDialog(dialog, 0);
}

// A port field changed: its text (five characters at most) becomes the port
// text and is written at once.
void PortChanged(HWND dialog, int id, char* portText, const char* key)
{
    if (Initialising)
        return;
    wchar_t text[8] = {};
    GetDlgItemTextW(dialog, id, text, 6);
    snprintf(portText, 6, "%s", Utf8FromWide(text).c_str());
    WriteConfigText(key, portText);
}

void FillPort(HWND dialog, int id, const char* portText)
{
    SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, 5, 0);
    SetDlgItemTextW(dialog, id, WideFromUtf8(portText).c_str());
}

// ---- Client ------------------------------------------------------------------

std::wstring HostText(const int (&octets)[4])
{
    char text[16];
    FormatHostAddress(octets, text);
    return WideFromUtf8(text);
}

void ShowHost(HWND dialog, int index)
{
    const int* o = HostTable.address[index];
    SendDlgItemMessageW(dialog, IDC_CLIENT_HOST_ADDRESS, IPM_SETADDRESS, 0,
                        MAKEIPADDRESS(o[0], o[1], o[2], o[3]));
}

void RefreshClient()
{
    HWND dialog = ClientDialog;
    if (!dialog)
        return;
    SetDialogCaption(dialog, L"TCP/IPの設定（Client）", kCaptionWithPath);
    EnableControl(dialog, IDC_CLIENT_CONNECT, !TcpConnected);
    EnableControl(dialog, IDC_CLIENT_DISCONNECT, TcpConnected != 0);
}

void StartClient(HWND dialog)
{
    Initialising = true;
    StartTcpDialog(dialog, ClientDialog, RefreshClient);
    HWND list = GetDlgItem(dialog, IDC_CLIENT_HOST_LIST);
    for (int i = 0; i < HostTable.count; ++i)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(HostText(HostTable.address[i]).c_str()));
    if (HostTable.selected >= 0 && HostTable.selected < HostTable.count) {
        ShowHost(dialog, HostTable.selected);
        SendMessageW(list, LB_SETCURSEL, HostTable.selected, 0);
    }
    FillPort(dialog, IDC_CLIENT_PORT, DeviceModel.UnitNetwork.destinationPortText);
    RefreshClient();
    Initialising = false;
}

void AddClientHost(HWND dialog)
{
    DWORD packed = 0;
    SendDlgItemMessageW(dialog, IDC_CLIENT_HOST_ADDRESS, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&packed));
    const int octets[4] = {static_cast<int>(FIRST_IPADDRESS(packed)), static_cast<int>(SECOND_IPADDRESS(packed)),
                           static_cast<int>(THIRD_IPADDRESS(packed)), static_cast<int>(FOURTH_IPADDRESS(packed))};
    if (!AddHost(octets)) {
        ShowError("ホストは256件までしか登録できません。");
        return;
    }
    HWND list = GetDlgItem(dialog, IDC_CLIENT_HOST_LIST);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(HostText(octets).c_str()));
    SendMessageW(list, LB_SETCURSEL, HostTable.selected, 0);
    WriteConfigHost(HostTable.count, octets);
    WriteConfigHostCount(HostTable.count);
}

void DeleteClientHost(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_CLIENT_HOST_LIST);
    const LRESULT line = SendMessageW(list, LB_GETCURSEL, 0, 0);
    const HostDeletion deletion = DeleteHost(line == LB_ERR ? -1 : static_cast<int>(line));
    if (!deletion.deleted)
        return;
    SendMessageW(list, LB_DELETESTRING, deletion.removed, 0);
    if (deletion.shownHost >= 0)
        ShowHost(dialog, deletion.shownHost);
    for (int i = deletion.firstMoved; i < HostTable.count; ++i)
        WriteConfigHost(i + 1, HostTable.address[i]);
    WriteConfigHostCount(HostTable.count);
}

void SelectClientHost(HWND dialog)
{
    const LRESULT line = SendDlgItemMessageW(dialog, IDC_CLIENT_HOST_LIST, LB_GETCURSEL, 0, 0);
    if (line == LB_ERR || line >= HostTable.count)
        return;
    HostTable.selected = static_cast<int>(line);
    ShowHost(dialog, HostTable.selected);
}

void ConnectClient()
{
    CurrentConnection = HostTable.selected;
    if (TcpConnect() == 0)
        TcpConnected = 0;
    RefreshClient();
}

void DisconnectClient()
{
    if (!TcpConnected)
        return;
    TcpDisconnectAll();
    TcpConnected = 0;
    ShowInfo("Socket 切断 OK");
    RefreshClient();
}

void CloseClient(HWND dialog)
{
    WriteConfigNumber(kKeySelectedHost, HostTable.selected);
    EndTcpDialog(dialog, ClientDialog);
}

bool ClientCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_CLIENT_HOST_LIST:
        if (code == LBN_DBLCLK)
            SelectClientHost(dialog);
        return true;
    case IDC_CLIENT_PORT:
        if (code == EN_CHANGE)
            PortChanged(dialog, IDC_CLIENT_PORT, DeviceModel.UnitNetwork.destinationPortText, kKeyDestinationPort);
        return true;
    case IDC_CLIENT_ADD: AddClientHost(dialog); return true;
    case IDC_CLIENT_DELETE: DeleteClientHost(dialog); return true;
    case IDC_CLIENT_CONNECT: ConnectClient(); return true;
    case IDC_CLIENT_DISCONNECT: DisconnectClient(); return true;
    }
    return false;
}

// Socket notifications come to whichever TCP/IP dialog is up.
bool SocketMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_SOCKET_EVENT)
        return false;
    HandleSocketEvent(wParam, lParam);
    return true;
}

// Nothing is asked from these dialogs: TCP data that reaches them is dropped.
const ModalDialog kClientDialog = {
    .templateId = IDD_TCP_CLIENT,
    .title = L"TCP/IPの設定（Client）",
    .closeId = IDC_CLIENT_CLOSE,
    .takesReplies = false,
    .handlers = {.start = StartClient, .command = ClientCommand, .close = CloseClient, .message = SocketMessage},
};

// ---- Server ------------------------------------------------------------------

const wchar_t kNoDestination[] = L"                ";   // 16 blanks

void RefreshServer()
{
    HWND dialog = ServerDialog;
    if (!dialog)
        return;
    SetDialogCaption(dialog, L"TCP/IPの設定（Server）", kCaptionWithPath);
    HWND list = GetDlgItem(dialog, IDC_SERVER_CLIENT_LIST);
    const int selected = SelectedServerEntry();
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (int i = 1; i < kConnectionEntries; ++i) {
        if (!ConnectionTable[i].inUse)
            continue;
        const LRESULT line = SendMessageW(list, LB_ADDSTRING, 0,
                                          reinterpret_cast<LPARAM>(WideFromUtf8(ConnectionTable[i].peerAddress).c_str()));
        SendMessageW(list, LB_SETITEMDATA, line, i);
        // The unit commands go to stays marked in the rebuilt list.
        if (i == selected)
            SendMessageW(list, LB_SETCURSEL, line, 0);
    }
    SetDlgItemTextW(dialog, IDC_SERVER_DESTINATION,
                    selected ? WideFromUtf8(ConnectionTable[selected].peerAddress).c_str() : kNoDestination);
    // Listening or not decides "接続"; "切断" stays usable while anything is
    // open, so that units still connected after the listening socket failed
    // can be let go.
    EnableControl(dialog, IDC_SERVER_LISTEN, MainSocket == 0);
    EnableControl(dialog, IDC_SERVER_STOP, MainSocket != 0 || SendMessageW(list, LB_GETCOUNT, 0, 0) > 0);
}

void StartServer(HWND dialog)
{
    Initialising = true;
    StartTcpDialog(dialog, ServerDialog, RefreshServer);
    FillPort(dialog, IDC_SERVER_PORT, DeviceModel.UnitNetwork.sourcePortText);
    RefreshServer();
    Initialising = false;
}

void SelectServerUnit(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_SERVER_CLIENT_LIST);
    const LRESULT line = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (line == LB_ERR || SendMessageW(list, LB_GETCOUNT, 0, 0) <= 0) {
        CurrentConnection = kNoConnection;
        return;
    }
    if (SelectServerEntry(static_cast<int>(SendMessageW(list, LB_GETITEMDATA, line, 0))))
        RefreshServer();
}

void StopServer(HWND dialog)
{
    TcpDisconnectAll();
    CurrentConnection = kNoConnection;
    TcpConnected = 0;
    SetDlgItemTextW(dialog, IDC_SERVER_DESTINATION, kNoDestination);
    RefreshServer();
}

bool ServerCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_SERVER_CLIENT_LIST:
        if (code == LBN_DBLCLK)
            SelectServerUnit(dialog);
        return true;
    case IDC_SERVER_PORT:
        if (code == EN_CHANGE)
            PortChanged(dialog, IDC_SERVER_PORT, DeviceModel.UnitNetwork.sourcePortText, kKeySourcePort);
        return true;
    case IDC_SERVER_LISTEN:
        TcpListen();
        RefreshServer();
        return true;
    case IDC_SERVER_STOP: StopServer(dialog); return true;
    }
    return false;
}

const ModalDialog kServerDialog = {
    .templateId = IDD_TCP_SERVER,
    .title = L"TCP/IPの設定（Server）",
    .closeId = IDC_SERVER_CLOSE,
    .takesReplies = false,
    .handlers = {.start = StartServer,
                 .command = ServerCommand,
                 .close = [](HWND dialog) { EndTcpDialog(dialog, ServerDialog); },
                 .message = SocketMessage},
};

} // namespace

void RunTcpClientDialog(HWND owner)
{
    RunModalDialog(owner, kClientDialog);
}

void RunTcpServerDialog(HWND owner)
{
    RunModalDialog(owner, kServerDialog);
}
