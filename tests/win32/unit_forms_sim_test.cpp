// The panel password, alarm settings and unit network dialogs driven through
// their real windows against the simulator on the serial link.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/status_timer.h"
#include "dialogs/unit/alarm_settings.h"
#include "dialogs/unit/password.h"
#include "dialogs/unit/unit_network.h"
#include "files/settings_file.h"
#include "link/tcp_state.h"
#include "protocol/command_builder.h"
#include "resources/resource.h"
#include "serial_sim_fixture.h"

namespace {

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

void Type(HWND dialog, int id, const wchar_t* text)
{
    SetDlgItemTextW(dialog, id, text);
}

// Presses a "設定" and waits for the unit's answer.
void Press(HWND dialog, int id)
{
    Click(dialog, id);
    EXPECT_TRUE(WaitUntilAnswered());
    TransactionState.completionCode = kCompletionNone;
}

// A "設定" pressed although it is disabled: nothing goes out, and the status
// timer reports "Command Error".
void ForcedSendIsRefused(HWND dialog, int id)
{
    const size_t logged = SimulatorLog().size();
    Click(dialog, id);
    EXPECT_EQ(TransactionState.busy, 0);
    StatusTimerTick();
    EXPECT_TRUE(WasShown("Command Error"));
    EXPECT_EQ(SimulatorLog().size(), logged);
}

void Drive(void (*run)(HWND), int closeId, const std::function<void(HWND)>& act, int milliseconds = 15000)
{
    EXPECT_TRUE(DriveDialog(run, nullptr, [&](HWND dialog) {
        act(dialog);
        PostMessageW(dialog, WM_COMMAND, closeId, 0);
    }, milliseconds));
    EXPECT_EQ(OpenDialog, nullptr);
}

std::wstring ConfigValue(const wchar_t* key)
{
    wchar_t value[64] = {};
    GetPrivateProfileStringW(L"KVR2840E_section", key, L"(none)", value, 64, L".\\KVR2840E.ini");
    return value;
}

int ComboCount(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0));
}

using UnitFormsTest = SerialSimTest;

} // namespace

TEST_F(UnitFormsTest, PasswordRowsOnTheWire)
{
    Drive(RunPasswordDialog, IDC_PASSWORD_CLOSE, [](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"パスワード  ");
        EXPECT_EQ(Text(dialog, IDC_PASSWORD_NUMBER), L"482913");
        EXPECT_TRUE(Enabled(dialog, IDC_PASSWORD_NUMBER_SET));
        EXPECT_EQ(SettingsModified, 0);   // filling the edit is no change
        EXPECT_EQ(Text(dialog, IDC_PASSWORD_MENU_LIST), L"OFF");

        Type(dialog, IDC_PASSWORD_NUMBER, L"12345");
        EXPECT_FALSE(Enabled(dialog, IDC_PASSWORD_NUMBER_SET));
        EXPECT_EQ(SettingsModified, 1);
        Type(dialog, IDC_PASSWORD_NUMBER, L"123456");
        EXPECT_TRUE(Enabled(dialog, IDC_PASSWORD_NUMBER_SET));
        Press(dialog, IDC_PASSWORD_NUMBER_SET);
        Pick(dialog, IDC_PASSWORD_MENU_LIST, 1);
        Press(dialog, IDC_PASSWORD_MENU_SET);
        Pick(dialog, IDC_PASSWORD_MENU_LIST, 0);
        Press(dialog, IDC_PASSWORD_MENU_SET);
        Pick(dialog, IDC_PASSWORD_BUTTON_LIST, 1);
        Press(dialog, IDC_PASSWORD_BUTTON_SET);

        Type(dialog, IDC_PASSWORD_NUMBER, L"12a456");
        EXPECT_FALSE(Enabled(dialog, IDC_PASSWORD_NUMBER_SET));
        ForcedSendIsRefused(dialog, IDC_PASSWORD_NUMBER_SET);
    });
    EXPECT_EQ(SimulatorLog(), (std::vector<std::string>{"PN123456", "PMON", "PMOF", "POON"}));
    EXPECT_STREQ(DeviceModel.PanelLock.password, "12a456");
    EXPECT_EQ(DeviceModel.PanelLock.buttonLock, 1);
}

