// The whole program from outside: KVR2840E.exe is started in a folder of its
// own with the serial interface on the port where the Wine scenario runner
// put the simulator (kvr_add_wine_scenario ... SETUP program), and driven
// through window messages as a user's clicks would.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/main_window.h"
#include "resources/resource.h"
#include "win_test_support.h"

#include <vector>

namespace {

struct Program {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
};

// KVR2840E.exe where the build puts it: KVR_PROGRAM_FROM_TEST is its path
// relative to this program's folder.
std::wstring ProgramPath()
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path = path.substr(0, path.find_last_of(L'\\') + 1) + Wide(KVR_PROGRAM_FROM_TEST);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

bool Start(Program& program, const std::wstring& folder)
{
    std::wstring command = L"\"" + ProgramPath() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &program.process))
        return false;
    WaitForInputIdle(program.process.hProcess, 10000);
    return true;
}

DWORD WaitForExit(const Program& program, int milliseconds)
{
    if (WaitForSingleObject(program.process.hProcess, milliseconds) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(program.process.hProcess, &code);
    return code;
}

void Release(Program& program)
{
    if (program.process.hProcess) {
        if (WaitForSingleObject(program.process.hProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(program.process.hProcess, 1);
        CloseHandle(program.process.hProcess);
        CloseHandle(program.process.hThread);
        program.process = {};
    }
}

bool Grayed(HWND window, UINT id)
{
    const LRESULT state = SendMessageW(window, WM_QUERY_MENU_STATE, id, 0);
    return (static_cast<UINT>(state) & MF_GRAYED) != 0;
}

} // namespace

// Answers the message box `caption` of the program and returns its text.
std::wstring AnswerBox(const Program& program, const wchar_t* caption)
{
    HWND box = WaitForWindow(L"#32770", caption, 10000, program.process.dwProcessId);
    if (!box)
        return L"(no box) " + Wide(DescribeWindows(program.process.dwProcessId).c_str());
    const std::wstring text = MessageBoxText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitUntilGone(box);
    return text;
}

class ProgramTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    Program program;
    int interfaceKind = 0;

    void SetUp() override
    {
        std::string index, tcpPort;
        ASSERT_TRUE(ScenarioSetting("KVR_TEST_COM_INDEX", index));
        ASSERT_TRUE(ScenarioSetting("KVR_TEST_TCP_PORT", tcpPort));
        FILE* ini = _wfopen((folder.path() + L"\\KVR2840E.ini").c_str(), L"wb");
        ASSERT_NE(ini, nullptr);
        fprintf(ini, "[KVR2840E_section]\r\ninterface_set=%d\r\ncontrol=0\r\ncom_port=%s\r\n", interfaceKind,
                index.c_str());
        fprintf(ini, "client_server=0\r\nip_address_count=001\r\nIP_001=127.000.000.001\r\n"
                     "client_select_ip_address=0\r\ndst_port_number=%s\r\n", tcpPort.c_str());
        fclose(ini);
        ASSERT_TRUE(Start(program, folder.path()));
        program.window = WaitForWindow(L"KVR2840E", nullptr, 15000, program.process.dwProcessId);
        ASSERT_NE(program.window, nullptr) << "process " << program.process.dwProcessId << ":\n"
                                           << DescribeWindows(program.process.dwProcessId);
    }
    void TearDown() override
    {
        Release(program);
    }
};

TEST_F(ProgramTest, StartsOnTheSerialLinkAndEndsCleanly)
{
    EXPECT_EQ(Title(program.window), L"KVR2840E ver.1.00");
    RECT bounds;
    GetWindowRect(program.window, &bounds);
    EXPECT_EQ(bounds.right - bounds.left, 400);

    // The port opened with all its settings: no "Miss!" box came up.
    EXPECT_EQ(WaitForWindow(L"#32770", nullptr, 1500, program.process.dwProcessId), nullptr);

    EXPECT_FALSE(Grayed(program.window, IDM_SERIAL_SETTINGS));
    EXPECT_TRUE(Grayed(program.window, IDM_CLIENT_SERVER));
    EXPECT_TRUE(Grayed(program.window, IDM_TCP_SETTINGS));
    EXPECT_TRUE(Grayed(program.window, IDM_SLAVE_ADDRESS));
    EXPECT_FALSE(Grayed(program.window, IDM_READ_ALL));

    PostMessageW(program.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(program, 10000), 0u);
}

TEST_F(ProgramTest, ASecondCopyIsRefused)
{
    Program second;
    ASSERT_TRUE(Start(second, folder.path()));
    HWND box = WaitForWindow(L"#32770", L"２重起動防止", 15000, second.process.dwProcessId);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), L"２重に起動はできません");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForExit(second, 10000), 0u);
    Release(second);

    // The first copy goes on.
    EXPECT_TRUE(IsWindow(program.window));
    EXPECT_EQ(WaitForSingleObject(program.process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    PostMessageW(program.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(program, 10000), 0u);
}

TEST_F(ProgramTest, SaveAsFromTheFileMenu)
{
    const std::wstring file = folder.path() + L"\\site.dat";
    PostMessageW(program.window, WM_COMMAND, IDM_FILE_SAVE_AS, 0);
    HWND dialog = WaitForWindow(L"#32770", L"名前を付けて保存", 15000, program.process.dwProcessId);
    ASSERT_NE(dialog, nullptr);
    AnswerFileDialog(dialog, file);

    std::wstring expected = L"KVR2840E ver.1.00   " + file;
    WaitUntil([&] { return Title(program.window) == expected; }, 10000, 50);
    EXPECT_EQ(Title(program.window), expected);

    FILE* saved = _wfopen(file.c_str(), L"rb");
    ASSERT_NE(saved, nullptr);
    int lines = 0;
    for (int c; (c = fgetc(saved)) != EOF;)
        lines += c == '\n';
    fclose(saved);
    EXPECT_EQ(lines, 3647);

    PostMessageW(program.window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(WaitForExit(program, 10000), 0u);
}

class ProgramOnTcpTest : public ProgramTest {
protected:
    void SetUp() override
    {
        interfaceKind = 1;
        ProgramTest::SetUp();
    }
};

TEST_F(ProgramOnTcpTest, ConnectsThroughTheClientDialog)
{
    EXPECT_TRUE(Grayed(program.window, IDM_SERIAL_SETTINGS));
    EXPECT_FALSE(Grayed(program.window, IDM_TCP_SETTINGS));

    PostMessageW(program.window, WM_COMMAND, IDM_TCP_SETTINGS, 0);
    HWND dialog = WaitForWindow(L"#32770", nullptr, 10000, program.process.dwProcessId);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Title(dialog).find(L"TCP/IPの設定（Client）  "), 0u);
    PostMessageW(dialog, WM_COMMAND, IDC_CLIENT_CONNECT, 0);
    EXPECT_EQ(AnswerBox(program, L"Success"), L"Socket 接続 OK");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CLIENT_CONNECT)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CLIENT_DISCONNECT)));
    PostMessageW(dialog, WM_COMMAND, IDC_CLIENT_CLOSE, 0);
    WaitUntilGone(dialog);

    // Connected: the program refuses to end, and the link settings stay.
    PostMessageW(program.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(AnswerBox(program, L"Error"), L"TCP/IPを切断してください。");

    PostMessageW(program.window, WM_COMMAND, IDM_TCP_SETTINGS, 0);
    dialog = WaitForWindow(L"#32770", nullptr, 10000, program.process.dwProcessId);
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, IDC_CLIENT_DISCONNECT, 0);
    EXPECT_EQ(AnswerBox(program, L"Success"), L"Socket 切断 OK");
    PostMessageW(dialog, WM_COMMAND, IDC_CLIENT_CLOSE, 0);
    WaitUntilGone(dialog);

    PostMessageW(program.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(program, 10000), 0u);
}

