#include <cstring>
#include <string>

#include "dialogs/unit/unit_forms.h"
#include "link/link_state.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "test_support.h"

using UnitFormsTest = CoreTest;

namespace {

// One row's "設定" with the model changed first; what goes on the wire.
struct RowCase {
    const char* name;
    void (*change)(DeviceModelData& m);
    bool (*press)();
    const char* sent;
};

void Unchanged(DeviceModelData&) {}

const RowCase kRowCases[] = {
    {"password", Unchanged, [] { return SendPasswordRow(kPasswordNumberRow); }, "PN482913\r\n"},
    {"button lock", [](DeviceModelData& m) { m.PanelLock.buttonLock = 1; },
     [] { return SendPasswordRow(kPasswordButtonLockRow); }, "POON\r\n"},
    {"menu lock", Unchanged, [] { return SendPasswordRow(kPasswordMenuLockRow); }, "PMOF\r\n"},
    {"polarity", [](DeviceModelData& m) { m.AlarmSettings.inputPolarity = 1; },
     [] { return SendAlarmRow(kAlarmPolarityRow); }, "AIPB\r\n"},
    {"hold time", Unchanged, [] { return SendAlarmRow(kAlarmHoldTimeRow); }, "ADT10\r\n"},
    {"buzzer", [](DeviceModelData& m) { m.AlarmSettings.buzzer = 0; },
     [] { return SendAlarmRow(kAlarmBuzzerRow); }, "ABOOF\r\n"},
    {"display", Unchanged, [] { return SendAlarmRow(kAlarmDisplayRow); }, "ADON\r\n"},
    {"return", [](DeviceModelData& m) { m.AlarmSettings.autoReturn = 0; },
     [] { return SendAlarmRow(kAlarmReturnRow); }, "AROF\r\n"},
    {"ip address", [](DeviceModelData& m) { m.UnitNetwork.ipAddress[3] = 200; },
     [] { return SendUnitNetworkRow(kUnitIpAddressRow); }, "EIA192.168.001.200\r\n"},
    {"gateway", Unchanged, [] { return SendUnitNetworkRow(kUnitGatewayAddressRow); }, "EGA192.168.001.002\r\n"},
    {"active address", Unchanged, [] { return SendUnitNetworkRow(kUnitActiveAddressRow); }, "EAA192.168.001.004\r\n"},
    {"subnet mask", [](DeviceModelData& m) { m.UnitNetwork.subnetMask[3] = 0; },
     [] { return SendUnitNetworkRow(kUnitSubnetMaskRow); }, "ESM255.255.255.000\r\n"},
    {"connection try", [](DeviceModelData& m) { m.UnitNetwork.connectionTry = 1; },
     [] { return SendUnitNetworkRow(kUnitConnectionTryRow); }, "ECTON\r\n"},
    {"keep alive", Unchanged, [] { return SendUnitNetworkRow(kUnitKeepAliveRow); }, "EKAOF\r\n"},
    {"time register", [](DeviceModelData& m) { m.UnitNetwork.timeRegister = 7; },
     [] { return SendUnitNetworkRow(kUnitTimeRegisterRow); }, "ETR8\r\n"},
    {"source port", [](DeviceModelData& m) { strcpy(m.UnitNetwork.sourcePortText, "9004"); },
     [] { return SendUnitNetworkRow(kUnitSourcePortRow); }, "ESPN09004\r\n"},
    {"destination port", [](DeviceModelData& m) { strcpy(m.UnitNetwork.destinationPortText, "65535"); },
     [] { return SendUnitNetworkRow(kUnitDestinationPortRow); }, "EDPN65535\r\n"},
};

} // namespace

TEST_F(UnitFormsTest, EachRowSendsItsOneCommandAsASingleCommand)
{
    for (const RowCase& c : kRowCases) {
        SCOPED_TRACE(c.name);
        ResetTransaction();
        Sent = SentLog();
        ResetModelToStartValues(DeviceModel);
        c.change(DeviceModel);
        TransactionState.sequencePhase = kPhaseLast;   // left by an earlier run
        EXPECT_TRUE(c.press());
        EXPECT_EQ(OnlyFrame(), c.sent);
        EXPECT_EQ(TransactionState.sequencePhase, kPhaseSingle);
        EXPECT_EQ(TransactionState.busy, 1);
        // While its reply is awaited, a second press sends nothing.
        EXPECT_FALSE(c.press());
        EXPECT_EQ(Sent.serialFrames.size(), 1u);
    }
}

TEST_F(UnitFormsTest, UnitNetworkCommandsGoToTheSerialPortEvenOnTcp)
{
    InterfaceKind = kInterfaceTcp;
    EXPECT_TRUE(SendUnitNetworkRow(kUnitKeepAliveRow));
    ResetTransaction();
    EXPECT_TRUE(UnitNetworkRead.sendStep(11));
    EXPECT_EQ(Sent.serialFrames, (std::vector<std::string>{"EKAOF\r\n", "RVN\r\n"}));
    EXPECT_TRUE(Sent.tcpCommands.empty());
    EXPECT_EQ(UnitNetworkRead.length, 11);
}

TEST_F(UnitFormsTest, PasswordIsSendableExactlyWithSixDigits)
{
    const struct {
        const char* text;
        bool sendable;
    } cases[] = {{"482913", true}, {"48291", false}, {"", false}, {"48a913", false}, {"000000", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        strcpy(DeviceModel.PanelLock.password, c.text);
        EXPECT_EQ(PasswordTextChanged(), c.sendable);
    }
}

TEST_F(UnitFormsTest, HoldTimeIsSendableFromOneToNinetyNine)
{
    const struct {
        const char* text;
        int holdTime;
        bool sendable;
    } cases[] = {{"5", 5, true}, {"99", 99, true}, {"", 0, false}, {"0", 0, false},
                 {"00", 0, false}, {"1a", 1, false}, {"a1", 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        strcpy(DeviceModel.AlarmSettings.holdTimeText, c.text);
        EXPECT_EQ(HoldTimeTextChanged(), c.sendable);
        EXPECT_EQ(DeviceModel.AlarmSettings.holdTime, c.holdTime);
    }
}

TEST_F(UnitFormsTest, APortThatIsNoPortNumberIsExplainedAndNothingIsSent)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "ポート番号を入力してください。"},
        {"90a4", "ポート番号は数字だけで入力してください。"},
        {"65536", "ポート番号は1～65535の範囲で入力してください。"},
        {"0", "ポート番号は1～65535の範囲で入力してください。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Messages = MessageLog();
        strcpy(DeviceModel.UnitNetwork.destinationPortText, c.text);
        EXPECT_FALSE(SendUnitNetworkRow(kUnitDestinationPortRow));
        EXPECT_EQ(OnlyMessage().text, c.message);
        EXPECT_EQ(OnlyMessage().caption, "Error");
        EXPECT_TRUE(Sent.serialFrames.empty());
        EXPECT_EQ(TransactionState.busy, 0);
        EXPECT_EQ(TransactionState.replyStatus, kReplyGood);   // no second report
    }
}

TEST_F(UnitFormsTest, TheMacAddressAndVersionShowZeroUntilTheUnitReportsThem)
{
    strcpy(DeviceModel.UnitNetwork.macAddressText, "02-4B-56-52-00-00");
    EXPECT_STREQ(ShownMacAddress(), "02-4B-56-52-00-00");
    OpenUnitNetwork();
    EXPECT_STREQ(ShownMacAddress(), "00-00-00-00-00-00");
    EXPECT_STREQ(ShownFirmwareVersion(), "0.00");
}
