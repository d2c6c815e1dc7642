#include "test_support.h"

#include "app/program_state.h"
#include "link/message_ops.h"
#include "link/send_path.h"

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

void CoreTest::SetUp()
{
    ResetProgramState();
    ActiveTransport = {RecordSerial, RecordTcp};
    Sent = SentLog();
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

bool SaveInPlace(const char* path, const FileWriter& write)
{
    FILE* file = fopen(path, "wb");
    if (!file)
        return false;
    const bool written = write(file);
    return fclose(file) == 0 && written;
}
