// The four communication settings dialogs, driven through their real windows
// from a watcher thread while the test thread runs them modally.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/comm_dialogs.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "files/settings_file.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/send_path.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "resources/resource.h"
#include "win_test_support.h"

namespace {

const wchar_t kNotStored[] = L"(not stored)";

// A key of this test's own ".\KVR2840E.ini", or kNotStored.
std::wstring Stored(const wchar_t* key)
{
    wchar_t value[64];
    GetPrivateProfileStringW(L"KVR2840E_section", key, kNotStored, value, 64, L".\\KVR2840E.ini");
    return value;
}

void Store(const wchar_t* key, const wchar_t* value)
{
    WritePrivateProfileStringW(L"KVR2840E_section", key, value, L".\\KVR2840E.ini");
}

bool ConfigFileExists()
{
    return GetFileAttributesW(L".\\KVR2840E.ini") != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> Lines(HWND dialog, int listId)
{
    std::vector<std::wstring> lines;
    const LRESULT count = SendDlgItemMessageW(dialog, listId, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        SendDlgItemMessageW(dialog, listId, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        lines.push_back(text);
    }
    return lines;
}

int Selection(HWND dialog, int listId)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, listId, CB_GETCURSEL, 0, 0));
}

void Press(HWND dialog, int buttonId)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

void PressCloseBox(HWND dialog)
{
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// What the watcher saw while the dialog was up.
struct Seen {
    bool found = false;
    bool registered = false;   // the dialog was the open dialog
    std::wstring title;
};

// Runs a dialog; `act` answers it from the watcher thread and must end it.
// Any dialog of the process is taken, whatever its title, so that a wrong
// title fails the test instead of leaving the dialog up for ever.
Seen RunDialog(void (*run)(HWND), const std::function<void(HWND)>& act)
{
    Seen seen;
    seen.found = DriveDialog(run, MainWindow, [&](HWND dialog) {
        seen.registered = OpenDialog == dialog;
        seen.title = Title(dialog);
        act(dialog);
    });
    return seen;
}

std::string SentFrame;
void RecordFrame(const char* frame, int length)
{
    SentFrame.assign(frame, static_cast<size_t>(length));
}

class CommDialogsTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    MessageBoxRecording messageBoxes;

    static void SetUpTestSuite()
    {
        if (MainWindow)
            return;
        HINSTANCE instance = GetModuleHandleW(nullptr);
        RegisterMainWindowClass(instance, L"KVR2840E");
        CreateMainWindow(instance, L"KVR2840E", L"KVR2840E ver.1.00");
    }
    void SetUp() override
    {
        ASSERT_NE(MainWindow, nullptr);
        ResetProgramState();
        RecordMessageBoxes();   // the reset unhooked the recording sink
        OpenDialog = nullptr;
        UpdateMenuStates();
    }
    void TearDown() override
    {
        CurrentFilePath[0] = '\0';
        StopSerialReadThread();
        CloseSerialPort();
    }

    static bool Grayed(UINT id)
    {
        return (GetMenuState(GetMenu(MainWindow), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
    }
    // Serial settings, client/server, TCP/IP settings, slave address: 'G' grayed, 'E' enabled.
    static std::string LinkMenu()
    {
        std::string states;
        for (UINT id : {IDM_SERIAL_SETTINGS, IDM_CLIENT_SERVER, IDM_TCP_SETTINGS, IDM_SLAVE_ADDRESS})
            states += Grayed(id) ? 'G' : 'E';
        return states;
    }

    static void FillPorts(int count)
    {
        // Ports that no PC has, so that opening one fails visibly.
        for (int i = 0; i < count; ++i)
            snprintf(PortNameTable[i], kPortNameBytes, "COM%d", 201 + i);
        PortCount = count;
    }
};

} // namespace

// ---- Interface -------------------------------------------------------------

TEST_F(CommDialogsTest, InterfaceDialogShowsItsChoicesAndTheSettingsFile)
{
    snprintf(CurrentFilePath, sizeof CurrentFilePath, "%s", "C:\\現場\\設定.dat");
    InterfaceKind = kInterfaceTcp;
    UpdateMenuStates();
    std::vector<std::wstring> lines;
    int selected = -2;
    const Seen seen = RunDialog(RunInterfaceDialog, [&](HWND dialog) {
        lines = Lines(dialog, IDC_INTERFACE_LIST);
        selected = Selection(dialog, IDC_INTERFACE_LIST);
        PressCloseBox(dialog);
    });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.title, L"インターフェイスの設定  C:\\現場\\設定.dat");
    EXPECT_TRUE(seen.registered);
    EXPECT_EQ(OpenDialog, nullptr);
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"RS-232C/RS-485", L"TCP/IP"}));
    EXPECT_EQ(selected, 1);
}