TEST_F(UnitFormsTest, AlarmRowsOnTheWire)
{
    Drive(RunAlarmSettingsDialog, IDC_ALARM_CLOSE, [](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"アラーム  ");
        EXPECT_EQ(ComboCount(dialog, IDC_ALARM_POLARITY_LIST), 2);
        EXPECT_EQ(Text(dialog, IDC_ALARM_POLARITY_LIST), L"Make");
        EXPECT_EQ(ComboCount(dialog, IDC_ALARM_BUZZER_LIST), 2);
        EXPECT_EQ(Text(dialog, IDC_ALARM_BUZZER_LIST), L"ON");
        EXPECT_EQ(Text(dialog, IDC_ALARM_HOLD_TIME), L"10");
        EXPECT_EQ(SettingsModified, 0);

        Type(dialog, IDC_ALARM_HOLD_TIME, L"5");
        Press(dialog, IDC_ALARM_HOLD_TIME_SET);
        Pick(dialog, IDC_ALARM_POLARITY_LIST, 1);
        Press(dialog, IDC_ALARM_POLARITY_SET);
        Pick(dialog, IDC_ALARM_BUZZER_LIST, 0);
        Press(dialog, IDC_ALARM_BUZZER_SET);
        Press(dialog, IDC_ALARM_DISPLAY_SET);
        Pick(dialog, IDC_ALARM_RETURN_LIST, 0);
        Press(dialog, IDC_ALARM_RETURN_SET);

        for (const wchar_t* text : {L"", L"0", L"00", L"1a"}) {
            Type(dialog, IDC_ALARM_HOLD_TIME, text);
            EXPECT_FALSE(Enabled(dialog, IDC_ALARM_HOLD_TIME_SET));
        }
        ForcedSendIsRefused(dialog, IDC_ALARM_HOLD_TIME_SET);
        Type(dialog, IDC_ALARM_HOLD_TIME, L"99");
        EXPECT_TRUE(Enabled(dialog, IDC_ALARM_HOLD_TIME_SET));
    });
    EXPECT_EQ(SimulatorLog(), (std::vector<std::string>{"ADT05", "AIPB", "ABOOF", "ADON", "AROF"}));
    EXPECT_EQ(DeviceModel.AlarmSettings.holdTime, 99);
    EXPECT_EQ(SettingsModified, 1);
}

TEST_F(UnitFormsTest, UnitNetworkRowsOnTheWireAndThePortsInTheConfigurationFile)
{
    ScratchFolder folder;
    Drive(RunUnitNetworkDialog, IDC_UNIT_CLOSE, [](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"プロトコルの設定  ");
        EXPECT_EQ(Text(dialog, IDC_UNIT_MAC_ADDRESS), L"00-00-00-00-00-00");
        EXPECT_EQ(Text(dialog, IDC_UNIT_VERSION), L"0.00");
        EXPECT_FALSE(Enabled(dialog, IDC_UNIT_MAC_ADDRESS));
        EXPECT_EQ(ComboCount(dialog, IDC_UNIT_TIME_LIST), 8);
        EXPECT_EQ(Text(dialog, IDC_UNIT_TIME_LIST), L"10分");
        EXPECT_EQ(Text(dialog, IDC_UNIT_SOURCE_PORT), L"09004");

        SendDlgItemMessageW(dialog, IDC_UNIT_IP_ADDRESS, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 0, 0, 7));
        EXPECT_EQ(SettingsModified, 1);
        for (int id : {IDC_UNIT_IP_SET, IDC_UNIT_GATEWAY_SET, IDC_UNIT_ACTIVE_SET, IDC_UNIT_SUBNET_SET})
            Press(dialog, id);
        Pick(dialog, IDC_UNIT_CONNECTION_LIST, 1);
        Press(dialog, IDC_UNIT_CONNECTION_SET);
        Press(dialog, IDC_UNIT_KEEP_ALIVE_SET);
        Pick(dialog, IDC_UNIT_TIME_LIST, 7);
        Press(dialog, IDC_UNIT_TIME_SET);

        // A port is a PC setting: written at once, not a change of the settings set.
        SettingsModified = 0;
        Type(dialog, IDC_UNIT_DESTINATION_PORT, L"8080");
        EXPECT_EQ(ConfigValue(L"dst_port_number"), L"8080");
        EXPECT_EQ(ConfigValue(L"source_port_number"), L"(none)");
        EXPECT_EQ(SettingsModified, 0);
        Press(dialog, IDC_UNIT_DESTINATION_SET);
        Press(dialog, IDC_UNIT_SOURCE_PORT_SET);

        Type(dialog, IDC_UNIT_SOURCE_PORT, L"70000");
        EXPECT_EQ(ConfigValue(L"source_port_number"), L"70000");
        Click(dialog, IDC_UNIT_SOURCE_PORT_SET);
        EXPECT_EQ(RecordedMessages.back().text, "ポート番号は1～65535の範囲で入力してください。");
        Type(dialog, IDC_UNIT_SOURCE_PORT, L"80a");
        Click(dialog, IDC_UNIT_SOURCE_PORT_SET);
        EXPECT_EQ(RecordedMessages.back().text, "ポート番号は数字だけで入力してください。");
        EXPECT_EQ(TransactionState.busy, 0);
    });
    EXPECT_EQ(SimulatorLog(), (std::vector<std::string>{"EIA010.000.000.007", "EGA192.168.001.002",
                                                        "EAA192.168.001.004", "ESM255.255.255.000", "ECTON",
                                                        "EKAOF", "ETR8", "EDPN08080", "ESPN09004"}));
    EXPECT_STREQ(DeviceModel.UnitNetwork.destinationPortText, "8080");
    EXPECT_FALSE(WasShown("Command Error"));
}

