// The TCP link against the unit simulator; the Wine scenario runner starts
// the simulator for each scenario (tests/win32/CMakeLists.txt) and passes
// its port in KVR_TEST_TCP_PORT.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/program_state.h"
#include "dialogs/routing/io_status.h"
#include "dialogs/routing/io_status_view.h"
#include "dialogs/routing/transfer_dialogs.h"
#include "dialogs/routing/video_output.h"
#include "files/settings_file.h"
#include "resources/resource.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/send_path.h"
#include "link/tcp_link.h"
#include "link/tcp_state.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"
#include "win_test_support.h"

namespace {

// Stands in for the main window, which looks after the sockets while no
// TCP/IP dialog is open.
LRESULT CALLBACK MainStandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SOCKET_EVENT) {
        HandleSocketEvent(wParam, lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Stands in for a setting dialog that sent a command.
LRESULT CALLBACK DialogStandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEVICE_REPLY) {
        HandleDeviceReply();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The socket library is started (by anyone in this process): a cleanup
// succeeds then, and is undone at once.
bool SocketLibraryInUse()
{
    if (WSACleanup() != 0)
        return false;
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    return true;
}

// What the link held when each box was shown.
struct LinkAtBox {
    int connected;
    uintptr_t mainSocket;
};
std::vector<LinkAtBox> LinkAtBoxes;

// Records each box with the link's state at that moment; a connection made
// is closed by its unit while its box is up.
int RecordWithLinkState(const MessageRequest& request)
{
    RecordedMessages.push_back({request.text, request.caption, request.icon});
    LinkAtBoxes.push_back({TcpConnected, MainSocket});
    if (strcmp(request.text, "Socket 接続 OK") == 0)
        HandleSocketEvent(static_cast<WPARAM>(MainSocket), WSAMAKESELECTREPLY(FD_CLOSE, 0));
    return kAnswerOk;
}

// A unit played by the test: a socket listening on a free port of every
// address, and the connection the program makes to it.
class FakeUnit {
public:
    FakeUnit()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in local = {};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        bind(listener_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        int length = sizeof local;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &length);
        port_ = ntohs(local.sin_port);
        listen(listener_, 1);
    }
    ~FakeUnit()
    {
        if (unit_ != INVALID_SOCKET)
            closesocket(unit_);
        closesocket(listener_);
        WSACleanup();
    }
    int port() const { return port_; }
    // Takes the program's connection (its connect has been called).
    bool Accept()
    {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(listener_, &readable);
        timeval timeout = {5, 0};
        if (select(0, &readable, nullptr, nullptr, &timeout) != 1)
            return false;
        unit_ = accept(listener_, nullptr, nullptr);
        return unit_ != INVALID_SOCKET;
    }
    void Send(const char* bytes) { send(unit_, bytes, static_cast<int>(strlen(bytes)), 0); }

private:
    SOCKET listener_ = INVALID_SOCKET;
    SOCKET unit_ = INVALID_SOCKET;
    int port_ = 0;
};

HWND MakeStandIn(const wchar_t* className, WNDPROC procedure)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);   // fails harmlessly when already registered
    return CreateWindowW(className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
}

class TcpLinkTest : public ::testing::Test {
protected:
    MessageBoxRecording messageBoxes;
    HWND mainStandIn = nullptr;
    HWND dialogStandIn = nullptr;
    int port = 0;

    void SetUp() override
    {
        std::string text;
        ASSERT_TRUE(ScenarioSetting("KVR_TEST_TCP_PORT", text));
        port = atoi(text.c_str());
        StartLinkScenario();
        InterfaceKind = kInterfaceTcp;
        InstallTcpTransport();
        mainStandIn = MakeStandIn(L"KvrMainStandIn", MainStandInProc);
        dialogStandIn = MakeStandIn(L"KvrDialogStandIn", DialogStandInProc);
        MainWindow = mainStandIn;
        OpenDialog = dialogStandIn;
        RegisterTcpSockets(mainStandIn);
    }
    void TearDown() override
    {
        TcpDisconnectAll();
        EXPECT_FALSE(SocketLibraryInUse());
        EXPECT_EQ(SocketLibraryStarts(), 0);
        DestroyWindow(mainStandIn);
        DestroyWindow(dialogStandIn);
    }

