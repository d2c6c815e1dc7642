#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/program_state.h"
#include "files/settings_file.h"
#include "files/settings_operations.h"
#include "link/link_state.h"
#include "link/message_box.h"
#include "link/message_ops.h"
#include "resources/resource.h"
#include "win_test_support.h"

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    // What creating the window did to the run flag.
    static inline int RunningAfterCreation = -1;

    static void SetUpTestSuite()
    {
        ResetProgramState();
        HINSTANCE instance = GetModuleHandleW(nullptr);
        RegisterMainWindowClass(instance, L"KVR2840E");
        CreateMainWindow(instance, L"KVR2840E", L"KVR2840E ver.1.00");
        RunningAfterCreation = AppRunning;
    }
    // Each test: the program as the window's creation and the start-up leave it.
    void SetUp() override
    {
        ASSERT_NE(MainWindow, nullptr);
        ResetProgramState();
        AppRunning = 1;
        InstallMainWindowServices();
        RecordMessageBoxes();
    }
    void TearDown() override
    {
        MessageSink = nullptr;
    }

    static bool Grayed(UINT id)
    {
        const UINT state = GetMenuState(GetMenu(MainWindow), id, MF_BYCOMMAND);
        // The query another process would use gives the same answer.
        EXPECT_EQ(static_cast<UINT>(SendMessageW(MainWindow, WM_QUERY_MENU_STATE, id, 0)), state);
        return (state & MF_GRAYED) != 0;
    }
};

} // namespace

TEST_F(MainWindowTest, CreationStartsTheProgram)
{
    EXPECT_EQ(RunningAfterCreation, 1);
    RECT bounds;
    GetWindowRect(MainWindow, &bounds);
    EXPECT_EQ(bounds.right - bounds.left, 400);
    EXPECT_EQ(bounds.bottom - bounds.top, 80);
    const LONG style = GetWindowLongW(MainWindow, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_THICKFRAME);
}

TEST_F(MainWindowTest, MenuHasItsPopups)
{
    HMENU menu = GetMenu(MainWindow);
    ASSERT_EQ(GetMenuItemCount(menu), 6);
    const wchar_t* titles[] = {L"ﾌｧｲﾙ(&F)", L"設定", L"状態", L"通信", L"プロトコル", L"詳細設定"};
    for (int i = 0; i < 6; ++i) {
        wchar_t text[64];
        GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, titles[i]);
    }
    wchar_t text[64];
    GetMenuStringW(menu, IDM_FILE_SAVE_AS, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"名前を付けて保存");
    GetMenuStringW(menu, IDM_READ_ALL, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"設定項目の読み込み");
    GetMenuStringW(menu, IDM_EXIT, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"ｱﾌﾟﾘｹｰｼｮﾝの終了");

    // "詳細設定" posts the commands that have no other item, in groups
    // (0: a separator).
    const UINT details[] = {IDM_DATE_TIME, IDM_DATE_TIME_INPUT, IDM_DATE_TIME_OUTPUT, 0,
                            IDM_TITLES, IDM_TITLE_DISPLAY_INPUT, IDM_TITLE_DISPLAY_OUTPUT, IDM_TITLE_POSITION,
                            IDM_TITLE_FONT_SIZE, IDM_TITLE_FINE_POSITION, 0,
                            IDM_GLYPH_SMALL, IDM_GLYPH_MEDIUM, IDM_GLYPH_LARGE, IDM_GLYPH_INSERT, 0,
                            IDM_ALARM_SETTINGS, IDM_ALARM_INPUT, IDM_ALARM_VIDEO_OUTPUT, IDM_ALARM_SIGNAL_OUTPUT, 0,
                            IDM_PASSWORD};
    HMENU popup = GetSubMenu(menu, 5);
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(std::size(details)));
    for (int i = 0; i < static_cast<int>(std::size(details)); ++i)
        EXPECT_EQ(GetMenuItemID(popup, i), details[i] ? details[i] : 0u) << i;
}

TEST_F(MainWindowTest, MenuStatesFollowTheInterface)
{
    UpdateMenuStates();
    EXPECT_FALSE(Grayed(IDM_SERIAL_SETTINGS));
    EXPECT_TRUE(Grayed(IDM_CLIENT_SERVER));
    EXPECT_TRUE(Grayed(IDM_TCP_SETTINGS));
    EXPECT_TRUE(Grayed(IDM_SLAVE_ADDRESS));

    ControlMode = kControlRs485;
    UpdateMenuStates();
    EXPECT_FALSE(Grayed(IDM_SERIAL_SETTINGS));
    EXPECT_FALSE(Grayed(IDM_SLAVE_ADDRESS));

    InterfaceKind = kInterfaceTcp;
    UpdateMenuStates();
    EXPECT_TRUE(Grayed(IDM_SERIAL_SETTINGS));
    EXPECT_FALSE(Grayed(IDM_CLIENT_SERVER));
    EXPECT_FALSE(Grayed(IDM_TCP_SETTINGS));
    EXPECT_TRUE(Grayed(IDM_SLAVE_ADDRESS));
    EXPECT_FALSE(Grayed(IDM_FILE_OPEN));
}