TEST_F(UnitFormsTest, UnitNetworkReadFillsTheDialogFromTheUnit)
{
    ScratchFolder folder;
    // The unit holds other settings than the model's start values.
    UnitNetworkRecord& net = DeviceModel.UnitNetwork;
    const int ip[4] = {172, 16, 5, 9};
    memcpy(net.ipAddress, ip, sizeof ip);
    net.subnetMask[2] = 0;
    net.keepAlive = 1;
    net.timeRegister = 2;
    strcpy(net.sourcePortText, "4001");
    strcpy(net.destinationPortText, "4002");
    for (bool (*send)(const DeviceModelData&) :
         {+[](const DeviceModelData& m) { return SendUnitAddress(m, kUnitIpAddress); },
          +[](const DeviceModelData& m) { return SendUnitAddress(m, kUnitSubnetMask); }, &SendUnitKeepAlive,
          &SendUnitTimeRegister, &SendUnitSourcePort, &SendUnitDestinationPort}) {
        ASSERT_TRUE(send(DeviceModel));
        ASSERT_TRUE(WaitUntilAnswered());
    }
    ResetModelToStartValues(DeviceModel);
    ResetTransaction();

    bool locked = false;
    int highestProgress = 0;
    DWORD milliseconds = 0;
    // At the closing message the read values are shown and the controls
    // still locked; they come back after it.
    static bool lockedAtSuccess = false;
    WhenRecorded = [](const RecordedMessage& message) {
        lockedAtSuccess = message.text == "読み込みが完了しました" &&
                          !IsWindowEnabled(GetDlgItem(OpenDialog, IDC_UNIT_CLOSE)) &&
                          !IsWindowEnabled(GetDlgItem(OpenDialog, IDC_UNIT_READ)) &&
                          Text(OpenDialog, IDC_UNIT_SOURCE_PORT) == L"04001";
    };
    Drive(RunUnitNetworkDialog, IDC_UNIT_CLOSE, [&](HWND dialog) {
        const DWORD start = GetTickCount();
        Click(dialog, IDC_UNIT_READ);
        locked = !Enabled(dialog, IDC_UNIT_READ) && !Enabled(dialog, IDC_UNIT_CLOSE) &&
                 !Enabled(dialog, IDC_UNIT_IP_SET) && !Enabled(dialog, IDC_UNIT_DESTINATION_SET) &&
                 !Enabled(dialog, IDC_UNIT_IP_ADDRESS);
        while (!WasShown("読み込みが完了しました") && GetTickCount() - start < 10000) {
            const int position = static_cast<int>(SendDlgItemMessageW(dialog, IDC_UNIT_PROGRESS, PBM_GETPOS, 0, 0));
            highestProgress = position > highestProgress ? position : highestProgress;
            Sleep(20);
        }
        milliseconds = GetTickCount() - start;
        EXPECT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_UNIT_CLOSE); }, 2000));
        EXPECT_TRUE(lockedAtSuccess);
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_UNIT_PROGRESS, PBM_GETPOS, 0, 0), 0);
        EXPECT_TRUE(Enabled(dialog, IDC_UNIT_READ));
        EXPECT_TRUE(Enabled(dialog, IDC_UNIT_CLOSE));
        DWORD packed = 0;
        SendDlgItemMessageW(dialog, IDC_UNIT_IP_ADDRESS, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&packed));
        EXPECT_EQ(packed, static_cast<DWORD>(MAKEIPADDRESS(172, 16, 5, 9)));
        EXPECT_EQ(Text(dialog, IDC_UNIT_KEEP_ALIVE_LIST), L"ON");
        EXPECT_EQ(Text(dialog, IDC_UNIT_TIME_LIST), L"1分");
        EXPECT_EQ(Text(dialog, IDC_UNIT_SOURCE_PORT), L"04001");
        EXPECT_EQ(Text(dialog, IDC_UNIT_DESTINATION_PORT), L"04002");
        EXPECT_EQ(Text(dialog, IDC_UNIT_VERSION), L"1.00");
        EXPECT_EQ(Text(dialog, IDC_UNIT_MAC_ADDRESS).substr(0, 15), L"02-4B-56-52-00-");
    });
    EXPECT_TRUE(locked);
    EXPECT_EQ(highestProgress, 11);
    // Eleven reads, one per 200-ms tick, then the tick that ends it.
    EXPECT_GE(milliseconds, 2300u);
    EXPECT_LE(milliseconds, 4500u);
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 6u + 11u);
    EXPECT_EQ(std::vector<std::string>(log.begin() + 6, log.end()),
              (std::vector<std::string>{"REIA", "REGA", "REAA", "RESM", "RECT", "RETR", "REDPN", "RESPN", "REKA",
                                        "REMA", "RVN"}));
    EXPECT_EQ(RecordedMessages.back().caption, "接続成功");
    EXPECT_EQ(SettingsModified, 1);
    EXPECT_EQ(DeviceModel.UnitNetwork.subnetMask[2], 0);
    EXPECT_EQ(ConfigValue(L"source_port_number"), L"04001");
    EXPECT_EQ(ConfigValue(L"dst_port_number"), L"04002");

    // The next opening shows no MAC address or version until the next read.
    Drive(RunUnitNetworkDialog, IDC_UNIT_CLOSE, [](HWND dialog) {
        EXPECT_EQ(Text(dialog, IDC_UNIT_MAC_ADDRESS), L"00-00-00-00-00-00");
        EXPECT_EQ(Text(dialog, IDC_UNIT_VERSION), L"0.00");
    });
}

