// The serial receive thread and the user-interface thread together, as the
// Windows program runs them: the reply parser stores into the model on one
// thread while the status timer ticks on the other. Natively it checks the
// hand-over; the ThreadSanitizer build checks that it is free of races.
#include <atomic>
#include <string>
#include <thread>

#include "app/status_timer.h"
#include "link/send_path.h"
#include "link/serial_lines.h"
#include "dialogs/routing/timed_sequence.h"
#include "link/transaction.h"
#include "protocol/reply_parser.h"
#include "protocol/device_model.h"
#include "test_support.h"

using ReceiveThreadTest = CoreTest;

TEST_F(ReceiveThreadTest, EveryReplyFromTheReceiveThreadIsReportedOnceWithWhatItStored)
{
    SerialLineBuffer buffer;
    ResetSerialLines(buffer);
    for (int round = 0; round < 64; ++round) {
        const int pattern = round % kPatternCount;
        Messages = MessageLog();
        SendCommand("ROP\r\n");

        const int wire = pattern + 1;
        const std::string reply = std::string("OP") + static_cast<char>('0' + wire / 10) +
                                  static_cast<char>('0' + wire % 10) + "\r\n";
        std::thread receiver([&buffer, &reply] {
            FeedSerialBytes(DeviceModel, buffer, reply.data(), static_cast<int>(reply.size()));
        });
        // Tick until the reply is reported; a tick that would give up on the
        // reply waits instead (the reply is on its way, however slow).
        while (Messages.shown.empty()) {
            if (TransactionState.replyWait < kReplyTimeoutTicks - 1)
                StatusTimerTick();
            else
                std::this_thread::yield();
        }
        receiver.join();

        ASSERT_EQ(Messages.shown.size(), 1u) << "round " << round;
        EXPECT_EQ(Messages.shown[0].text, "Success") << "round " << round;
        EXPECT_EQ(DeviceModel.CurrentDisplayPattern, pattern) << "round " << round;
        EXPECT_EQ(TransactionState.busy, 0);
        EXPECT_EQ(TransactionState.replyWait, 0);
    }
}

namespace {

// The unit on the receive thread: answers each command the test sends, once,
// with "E3" for every seventh and "GO" for the others, as a serial line
// parsed where the program parses it.
class ReplyingUnit {
public:
    ReplyingUnit()
        : thread_([this] {
              for (int answered = 0;;) {
                  const int sent = sent_.load();
                  if (sent < 0)
                      return;
                  if (sent == answered) {
                      std::this_thread::yield();
                      continue;
                  }
                  ++answered;
                  ParseSerialReply(DeviceModel, TransactionState, kNoAddressPrefix, IsError(answered) ? "E3\r\n" : "GO\r\n");
                  answered_.store(answered);
              }
          })
    {
    }
    ~ReplyingUnit()
    {
        sent_.store(-1);
        thread_.join();
    }
    static bool IsError(int command) { return command % 7 == 0; }
    // The command goes out as the send path sends it: outstanding, then to the unit.
    int Send()
    {
        TransactionState.replyWait = 1;
        TransactionState.busy = 1;
        TransactionState.sendFailed = 0;
        const int command = sent_.load() + 1;
        sent_.store(command);
        return command;
    }
    int Sent() const { return sent_.load(); }
    // Waits until the unit has handled everything sent.
    void Settle() const
    {
        while (answered_.load() != sent_.load())
            std::this_thread::yield();
    }

private:
    std::atomic<int> sent_{0};
    std::atomic<int> answered_{0};
    std::thread thread_;
};

ReplyingUnit* Unit = nullptr;
int HighestStepSent = 0;

// The status timer as the main window ticks it, but one that would give up
// on a reply waits instead: here every reply comes, however slow the thread.
void PatientStatusTick()
{
    if (TransactionState.replyWait < kReplyTimeoutTicks - 1)
        StatusTimerTick();
    else
        std::this_thread::yield();
}

} // namespace

