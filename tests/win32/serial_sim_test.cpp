// The serial link against the unit simulator, over a pseudo-terminal that
// Wine maps to the COM port named by KVR_TEST_PORT. Each case is a Wine
// scenario of its own (tests/win32/CMakeLists.txt), with its own simulator.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/status_timer.h"
#include "link/link_state.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"
#include "serial_sim_fixture.h"
#include "win_test_support.h"

TEST_F(SerialSimTest, Rs232cCommandsGoOutUnchanged)
{
    SlaveAddress = 7;   // no meaning on RS-232C
    ASSERT_TRUE(SendVideoOutput(DeviceModel, 2));
    Answered(kReplyGood, kCompletionSingle);
    DeviceModel.DisplayPatternTable[4][15] = 63;
    ASSERT_TRUE(SendPatternRow(DeviceModel, 4));
    Answered(kReplyGood, kCompletionSingle);

    // The port is reopened while the receive thread runs (as a port change
    // does): the thread is stopped around it and reads the new handle. A
    // pseudo-terminal refuses the parity setting on a second open under Wine,
    // so that "Miss!" is the only message allowed here.
    ReopenSerialPort();
    ASSERT_TRUE(SerialReadThreadRunning());
    for (const RecordedMessage& message : RecordedMessages)
        EXPECT_EQ(message.text, "Miss! Set Comm State");

    // What was set comes back.
    ResetModelToStartValues(DeviceModel);
    ASSERT_TRUE(SendReadPattern(DeviceModel, 4));
    Answered(kReplyGood, kCompletionSingle);
    EXPECT_EQ(DeviceModel.DisplayPatternTable[4][15], 63);

    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "OE03ON");
    EXPECT_EQ(log[1], "OP05I01I02I03I04I05I06I07I08I09I10I11I12I13I14I15I64");
    EXPECT_EQ(log[2], "ROP05");
}

TEST_F(SerialSimTest, Rs485AddressAndBroadcast)
{
    ControlMode = kControlRs485;
    SlaveAddress = 7;
    ASSERT_TRUE(SendVideoOutput(DeviceModel, 2));
    Answered(kReplyGood, kCompletionSingle);

    SlaveAddress = kSlaveBroadcast;
    ASSERT_TRUE(SendVideoOutput(DeviceModel, 3));
    // Completed at once: no unit answers a broadcast.
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    Sleep(400);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);

    SlaveAddress = 7;
    TransactionState.completionCode = 0;
    ASSERT_TRUE(SendReadVideoOutputs(DeviceModel));
    Answered(kReplyGood, kCompletionSingle);

    const std::vector<std::string> log = SimulatorLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "07OE03ON");
    EXPECT_EQ(log[1], "FFOE04ON");
    EXPECT_EQ(log[2], "07ROE");
}

TEST_F(SerialSimTest, ReplyFromAnotherAddressIsRefused)
{
    ControlMode = kControlRs485;
    SlaveAddress = 7;
    ASSERT_TRUE(SendReadVideoOutputs(DeviceModel));
    // The reply of unit 07 now comes from an address other than the selected one.
    SlaveAddress = 8;
    Answered(kReplyCommandError, 0);
}

TEST_F(SerialSimTest, AReplyInTwoPiecesIsTakenOnce)
{
    ASSERT_TRUE(SendReadCurrentPattern(DeviceModel));
    Sleep(60);
    EXPECT_EQ(TransactionState.busy, 1);   // the first piece has no line feed
    Answered(kReplyGood, kCompletionSingle);
    EXPECT_EQ(DeviceModel.CurrentDisplayPattern, 0);
}

TEST_F(SerialSimTest, NoReplyEndsInNoConnect)
{
    ASSERT_TRUE(SendVideoOutput(DeviceModel, 2));
    Sleep(500);
    EXPECT_EQ(TransactionState.busy, 1);
    for (int tick = 0; tick < 15; ++tick)
        StatusTimerTick();
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "No Connect");
    EXPECT_EQ(RecordedMessages[0].caption, "接続失敗");
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(SimulatorLog().size(), 1u);
}

TEST_F(SerialSimTest, AnIdleLineLeavesTheReceiveThreadAsleep)
{
    // One read waits for the line; in a second of silence it neither ends
    // nor is followed by another (a polling thread would have read dozens
    // of times).
    Sleep(200);
    const int32_t issued = SerialReadRequests.issued;
    EXPECT_GE(issued, 1);
    Sleep(1000);
    EXPECT_EQ(SerialReadRequests.issued, issued);
    EXPECT_EQ(SerialReadRequests.finished, issued - 1);

    // The waiting read ends with the reply's first byte and takes the rest.
    ASSERT_TRUE(SendVideoOutput(DeviceModel, 2));
    Answered(kReplyGood, kCompletionSingle);
}

TEST_F(SerialSimTest, StoppingTheReceiveThreadWaitsForItsCancelledRead)
{
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(WaitUntil([] { return SerialReadRequests.issued > SerialReadRequests.finished; }, 2000));
        StopSerialReadThread();
        EXPECT_EQ(SerialReadRequests.finished, SerialReadRequests.issued);
        ASSERT_TRUE(StartSerialReadThread());
        // The new thread's read gets the whole reply: none of it went to
        // the read of the thread before.
        ASSERT_TRUE(SendVideoOutput(DeviceModel, 1 + round % 15));
        Answered(kReplyGood, kCompletionSingle);
    }
    EXPECT_EQ(SimulatorLog().size(), 20u);
}