TEST_F(CommDialogsTest, InterfaceOkWithoutChangeWritesNothingAndLeavesTheMenu)
{
    // A menu state the dialog would correct if it set the menu at all.
    EnableMenuItem(GetMenu(MainWindow), IDM_SLAVE_ADDRESS, MF_BYCOMMAND | MF_ENABLED);
    const Seen seen = RunDialog(RunInterfaceDialog, [](HWND dialog) { Press(dialog, IDC_INTERFACE_OK); });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(InterfaceKind, kInterfaceSerial);
    EXPECT_FALSE(ConfigFileExists());
    EXPECT_EQ(LinkMenu(), "EGGE");
    EXPECT_EQ(OpenDialog, nullptr);
}

TEST_F(CommDialogsTest, InterfaceChangeWritesOneDigitAndSetsTheMenu)
{
    ControlMode = kControlRs485;
    UpdateMenuStates();
    ASSERT_EQ(LinkMenu(), "EGGE");

    RunDialog(RunInterfaceDialog, [](HWND dialog) {
        Pick(dialog, IDC_INTERFACE_LIST, 1);
        Press(dialog, IDC_INTERFACE_OK);
    });
    EXPECT_EQ(InterfaceKind, kInterfaceTcp);
    EXPECT_EQ(Stored(L"interface_set"), L"1");
    EXPECT_EQ(LinkMenu(), "GEEG");

    // Back to serial with RS-485: the slave address is offered again.
    RunDialog(RunInterfaceDialog, [](HWND dialog) {
        Pick(dialog, IDC_INTERFACE_LIST, 0);
        Press(dialog, IDC_INTERFACE_OK);
    });
    EXPECT_EQ(InterfaceKind, kInterfaceSerial);
    EXPECT_EQ(Stored(L"interface_set"), L"0");
    EXPECT_EQ(LinkMenu(), "EGGE");

    // ... and with RS-232C it is not.
    ControlMode = kControlRs232c;
    InterfaceKind = kInterfaceTcp;
    UpdateMenuStates();
    RunDialog(RunInterfaceDialog, [](HWND dialog) {
        Pick(dialog, IDC_INTERFACE_LIST, 0);
        Press(dialog, IDC_INTERFACE_OK);
    });
    EXPECT_EQ(Stored(L"interface_set"), L"0");
    EXPECT_EQ(LinkMenu(), "EGGG");
    // Each switch to the serial interface opens the port at once; this PC
    // lists none, so both show the port's failure messages.
    ASSERT_EQ(RecordedMessages.size(), 10u);
    EXPECT_EQ(RecordedMessages[0].text, "Miss! File Open");
    EXPECT_EQ(RecordedMessages[5].text, "Miss! File Open");
    EXPECT_EQ(RecordedMessages[9].text, "Miss! Set Comm State");
    // The other keys are left alone.
    EXPECT_EQ(Stored(L"control"), kNotStored);
    EXPECT_EQ(Stored(L"com_port"), kNotStored);
}

TEST_F(CommDialogsTest, InterfaceCloseBoxAppliesNothing)
{
    const Seen seen = RunDialog(RunInterfaceDialog, [](HWND dialog) {
        Pick(dialog, IDC_INTERFACE_LIST, 1);
        PressCloseBox(dialog);
    });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(InterfaceKind, kInterfaceSerial);
    EXPECT_FALSE(ConfigFileExists());
    EXPECT_EQ(LinkMenu(), "EGGG");
    EXPECT_EQ(OpenDialog, nullptr);
}

