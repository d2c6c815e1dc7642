// The alarm input, alarm output and date/time display tables driven through
// their real windows against the simulator on the serial link.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/dialog_selections.h"
#include "app/main_window.h"
#include "app/status_timer.h"
#include "dialogs/alarm/alarm_dialogs.h"
#include "dialogs/overlay/date_time_display.h"
#include "dialogs/routing/channel_table.h"
#include "files/settings_file.h"
#include "link/send_path.h"
#include "link/tcp_state.h"
#include "resources/resource.h"
#include "serial_sim_fixture.h"

namespace {

bool WaitForLog(size_t lines)
{
    return WaitUntil([lines] { return SimulatorLog().size() >= lines && !TransactionState.busy; }, 5000, 20);
}

// Runs a dialog on this thread while `act` drives it from a watcher thread,
// once its table has been painted.
void Drive(void (*run)(HWND), const std::function<void(HWND)>& act)
{
    const int paints = TablePaints;
    EXPECT_TRUE(DriveDialog(run, nullptr, [&](HWND dialog) {
        EXPECT_TRUE(WaitUntil([paints] { return TablePaints > paints; }, 3000));
        act(dialog);
        PostMessageW(dialog, WM_COMMAND, IDC_TABLE_CLOSE, 0);
    }, 15000));
}

// Whether the table is painted again within a while after `act`.
bool Repaints(const std::function<void()>& act)
{
    Sleep(200);   // anything still pending from before is painted first
    const int paints = TablePaints;
    act();
    return WaitUntil([paints] { return TablePaints > paints; }, 700);
}

bool Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

using AlarmTablesTest = SerialSimTest;

} // namespace

TEST_F(AlarmTablesTest, AlarmInputSendsAConnectorAndTheSameChannelForAll)
{
    Drive(RunAlarmInputDialog, [](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"アラーム入力  ");
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_TABLE_CHANNEL_LIST, CB_GETCOUNT, 0, 0), 32);
        EXPECT_EQ(Text(dialog, IDC_TABLE_CHANNEL_LIST), L"no.01");
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_TABLE_VALUE_LIST, CB_GETCOUNT, 0, 0), 64);
        EXPECT_EQ(Text(dialog, IDC_TABLE_SAME_LIST), L"ch.01");
        // All 32 connectors are on the one page: no line repaints the table.
        EXPECT_FALSE(Repaints([&] { Pick(dialog, IDC_TABLE_CHANNEL_LIST, 31); }));
        EXPECT_EQ(Text(dialog, IDC_TABLE_VALUE_LIST), L"ch.32");
        Pick(dialog, IDC_TABLE_CHANNEL_LIST, 2);
        EXPECT_TRUE(Repaints([&] { Pick(dialog, IDC_TABLE_VALUE_LIST, 39); }));
        Click(dialog, IDC_TABLE_SET);
        EXPECT_TRUE(WaitForLog(1));
        // The same channel for all is only stored; "全設定" sends it.
        Pick(dialog, IDC_TABLE_SAME_LIST, 4);
        EXPECT_EQ(Text(dialog, IDC_TABLE_VALUE_LIST), L"ch.05");
        Sleep(300);
        EXPECT_EQ(SimulatorLog().size(), 1u);
        Click(dialog, IDC_TABLE_SET_ALL);
        EXPECT_TRUE(WaitForLog(2));
    });
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "AIN03I40");
    EXPECT_EQ(log[1], "AIN" + Repeat("05", 32));
    EXPECT_EQ(DialogSelections.alarmConnector, 2);
    EXPECT_EQ(SettingsModified, 1);
    EXPECT_EQ(OpenDialog, nullptr);
}

TEST_F(AlarmTablesTest, OnlyAValidAlarmInputReplyReplacesTheTable)
{
    Drive(RunAlarmInputDialog, [](HWND dialog) {
        Pick(dialog, IDC_TABLE_SAME_LIST, 4);   // ch.05 for all, not sent
        // The unit's own table read back over the serial line (connector i
        // on channel i) replaces it whole.
        SendCommand("RAIN\r\n");
        EXPECT_TRUE(WaitForLog(1));
        EXPECT_EQ(DeviceModel.AlarmInputChannel[31], 31);
        // A read-back naming channel 00 for connector 32, as the TCP link
        // hands it to the open dialog, changes nothing and is an error.
        Pick(dialog, IDC_TABLE_SAME_LIST, 4);
        const std::string reply = "AIN" + Repeat("09", 31) + "00\r\n";
        snprintf(ReceiveBuffer, sizeof ReceiveBuffer, "%s", reply.c_str());
        ReceivedByteCount = static_cast<int>(reply.size());
        SendMessageW(dialog, WM_DEVICE_REPLY, 1, 0);
        StatusTimerTick();
    });
    for (int connector = 0; connector < kAlarmInputCount; ++connector)
        EXPECT_EQ(DeviceModel.AlarmInputChannel[connector], 4);
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "Command Error");
}

