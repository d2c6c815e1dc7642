// Read all, set all and the auto-switch patterns driven through their real
// windows against the simulator on the serial link.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/dialog_selections.h"
#include "app/main_window.h"
#include "app/status_timer.h"
#include "dialogs/routing/auto_switch.h"
#include "dialogs/routing/transfer_dialogs.h"
#include "files/settings_file.h"
#include "protocol/command_builder.h"
#include "resources/resource.h"
#include "serial_sim_fixture.h"

namespace {

int ProgressPosition(HWND dialog)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, IDC_TRANSFER_PROGRESS, PBM_GETPOS, 0, 0));
}

// What a run showed while it went.
struct RunSeen {
    std::set<std::wstring> percents;
    int highestProgress = 0;
    bool lockedWhileRunning = false;
    // At the closing message the dialog still showed the run: the controls
    // come back after it.
    bool lockedAtSuccess = false;
    DWORD milliseconds = 0;
};

bool LockedAtSuccess = false;

// Presses the run's button and watches it until `done` (the dialog ends
// itself after success), ticking the main window's status timer as the
// program does, so that errors and time-outs reach the run.
void Watch(HWND dialog, RunSeen& seen, const std::function<bool()>& done, int limitMs)
{
    const DWORD start = GetTickCount();
    LockedAtSuccess = false;
    WhenRecorded = [](const RecordedMessage& message) {
        if (message.caption == "接続成功")
            LockedAtSuccess = !IsWindowEnabled(GetDlgItem(OpenDialog, IDC_TRANSFER_CLOSE)) &&
                              Text(OpenDialog, IDC_TRANSFER_START) == L"キャンセル";
    };
    Click(dialog, IDC_TRANSFER_START);
    EXPECT_EQ(Text(dialog, IDC_TRANSFER_START), L"キャンセル");
    seen.lockedWhileRunning = !IsWindowEnabled(GetDlgItem(dialog, IDC_TRANSFER_CLOSE)) &&
                              IsWindowEnabled(GetDlgItem(dialog, IDC_TRANSFER_START));
    for (DWORD lastTick = start; GetTickCount() - start < static_cast<DWORD>(limitMs) && !done(); Sleep(20)) {
        seen.percents.insert(Text(dialog, IDC_TRANSFER_PERCENT));
        const int position = ProgressPosition(dialog);
        seen.highestProgress = position > seen.highestProgress ? position : seen.highestProgress;
        if (GetTickCount() - lastTick >= 190) {
            lastTick = GetTickCount();
            StatusTimerTick();
        }
    }
    seen.milliseconds = GetTickCount() - start;
    seen.lockedAtSuccess = LockedAtSuccess;
}

// Runs read all or set all to its success: the dialog ends itself.
RunSeen RunToSuccess(void (*run)(HWND), const char* doneText, int limitMs)
{
    RunSeen seen;
    EXPECT_TRUE(DriveDialog(run, nullptr, [&](HWND dialog) {
        Watch(dialog, seen, [doneText] { return WasShown(doneText); }, limitMs);
        WaitUntilGone(dialog);
        if (IsWindow(dialog))
            PostMessageW(dialog, WM_COMMAND, IDC_TRANSFER_CLOSE, 0);
    }, limitMs + 5000));
    EXPECT_TRUE(WasShown(doneText));
    EXPECT_TRUE(seen.lockedAtSuccess);
    return seen;
}

// The routing tables read all and set all move.
struct RoutingTables {
    int current;
    int patterns[kDisplayRows][kOutputCount];
    int autoSwitch[kPatternCount][kMaxChannels];
    int outputs[kOutputCount];
};

RoutingTables TablesOf(const DeviceModelData& m)
{
    RoutingTables t;
    t.current = m.CurrentDisplayPattern;
    memcpy(t.patterns, m.DisplayPatternTable, sizeof t.patterns);
    memcpy(t.autoSwitch, m.AutoSwitchPatternTable, sizeof t.autoSwitch);
    memcpy(t.outputs, m.VideoOutputEnable, sizeof t.outputs);
    return t;
}