TEST_F(CommDialogsTest, InterfaceEscapeAppliesNothing)
{
    RunDialog(RunInterfaceDialog, [](HWND dialog) {
        Pick(dialog, IDC_INTERFACE_LIST, 1);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(InterfaceKind, kInterfaceSerial);
    EXPECT_FALSE(ConfigFileExists());
}

// ---- Serial port and control -------------------------------------------------

TEST_F(CommDialogsTest, SerialDialogListsThePortsAndTheModes)
{
    snprintf(CurrentFilePath, sizeof CurrentFilePath, "%s", "D:\\a.dat");
    FillPorts(3);
    PortIndex = 2;
    ControlMode = kControlRs485;
    std::vector<std::wstring> ports;
    std::vector<std::wstring> modes;
    int port = -2;
    int mode = -2;
    const Seen seen = RunDialog(RunSerialSettingsDialog, [&](HWND dialog) {
        ports = Lines(dialog, IDC_SERIAL_PORT_LIST);
        modes = Lines(dialog, IDC_SERIAL_CONTROL_LIST);
        port = Selection(dialog, IDC_SERIAL_PORT_LIST);
        mode = Selection(dialog, IDC_SERIAL_CONTROL_LIST);
        PressCloseBox(dialog);
    });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.title, L"RS-232C/RS485の設定  D:\\a.dat");
    EXPECT_TRUE(seen.registered);
    EXPECT_EQ(OpenDialog, nullptr);
    EXPECT_EQ(ports, (std::vector<std::wstring>{L"COM201", L"COM202", L"COM203"}));
    EXPECT_EQ(modes, (std::vector<std::wstring>{L"RS-232C", L"RS-485"}));
    EXPECT_EQ(port, 2);
    EXPECT_EQ(mode, 1);
}

TEST_F(CommDialogsTest, ControlChangeWritesOneDigitAndSetsTheSlaveAddressItem)
{
    FillPorts(2);
    RunDialog(RunSerialSettingsDialog, [](HWND dialog) {
        Pick(dialog, IDC_SERIAL_CONTROL_LIST, 1);
        Press(dialog, IDC_SERIAL_OK);
    });
    EXPECT_EQ(ControlMode, kControlRs485);
    EXPECT_EQ(Stored(L"control"), L"1");
    EXPECT_EQ(Stored(L"com_port"), kNotStored);
    EXPECT_EQ(LinkMenu(), "EGGE");
    // The port was not touched: opening it would have failed loudly.
    EXPECT_TRUE(RecordedMessages.empty());

    RunDialog(RunSerialSettingsDialog, [](HWND dialog) {
        Pick(dialog, IDC_SERIAL_CONTROL_LIST, 0);
        Press(dialog, IDC_SERIAL_OK);
    });
    EXPECT_EQ(ControlMode, kControlRs232c);
    EXPECT_EQ(Stored(L"control"), L"0");
    EXPECT_EQ(LinkMenu(), "EGGG");
}

TEST_F(CommDialogsTest, SerialOkWithoutChangeWritesNothing)
{
    FillPorts(2);
    PortIndex = 1;
    ControlMode = kControlRs485;
    UpdateMenuStates();
    RunDialog(RunSerialSettingsDialog, [](HWND dialog) { Press(dialog, IDC_SERIAL_OK); });
    EXPECT_FALSE(ConfigFileExists());
    EXPECT_EQ(PortIndex, 1);
    EXPECT_EQ(ControlMode, kControlRs485);
    EXPECT_TRUE(RecordedMessages.empty());
}

TEST_F(CommDialogsTest, PortChangeWritesTheIndexAndReopensThePort)
{
    FillPorts(12);
    ASSERT_TRUE(StartSerialReadThread());
    RunDialog(RunSerialSettingsDialog, [](HWND dialog) {
        Pick(dialog, IDC_SERIAL_PORT_LIST, 11);
        Press(dialog, IDC_SERIAL_OK);
    });
    // The receive thread was stopped around the change and runs again.
    EXPECT_TRUE(SerialReadThreadRunning());
    EXPECT_EQ(PortIndex, 11);
    EXPECT_EQ(Stored(L"com_port"), L"11");
    EXPECT_EQ(Stored(L"control"), kNotStored);
    // COM212 does not exist: every step of opening it says so, and the choice stays.
    const char* expected[] = {"Miss! File Open", "Miss! Mask Set", "Miss! Buffer Set", "Miss! Time Out Set",
                              "Miss! Set Comm State"};
    ASSERT_EQ(RecordedMessages.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(RecordedMessages[i].text, expected[i]);

    // The next start shows that port again; "OK" then changes nothing.
    RecordMessageBoxes();
    Store(L"com_port", L"unchanged");
    int selected = -2;
    RunDialog(RunSerialSettingsDialog, [&](HWND dialog) {
        selected = Selection(dialog, IDC_SERIAL_PORT_LIST);
        Press(dialog, IDC_SERIAL_OK);
    });
    EXPECT_EQ(selected, 11);
    EXPECT_EQ(Stored(L"com_port"), L"unchanged");
    EXPECT_TRUE(RecordedMessages.empty());
}

TEST_F(CommDialogsTest, NoListedPortKeepsThePreviousPort)
{
    PortCount = 0;
    PortIndex = 2;
    int count = -2;
    int selected = -2;
    RunDialog(RunSerialSettingsDialog, [&](HWND dialog) {
        count = static_cast<int>(SendDlgItemMessageW(dialog, IDC_SERIAL_PORT_LIST, CB_GETCOUNT, 0, 0));
        selected = Selection(dialog, IDC_SERIAL_PORT_LIST);
        Pick(dialog, IDC_SERIAL_CONTROL_LIST, 1);
        Press(dialog, IDC_SERIAL_OK);
    });
    EXPECT_EQ(count, 0);
    EXPECT_EQ(selected, CB_ERR);
    EXPECT_EQ(PortIndex, 2);
    EXPECT_EQ(Stored(L"com_port"), kNotStored);
    EXPECT_TRUE(RecordedMessages.empty());
    // The control choice is applied all the same.
    EXPECT_EQ(ControlMode, kControlRs485);
    EXPECT_EQ(Stored(L"control"), L"1");
}

TEST_F(CommDialogsTest, ClearedPortSelectionKeepsThePreviousPort)
{
    FillPorts(3);
    PortIndex = 1;
    RunDialog(RunSerialSettingsDialog, [](HWND dialog) {
        Pick(dialog, IDC_SERIAL_PORT_LIST, -1);
        Pick(dialog, IDC_SERIAL_CONTROL_LIST, -1);
        Press(dialog, IDC_SERIAL_OK);
    });
    EXPECT_EQ(PortIndex, 1);
    EXPECT_EQ(ControlMode, kControlRs232c);
    EXPECT_FALSE(ConfigFileExists());
    EXPECT_TRUE(RecordedMessages.empty());
}

TEST_F(CommDialogsTest, SerialCloseBoxAppliesNothing)
{
    FillPorts(3);
    const Seen seen = RunDialog(RunSerialSettingsDialog, [](HWND dialog) {
        Pick(dialog, IDC_SERIAL_PORT_LIST, 2);
        Pick(dialog, IDC_SERIAL_CONTROL_LIST, 1);
        PressCloseBox(dialog);
    });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(PortIndex, 0);
    EXPECT_EQ(ControlMode, kControlRs232c);
    EXPECT_FALSE(ConfigFileExists());
    EXPECT_TRUE(RecordedMessages.empty());
    EXPECT_EQ(LinkMenu(), "EGGG");
    EXPECT_EQ(OpenDialog, nullptr);
}

// ---- Client or server ----------------------------------------------------------

TEST_F(CommDialogsTest, ClientServerDialogWritesOnlyAChange)
{
    InterfaceKind = kInterfaceTcp;
    UpdateMenuStates();
    std::vector<std::wstring> lines;
    int selected = -2;
    const Seen seen = RunDialog(RunClientServerDialog, [&](HWND dialog) {
        lines = Lines(dialog, IDC_CLIENT_SERVER_LIST);
        selected = Selection(dialog, IDC_CLIENT_SERVER_LIST);
        Pick(dialog, IDC_CLIENT_SERVER_LIST, 1);
        Press(dialog, IDC_CLIENT_SERVER_OK);
    });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.title, L"クライアント/サーバー  ");
    EXPECT_TRUE(seen.registered);
    EXPECT_EQ(OpenDialog, nullptr);
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"Client", L"Server"}));
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(ClientServerMode, kModeServer);
    EXPECT_EQ(Stored(L"client_server"), L"1");
    EXPECT_EQ(LinkMenu(), "GEEG");

    Store(L"client_server", L"unchanged");
    RunDialog(RunClientServerDialog, [&](HWND dialog) {
        selected = Selection(dialog, IDC_CLIENT_SERVER_LIST);
        Press(dialog, IDC_CLIENT_SERVER_OK);
    });
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(Stored(L"client_server"), L"unchanged");

    RunDialog(RunClientServerDialog, [](HWND dialog) {
        Pick(dialog, IDC_CLIENT_SERVER_LIST, 0);
        PressCloseBox(dialog);
    });
    EXPECT_EQ(ClientServerMode, kModeServer);
    EXPECT_EQ(Stored(L"client_server"), L"unchanged");

    RunDialog(RunClientServerDialog, [](HWND dialog) {
        Pick(dialog, IDC_CLIENT_SERVER_LIST, 0);
        Press(dialog, IDC_CLIENT_SERVER_OK);
    });
    EXPECT_EQ(ClientServerMode, kModeClient);
    EXPECT_EQ(Stored(L"client_server"), L"0");
    EXPECT_EQ(Stored(L"interface_set"), kNotStored);
}

