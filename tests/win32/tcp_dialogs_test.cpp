#include <gtest/gtest.h>

#include <winsock2.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/tcp_dialogs.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/tcp_link.h"
#include "link/tcp_state.h"
#include "protocol/device_model.h"
#include "resources/resource.h"
#include "win_test_support.h"

namespace {

std::wstring Key(const wchar_t* key)
{
    wchar_t value[64];
    GetPrivateProfileStringW(L"KVR2840E_section", key, L"(none)", value, 64, L".\\KVR2840E.ini");
    return value;
}

void DoubleClick(HWND dialog, int id, int line)
{
    SendDlgItemMessageW(dialog, id, LB_SETCURSEL, line, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void AddAddress(HWND dialog, int a, int b, int c, int d)
{
    SendDlgItemMessageW(dialog, IDC_CLIENT_HOST_ADDRESS, IPM_SETADDRESS, 0, MAKEIPADDRESS(a, b, c, d));
    Click(dialog, IDC_CLIENT_ADD);
}

// Runs a dialog and lets `act` drive it from another thread.
void Drive(void (*run)(HWND), const wchar_t* titleStart, std::function<void(HWND)> act)
{
    EXPECT_TRUE(DriveDialog(run, nullptr, [&](HWND dialog) {
        EXPECT_EQ(Title(dialog).find(titleStart), 0u) << "title";
        act(dialog);
    }));
}

// A port nothing listens on (the test has started the socket library).
int FreePort()
{
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    bind(probe, reinterpret_cast<sockaddr*>(&local), sizeof local);
    int length = sizeof local;
    getsockname(probe, reinterpret_cast<sockaddr*>(&local), &length);
    closesocket(probe);
    return ntohs(local.sin_port);
}

// A unit connecting to the program's server on this machine.
SOCKET ConnectUnit(int port)
{
    SOCKET unit = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in server = {};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<u_short>(port));
    server.sin_addr.s_addr = inet_addr("127.0.0.1");
    connect(unit, reinterpret_cast<sockaddr*>(&server), sizeof server);
    return unit;
}

// Waits up to 4 s for the server dialog's list of units to hold `count` lines.
bool UnitsListed(HWND dialog, int count)
{
    return WaitUntil([&] { return SendDlgItemMessageW(dialog, IDC_SERVER_CLIENT_LIST, LB_GETCOUNT, 0, 0) == count; },
                     4000);
}

void Listen(HWND dialog, int port)
{
    SetDlgItemTextW(dialog, IDC_SERVER_PORT, std::to_wstring(port).c_str());
    Click(dialog, IDC_SERVER_LISTEN);
}

class TcpDialogsTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    MessageBoxRecording messageBoxes;
    void SetUp() override
    {
        ResetProgramState();
        RecordMessageBoxes();
        HostTable.selected = -1;
        MainWindow = nullptr;
        AppRunning = 1;
    }
    void TearDown() override
    {
        TcpDisconnectAll();
    }
};

} // namespace