bool SameTables(const RoutingTables& a, const RoutingTables& b)
{
    return a.current == b.current && memcmp(a.patterns, b.patterns, sizeof a.patterns) == 0 &&
           memcmp(a.autoSwitch, b.autoSwitch, sizeof a.autoSwitch) == 0 &&
           memcmp(a.outputs, b.outputs, sizeof a.outputs) == 0;
}

// Settings that differ from every start value, in the model.
void ChangeRoutingSettings()
{
    DeviceModel.CurrentDisplayPattern = 6;
    for (int pattern = 0; pattern < kPatternCount; ++pattern) {
        for (int output = 0; output < kOutputCount; ++output)
            DeviceModel.DisplayPatternTable[pattern][output] = (pattern + output * 5) % (64 + 32);
        for (int channel = 0; channel < kMaxChannels; ++channel)
            DeviceModel.AutoSwitchPatternTable[pattern][channel] = (pattern * 7 + channel) % 100;
    }
    for (int output = 0; output < kOutputCount; ++output)
        DeviceModel.VideoOutputEnable[output] = output % 3 != 1;
}

using TransferDialogsTest = SerialSimTest;

} // namespace

TEST_F(TransferDialogsTest, ReadAllFillsTheModelFromTheUnitAndASaveWritesIt)
{
    // The unit holds other settings than the model: pattern 7 shown, one
    // display pattern, one auto-switch pattern and the video outputs changed.
    ChangeRoutingSettings();
    for (bool (*send)() : {+[] { return SendPatternSelect(DeviceModel, 6); },
                           +[] { return SendPatternRow(DeviceModel, 4); },
                           +[] { return SendAutoSwitchPattern(DeviceModel, 30); },
                           +[] { return SendVideoOutputAll(DeviceModel); }}) {
        ASSERT_TRUE(send());
        ASSERT_TRUE(WaitUntilAnswered());
        TransactionState.completionCode = kCompletionNone;
    }
    DeviceModelData unit;
    memcpy(&unit, &DeviceModel, sizeof unit);
    ResetModelToStartValues(DeviceModel);
    SlaveAddress = kSlaveBroadcast;   // kept from an RS-485 session

    RunSeen seen;
    EXPECT_TRUE(DriveDialog(RunReadAllDialog, nullptr, [&](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"設定項目の読み込み  ");
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_TRANSFER_SLAVE_LIST, CB_GETCOUNT, 0, 0), 32);
        EXPECT_EQ(Text(dialog, IDC_TRANSFER_SLAVE_LIST), L"00");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_TRANSFER_SLAVE_LIST)));   // RS-232C
        Watch(dialog, seen, [] { return WasShown("読み込みが完了しました"); }, 30000);
        WaitUntilGone(dialog);
    }, 40000));
    EXPECT_TRUE(seen.lockedWhileRunning);
    EXPECT_TRUE(seen.lockedAtSuccess);
    EXPECT_EQ(seen.highestProgress, 66);
    EXPECT_EQ(seen.percents.count(L"0"), 1u);
    EXPECT_EQ(seen.percents.count(L"100"), 1u);
    EXPECT_EQ(SlaveAddress, 0);
    EXPECT_EQ(RecordedMessages.back().caption, "接続成功");
    EXPECT_EQ(OpenDialog, nullptr);

    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 4u + 66u);
    EXPECT_EQ(log[4], "ROP");
    EXPECT_EQ(log[5], "ROP01");
    EXPECT_EQ(log[36], "ROP32");
    EXPECT_EQ(log[37], "RSP01");
    EXPECT_EQ(log[68], "RSP32");
    EXPECT_EQ(log[69], "ROE");

    // Pattern 5, auto-switch pattern 31 and the outputs are the unit's now.
    EXPECT_EQ(DeviceModel.CurrentDisplayPattern, 6);
    EXPECT_EQ(memcmp(DeviceModel.DisplayPatternTable[4], unit.DisplayPatternTable[4], sizeof unit.DisplayPatternTable[4]), 0);
    EXPECT_EQ(memcmp(DeviceModel.AutoSwitchPatternTable[30], unit.AutoSwitchPatternTable[30],
                     sizeof unit.AutoSwitchPatternTable[30]), 0);
    EXPECT_EQ(memcmp(DeviceModel.VideoOutputEnable, unit.VideoOutputEnable, sizeof unit.VideoOutputEnable), 0);
    EXPECT_EQ(SettingsModified, 1);

    // A save writes what was read: auto-switch pattern 31's line as the unit has it.
    std::string text;
    FormatSettingsFile(DeviceModel, text);
    DeviceModelData reread;
    ResetModelToStartValues(reread);
    ASSERT_EQ(ParseSettingsFile(text.data(), text.size(), reread).result, kSettingsOk);
    EXPECT_TRUE(SameTables(TablesOf(reread), TablesOf(DeviceModel)));
}