    void ConnectAsClient(const int (&octets)[4], int unitPort = 0)
    {
        ClientServerMode = kModeClient;
        HostTable = HostTableRecord();
        memcpy(HostTable.address[0], octets, sizeof octets);
        HostTable.count = 1;
        CurrentConnection = 0;
        snprintf(DeviceModel.UnitNetwork.destinationPortText, 6, "%d", unitPort ? unitPort : port);
        ASSERT_EQ(TcpConnect(), 1);
    }

    bool Answered()
    {
        return PumpUntil([] { return TransactionState.busy == 0; }, 5000);
    }
};

} // namespace

TEST_F(TcpLinkTest, ClientSendsAndReceives)
{
    ConnectAsClient({127, 0, 0, 1});
    ASSERT_TRUE(PumpUntil([] { return TcpConnected == 1; }, 5000));
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "Socket 接続 OK");

    DeviceModel.VideoOutputEnable[2] = 0;
    ASSERT_TRUE(SendVideoOutput(DeviceModel, 2));
    ASSERT_TRUE(Answered());
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);

    DeviceModel.VideoOutputEnable[2] = 1;
    TransactionState.completionCode = 0;
    ASSERT_TRUE(SendReadVideoOutputs(DeviceModel));
    ASSERT_TRUE(Answered());
    EXPECT_EQ(DeviceModel.VideoOutputEnable[2], 0);

    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "OE03OF");
    EXPECT_EQ(log[1], "ROE");
}

TEST_F(TcpLinkTest, ClientTakesASplitReplyOnce)
{
    ConnectAsClient({127, 0, 0, 1});
    ASSERT_TRUE(PumpUntil([] { return TcpConnected == 1; }, 5000));
    DeviceModel.CurrentDisplayPattern = 9;
    ASSERT_TRUE(SendReadCurrentPattern(DeviceModel));
    ASSERT_TRUE(Answered());
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    EXPECT_EQ(DeviceModel.CurrentDisplayPattern, 0);
    EXPECT_EQ(TransactionState.sendFailed, 0);
}

TEST_F(TcpLinkTest, SilentUnitEndsWithNoAnswerWithoutBurningACore)
{
    ConnectAsClient({127, 0, 0, 1});
    ASSERT_TRUE(PumpUntil([] { return TcpConnected == 1; }, 5000));
    RecordedMessages.clear();
    FILETIME created, exited, kernelBefore, userBefore, kernelAfter, userAfter;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelBefore, &userBefore);
    const DWORD start = GetTickCount();
    SendCommand("ROE\r\n");
    const DWORD elapsed = GetTickCount() - start;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelAfter, &userAfter);
    auto ticks = [](const FILETIME& t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    const double cpuSeconds =
        static_cast<double>(ticks(kernelAfter) - ticks(kernelBefore) + ticks(userAfter) - ticks(userBefore)) / 1e7;

    EXPECT_GE(elapsed, 2900u);
    EXPECT_LE(elapsed, 4500u);
    EXPECT_LT(cpuSeconds, 1.0);
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "Answer が､きません");
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.replyWait, 0);
    EXPECT_EQ(TransactionState.sendFailed, 1);
}

TEST_F(TcpLinkTest, UnreachableUnitReportsTheSocketEvent)
{
    // Nothing listens on the port after the simulator's.
    port += 1;
    ConnectAsClient({127, 0, 0, 1});
    ASSERT_TRUE(PumpUntil([] { return !RecordedMessages.empty(); }, 10000));
    EXPECT_EQ(RecordedMessages[0].text, "ソケットイベントにエラーが発生しました。");
    EXPECT_EQ(TcpConnected, 0);
}