TEST_F(TcpDialogsTest, ClientHostListWritesTheConfiguration)
{
    Drive(RunTcpClientDialog, L"TCP/IPの設定（Client）  ", [](HWND dialog) {
        AddAddress(dialog, 192, 168, 1, 2);
        AddAddress(dialog, 10, 0, 0, 1);
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_CLIENT_HOST_LIST, LB_GETCOUNT, 0, 0), 2);
        wchar_t line[32];
        SendDlgItemMessageW(dialog, IDC_CLIENT_HOST_LIST, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(line));
        EXPECT_STREQ(line, L"010.000.000.001");
        SetDlgItemTextW(dialog, IDC_CLIENT_PORT, L"9100");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CLIENT_CONNECT)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CLIENT_DISCONNECT)));
        PostMessageW(dialog, WM_COMMAND, IDC_CLIENT_CLOSE, 0);
    });
    EXPECT_EQ(Key(L"ip_address_count"), L"002");
    EXPECT_EQ(Key(L"IP_001"), L"192.168.001.002");
    EXPECT_EQ(Key(L"IP_002"), L"010.000.000.001");
    EXPECT_EQ(Key(L"client_select_ip_address"), L"1");
    EXPECT_EQ(Key(L"dst_port_number"), L"9100");
    EXPECT_STREQ(DeviceModel.UnitNetwork.destinationPortText, "9100");

    // Deleting the first host moves the second up under IP_001.
    Drive(RunTcpClientDialog, L"TCP/IPの設定（Client）", [](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_CLIENT_HOST_LIST, LB_SETCURSEL, 0, 0);
        Click(dialog, IDC_CLIENT_DELETE);
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(Key(L"ip_address_count"), L"001");
    EXPECT_EQ(Key(L"IP_001"), L"010.000.000.001");
    EXPECT_EQ(Key(L"IP_002"), L"010.000.000.001");   // left beyond the count
    EXPECT_EQ(Key(L"client_select_ip_address"), L"0");

    // Deleting the only host: nothing selected any more.
    Drive(RunTcpClientDialog, L"TCP/IPの設定（Client）", [](HWND dialog) {
        Click(dialog, IDC_CLIENT_DELETE);
        PostMessageW(dialog, WM_COMMAND, IDC_CLIENT_CLOSE, 0);
    });
    EXPECT_EQ(Key(L"ip_address_count"), L"000");
    EXPECT_EQ(Key(L"client_select_ip_address"), L"-1");
}

TEST_F(TcpDialogsTest, ConnectWithoutAHostIsRefused)
{
    Drive(RunTcpClientDialog, L"TCP/IPの設定（Client）", [](HWND dialog) {
        Click(dialog, IDC_CLIENT_CONNECT);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CLIENT_CONNECT)));
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].caption, "ERROR");
    EXPECT_EQ(TcpConnected, 0);
}

TEST_F(TcpDialogsTest, ServerListensTakesAUnitAndStops)
{
    ClientServerMode = kModeServer;
    // A port in use: the first listen cannot bind, the second one can.
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET blocker = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    bind(blocker, reinterpret_cast<sockaddr*>(&local), sizeof local);
    int length = sizeof local;
    getsockname(blocker, reinterpret_cast<sockaddr*>(&local), &length);
    const int port = ntohs(local.sin_port);
    listen(blocker, 1);

    SOCKET unit = INVALID_SOCKET;
    Drive(RunTcpServerDialog, L"TCP/IPの設定（Server）  ", [&](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_SERVER_PORT, std::to_wstring(port).c_str());
        Click(dialog, IDC_SERVER_LISTEN);
        EXPECT_EQ(MainSocket, 0u);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SERVER_LISTEN)));
        closesocket(blocker);
        Click(dialog, IDC_SERVER_LISTEN);
        EXPECT_NE(MainSocket, 0u);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SERVER_LISTEN)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SERVER_STOP)));

        // A unit connects and appears in the list.
        unit = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in server = {};
        server.sin_family = AF_INET;
        server.sin_port = htons(static_cast<u_short>(port));
        server.sin_addr.s_addr = inet_addr("127.0.0.1");
        connect(unit, reinterpret_cast<sockaddr*>(&server), sizeof server);
        for (int i = 0; i < 200 && SendDlgItemMessageW(dialog, IDC_SERVER_CLIENT_LIST, LB_GETCOUNT, 0, 0) < 1; ++i)
            Sleep(20);
        ASSERT_EQ(SendDlgItemMessageW(dialog, IDC_SERVER_CLIENT_LIST, LB_GETCOUNT, 0, 0), 1);
        EXPECT_EQ(TcpConnected, 0);
        DoubleClick(dialog, IDC_SERVER_CLIENT_LIST, 0);
        EXPECT_EQ(TcpConnected, 1);
        EXPECT_EQ(CurrentConnection, 1);
        EXPECT_EQ(Text(dialog, IDC_SERVER_DESTINATION), L"127.0.0.1");
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_SERVER_CLIENT_LIST, LB_GETCURSEL, 0, 0), 0);

        Click(dialog, IDC_SERVER_STOP);
        EXPECT_EQ(TcpConnected, 0);
        EXPECT_EQ(CurrentConnection, kNoConnection);
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_SERVER_CLIENT_LIST, LB_GETCOUNT, 0, 0), 0);
        EXPECT_EQ(Text(dialog, IDC_SERVER_DESTINATION), L"                ");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SERVER_LISTEN)));
        PostMessageW(dialog, WM_COMMAND, IDC_SERVER_CLOSE, 0);
    });
    closesocket(unit);
    WSACleanup();
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "Bindできません");
    EXPECT_EQ(Key(L"source_port_number"), std::to_wstring(port));
}