// ---- Slave address -------------------------------------------------------------

TEST_F(CommDialogsTest, SlaveAddressAppliesEachPickAtOnce)
{
    snprintf(CurrentFilePath, sizeof CurrentFilePath, "%s", "C:\\x.dat");
    ControlMode = kControlRs485;
    SlaveAddress = 7;
    TransactionState.busy = 1;
    TransactionState.replyWait = 4;
    TransactionState.completionCode = kCompletionSingle;
    std::vector<std::wstring> lines;
    int selected = -2;
    int afterFirstPick = -1;
    int afterSecondPick = -1;
    const Seen seen = RunDialog(RunSlaveAddressDialog, [&](HWND dialog) {
        lines = Lines(dialog, IDC_SLAVE_ADDRESS_LIST);
        selected = Selection(dialog, IDC_SLAVE_ADDRESS_LIST);
        Pick(dialog, IDC_SLAVE_ADDRESS_LIST, 5);
        afterFirstPick = SlaveAddress;
        Pick(dialog, IDC_SLAVE_ADDRESS_LIST, 32);
        afterSecondPick = SlaveAddress;
        Press(dialog, IDC_SLAVE_ADDRESS_CLOSE);
    });
    ASSERT_TRUE(seen.found);
    // No settings file in this title.
    EXPECT_EQ(seen.title, L"スレーブアドレスの設定  ");
    EXPECT_TRUE(seen.registered);
    EXPECT_EQ(OpenDialog, nullptr);
    ASSERT_EQ(lines.size(), 33u);
    EXPECT_EQ(lines[0], L"00");
    EXPECT_EQ(lines[7], L"07");
    EXPECT_EQ(lines[31], L"31");
    EXPECT_EQ(lines[32], L"Broadcast");
    EXPECT_EQ(selected, 7);
    EXPECT_EQ(afterFirstPick, 5);
    EXPECT_EQ(afterSecondPick, kSlaveBroadcast);
    EXPECT_EQ(SlaveAddress, kSlaveBroadcast);

    // Closing ended the transaction but kept its completion code.
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.replyWait, 0);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    // The address is never stored.
    EXPECT_FALSE(ConfigFileExists());

    // RS-485 commands now go to every unit.
    const LinkTransport saved = ActiveTransport;
    ActiveTransport.writeSerial = RecordFrame;
    SentFrame.clear();
    SendCommand("ROE\r\n");
    ActiveTransport = saved;
    EXPECT_EQ(SentFrame, "FFROE\r\n");

    // ... and the menu refuses what needs a single unit's answer.
    RunMainCommand(IDM_READ_ALL);
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "スレーブアドレスを「Broadcast」以外に設定してください。");
}