TEST_F(TcpLinkTest, NotConnectedAndStaleSelection)
{
    ClientServerMode = kModeServer;
    CurrentConnection = kNoConnection;
    TcpConnected = 1;   // stale: no unit is selected
    SendCommand("ROE\r\n");
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "Socket が接続されていません");
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.sendFailed, 1);
}

TEST_F(TcpLinkTest, ServerTakesUnitsAndSendsToTheSelectedOne)
{
    // The script starts three simulated units that connect to this port.
    ClientServerMode = kModeServer;
    snprintf(DeviceModel.UnitNetwork.sourcePortText, 6, "%d", port);
    ASSERT_EQ(TcpListen(), 1);
    EXPECT_EQ(TcpListen(), 1);   // already listening
    auto units = [] {
        int n = 0;
        for (int i = 1; i < kConnectionEntries; ++i)
            n += ConnectionTable[i].inUse;
        return n;
    };
    const int expected = atoi(getenv("KVR_TEST_UNITS") ? getenv("KVR_TEST_UNITS") : "3");
    const int held = expected > kMaxUnits ? kMaxUnits : expected;
    ASSERT_TRUE(PumpUntil([&] { return units() == held; }, 20000)) << units() << " units";
    // Nothing more comes: a 97th unit was turned away without a message.
    PumpUntil([] { return false; }, 1500);
    EXPECT_EQ(units(), held);
    EXPECT_TRUE(RecordedMessages.empty());
    EXPECT_STREQ(ConnectionTable[1].peerAddress, "127.0.0.1");

    // Before a unit is chosen nothing can be sent.
    SendCommand("ROE\r\n");
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "Socket が接続されていません");

    CurrentConnection = 2;
    TcpConnected = 1;
    ResetTransaction();
    DeviceModel.VideoOutputEnable[2] = 0;
    ASSERT_TRUE(SendVideoOutput(DeviceModel, 2));
    ASSERT_TRUE(Answered());
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);

    // Only the chosen unit took the command: read each of the first three back.
    for (int entry = 1; entry <= 3; ++entry) {
        CurrentConnection = entry;
        DeviceModel.VideoOutputEnable[2] = 7;
        ResetTransaction();
        ASSERT_TRUE(SendReadVideoOutputs(DeviceModel));
        ASSERT_TRUE(Answered());
        EXPECT_EQ(DeviceModel.VideoOutputEnable[2], entry == 2 ? 0 : 1) << "unit " << entry;
    }
}

TEST_F(TcpLinkTest, UnitClosingTheConnectionEndsIt)
{
    // The unit of this scenario hangs up once it has answered one command.
    ConnectAsClient({127, 0, 0, 1});
    ASSERT_TRUE(PumpUntil([] { return TcpConnected == 1; }, 5000));
    RecordedMessages.clear();
    ASSERT_TRUE(SendReadVideoOutputs(DeviceModel));
    // Only the reply is handled, not the close that follows it: the next
    // command goes out while the link still takes the connection as open,
    // and the unit hangs up instead of answering.
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, dialogStandIn, WM_DEVICE_REPLY, WM_DEVICE_REPLY, PM_REMOVE));
    DispatchMessageW(&message);
    ASSERT_EQ(TransactionState.busy, 0);
    SendCommand("ROE\r\n");
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "Socket 送信");
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.sendFailed, 1);

    ASSERT_TRUE(PumpUntil([] { return TcpConnected == 0; }, 10000));
    EXPECT_EQ(MainSocket, 0u);
    EXPECT_FALSE(SocketLibraryInUse());
    // "接続" can be used again, and a command now fails plainly.
    RecordedMessages.clear();
    SendCommand("ROE\r\n");
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "Socket が接続されていません");
}

TEST_F(TcpLinkTest, UnknownSocketEventIsShown)
{
    ConnectAsClient({127, 0, 0, 1});
    HandleSocketEvent(static_cast<WPARAM>(MainSocket), WSAMAKESELECTREPLY(0x400, 0));
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "ﾈｯﾄﾜｰｸ･ｴﾗｰ(event 1024)");
    EXPECT_EQ(RecordedMessages[0].caption, "ERROR");
}

