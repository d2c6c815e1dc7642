#include "test_support.h"

#include "files/settings_file.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/send_path.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"

SentLog Sent;
MessageLog Messages;

static int RecordMessage(const MessageRequest& request)
{
    Messages.shown.push_back({request.text, request.caption, request.icon, request.buttons,
                              request.beep, request.owner});
    if (Messages.whileShown)
        Messages.whileShown();
    if (!Messages.answers.empty()) {
        const int answer = Messages.answers.front();
        Messages.answers.erase(Messages.answers.begin());
        return answer;
    }
    return request.buttons == kButtonsYesNo ? kAnswerNo : kAnswerOk;
}

static void RecordSerial(const char* frame, int length)
{
    Sent.serialFrames.emplace_back(frame, static_cast<size_t>(length));
}

static void RecordTcp(const char* command)
{
    Sent.tcpCommands.emplace_back(command);
}

void ResetProgramState()
{
    ResetModelToStartValues(DeviceModel);
    ResetTransaction();
    TransactionState.completionCode = 0;
    TransactionState.suppress = 0;
    InterfaceKind = kInterfaceSerial;
    ControlMode = kControlRs232c;
    SlaveAddress = 0;
    ActiveTransport = {nullptr, nullptr};
    ResetDialogReplyLine();
    RedrawChannelTableHook = nullptr;
    RedrawSourceTableHook = nullptr;
    RedrawVideoLossHook = nullptr;
    GlyphRepaintHook = nullptr;
}

void CoreTest::SetUp()
{
    ResetProgramState();
    ActiveTransport = {RecordSerial, RecordTcp};
    Sent = SentLog();
    CurrentFilePath[0] = '\0';
    SettingsModified = 0;
    TcpConnected = 0;
    IoStatusWindowOpen = 0;
    Messages = MessageLog();
    MessageSink = RecordMessage;
}

void CoreTest::TearDown()
{
    ActiveTransport = {nullptr, nullptr};
    MessageSink = nullptr;
}

ShownMessage CoreTest::OnlyMessage() const
{
    EXPECT_EQ(Messages.shown.size(), 1u);
    return Messages.shown.empty() ? ShownMessage{} : Messages.shown.back();
}

std::string CoreTest::OnlyFrame() const
{
    EXPECT_EQ(Sent.serialFrames.size(), 1u);
    return Sent.serialFrames.empty() ? std::string() : Sent.serialFrames.back();
}