TEST_F(TransferDialogsTest, BroadcastSetAllSendsOneCommandPerTickAndLeavesTheUnitAsTheModel)
{
    ControlMode = kControlRs485;
    SlaveAddress = kSlaveBroadcast;
    ChangeRoutingSettings();   // pattern 7 selected
    const RoutingTables sent = TablesOf(DeviceModel);

    RunSeen seen;
    EXPECT_TRUE(DriveDialog(RunSetAllDialog, nullptr, [&](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"全項目の設定  ");
        EXPECT_EQ(Text(dialog, IDC_TRANSFER_SLAVE_LIST), L"Broadcast");
        Watch(dialog, seen, [] { return WasShown("設定が完了しました"); }, 35000);
        WaitUntilGone(dialog);
    }, 45000));
    // 67 ticks of 400 ms, without waiting for replies that a broadcast never gets.
    EXPECT_GE(seen.milliseconds, 26000u);
    EXPECT_LE(seen.milliseconds, 29500u);
    EXPECT_EQ(seen.highestProgress, 67);

    std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 67u);
    EXPECT_EQ(log[0], "FFOP07");
    EXPECT_EQ(log[1].substr(0, 4), "FFOS");
    EXPECT_EQ(log[1].size(), 4u + 48u);
    EXPECT_EQ(log[1].substr(4), log[8].substr(6));   // pattern 7's sources
    EXPECT_EQ(log[2].substr(0, 6), "FFOP01");
    EXPECT_EQ(log[33].substr(0, 6), "FFOP32");
    EXPECT_EQ(log[34].substr(0, 6), "FFSP01");
    EXPECT_EQ(log[34].size(), 6u + 128u);
    EXPECT_EQ(log[65].substr(0, 6), "FFSP32");
    EXPECT_EQ(log[66], "FFOENFNNFNNFNNFNNFNN");

    // Read back from the unit (address 07), the tables are what was sent.
    SlaveAddress = 7;
    ResetModelToStartValues(DeviceModel);
    RunToSuccess(RunReadAllDialog, "読み込みが完了しました", 30000);
    EXPECT_TRUE(SameTables(TablesOf(DeviceModel), sent));
}

TEST_F(TransferDialogsTest, AnErrorAtStepFortyEndsSetAllWithTheDialogOpen)
{
    // The simulator answers its 40th command with E3.
    RunSeen seen;
    EXPECT_TRUE(DriveDialog(RunSetAllDialog, nullptr, [&](HWND dialog) {
        Watch(dialog, seen, [dialog] { return IsWindowEnabled(GetDlgItem(dialog, IDC_TRANSFER_CLOSE)) != FALSE; },
              25000);
        EXPECT_EQ(Text(dialog, IDC_TRANSFER_START), L"設定");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_TRANSFER_START)));
        EXPECT_EQ(Text(dialog, IDC_TRANSFER_PERCENT), L"");
        EXPECT_EQ(ProgressPosition(dialog), 0);
        PostMessageW(dialog, WM_COMMAND, IDC_TRANSFER_CLOSE, 0);
    }, 35000));
    EXPECT_TRUE(WasShown("Command Error"));
    EXPECT_FALSE(WasShown("設定が完了しました"));
    EXPECT_EQ(seen.highestProgress, 40);
    EXPECT_EQ(SimulatorLog().size(), 40u);
}