TEST_F(TcpLinkTest, TableDialogRepliesArriveThroughTheDialog)
{
    ConnectAsClient({127, 0, 0, 1});
    ASSERT_TRUE(PumpUntil([] { return TcpConnected == 1; }, 5000));
    RecordedMessages.clear();
    DeviceModel.VideoOutputEnable[2] = 0;
    WindowWatcher watcher(L"#32770", nullptr, [](HWND dialog) {
        // TCP/IP: the slave address does not apply.
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_TABLE_SLAVE_LIST)));
        SendDlgItemMessageW(dialog, IDC_TABLE_CHANNEL_LIST, CB_SETCURSEL, 1, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_TABLE_CHANNEL_LIST, CBN_SELCHANGE), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_TABLE_SET, BN_CLICKED), 0);
        for (int i = 0; i < 250 && TransactionState.completionCode != kCompletionSingle; ++i)
            Sleep(20);
        PostMessageW(dialog, WM_COMMAND, IDC_TABLE_CLOSE, 0);
    });
    RunVideoOutputDialog(nullptr);
    EXPECT_TRUE(watcher.found());
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "OE03OF");
    EXPECT_TRUE(RecordedMessages.empty());
}

TEST_F(TcpLinkTest, ReadAllRunsThroughTheDialogToTheEnd)
{
    ConnectAsClient({127, 0, 0, 1});
    ASSERT_TRUE(PumpUntil([] { return TcpConnected == 1; }, 5000));
    RecordedMessages.clear();
    DeviceModel.AutoSwitchPatternTable[31][63] = 77;   // the unit holds 3
    WindowWatcher watcher(L"#32770", L"設定項目の読み込み  ", [](HWND dialog) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_TRANSFER_SLAVE_LIST)));
        PostMessageW(dialog, WM_COMMAND, IDC_TRANSFER_START, 0);
        WaitUntilGone(dialog);
        for (int waited = 0; waited < 30000 && IsWindow(dialog); waited += 100)
            Sleep(100);
    }, 10000);
    RunReadAllDialog(nullptr);
    EXPECT_TRUE(watcher.found());
    ASSERT_FALSE(RecordedMessages.empty());
    EXPECT_EQ(RecordedMessages.back().text, "読み込みが完了しました");
    EXPECT_EQ(SimulatorLog().size(), 66u);
    EXPECT_EQ(DeviceModel.AutoSwitchPatternTable[31][63], 3);
    EXPECT_EQ(SettingsModified, 1);
}

TEST_F(TcpLinkTest, APortOutsideTheRangeIsRefused)
{
    ConnectAsClient({127, 0, 0, 1});   // connects to the scenario's port
    TcpDisconnectAll();
    RecordedMessages.clear();
    for (const char* port : {"99999", "00000", "80a0"}) {
        snprintf(DeviceModel.UnitNetwork.destinationPortText, 6, "%s", port);
        EXPECT_EQ(TcpConnect(), 0) << port;
        snprintf(DeviceModel.UnitNetwork.sourcePortText, 6, "%s", port);
        EXPECT_EQ(TcpListen(), 0) << port;
    }
    ASSERT_EQ(RecordedMessages.size(), 6u);
    EXPECT_EQ(RecordedMessages[0].text, "ポート番号は 1～65535 にしてください。");
    EXPECT_EQ(MainSocket, 0u);
}