TEST_F(MainWindowTest, Guards)
{
    ControlMode = kControlRs485;
    SlaveAddress = kSlaveBroadcast;
    RunMainCommand(IDM_READ_ALL);
    RunMainCommand(IDM_IO_STATUS);
    ASSERT_EQ(RecordedMessages.size(), 2u);
    EXPECT_EQ(RecordedMessages[0].text, "スレーブアドレスを「Broadcast」以外に設定してください。");
    EXPECT_EQ(RecordedMessages[1].caption, "Error");

    InterfaceKind = kInterfaceTcp;
    RunMainCommand(IDM_UNIT_NETWORK);
    ASSERT_EQ(RecordedMessages.size(), 3u);
    EXPECT_EQ(RecordedMessages[2].text, "インターフェイスをRS-232C/RS-485にしてください。");

    TcpConnected = 1;
    RunMainCommand(IDM_INTERFACE);
    RunMainCommand(IDM_CLIENT_SERVER);
    ASSERT_EQ(RecordedMessages.size(), 5u);
    EXPECT_EQ(RecordedMessages[4].text, "TCP/IPを切断してください。");
}

TEST_F(MainWindowTest, TitleShowsTheSettingsFile)
{
    snprintf(CurrentFilePath, sizeof CurrentFilePath, "%s", "C:\\現場\\設定.dat");
    UpdateMainWindowTitle();
    wchar_t title[256];
    GetWindowTextW(MainWindow, title, 256);
    EXPECT_STREQ(title, L"KVR2840E ver.1.00   C:\\現場\\設定.dat");
    CurrentFilePath[0] = '\0';
    UpdateMainWindowTitle();
    GetWindowTextW(MainWindow, title, 256);
    EXPECT_STREQ(title, L"KVR2840E ver.1.00   ");
}

TEST_F(MainWindowTest, AboutBoxOpensAndCloses)
{
    std::wstring text;
    WindowWatcher watcher(L"#32770", L"ﾊﾞｰｼﾞｮﾝ情報", [&](HWND box) {
        wchar_t line[128];
        GetDlgItemTextW(box, IDC_ABOUT_TEXT, line, 128);
        text = line;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    RunMainCommand(IDM_ABOUT);
    EXPECT_TRUE(watcher.found());
    EXPECT_EQ(text, L"KVR2840E  Version 1.00");
}

TEST_F(MainWindowTest, AcceleratorsOpenTheAboutBox)
{
    HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(table, nullptr);
    ACCEL entries[4];
    ASSERT_EQ(CopyAcceleratorTableW(table, entries, 4), 2);
    EXPECT_EQ(entries[0].key, '?');
    EXPECT_EQ(entries[1].key, '/');
    for (const ACCEL& entry : entries) {
        if (&entry - entries >= 2)
            break;
        EXPECT_EQ(entry.cmd, IDM_ABOUT);
        EXPECT_TRUE(entry.fVirt & FALT);
        EXPECT_FALSE(entry.fVirt & FVIRTKEY);
    }
}

TEST_F(MainWindowTest, RealMessageBoxesShowTheTexts)
{
    InstallMessageBoxes();
    std::wstring text;
    LONG exStyle = 0;
    WindowWatcher watcher(L"#32770", L"Error", [&](HWND box) {
        text = MessageBoxText(box);
        exStyle = GetWindowLongW(box, GWL_EXSTYLE);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    ShowError("Miss! File Open");
    EXPECT_TRUE(watcher.found());
    EXPECT_EQ(text, L"Miss! File Open");

    WindowWatcher question(L"#32770", L"保存確認", [&](HWND box) {
        text = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDNO, 0);
    });
    const int answer = ShowMessage({"ファイルが変更されています。保存しますか？", "保存確認", kIconQuestion,
                                    kButtonsYesNo, false, kOwnerMainWindow});
    EXPECT_TRUE(question.found());
    EXPECT_EQ(answer, kAnswerNo);
    EXPECT_EQ(text, L"ファイルが変更されています。保存しますか？");
}

namespace {

std::vector<std::string> Questions;
int AnswerYes(const MessageRequest& request)
{
    Questions.push_back(request.text);
    return kAnswerYes;
}

} // namespace

TEST_F(MainWindowTest, EndingTheSessionAsksTheSaveQuestion)
{
    EXPECT_EQ(SendMessageW(MainWindow, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    EXPECT_TRUE(RecordedMessages.empty());

    // No: the session may end, and the changes are still unsaved.
    SettingsModified = 1;
    EXPECT_EQ(SendMessageW(MainWindow, WM_QUERYENDSESSION, 0, 0), TRUE);
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "ファイルが変更されています。保存しますか？");
    EXPECT_EQ(RecordedMessages[0].caption, "保存確認");
    EXPECT_EQ(SettingsModified, 1);

    // Yes, and the save fails (nothing can be saved here): the session waits.
    Questions.clear();
    MessageSink = AnswerYes;
    snprintf(CurrentFilePath, sizeof CurrentFilePath, "%s", "C:\\設定.dat");
    EXPECT_EQ(SendMessageW(MainWindow, WM_QUERYENDSESSION, 0, 0), FALSE);
    const std::vector<std::string> asked = {"ファイルが変更されています。保存しますか？",
                                            "ファイルを開くことができませんでした。"};
    EXPECT_EQ(Questions, asked);
    EXPECT_EQ(SettingsModified, 1);
    EXPECT_EQ(AppRunning, 1);

    // The session ends: the program stops as it does at its own end.
    SendMessageW(MainWindow, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(AppRunning, 1);
    SendMessageW(MainWindow, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(AppRunning, 0);
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}
