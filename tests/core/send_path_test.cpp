#include <string>

#include "link/link_state.h"
#include "link/send_path.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "test_support.h"

using SendPathTest = CoreTest;

TEST_F(SendPathTest, Rs232cSendsTheCommandUnchangedAndWaits)
{
    SlaveAddress = 7;   // ignored on RS-232C
    SendCommand("OP0000I00\r\n");
    EXPECT_EQ(OnlyFrame(), "OP0000I00\r\n");
    EXPECT_EQ(TransactionState.busy, 1);
    EXPECT_EQ(TransactionState.replyWait, 1);
    EXPECT_EQ(TransactionState.sendFailed, 0);
}

TEST_F(SendPathTest, Rs485PutsTheSlaveAddressInFront)
{
    ControlMode = kControlRs485;
    SlaveAddress = 7;
    SendCommand("OP0000I00\r\n");
    EXPECT_EQ(OnlyFrame(), "07OP0000I00\r\n");
    EXPECT_EQ(TransactionState.busy, 1);
    SlaveAddress = 31;
    ResetTransaction();
    SendCommand("ROE\r\n");
    EXPECT_EQ(Sent.serialFrames.back(), "31ROE\r\n");
}

TEST_F(SendPathTest, BroadcastCompletesAtOnce)
{
    ControlMode = kControlRs485;
    SlaveAddress = kSlaveBroadcast;
    TransactionState.replyStatus = kReplyCommandError;
    SendCommand("OE03OF\r\n");
    EXPECT_EQ(OnlyFrame(), "FFOE03OF\r\n");
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.replyWait, 0);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
}

TEST_F(SendPathTest, BroadcastCompletionFollowsTheSequencePhase)
{
    ControlMode = kControlRs485;
    SlaveAddress = kSlaveBroadcast;
    TransactionState.sequencePhase = kPhaseRunning;
    SendCommand("ROE\r\n");
    EXPECT_EQ(TransactionState.completionCode, kCompletionNone);
    TransactionState.sequencePhase = kPhaseLast;
    SendCommand("ROE\r\n");
    EXPECT_EQ(TransactionState.completionCode, kCompletionSequence);
}

TEST_F(SendPathTest, TcpGoesToTheTcpSenderWithoutPrefix)
{
    InterfaceKind = kInterfaceTcp;
    ControlMode = kControlRs485;
    SlaveAddress = 5;
    TransactionState.sendFailed = 1;
    SendCommand("ROE\r\n");
    ASSERT_EQ(Sent.tcpCommands.size(), 1u);
    EXPECT_EQ(Sent.tcpCommands[0], "ROE\r\n");
    EXPECT_TRUE(Sent.serialFrames.empty());
    EXPECT_EQ(TransactionState.sendFailed, 0);
    EXPECT_EQ(TransactionState.busy, 1);
}

TEST_F(SendPathTest, NoTcpSenderIsAFailedSend)
{
    InterfaceKind = kInterfaceTcp;
    ActiveTransport.sendTcp = nullptr;
    SendCommand("ROE\r\n");
    EXPECT_EQ(TransactionState.sendFailed, 1);
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.replyWait, 0);
}

TEST_F(SendPathTest, UnitNetworkCommandsAlwaysUseTheSerialLink)
{
    InterfaceKind = kInterfaceTcp;
    ControlMode = kControlRs485;
    SlaveAddress = 3;
    ASSERT_TRUE(SendUnitNetworkRead(DeviceModel, 1));
    EXPECT_EQ(OnlyFrame(), "03REIA\r\n");
    EXPECT_TRUE(Sent.tcpCommands.empty());
    EXPECT_EQ(TransactionState.busy, 1);
}

TEST_F(SendPathTest, LongestCommandFitsTheFrameWithItsAddress)
{
    ControlMode = kControlRs485;
    SlaveAddress = 12;
    ASSERT_TRUE(SendGlyphRegister(DeviceModel, 0, 69));
    const std::string frame = OnlyFrame();
    EXPECT_EQ(frame.size(), 586u);
    EXPECT_EQ(frame.substr(0, 8), "12GRL070");
    EXPECT_EQ(frame.substr(584), "\r\n");
    EXPECT_EQ(std::string(LastSerialFrame()), frame);
    EXPECT_EQ(LastSerialFrameLength(), 586);
}

TEST_F(SendPathTest, ResetTransactionKeepsTheCompletionCode)
{
    TransactionState.busy = 1;
    TransactionState.replyWait = 9;
    TransactionState.sendFailed = 1;
    TransactionState.replyStatus = kReplyStopSequence;
    TransactionState.completionCode = kCompletionSequence;
    TransactionState.sequencePhase = kPhaseLast;
    TransactionState.stepCounter = 31;
    TransactionState.sequenceTimer = 4;
    ResetTransaction();
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.replyWait, 0);
    EXPECT_EQ(TransactionState.sendFailed, 0);
    EXPECT_EQ(TransactionState.replyStatus, 0);
    EXPECT_EQ(TransactionState.sequencePhase, 0);
    EXPECT_EQ(TransactionState.stepCounter, 0);
    EXPECT_EQ(TransactionState.sequenceTimer, 0);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSequence);
}

// A unit's channel: its own transaction and address, whatever the program's
// link settings say, and nothing of the program's link touched.
TEST_F(SendPathTest, ChannelCommandsGoToTheChannelAlone)
{
    InterfaceKind = kInterfaceTcp;
    TransactionStateRecord unit;
    CommandChannel channel;
    channel.transaction = &unit;
    channel.rs485Address = 12;
    std::string delivered;
    channel.owner = &delivered;
    channel.deliver = [](CommandChannel& c, const char* frame, int length) {
        static_cast<std::string*>(c.owner)->assign(frame, static_cast<size_t>(length));
    };
    {
        SendingOnChannel sending(channel);
        EXPECT_TRUE(SendReadPattern(DeviceModel, 4));
        EXPECT_EQ(delivered, "12ROP05\r\n");
        EXPECT_EQ(unit.busy, 1);
        EXPECT_EQ(unit.replyWait, 1);
        ResetTransaction(unit);
        EXPECT_FALSE(SendReadPattern(DeviceModel, 40));
        EXPECT_EQ(unit.replyStatus, kReplyCommandError);
    }
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_TRUE(Sent.tcpCommands.empty());
    SendCommand("ROE\r\n");   // the program's link again
    EXPECT_EQ(Sent.tcpCommands.size(), 1u);
}