TEST_F(TcpLinkTest, StatusWindowPollsAreAnsweredThroughTheWindow)
{
    ConnectAsClient({127, 0, 0, 1});
    ASSERT_TRUE(PumpUntil([] { return TcpConnected == 1; }, 5000));
    RecordedMessages.clear();
    IoStatusPollCounter = 0;
    WindowWatcher watcher(L"#32770", nullptr, [](HWND window) {
        EXPECT_TRUE(WaitUntil([] { return IoStatusDrawn.incrementalDraws >= 3; }, 5000));
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    RunIoStatusWindow(nullptr);
    EXPECT_TRUE(watcher.found());
    EXPECT_GE(IoStatusDrawn.incrementalDraws, 3);
    EXPECT_EQ(IoStatusDrawn.mostCellsInOneDraw, kOutputCount);   // the first "OCD": every output's cell
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "ROS");
    EXPECT_EQ(log[1], "ROCD");
    EXPECT_EQ(log[2], "RVL");
    EXPECT_EQ(IoStatusWindowOpen, 0);
    EXPECT_TRUE(RecordedMessages.empty());
}

// The unit of this scenario hangs up after two polls: the third fails, and
// the status window that polled through the link closes by itself.
TEST_F(TcpLinkTest, StatusWindowClosesWhenTheLinkFailsUnderIt)
{
    ConnectAsClient({127, 0, 0, 1});
    ASSERT_TRUE(PumpUntil([] { return TcpConnected == 1; }, 5000));
    RecordedMessages.clear();
    InstallMainWindowServices();   // the program's way to close the open dialog
    static bool closedByItself = false;
    {
        WindowWatcher watcher(L"#32770", L"入出力の状態  ", [](HWND window) {
            closedByItself = WaitUntil([window] { return !IsWindow(window); }, 10000);
            if (!closedByItself)
                PostMessageW(window, WM_CLOSE, 0, 0);
        });
        RunIoStatusWindow(nullptr);
        EXPECT_TRUE(watcher.found());
    }   // the watcher has seen the window go
    EXPECT_TRUE(closedByItself);
    EXPECT_EQ(IoStatusWindowOpen, 0);
    // The failed poll is told, as a send that failed or found no connection
    // (whichever the hang-up reached first).
    EXPECT_TRUE(WasShown("Socket 送信") || WasShown("Socket が接続されていません"));
    EXPECT_EQ(SimulatorLog().size(), 2u);
}

// Each event changes the link before its box, whose message loop may handle
// further events; an event of a socket the link has closed is dropped.
TEST_F(TcpLinkTest, SocketEventsChangeTheLinkBeforeTheirBox)
{
    LinkAtBoxes.clear();
    MessageSink = RecordWithLinkState;
    ConnectAsClient({127, 0, 0, 1});
    const uintptr_t connection = MainSocket;
    ASSERT_TRUE(PumpUntil([] { return !RecordedMessages.empty(); }, 5000));
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "Socket 接続 OK");
    EXPECT_EQ(LinkAtBoxes[0].connected, 1);
    // The close handled inside the box stands.
    EXPECT_EQ(TcpConnected, 0);
    EXPECT_EQ(MainSocket, 0u);

    // Events still queued for the closed connection change nothing.
    HandleSocketEvent(static_cast<WPARAM>(connection), WSAMAKESELECTREPLY(FD_CONNECT, 0));
    HandleSocketEvent(static_cast<WPARAM>(connection), WSAMAKESELECTREPLY(FD_READ, WSAECONNRESET));
    EXPECT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(TcpConnected, 0);

    // A failed connection is closed before its error is shown.
    ConnectAsClient({127, 0, 0, 1}, port + 1);
    ASSERT_TRUE(PumpUntil([] { return RecordedMessages.size() == 2; }, 10000));
    EXPECT_EQ(RecordedMessages[1].text, "ソケットイベントにエラーが発生しました。");
    EXPECT_EQ(LinkAtBoxes[1].mainSocket, 0u);
    EXPECT_EQ(LinkAtBoxes[1].connected, 0);
}