// The status timer and the sequence tick run on this thread against the
// receive thread's replies, thousands of times: every command ends exactly
// once, as its reply says, and a sequence never sends past its last step.
TEST_F(ReceiveThreadTest, CommandsEndOnceAsTheirRepliesSayWhileTheTimersRunAgainstTheReceiveThread)
{
    ReplyingUnit unit;
    Unit = &unit;
    for (int round = 0; round < 20000; ++round) {
        Messages = MessageLog();
        const int command = unit.Send();
        while (Messages.shown.empty())
            PatientStatusTick();
        unit.Settle();
        for (int more = 0; more < 3; ++more)
            StatusTimerTick();
        ASSERT_EQ(Messages.shown.size(), 1u) << "command " << command;
        ASSERT_EQ(Messages.shown[0].text, ReplyingUnit::IsError(command) ? "Command Error" : "Success")
            << "command " << command;
    }

    // Sequences of five steps; an "E3" ends one without "Success".
    const SequenceSteps steps = {.timerId = 4, .periodMs = 400, .length = 5, .sendStep = [](int step) {
        HighestStepSent = step > HighestStepSent ? step : HighestStepSent;
        Unit->Send();
        return true;
    }};
    int succeeded = 0, ended = 0;
    for (int round = 0; round < 10000; ++round) {
        Messages = MessageLog();
        HighestStepSent = 0;
        ResetTransaction();
        TransactionState.completionCode = kCompletionNone;
        const int first = unit.Sent() + 1;
        StartSequence(steps);
        SequenceTick tick = kSequenceWaiting;
        int percent = 0;
        while (tick != kSequenceSucceeded && tick != kSequenceEnded) {
            tick = TickSequence(steps, percent);
            PatientStatusTick();
        }
        unit.Settle();
        ASSERT_LE(HighestStepSent, steps.length) << "round " << round;
        bool anError = false;
        for (int k = first; k < first + HighestStepSent; ++k)
            anError = anError || ReplyingUnit::IsError(k);
        ASSERT_EQ(tick, anError ? kSequenceEnded : kSequenceSucceeded) << "round " << round;
        ASSERT_EQ(Messages.shown.size(), anError ? 1u : 0u) << "round " << round;
        (tick == kSequenceSucceeded ? succeeded : ended) += 1;
    }
    EXPECT_GT(succeeded, 0);
    EXPECT_GT(ended, 0);
    Unit = nullptr;
}

// With time-outs let run, a reply and the time-out race for the command:
// one of them ends it, never both ("Success" and "No Connect" for one
// command, or two of either).
TEST_F(ReceiveThreadTest, AReplyAndTheTimeOutNeverBothEndACommand)
{
    ReplyingUnit unit;
    int timedOut = 0;
    for (int round = 0; round < 20000; ++round) {
        Messages = MessageLog();
        const int command = unit.Send();
        while (TransactionState.busy)
            StatusTimerTick();
        unit.Settle();
        for (int more = 0; more < 3; ++more)
            StatusTimerTick();
        int successes = 0, noConnects = 0, errors = 0;
        for (const ShownMessage& m : Messages.shown) {
            successes += m.text == "Success";
            noConnects += m.text == "No Connect";
            errors += m.text == "Command Error";
        }
        // In time: "Success" or "Command Error" as the reply says. Too late:
        // "No Connect", and the late line then answers no command.
        if (noConnects == 0) {
            ASSERT_EQ(ReplyingUnit::IsError(command) ? errors : successes, 1) << "command " << command;
        }
        ASSERT_EQ(successes + noConnects, ReplyingUnit::IsError(command) ? noConnects : 1) << "command " << command;
        ASSERT_LE(noConnects, 1) << "command " << command;
        timedOut += noConnects;
    }
    RecordProperty("timedOut", timedOut);
}

// The moments the stress above meets only by chance, held still: the
// receive thread half-way through publishing a reply, and the time-out
// half-way through giving up.
TEST_F(ReceiveThreadTest, HalfPublishedRepliesAreNeitherActedOnNorReportedTwice)
{
    // The reply's status and counter are stored, busy not yet cleared: the
    // sequence tick waits (sending now would leave the next command marked
    // not outstanding once busy is cleared).
    const SequenceSteps steps = {.timerId = 4, .periodMs = 400, .length = 5,
                                 .sendStep = [](int) { return ADD_FAILURE() << "sent mid-publish", false; }};
    StartSequence(steps);
    TransactionState.busy = 1;
    TransactionState.replyStatus = kReplyGood;
    TransactionState.replyWait = 0;
    int percent = 0;
    EXPECT_EQ(TickSequence(steps, percent), kSequenceWaiting);

    // The time-out has taken the counter but not yet cleared busy: the reply
    // that comes now ends nothing, so the command is reported once, as
    // "No Connect".
    ResetTransaction();
    TransactionState.busy = 1;
    TransactionState.replyWait = 0;
    ParseSerialReply(DeviceModel, TransactionState, kNoAddressPrefix, "GO\r\n");
    EXPECT_EQ(TransactionState.completionCode, kCompletionNone);
    TimeOutReply(TransactionState, false);
    StatusTimerTick();
    EXPECT_TRUE(Messages.shown.empty());
}