// The unit that commands go to leaves: no unit is selected any more, and a
// unit that connects into its place is not taken for it.
TEST_F(TcpDialogsTest, TheSelectedUnitLeavingLeavesNoUnitSelected)
{
    ClientServerMode = kModeServer;
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const int port = FreePort();
    SOCKET units[3] = {INVALID_SOCKET, INVALID_SOCKET, INVALID_SOCKET};
    Drive(RunTcpServerDialog, L"TCP/IPの設定（Server）  ", [&](HWND dialog) {
        Listen(dialog, port);
        units[0] = ConnectUnit(port);
        ASSERT_TRUE(UnitsListed(dialog, 1));
        units[1] = ConnectUnit(port);
        ASSERT_TRUE(UnitsListed(dialog, 2));
        DoubleClick(dialog, IDC_SERVER_CLIENT_LIST, 0);
        ASSERT_EQ(CurrentConnection, 1);
        ASSERT_EQ(TcpConnected, 1);

        closesocket(units[0]);
        ASSERT_TRUE(UnitsListed(dialog, 1));
        EXPECT_EQ(CurrentConnection, kNoConnection);
        EXPECT_EQ(TcpConnected, 0);
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_SERVER_CLIENT_LIST, LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_EQ(Text(dialog, IDC_SERVER_DESTINATION), L"                ");

        units[2] = ConnectUnit(port);   // takes the first entry again
        ASSERT_TRUE(UnitsListed(dialog, 2));
        EXPECT_EQ(ConnectionTable[1].inUse, 1);
        EXPECT_EQ(TcpConnected, 0);
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_SERVER_CLIENT_LIST, LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_EQ(Text(dialog, IDC_SERVER_DESTINATION), L"                ");
        PostMessageW(dialog, WM_COMMAND, IDC_SERVER_CLOSE, 0);
    });
    for (SOCKET unit : {units[1], units[2]})
        closesocket(unit);
    WSACleanup();
    EXPECT_TRUE(RecordedMessages.empty());
}

// An error on the listening socket closes it and forgets it: "接続" listens
// anew, and "切断" lets go of the units still connected.
TEST_F(TcpDialogsTest, AFailedListeningSocketIsForgotten)
{
    ClientServerMode = kModeServer;
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const int port = FreePort();
    SOCKET unit = INVALID_SOCKET;
    Drive(RunTcpServerDialog, L"TCP/IPの設定（Server）  ", [&](HWND dialog) {
        Listen(dialog, port);
        unit = ConnectUnit(port);
        ASSERT_TRUE(UnitsListed(dialog, 1));
        SendMessageW(dialog, WM_SOCKET_EVENT, static_cast<WPARAM>(MainSocket),
                     WSAMAKESELECTREPLY(FD_ACCEPT, WSAENETDOWN));
        EXPECT_EQ(MainSocket, 0u);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SERVER_LISTEN)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SERVER_STOP)));
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_SERVER_CLIENT_LIST, LB_GETCOUNT, 0, 0), 1);

        // The connected unit still holds the old port.
        Listen(dialog, FreePort());
        EXPECT_NE(MainSocket, 0u);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SERVER_LISTEN)));

        Click(dialog, IDC_SERVER_STOP);
        EXPECT_EQ(MainSocket, 0u);
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_SERVER_CLIENT_LIST, LB_GETCOUNT, 0, 0), 0);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SERVER_LISTEN)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SERVER_STOP)));
        PostMessageW(dialog, WM_COMMAND, IDC_SERVER_CLOSE, 0);
    });
    closesocket(unit);
    WSACleanup();
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "ソケットイベントにエラーが発生しました。");
}
