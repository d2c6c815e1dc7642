// How long read all and set all take through their dialogs against the
// simulator, as a ratio of their timer bound (66 × 300 ms, 67 × 400 ms):
// the time from the button to the closing message. Run under Wine by
// bench/run_transfer_bench.sh, once on the serial link (a pty mapped to a
// COM port) and once over loopback TCP. Prints figures; a case fails only
// when a run does not finish.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/main_window.h"
#include "dialogs/routing/transfer_dialogs.h"
#include "link/link_state.h"
#include "link/serial_link.h"
#include "link/tcp_link.h"
#include "link/tcp_state.h"
#include "protocol/device_model.h"
#include "resources/resource.h"
#include "win_test_support.h"

namespace {

LRESULT CALLBACK SocketWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SOCKET_EVENT) {
        HandleSocketEvent(wParam, lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Runs a dialog to its closing message; the milliseconds from its button to the message.
double RunMilliseconds(void (*run)(HWND), const char* doneText)
{
    LARGE_INTEGER frequency, start = {}, end = {};
    QueryPerformanceFrequency(&frequency);
    const bool found = DriveDialog(run, nullptr, [&](HWND dialog) {
        const size_t before = RecordedMessages.size();
        QueryPerformanceCounter(&start);
        PostMessageW(dialog, WM_COMMAND, IDC_TRANSFER_START, 0);
        while (RecordedMessages.size() == before && IsWindow(dialog))
            Sleep(1);
        QueryPerformanceCounter(&end);
        WaitUntilGone(dialog);
    }, 60000);
    EXPECT_TRUE(found);
    EXPECT_FALSE(RecordedMessages.empty());
    if (RecordedMessages.empty() || RecordedMessages.back().text != doneText)
        return -1;
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Report(const char* link)
{
    const double read = RunMilliseconds(RunReadAllDialog, "読み込みが完了しました");
    const double set = RunMilliseconds(RunSetAllDialog, "設定が完了しました");
    ASSERT_GT(read, 0);
    ASSERT_GT(set, 0);
    printf("%-6s read all %7.0f ms, %.3f x 66 x 300 ms; set all %7.0f ms, %.3f x 67 x 400 ms\n", link, read,
           read / (66 * 300.0), set, set / (67 * 400.0));
}

} // namespace

TEST(TransferBench, Serial)
{
    std::string port;
    ASSERT_TRUE(ScenarioSetting("KVR_TEST_PORT", port));
    StartLinkScenario();
    snprintf(PortNameTable[0], sizeof PortNameTable[0], "%s", port.c_str());
    OpenSerialPort();
    InstallSerialTransport();
    ASSERT_TRUE(StartSerialReadThread());
    Report("serial");
    AppRunning = 0;
    StopSerialReadThread();
    CloseSerialPort();
}

TEST(TransferBench, Tcp)
{
    std::string port;
    ASSERT_TRUE(ScenarioSetting("KVR_TEST_TCP_PORT", port));
    StartLinkScenario();
    InterfaceKind = kInterfaceTcp;
    InstallTcpTransport();
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = SocketWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KvrBenchSockets";
    RegisterClassW(&windowClass);
    MainWindow = CreateWindowW(L"KvrBenchSockets", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    RegisterTcpSockets(MainWindow);
    ClientServerMode = kModeClient;
    const int loopback[4] = {127, 0, 0, 1};
    memcpy(HostTable.address[0], loopback, sizeof loopback);
    HostTable.count = 1;
    CurrentConnection = 0;
    snprintf(DeviceModel.UnitNetwork.destinationPortText, 6, "%s", port.c_str());
    ASSERT_EQ(TcpConnect(), 1);
    ASSERT_TRUE(PumpUntil([] { return TcpConnected == 1; }, 5000));
    Report("tcp");
    TcpDisconnectAll();
    DestroyWindow(MainWindow);
    MainWindow = nullptr;
}