TEST_F(TransferDialogsTest, CancelStopsReadAll)
{
    EXPECT_TRUE(DriveDialog(RunReadAllDialog, nullptr, [&](HWND dialog) {
        Click(dialog, IDC_TRANSFER_START);
        EXPECT_TRUE(WaitUntil([] { return SimulatorLog().size() >= 3; }, 5000));
        Click(dialog, IDC_TRANSFER_START);
        EXPECT_EQ(Text(dialog, IDC_TRANSFER_START), L"読み込み");
        EXPECT_EQ(Text(dialog, IDC_TRANSFER_PERCENT), L"");
        EXPECT_EQ(ProgressPosition(dialog), 0);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_TRANSFER_CLOSE)));
        Sleep(700);   // no further read goes out
        PostMessageW(dialog, WM_COMMAND, IDC_TRANSFER_CLOSE, 0);
    }));
    ASSERT_FALSE(RecordedMessages.empty());
    EXPECT_EQ(RecordedMessages.back().text, "中止しました");
    EXPECT_EQ(RecordedMessages.back().caption, "キャンセル");
    EXPECT_LE(SimulatorLog().size(), 4u);
    EXPECT_EQ(SettingsModified, 0);
}

TEST_F(TransferDialogsTest, AutoSwitchButtonsAndAllPatterns)
{
    DialogSelections.autoSwitchPattern = 1;
    std::set<std::wstring> percents;
    bool locked = false;
    EXPECT_TRUE(DriveDialog(RunAutoSwitchDialog, nullptr, [&](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"自動切換えパターン  ");
        EXPECT_EQ(Text(dialog, IDC_AUTO_PATTERN_LIST), L"SP02");
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_TABLE_CHANNEL_LIST, CB_GETCOUNT, 0, 0), 64);
        EXPECT_EQ(Text(dialog, IDC_TABLE_SAME_LIST), L"00");
        Pick(dialog, IDC_TABLE_CHANNEL_LIST, 40);
        Pick(dialog, IDC_TABLE_VALUE_LIST, 0);
        Click(dialog, IDC_TABLE_SET);
        EXPECT_TRUE(WaitUntilAnswered());
        Pick(dialog, IDC_TABLE_SAME_LIST, 15);
        EXPECT_EQ(Text(dialog, IDC_TABLE_VALUE_LIST), L"15");
        Click(dialog, IDC_TABLE_SET_ALL);
        EXPECT_TRUE(WaitUntilAnswered());
        Pick(dialog, IDC_AUTO_PATTERN_LIST, 0);   // SP01 keeps its own times
        EXPECT_EQ(Text(dialog, IDC_TABLE_VALUE_LIST), L"03");

        Click(dialog, IDC_TABLE_SEQUENCE);
        locked = !IsWindowEnabled(GetDlgItem(dialog, IDC_AUTO_PATTERN_LIST)) &&
                 !IsWindowEnabled(GetDlgItem(dialog, IDC_TABLE_SET_ALL));
        for (int waited = 0; waited < 20000 && !WasShown("Success"); waited += 20) {
            percents.insert(Text(dialog, IDC_TABLE_PERCENT));
            Sleep(20);
        }
        EXPECT_EQ(Text(dialog, IDC_TABLE_SEQUENCE), L"全パターン設定");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_AUTO_PATTERN_LIST)));
        PostMessageW(dialog, WM_COMMAND, IDC_TABLE_CLOSE, 0);
    }, 30000));
    EXPECT_TRUE(locked);
    EXPECT_EQ(percents.count(L"3"), 1u);
    EXPECT_EQ(percents.count(L"100"), 1u);
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 2u + 32u);
    EXPECT_EQ(log[0], "SP024100");
    EXPECT_EQ(log[1], "SP02" + Repeat("15", 64));
    EXPECT_EQ(log[2], "SP01" + Repeat("03", 64));
    EXPECT_EQ(log[3], log[1]);
    EXPECT_EQ(log[33].substr(0, 4), "SP32");
    EXPECT_EQ(DialogSelections.autoSwitchPattern, 0);
    EXPECT_EQ(DialogSelections.inputChannel, 40);
}