TEST_F(AlarmTablesTest, AlarmVideoOutputRadioButtonsAndPagesOfSixteen)
{
    DialogSelections.inputChannel = 2;
    Drive(RunAlarmVideoOutputDialog, [](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"アラーム映像出力  ");
        EXPECT_TRUE(Checked(dialog, IDC_TABLE_FLAG_ON) && !Checked(dialog, IDC_TABLE_FLAG_OFF));
        EXPECT_TRUE(Checked(dialog, IDC_TABLE_FLAG_OFF + 3) && !Checked(dialog, IDC_TABLE_FLAG_ON + 3));
        // Channel 3 to 17: the next page of 16. 17 to 20: the radio buttons only.
        EXPECT_TRUE(Repaints([&] { Pick(dialog, IDC_TABLE_CHANNEL_LIST, 16); }));
        DeviceModel.AlarmVideoOutput[19][3] = 1;   // as a read-back would leave it
        EXPECT_FALSE(Repaints([&] { Pick(dialog, IDC_TABLE_CHANNEL_LIST, 19); }));
        EXPECT_TRUE(Checked(dialog, IDC_TABLE_FLAG_ON + 3) && !Checked(dialog, IDC_TABLE_FLAG_OFF + 3));
        EXPECT_TRUE(Repaints([&] { Click(dialog, IDC_TABLE_FLAG_ON + 2); }));
        EXPECT_TRUE(Checked(dialog, IDC_TABLE_FLAG_ON + 2) && !Checked(dialog, IDC_TABLE_FLAG_OFF + 2));
        Click(dialog, IDC_TABLE_FLAG_OFF);
        Click(dialog, IDC_TABLE_SET);
        EXPECT_TRUE(WaitForLog(1));
        Click(dialog, IDC_TABLE_SET_ALL);
        EXPECT_TRUE(WaitForLog(2));
    });
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "AOM20FFNN");
    EXPECT_EQ(log[1], "AOM" + Repeat("NFFF", 19) + "FFNN" + Repeat("NFFF", 44));
    EXPECT_EQ(DialogSelections.inputChannel, 19);
    EXPECT_EQ(SettingsModified, 1);
}

TEST_F(AlarmTablesTest, AlarmSignalOutputSendsSixLetters)
{
    Drive(RunAlarmSignalOutputDialog, [](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"アラーム信号出力  ");
        Pick(dialog, IDC_TABLE_CHANNEL_LIST, 63);
        Click(dialog, IDC_TABLE_FLAG_OFF);
        Click(dialog, IDC_TABLE_FLAG_ON + 5);
        Click(dialog, IDC_TABLE_SET);
        EXPECT_TRUE(WaitForLog(1));
        Click(dialog, IDC_TABLE_SET_ALL);
        EXPECT_TRUE(WaitForLog(2));
    });
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "AOS64FFFFFN");
    EXPECT_EQ(log[1], "AOS" + Repeat("NFFFFF", 63) + "FFFFFN");
}

TEST_F(AlarmTablesTest, DateTimeDisplayInputAndOutputSides)
{
    Drive(RunDateTimeInputDialog, [](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"日付・時刻表示（入力側）  ");
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_TABLE_CHANNEL_LIST, CB_GETCOUNT, 0, 0), 64);
        EXPECT_EQ(Text(dialog, IDC_TABLE_SAME_LIST), L"ON");
        Pick(dialog, IDC_TABLE_CHANNEL_LIST, 6);
        Pick(dialog, IDC_TABLE_VALUE_LIST, 0);   // OFF
        Click(dialog, IDC_TABLE_SET);
        EXPECT_TRUE(WaitForLog(1));
        Click(dialog, IDC_TABLE_SET_ALL);
        EXPECT_TRUE(WaitForLog(2));
    });
    Drive(RunDateTimeOutputDialog, [](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"日付・時刻表示（出力側）  ");
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_TABLE_CHANNEL_LIST, CB_GETCOUNT, 0, 0), 16);
        Pick(dialog, IDC_TABLE_SAME_LIST, 0);    // all OFF
        Pick(dialog, IDC_TABLE_CHANNEL_LIST, 15);
        Pick(dialog, IDC_TABLE_VALUE_LIST, 1);   // ON
        Click(dialog, IDC_TABLE_SET);
        EXPECT_TRUE(WaitForLog(3));
        Click(dialog, IDC_TABLE_SET_ALL);
        EXPECT_TRUE(WaitForLog(4));
    });
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], "TSI07OF");
    EXPECT_EQ(log[1], "TSI" + Repeat("N", 6) + "F" + Repeat("N", 57));
    EXPECT_EQ(log[2], "TSO16ON");
    EXPECT_EQ(log[3], "TSO" + Repeat("F", 15) + "N");
    EXPECT_EQ(DialogSelections.outputSide, 15);
    EXPECT_EQ(DialogSelections.inputChannel, 6);
}
