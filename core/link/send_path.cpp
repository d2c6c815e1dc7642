#include "link/send_path.h"

#include <cstring>

#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/text_conversions.h"
#include "link/transaction.h"
#include "protocol/reply_parser.h"

LinkTransport ActiveTransport = {nullptr, nullptr};

// Static so that an overlapped write can still be reading it after we return.
static char FrameBuffer[kFrameBufferBytes];
static int FrameLength = 0;

// The channel of the command being built now, if a caller installed one.
static CommandChannel* InstalledChannel = nullptr;

SendingOnChannel::SendingOnChannel(CommandChannel& channel)
{
    InstalledChannel = &channel;
}

SendingOnChannel::~SendingOnChannel()
{
    InstalledChannel = nullptr;
}

bool RefuseCommand()
{
    TransactionStateRecord& transaction =
        InstalledChannel ? *InstalledChannel->transaction : TransactionState;
    transaction.replyStatus = kReplyCommandError;
    return false;
}

void FailCommand(const char* warning)
{
    TransactionState.sendFailed = 1;
    TransactionState.busy = 0;
    TransactionState.replyWait = 0;
    // The command is over: a part of its reply that came must not be taken
    // as the beginning of the next command's reply.
    ResetDialogReplyLine();
    if (warning)
        ShowWarning(warning);
}

int FrameCommand(TransactionStateRecord& transaction, int rs485Address, const char* command, char* frame)
{
    int length = 0;
    if (rs485Address == kSlaveBroadcast) {
        frame[0] = 'F';
        frame[1] = 'F';
        // No unit answers a broadcast: it counts as acknowledged now.
        transaction.busy = 0;
        transaction.replyWait = 0;
        transaction.replyStatus = kReplyGood;
        SetCompletionFromPhase(transaction);
        length = 2;
    } else if (rs485Address != kNoAddressPrefix) {
        FormatTwoDigits(rs485Address < 0 || rs485Address > kMaxSlaveAddress ? 0 : rs485Address, frame);
        length = 2;
    }
    size_t commandLength = strlen(command);
    size_t room = kFrameBufferBytes - 1 - static_cast<size_t>(length);
    if (commandLength > room)
        commandLength = room;
    memcpy(frame + length, command, commandLength);
    length += static_cast<int>(commandLength);
    frame[length] = '\0';
    return length;
}

// The installed channel's unit: its transaction awaits the reply, its
// frame goes to its link.
static void SendOnInstalledChannel(const char* command)
{
    CommandChannel& channel = *InstalledChannel;
    channel.transaction->replyWait = 1;
    channel.transaction->busy = 1;
    channel.frameLength = FrameCommand(*channel.transaction, channel.rs485Address, command, channel.frame);
    if (channel.deliver)
        channel.deliver(channel, channel.frame, channel.frameLength);
}

void SendCommand(const char* command)
{
    if (InstalledChannel) {
        InstalledChannel->transaction->sendFailed = 0;
        SendOnInstalledChannel(command);
        return;
    }
    TransactionState.replyWait = 1;
    TransactionState.busy = 1;
    TransactionState.sendFailed = 0;
    if (InterfaceKind == kInterfaceTcp) {
        if (ActiveTransport.sendTcp)
            ActiveTransport.sendTcp(command);
        else
            FailCommand(nullptr);   // no link is installed: nowhere to send it
    } else {
        WriteSerialFrame(command);
    }
}

void WriteSerialFrame(const char* command)
{
    if (InstalledChannel) {
        SendOnInstalledChannel(command);
        return;
    }
    TransactionState.replyWait = 1;
    TransactionState.busy = 1;
    const int address = ControlMode == kControlRs485 ? static_cast<int>(SlaveAddress) : kNoAddressPrefix;
    FrameLength = FrameCommand(TransactionState, address, command, FrameBuffer);
    if (ActiveTransport.writeSerial)
        ActiveTransport.writeSerial(FrameBuffer, FrameLength);
}

const char* LastSerialFrame()
{
    return FrameBuffer;
}

int LastSerialFrameLength()
{
    return FrameLength;
}

void ForgetLastSerialFrame()
{
    memset(FrameBuffer, 0, sizeof FrameBuffer);
    FrameLength = 0;
}