TEST_F(ProgramTest, TableDialogsTalkToTheUnit)
{
    // "映像出力": output 3 off, one command.
    PostMessageW(program.window, WM_COMMAND, IDM_VIDEO_OUTPUT, 0);
    HWND dialog = WaitForWindow(L"#32770", L"映像出力  ", 10000, program.process.dwProcessId);
    ASSERT_NE(dialog, nullptr) << DescribeWindows(program.process.dwProcessId);
    SendDlgItemMessageW(dialog, IDC_TABLE_CHANNEL_LIST, CB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_TABLE_CHANNEL_LIST, CBN_SELCHANGE), 0);
    SendDlgItemMessageW(dialog, IDC_TABLE_VALUE_LIST, CB_SETCURSEL, 0, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_TABLE_VALUE_LIST, CBN_SELCHANGE), 0);
    PostMessageW(dialog, WM_COMMAND, IDC_TABLE_SET, 0);
    EXPECT_EQ(AnswerBox(program, L"接続成功"), L"Success");
    PostMessageW(dialog, WM_COMMAND, IDC_TABLE_CLOSE, 0);
    WaitUntilGone(dialog);

    // "画面表示パターン": all 32 patterns in one run.
    PostMessageW(program.window, WM_COMMAND, IDM_DISPLAY_PATTERN, 0);
    dialog = WaitForWindow(L"#32770", L"画面表示パターン  ", 10000, program.process.dwProcessId);
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, IDC_TABLE_SEQUENCE, 0);
    HWND box = WaitForWindow(L"#32770", L"接続成功", 30000, program.process.dwProcessId);
    ASSERT_NE(box, nullptr) << DescribeWindows(program.process.dwProcessId);
    EXPECT_EQ(MessageBoxText(box), L"Success");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    Sleep(300);
    PostMessageW(dialog, WM_COMMAND, IDC_TABLE_CLOSE, 0);
    WaitUntilGone(dialog);

    // The output was changed: the program asks before it ends.
    PostMessageW(program.window, WM_CLOSE, 0, 0);
    box = WaitForWindow(L"#32770", L"保存確認", 10000, program.process.dwProcessId);
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, IDNO, 0);
    EXPECT_EQ(WaitForExit(program, 10000), 0u);

    // The unit received exactly what the model holds.
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 33u);
    EXPECT_EQ(log[0], "OE03OF");
    for (int pattern = 1; pattern <= 32; ++pattern) {
        char expected[64];
        snprintf(expected, sizeof expected, "OP%02d", pattern);
        std::string line = expected;
        for (int output = 1; output <= 16; ++output) {
            snprintf(expected, sizeof expected, "I%02d", output);
            line += expected;
        }
        EXPECT_EQ(log[static_cast<size_t>(pattern)], line);
    }
}

