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

void SendCommand(const char* command)
{
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
    TransactionState.replyWait = 1;
    TransactionState.busy = 1;

    int length = 0;
    if (ControlMode == kControlRs485) {
        int address = SlaveAddress;
        if (address == kSlaveBroadcast) {
            FrameBuffer[0] = 'F';
            FrameBuffer[1] = 'F';
            // No unit answers a broadcast: it counts as acknowledged now.
            TransactionState.busy = 0;
            TransactionState.replyWait = 0;
            TransactionState.replyStatus = kReplyGood;
            SetCompletionFromPhase();
        } else {
            FormatTwoDigits(address < 0 || address > kMaxSlaveAddress ? 0 : address, FrameBuffer);
        }
        length = 2;
    }
    size_t commandLength = strlen(command);
    size_t room = sizeof FrameBuffer - 1 - static_cast<size_t>(length);
    if (commandLength > room)
        commandLength = room;
    memcpy(FrameBuffer + length, command, commandLength);
    length += static_cast<int>(commandLength);
    FrameBuffer[length] = '\0';
    FrameLength = length;

    if (ActiveTransport.writeSerial)
        ActiveTransport.writeSerial(FrameBuffer, length);
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