// Every failed Connect or Listen ends the socket library it started.
TEST_F(TcpLinkTest, FailedOpeningsEndTheSocketLibrary)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        RecordedMessages.clear();
        ConnectAsClient({127, 0, 0, 1}, port + 1);   // nothing listens there
        ASSERT_TRUE(PumpUntil([] { return !RecordedMessages.empty(); }, 10000));
        EXPECT_EQ(MainSocket, 0u);
        EXPECT_FALSE(SocketLibraryInUse()) << "attempt " << attempt;
    }

    // A port this test holds: the bind fails.
    int blockedPort = 0;
    {
        FakeUnit holder;
        blockedPort = holder.port();
        RecordedMessages.clear();
        ClientServerMode = kModeServer;
        snprintf(DeviceModel.UnitNetwork.sourcePortText, 6, "%d", blockedPort);
        EXPECT_EQ(TcpListen(), 0);
        ASSERT_EQ(RecordedMessages.size(), 1u);
        EXPECT_EQ(RecordedMessages[0].text, "Bindできません");
        EXPECT_EQ(MainSocket, 0u);
        EXPECT_EQ(SocketLibraryStarts(), 0);
    }
    EXPECT_FALSE(SocketLibraryInUse());
}

// A reply whose rest never comes ends its command with "Answer が､きません",
// and its piece is not taken as the start of the next reply.
TEST_F(TcpLinkTest, APieceWithoutItsRestEndsItsCommandAndIsForgotten)
{
    FakeUnit unit;
    ConnectAsClient({127, 0, 0, 1}, unit.port());
    ASSERT_TRUE(unit.Accept());
    ASSERT_TRUE(PumpUntil([] { return TcpConnected == 1; }, 5000));
    RecordedMessages.clear();

    unit.Send("OP0");   // waiting on the connection when the command goes out
    DeviceModel.CurrentDisplayPattern = 9;
    ASSERT_TRUE(SendReadCurrentPattern(DeviceModel));
    ASSERT_TRUE(Answered());
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "Answer が､きません");
    EXPECT_EQ(TransactionState.sendFailed, 1);
    EXPECT_EQ(DeviceModel.CurrentDisplayPattern, 9);

    unit.Send("GO\r\n");
    ResetTransaction();
    DeviceModel.VideoOutputEnable[2] = 0;
    ASSERT_TRUE(SendVideoOutput(DeviceModel, 2));
    ASSERT_TRUE(Answered());
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    EXPECT_EQ(RecordedMessages.size(), 1u);
}

// Connect, three commands, disconnect, a few hundred times against a unit
// that plays a fault: the read's reply is applied once in every cycle, the
// third command's error (with --error-every 3) ends that command only, and
// the cycles leave no GDI or USER object and no handle behind.
TEST_F(TcpLinkTest, ConnectionCyclesEndEveryCommandOnceAndLeaveNothingBehind)
{
    const SimulatorFaults faults = ScenarioFaults();
    constexpr int kCycles = 150;
    ProcessResources start = {};
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        RecordedMessages.clear();
        ConnectAsClient({127, 0, 0, 1});
        ASSERT_TRUE(PumpUntil([] { return TcpConnected == 1; }, 5000)) << "cycle " << cycle;
        const int output = 1 + cycle % 15;   // output 1 is always on
        DeviceModel.VideoOutputEnable[output] = cycle % 2;
        ASSERT_TRUE(SendVideoOutput(DeviceModel, output));
        ASSERT_TRUE(Answered());
        EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
        DeviceModel.VideoOutputEnable[output] = 2;   // the read must put the unit's value back
        ASSERT_TRUE(SendReadVideoOutputs(DeviceModel));
        ASSERT_TRUE(Answered());
        EXPECT_EQ(DeviceModel.VideoOutputEnable[output], cycle % 2) << "cycle " << cycle;
        ASSERT_TRUE(SendVideoOutput(DeviceModel, output));
        ASSERT_TRUE(Answered());
        EXPECT_EQ(TransactionState.replyStatus, faults.errorEvery == 3 ? kReplyCommandError : kReplyGood);
        ResetTransaction();
        TcpDisconnectAll();
        ASSERT_EQ(RecordedMessages.size(), 1u) << "cycle " << cycle;
        EXPECT_EQ(RecordedMessages[0].text, "Socket 接続 OK");
        if (cycle == 0)
            start = CurrentResources();
    }
    ExpectNothingLeftBehind(start);
    EXPECT_EQ(SimulatorLog().size(), static_cast<size_t>(3 * kCycles));
}
