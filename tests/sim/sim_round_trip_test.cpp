// The program's builders and parsers against a simulated unit in this
// process: every command of the catalogue, on the serial side and the TCP side.
#include "link/link_state.h"
#include "link/send_path.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"
#include "sim/unit_clock.h"
#include "sim_test_support.h"

namespace {

class SimRoundTripTest : public ::testing::Test {
protected:
    std::unique_ptr<SimUnit> unit = MakeTestUnit();
    LinkEndpoint link;

    void SetUp() override
    {
        ResetProgramState();
        link.units.push_back({-1, unit.get()});
    }
    void TearDown() override { ActiveTransport = {nullptr, nullptr}; }
};

TEST_F(SimRoundTripTest, SerialCatalogue)
{
    UseInProcessSerialWire(link);
    RunSettingsRoundTrip();
    RunUnitNetworkRoundTrip("02-4B-56-52-00-01", "1.00");
    // The date commands reached the unit's clock: 2024-02-29 23:59:45,
    // rounded to the next minute by the 30-second correction.
    const DateTimeFields f = ReadUnitClock(unit->clock, 0);
    EXPECT_EQ(f.year, 2024);
    EXPECT_EQ(f.month, 3);
    EXPECT_EQ(f.day, 1);
    EXPECT_EQ(f.hour, 0);
    EXPECT_EQ(f.minute, 0);
    EXPECT_EQ(f.second, 0);
}

TEST_F(SimRoundTripTest, TcpCatalogue)
{
    link.kind = kSimLinkTcp;
    UseInProcessTcpWire(link);
    RunSettingsRoundTrip();
    RunTcpIdentification("1.00");
}

TEST_F(SimRoundTripTest, Rs485AddressesAndBroadcastThroughTheSendPath)
{
    auto other = MakeTestUnit(2);
    link.rs485 = true;
    link.units = {{5, unit.get()}, {7, other.get()}};
    UseInProcessSerialWire(link);
    ControlMode = kControlRs485;

    SlaveAddress = 7;
    EXPECT_TRUE(SendPatternSelect(DeviceModel, 11));
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    EXPECT_EQ(other->settings.CurrentDisplayPattern, 11);
    EXPECT_EQ(unit->settings.CurrentDisplayPattern, 0);

    // Broadcast: counted as done by the program, applied by both units.
    SlaveAddress = kSlaveBroadcast;
    TransactionState.completionCode = 0;
    EXPECT_TRUE(SendPatternSelect(DeviceModel, 20));
    EXPECT_EQ(NextWriteDue(link), kNever);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    EXPECT_EQ(unit->settings.CurrentDisplayPattern, 20);
    EXPECT_EQ(other->settings.CurrentDisplayPattern, 20);

    // A reply to a read from unit 5 goes through the prefix check of the parser.
    SlaveAddress = 5;
    DeviceModel.CurrentDisplayPattern = 0;
    EXPECT_TRUE(SendReadCurrentPattern(DeviceModel));
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(DeviceModel.CurrentDisplayPattern, 20);
}

TEST_F(SimRoundTripTest, RefusedCommandReachesTheProgramAsCommandError)
{
    UseInProcessSerialWire(link);
    SendCommand("OP33\r\n");
    EXPECT_EQ(TransactionState.replyStatus, kReplyCommandError);
    EXPECT_EQ(TransactionState.busy, 0);
}

} // namespace
