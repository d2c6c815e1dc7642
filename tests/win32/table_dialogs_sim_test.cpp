// The channel-table dialogs driven through their real windows against the
// simulator on the serial link.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/dialog_selections.h"
#include "app/status_timer.h"
#include "files/settings_file.h"
#include "app/main_window.h"
#include "dialogs/routing/display_pattern.h"
#include "dialogs/routing/video_output.h"
#include "link/transaction.h"
#include "resources/resource.h"
#include "serial_sim_fixture.h"

namespace {

// Waits (from the watcher thread) until the simulator has logged `lines` lines.
bool WaitForLog(size_t lines, int milliseconds = 5000)
{
    return WaitUntil([lines] { return SimulatorLog().size() >= lines && !TransactionState.busy; }, milliseconds, 20);
}

// Runs a dialog on this thread while `act` drives it from a watcher thread.
void Drive(void (*run)(HWND), const std::function<void(HWND)>& act)
{
    EXPECT_TRUE(DriveDialog(run, nullptr, [&](HWND dialog) {
        act(dialog);
        PostMessageW(dialog, WM_COMMAND, IDC_TABLE_CLOSE, 0);
    }, 15000));
}

using TableDialogsTest = SerialSimTest;

} // namespace

TEST_F(TableDialogsTest, VideoOutputSendsOneOutputAndAllOutputs)
{
    Drive(RunVideoOutputDialog, [](HWND dialog) {
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_TABLE_CHANNEL_LIST, CB_GETCOUNT, 0, 0), 15);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_TABLE_SLAVE_LIST)));   // RS-232C
        EXPECT_EQ(Text(dialog, IDC_TABLE_SLAVE_LIST), L"00");
        Pick(dialog, IDC_TABLE_CHANNEL_LIST, 1);   // ch.03
        Pick(dialog, IDC_TABLE_VALUE_LIST, 0);     // OFF
        Click(dialog, IDC_TABLE_SET);
        EXPECT_TRUE(WaitForLog(1));
        Click(dialog, IDC_TABLE_SET_ALL);
        EXPECT_TRUE(WaitForLog(2));
        // The same-value list leaves output 1 alone.
        Pick(dialog, IDC_TABLE_SAME_LIST, 0);
        EXPECT_EQ(Text(dialog, IDC_TABLE_VALUE_LIST), L"OFF");
        Click(dialog, IDC_TABLE_SET_ALL);
        EXPECT_TRUE(WaitForLog(3));
        // A second "設定" while a reply is awaited sends nothing.
        TransactionState.busy = 1;
        Click(dialog, IDC_TABLE_SET);
        Sleep(300);
        TransactionState.busy = 0;
    });
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "OE03OF");
    EXPECT_EQ(log[1], "OENNF" + std::string(13, 'N'));
    EXPECT_EQ(log[2], "OEN" + std::string(15, 'F'));
    EXPECT_EQ(DeviceModel.VideoOutputEnable[0], 1);
    EXPECT_EQ(SettingsModified, 1);
    EXPECT_EQ(OpenDialog, nullptr);
}

TEST_F(TableDialogsTest, DisplayPatternButtons)
{
    DeviceModel.CurrentDisplayPattern = 2;
    Drive(RunDisplayPatternDialog, [](HWND dialog) {
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_TABLE_VALUE_LIST, CB_GETCOUNT, 0, 0), 96);
        Pick(dialog, IDC_TABLE_CHANNEL_LIST, 15);
        Pick(dialog, IDC_TABLE_VALUE_LIST, 63);
        EXPECT_EQ(Text(dialog, IDC_TABLE_VALUE_LIST), L"IN64");
        Click(dialog, IDC_TABLE_SET);
        EXPECT_TRUE(WaitForLog(1));

        // Pattern 5 on screen: the free layout starts from it.
        Pick(dialog, IDC_PATTERN_LIST, 4);
        Pick(dialog, IDC_TABLE_CHANNEL_LIST, 4);
        Pick(dialog, IDC_TABLE_VALUE_LIST, 2);   // IN03
        Click(dialog, IDC_PATTERN_SWITCH);
        EXPECT_TRUE(WaitForLog(2));

        Pick(dialog, IDC_PATTERN_LIST, 32);   // FREE
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_TABLE_SEQUENCE)));
        EXPECT_EQ(Text(dialog, IDC_TABLE_VALUE_LIST), L"IN03");
        Click(dialog, IDC_TABLE_SET);
        EXPECT_TRUE(WaitForLog(3));
        Click(dialog, IDC_TABLE_SET_ALL);
        EXPECT_TRUE(WaitForLog(4));
        Pick(dialog, IDC_PATTERN_LIST, 1);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_TABLE_SEQUENCE)));
        Click(dialog, IDC_TABLE_SET_ALL);
        EXPECT_TRUE(WaitForLog(5));
    });
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], "OP0316I64");
    EXPECT_EQ(log[1], "OP05");
    EXPECT_EQ(log[2], "O05I03");
    EXPECT_EQ(log[3], "OSI01I02I03I04I03I06I07I08I09I10I11I12I13I14I15I16");
    EXPECT_EQ(log[4], "OP02I01I02I03I04I05I06I07I08I09I10I11I12I13I14I15I16");
    EXPECT_EQ(DeviceModel.DisplayPatternTable[kFreePattern][4], 2);
}