// Every item of "設定" and "状態" opens its dialog; read all runs to its end
// and leaves settings that no file holds yet.
TEST_F(ProgramTest, RoutingMenuItemsOpenTheirDialogs)
{
    const struct {
        int command;
        const wchar_t* caption;
        int closeId;
    } items[] = {
        {IDM_AUTO_SWITCH, L"自動切換えパターン  ", IDC_TABLE_CLOSE},
        {IDM_SET_ALL, L"全項目の設定  ", IDC_TRANSFER_CLOSE},
    };
    for (const auto& item : items) {
        PostMessageW(program.window, WM_COMMAND, item.command, 0);
        HWND dialog = WaitForWindow(L"#32770", item.caption, 10000, program.process.dwProcessId);
        ASSERT_NE(dialog, nullptr) << DescribeWindows(program.process.dwProcessId);
        PostMessageW(dialog, WM_COMMAND, item.closeId, 0);
        WaitUntilGone(dialog);
    }

    PostMessageW(program.window, WM_COMMAND, IDM_READ_ALL, 0);
    HWND dialog = WaitForWindow(L"#32770", L"設定項目の読み込み  ", 10000, program.process.dwProcessId);
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, IDC_TRANSFER_START, 0);
    HWND box = WaitForWindow(L"#32770", L"接続成功", 30000, program.process.dwProcessId);
    ASSERT_NE(box, nullptr) << DescribeWindows(program.process.dwProcessId);
    EXPECT_EQ(MessageBoxText(box), L"読み込みが完了しました");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitUntilGone(dialog);
    EXPECT_FALSE(IsWindow(dialog));

    PostMessageW(program.window, WM_CLOSE, 0, 0);
    box = WaitForWindow(L"#32770", L"保存確認", 10000, program.process.dwProcessId);
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, IDNO, 0);
    EXPECT_EQ(WaitForExit(program, 10000), 0u);
    EXPECT_EQ(SimulatorLog().size(), 66u);
}
