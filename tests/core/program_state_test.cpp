#include <cstring>

#include <gtest/gtest.h>

#include "app/dialog_selections.h"
#include "app/program_state.h"
#include "app/status_timer.h"
#include "dialogs/routing/io_status_view.h"
#include "files/settings_file.h"
#include "files/settings_operations.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/send_path.h"
#include "link/tcp_state.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"

namespace {

void Hook() {}
void StatusHook(const IoStatusRecord&) {}
int Sink(const MessageRequest&) { return kAnswerYes; }
void WriteNothing(const char*, int) {}
void SendNothing(const char*) {}
int Choose(char*, size_t) { return kChooseOk; }
bool SaveNothing(const char*, const FileWriter&) { return false; }

// Every byte of a record of plain fields (no padding) is zero.
template <typename T>
bool AllZero(const T& record)
{
    static const T zero{};
    return memcmp(&zero, &record, sizeof record) == 0;
}

std::atomic<int32_t>* const kTransactionFields[] = {
    &TransactionState.busy,          &TransactionState.replyWait,      &TransactionState.sendFailed,
    &TransactionState.replyStatus,   &TransactionState.completionCode, &TransactionState.sequencePhase,
    &TransactionState.stepCounter,   &TransactionState.sequenceTimer,  &TransactionState.suppress,
};

// Every global of the core away from its start value.
void ChangeEverything()
{
    memset(&DeviceModel, 0x5A, sizeof DeviceModel);
    for (std::atomic<int32_t>* field : kTransactionFields)
        *field = 7;

    InterfaceKind = kInterfaceTcp;
    ControlMode = kControlRs485;
    ClientServerMode = kModeServer;
    PortIndex = 4;
    memcpy(PortNameTable[3], "COM9", 5);
    PortCount = 5;
    HostTable.count = 2;
    HostTable.selected = 1;
    HostTable.address[1][2] = 168;
    SlaveAddress = kSlaveBroadcast;
    AppRunning = 1;
    TcpConnected = 1;
    IoStatusWindowOpen = 1;

    TakeConnectionEntry(0, 11, "10.0.0.1");
    TakeConnectionEntry(5, 55, "10.0.0.5");
    CurrentConnection = 5;
    MainSocket = 77;
    memcpy(ReceiveBuffer, "GO\r\n", 4);
    ReceivedByteCount = 4;

    ActiveTransport = {WriteNothing, SendNothing};
    MessageSink = Sink;
    FileUi = {Choose, Choose, Hook, Hook, fopen, SaveNothing};
    StatusWindowHooks = {Hook, Hook};
    OutputChannelsDrawHook = StatusHook;
    AutoSwitchMarksDrawHook = StatusHook;
    VideoLossDrawHook = StatusHook;
    IoStatusPollCounter = 42;
    SetIoStatusNotify(Hook);
    PublishVideoLossDraw(DeviceModel.IoStatus);
    GlyphRepaintHook = Hook;

    memcpy(CurrentFilePath, "C:\\a.dat", 9);
    SettingsModified = 1;
    DialogSelections.inputChannel = 3;
    DialogSelections.outputSide = 9;
}

} // namespace

TEST(ProgramState, ResetRestoresEveryStartValue)
{
    ChangeEverything();
    // A dialog reply line left half received, and a serial frame written.
    DeviceModelData other;
    ResetModelToStartValues(other);
    other.CurrentDisplayPattern = 9;
    ASSERT_EQ(ParseDialogReply(other, "OP0", 3), kDialogReplyPartial);
    WriteSerialFrame("ROE\r\n");
    ASSERT_GT(LastSerialFrameLength(), 0);

    ResetProgramState();

    DeviceModelData fresh;
    ResetModelToStartValues(fresh);
    EXPECT_EQ(memcmp(&fresh, &DeviceModel, sizeof fresh), 0);
    for (std::atomic<int32_t>* field : kTransactionFields)
        EXPECT_EQ(*field, 0) << "transaction field " << field - &TransactionState.busy;

    EXPECT_EQ(InterfaceKind, kInterfaceSerial);
    EXPECT_EQ(ControlMode, kControlRs232c);
    EXPECT_EQ(ClientServerMode, kModeClient);
    EXPECT_EQ(PortIndex, 0);
    EXPECT_STREQ(PortNameTable[3], "");
    EXPECT_EQ(PortCount, 0);
    EXPECT_TRUE(AllZero(HostTable));
    EXPECT_EQ(SlaveAddress, 0);
    EXPECT_EQ(AppRunning, 0);
    EXPECT_EQ(TcpConnected, 0);
    EXPECT_EQ(IoStatusWindowOpen, 0);

    // The connection table as the TCP link starts it: entry 0 reserved.
    for (int i = 0; i < kConnectionEntries; ++i) {
        EXPECT_EQ(ConnectionTable[i].inUse, i == 0 ? 1 : 0) << "entry " << i;
        EXPECT_EQ(ConnectionTable[i].socket, 0u) << "entry " << i;
        EXPECT_STREQ(ConnectionTable[i].peerAddress, "") << "entry " << i;
    }
    EXPECT_EQ(CurrentConnection, kNoConnection);
    EXPECT_EQ(MainSocket, 0u);
    EXPECT_STREQ(ReceiveBuffer, "");
    EXPECT_EQ(ReceivedByteCount, 0);

    EXPECT_TRUE(AllZero(ActiveTransport));
    EXPECT_EQ(MessageSink, nullptr);
    EXPECT_TRUE(AllZero(FileUi));
    EXPECT_TRUE(AllZero(StatusWindowHooks));
    EXPECT_EQ(OutputChannelsDrawHook, nullptr);
    EXPECT_EQ(AutoSwitchMarksDrawHook, nullptr);
    EXPECT_EQ(VideoLossDrawHook, nullptr);
    EXPECT_EQ(IoStatusPollCounter, 0);
    EXPECT_FALSE(TakeIoStatusDraws().videoLoss);
    EXPECT_EQ(GlyphRepaintHook, nullptr);

    EXPECT_EQ(LastSerialFrameLength(), 0);
    EXPECT_STREQ(LastSerialFrame(), "");
    EXPECT_STREQ(CurrentFilePath, "");
    EXPECT_EQ(SettingsModified, 0);
    EXPECT_TRUE(AllZero(DialogSelections));

    // The half line is gone: the rest of it is a line of its own, not "OP05".
    EXPECT_EQ(ParseDialogReply(other, "5\r\n", 3), kDialogReplyDone);
    EXPECT_EQ(other.CurrentDisplayPattern, 9);
    ResetProgramState();
}