TEST_F(TableDialogsTest, AllPatternsSequence)
{
    std::set<std::wstring> percents;
    bool lockedWhileRunning = false;
    // The closing message comes while the dialog still shows the run; the
    // controls come back after it.
    static bool lockedAtSuccess = false;
    WhenRecorded = [](const RecordedMessage& message) {
        lockedAtSuccess = message.text == "Success" && !IsWindowEnabled(GetDlgItem(OpenDialog, IDC_TABLE_CLOSE)) &&
                          Text(OpenDialog, IDC_TABLE_SEQUENCE) == L"キャンセル";
    };
    Drive(RunDisplayPatternDialog, [&](HWND dialog) {
        Click(dialog, IDC_TABLE_SEQUENCE);
        EXPECT_EQ(Text(dialog, IDC_TABLE_SEQUENCE), L"キャンセル");
        // Every control that edits, sends or ends is locked while it runs;
        // only the button that cancels stays.
        lockedWhileRunning = IsWindowEnabled(GetDlgItem(dialog, IDC_TABLE_SEQUENCE)) &&
                             (GetMenuState(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
        for (int id : {IDC_TABLE_CHANNEL_LIST, IDC_TABLE_VALUE_LIST, IDC_TABLE_SAME_LIST, IDC_TABLE_SET,
                       IDC_TABLE_SET_ALL, IDC_TABLE_CLOSE, IDC_TABLE_SLAVE_LIST, IDC_PATTERN_LIST, IDC_PATTERN_SWITCH})
            lockedWhileRunning = lockedWhileRunning && !IsWindowEnabled(GetDlgItem(dialog, id));
        for (int waited = 0; waited < 30000 && !WasShown("Success"); waited += 20) {
            percents.insert(Text(dialog, IDC_TABLE_PERCENT));
            Sleep(20);
        }
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_TABLE_CLOSE)) != FALSE; }, 2000));
        EXPECT_TRUE(lockedAtSuccess);
        EXPECT_EQ(Text(dialog, IDC_TABLE_SEQUENCE), L"全パターン設定");
        EXPECT_EQ(Text(dialog, IDC_TABLE_PERCENT), L"");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_TABLE_CLOSE)));
    });
    EXPECT_TRUE(lockedWhileRunning);
    EXPECT_TRUE(WasShown("Success"));
    EXPECT_EQ(percents.count(L"0"), 1u);
    EXPECT_EQ(percents.count(L"3"), 1u);
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 32u);
    EXPECT_EQ(log[0].substr(0, 4), "OP01");
    EXPECT_EQ(log[31].substr(0, 4), "OP32");
}

TEST_F(TableDialogsTest, AnErrorEndsTheSequenceWithoutSuccess)
{
    // The simulator of this run answers every fifth command with E3. The
    // main window's status timer, which reports it and stops the sequence,
    // is ticked here.
    Drive(RunDisplayPatternDialog, [&](HWND dialog) {
        Click(dialog, IDC_TABLE_SEQUENCE);
        for (int waited = 0; waited < 15000 && !IsWindowEnabled(GetDlgItem(dialog, IDC_TABLE_CLOSE)); waited += 190) {
            Sleep(190);
            StatusTimerTick();
        }
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_TABLE_CLOSE)));
        EXPECT_EQ(Text(dialog, IDC_TABLE_SEQUENCE), L"全パターン設定");
    });
    EXPECT_TRUE(WasShown("Command Error"));
    EXPECT_FALSE(WasShown("Success"));
    EXPECT_EQ(SimulatorLog().size(), 5u);
}

TEST_F(TableDialogsTest, CancelStopsTheSequence)
{
    Drive(RunDisplayPatternDialog, [&](HWND dialog) {
        Click(dialog, IDC_TABLE_SEQUENCE);
        EXPECT_TRUE(WaitForLog(3, 10000));
        Click(dialog, IDC_TABLE_SEQUENCE);
        EXPECT_EQ(Text(dialog, IDC_TABLE_SEQUENCE), L"全パターン設定");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_TABLE_CLOSE)));
        EXPECT_EQ(TransactionState.suppress, 0);
    });
    ASSERT_FALSE(RecordedMessages.empty());
    EXPECT_EQ(RecordedMessages.back().text, "中止しました");
    EXPECT_EQ(RecordedMessages.back().caption, "キャンセル");
    EXPECT_FALSE(WasShown("Success"));
    Sleep(900);
    EXPECT_LT(SimulatorLog().size(), 32u);
}

TEST_F(TableDialogsTest, BroadcastCompletesAtOnce)
{
    ControlMode = kControlRs485;
    SlaveAddress = kSlaveBroadcast;
    Drive(RunVideoOutputDialog, [](HWND dialog) {
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_TABLE_SLAVE_LIST)));
        EXPECT_EQ(Text(dialog, IDC_TABLE_SLAVE_LIST), L"Broadcast");
        Click(dialog, IDC_TABLE_SET);
        EXPECT_EQ(TransactionState.busy, 0);
        EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
        EXPECT_TRUE(WaitForLog(1));
    });
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "FFOE02ON");
}
