#include "app/status_timer.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"
#include "test_support.h"

namespace {

int PollStops = 0;
int Closes = 0;
void StopPolling() { ++PollStops; }
void CloseWindow() { ++Closes; }

} // namespace

class StatusTimerTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        PollStops = 0;
        Closes = 0;
        StatusWindowHooks = {StopPolling, CloseWindow};
    }
    void TearDown() override
    {
        StatusWindowHooks = {nullptr, nullptr};
        CoreTest::TearDown();
    }
};

TEST_F(StatusTimerTest, EachReplyStatusHasItsText)
{
    const char* texts[] = {"Menu Display", "Alarm Display", "Lock Display", "Mode Error",
                           "Framing Error", "Parity Error", "Over Run Error", "Command Error"};
    for (int status = 1; status <= 8; ++status) {
        Messages = MessageLog();
        TransactionState.replyStatus = status;
        TransactionState.replyWait = 4;
        StatusTimerTick();
        const ShownMessage box = OnlyMessage();
        EXPECT_EQ(box.text, texts[status - 1]);
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.icon, kIconError);
        EXPECT_TRUE(box.beep);
        EXPECT_EQ(box.owner, kOwnerNone);
        EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
        EXPECT_EQ(TransactionState.replyWait, 0);
    }
    EXPECT_EQ(PollStops, 0);
    EXPECT_EQ(Closes, 0);
}

TEST_F(StatusTimerTest, AnErrorDuringASequenceBecomesTheStopCode)
{
    TransactionState.sequencePhase = kPhaseRunning;
    TransactionState.replyStatus = kReplyCommandError;
    StatusTimerTick();
    EXPECT_EQ(OnlyMessage().text, "Command Error");
    EXPECT_EQ(TransactionState.replyStatus, kReplyStopSequence);
    // The stop code itself is never reported.
    StatusTimerTick();
    EXPECT_EQ(Messages.shown.size(), 1u);
}

TEST_F(StatusTimerTest, SuccessForASingleCommand)
{
    TransactionState.completionCode = kCompletionSingle;
    TransactionState.replyWait = 0;
    StatusTimerTick();
    const ShownMessage box = OnlyMessage();
    EXPECT_EQ(box.text, "Success");
    EXPECT_EQ(box.caption, "接続成功");
    EXPECT_EQ(box.icon, kIconNone);
    EXPECT_EQ(TransactionState.completionCode, 0);
    // Completion code 2 belongs to the running sequence.
    TransactionState.completionCode = kCompletionSequence;
    StatusTimerTick();
    EXPECT_EQ(Messages.shown.size(), 1u);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSequence);
}

TEST_F(StatusTimerTest, SuccessIsSilentWhileTheStatusWindowIsOpen)
{
    IoStatusWindowOpen = 1;
    TransactionState.completionCode = kCompletionSingle;
    StatusTimerTick();
    EXPECT_TRUE(Messages.shown.empty());
    EXPECT_EQ(TransactionState.completionCode, 0);
    EXPECT_EQ(IoStatusWindowOpen, 1);
}

TEST_F(StatusTimerTest, NoConnectAfterExactlyFifteenTicks)
{
    TransactionState.busy = 1;
    TransactionState.replyWait = 1;   // as the send path leaves it
    for (int tick = 1; tick < 15; ++tick) {
        StatusTimerTick();
        ASSERT_TRUE(Messages.shown.empty()) << "tick " << tick;
    }
    EXPECT_EQ(TransactionState.replyWait, 15);
    StatusTimerTick();
    const ShownMessage box = OnlyMessage();
    EXPECT_EQ(box.text, "No Connect");
    EXPECT_EQ(box.caption, "接続失敗");
    EXPECT_EQ(box.icon, kIconError);
    EXPECT_FALSE(box.beep);
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.replyWait, 0);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);   // a single command: nothing to stop
    // The command's data reply after its "No Connect" answers no command: no "Success" follows.
    ParseSerialReply(DeviceModel, "OP07\r\n");
    StatusTimerTick();
    EXPECT_EQ(Messages.shown.size(), 1u);
}

TEST_F(StatusTimerTest, TimeOutStopsASequenceAndClosesTheStatusWindow)
{
    TransactionState.sequencePhase = kPhaseLast;
    TransactionState.replyWait = 15;
    StatusTimerTick();
    EXPECT_EQ(TransactionState.replyStatus, kReplyStopSequence);

    Messages = MessageLog();
    ResetTransaction();
    IoStatusWindowOpen = 1;
    TransactionState.replyWait = 15;
    StatusTimerTick();
    EXPECT_EQ(OnlyMessage().text, "No Connect");
    EXPECT_EQ(TransactionState.replyStatus, kReplyStopSequence);
    EXPECT_EQ(Closes, 1);
    EXPECT_EQ(IoStatusWindowOpen, 0);
}

TEST_F(StatusTimerTest, ReplyErrorWhileTheStatusWindowIsOpen)
{
    IoStatusWindowOpen = 1;
    TransactionState.replyStatus = kReplyFramingError;
    StatusTimerTick();
    EXPECT_EQ(PollStops, 1);
    EXPECT_EQ(OnlyMessage().text, "Framing Error");
    EXPECT_EQ(Closes, 1);
    EXPECT_EQ(IoStatusWindowOpen, 0);
}

TEST_F(StatusTimerTest, SuppressedWhileACancelMessageIsUp)
{
    IoStatusWindowOpen = 1;
    TransactionState.suppress = 1;
    TransactionState.replyStatus = kReplyLock;
    StatusTimerTick();
    EXPECT_TRUE(Messages.shown.empty());
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    // The status window still closes.
    EXPECT_EQ(Closes, 1);
    EXPECT_EQ(IoStatusWindowOpen, 0);
}

TEST_F(StatusTimerTest, TicksDuringABoxDoNotReportTwice)
{
    // A box runs a message loop in which the timer keeps ticking.
    Messages.whileShown = [] { StatusTimerTick(); };
    TransactionState.replyStatus = kReplyCommandError;
    StatusTimerTick();
    EXPECT_EQ(Messages.shown.size(), 1u);

    Messages = MessageLog();
    Messages.whileShown = [] { StatusTimerTick(); };
    TransactionState.completionCode = kCompletionSingle;
    StatusTimerTick();
    EXPECT_EQ(Messages.shown.size(), 1u);

    Messages = MessageLog();
    Messages.whileShown = [] { StatusTimerTick(); };
    TransactionState.replyWait = 15;
    StatusTimerTick();
    EXPECT_EQ(Messages.shown.size(), 1u);
}

TEST_F(StatusTimerTest, MessageOperations)
{
    ShowInfo("done");
    ShowError("bad");
    ShowWarning("careful");
    ASSERT_EQ(Messages.shown.size(), 3u);
    EXPECT_EQ(Messages.shown[0].caption, "Success");
    EXPECT_EQ(Messages.shown[0].icon, kIconNone);
    EXPECT_EQ(Messages.shown[1].caption, "Error");
    EXPECT_EQ(Messages.shown[1].icon, kIconError);
    EXPECT_EQ(Messages.shown[2].caption, "Error");
    EXPECT_EQ(Messages.shown[2].icon, kIconWarning);
    for (const ShownMessage& box : Messages.shown) {
        EXPECT_TRUE(box.beep);
        EXPECT_EQ(box.owner, kOwnerNone);
    }
}