TEST_F(CommDialogsTest, SlaveAddressCloseBoxKeepsThePickAndEndsTheTransaction)
{
    ControlMode = kControlRs485;
    TransactionState.busy = 1;
    TransactionState.replyWait = 2;
    const Seen seen = RunDialog(RunSlaveAddressDialog, [](HWND dialog) {
        Pick(dialog, IDC_SLAVE_ADDRESS_LIST, 3);
        PressCloseBox(dialog);
    });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(SlaveAddress, 3);
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.replyWait, 0);
    EXPECT_EQ(OpenDialog, nullptr);

    const LinkTransport saved = ActiveTransport;
    ActiveTransport.writeSerial = RecordFrame;
    SentFrame.clear();
    SendCommand("ROE\r\n");
    ActiveTransport = saved;
    ResetTransaction();
    EXPECT_EQ(SentFrame, "03ROE\r\n");
}

TEST_F(CommDialogsTest, SlaveAddressWithoutSelectionKeepsTheAddress)
{
    SlaveAddress = 9;
    RunDialog(RunSlaveAddressDialog, [](HWND dialog) {
        Pick(dialog, IDC_SLAVE_ADDRESS_LIST, -1);
        Press(dialog, IDC_SLAVE_ADDRESS_CLOSE);
    });
    EXPECT_EQ(SlaveAddress, 9);
}