TEST_F(UnitFormsTest, UnitNetworkRefusedOnTcpAndItsReadOnBroadcast)
{
    InterfaceKind = kInterfaceTcp;
    RunMainCommand(IDM_UNIT_NETWORK);   // returns at once: no dialog opens
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages.back().text, "インターフェイスをRS-232C/RS-485にしてください。");

    InterfaceKind = kInterfaceSerial;
    ControlMode = kControlRs485;
    SlaveAddress = kSlaveBroadcast;
    Drive(RunUnitNetworkDialog, IDC_UNIT_CLOSE, [](HWND dialog) {
        Click(dialog, IDC_UNIT_READ);
        EXPECT_EQ(RecordedMessages.back().text, "スレーブアドレスを「Broadcast」以外に設定してください。");
        EXPECT_TRUE(Enabled(dialog, IDC_UNIT_CLOSE));
        Sleep(500);
        // A late dialog-side reply is never applied to this dialog's settings.
        const char reply[] = "EIA010.000.000.001\r\n";
        memcpy(ReceiveBuffer, reply, sizeof reply);
        ReceivedByteCount = static_cast<int>(sizeof reply - 1);
        SendMessageW(dialog, WM_DEVICE_REPLY, 1, 0);
        EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    });
    EXPECT_TRUE(SimulatorLog().empty());
    EXPECT_EQ(DeviceModel.UnitNetwork.ipAddress[0], 192);
}
