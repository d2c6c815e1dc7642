#include <string>
#include <vector>

#include "app/status_timer.h"
#include "dialogs/overlay/title_editing.h"
#include "dialogs/routing/io_status_view.h"
#include "dialogs/routing/routing_tables.h"
#include "dialogs/routing/settings_transfer.h"
#include "dialogs/unit/unit_forms.h"
#include "dialogs/routing/timed_sequence.h"
#include "link/link_state.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"
#include "test_support.h"

namespace {

bool SendPattern(int step)
{
    return SendPatternRow(DeviceModel, step - 1);
}

const SequenceSteps kAllPatterns = {.timerId = 4, .periodMs = 400, .length = 32, .sendStep = SendPattern};

} // namespace

class TimedSequenceTest : public CoreTest {
protected:
    // The unit answers the command that is outstanding.
    void Answer(const char* reply)
    {
        if (TransactionState.busy)
            ParseSerialReply(DeviceModel, reply);
    }
};

TEST_F(TimedSequenceTest, SendsEveryPatternInOrderAndSucceeds)
{
    StartSequence(kAllPatterns);
    EXPECT_TRUE(SequenceRunning(kAllPatterns));
    EXPECT_EQ(TransactionState.sequencePhase, kPhaseRunning);
    int percent = -1;
    for (int step = 1; step <= 32; ++step) {
        ASSERT_EQ(TickSequence(kAllPatterns, percent), kSequenceStepSent) << step;
        EXPECT_EQ(percent, step * 100 / 32);
        if (step == 1) {
            EXPECT_EQ(percent, 3);
        }
        // Nothing more goes out while the reply is awaited.
        EXPECT_EQ(TickSequence(kAllPatterns, percent), kSequenceWaiting);
        Answer("GO\r\n");
    }
    EXPECT_EQ(TransactionState.sequencePhase, kPhaseLast);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSequence);
    // The success is seen one tick after the last reply.
    EXPECT_EQ(TickSequence(kAllPatterns, percent), kSequenceSucceeded);
    EXPECT_EQ(TransactionState.completionCode, kCompletionNone);
    EXPECT_FALSE(SequenceRunning(kAllPatterns));

    ASSERT_EQ(Sent.serialFrames.size(), 32u);
    EXPECT_EQ(Sent.serialFrames[0].substr(0, 4), "OP01");
    EXPECT_EQ(Sent.serialFrames[31].substr(0, 4), "OP32");
    // The status timer does not report a sequence's completion as "Success".
    StatusTimerTick();
    EXPECT_TRUE(Messages.shown.empty());
}

TEST_F(TimedSequenceTest, AnErrorReplyEndsItWithoutSuccess)
{
    StartSequence(kAllPatterns);
    int percent = 0;
    for (int step = 1; step <= 5; ++step) {
        ASSERT_EQ(TickSequence(kAllPatterns, percent), kSequenceStepSent);
        Answer(step == 5 ? "E3\r\n" : "GO\r\n");
    }
    // Stopped: nothing is sent while the status is reported.
    EXPECT_EQ(TickSequence(kAllPatterns, percent), kSequenceWaiting);
    StatusTimerTick();
    EXPECT_EQ(OnlyMessage().text, "Command Error");
    EXPECT_EQ(TransactionState.replyStatus, kReplyStopSequence);
    EXPECT_EQ(TickSequence(kAllPatterns, percent), kSequenceEnded);
    EXPECT_EQ(Sent.serialFrames.size(), 5u);
    EXPECT_FALSE(SequenceRunning(kAllPatterns));
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
}

TEST_F(TimedSequenceTest, ATimeOutEndsIt)
{
    StartSequence(kAllPatterns);
    int percent = 0;
    ASSERT_EQ(TickSequence(kAllPatterns, percent), kSequenceStepSent);
    for (int tick = 0; tick < 15; ++tick)
        StatusTimerTick();
    EXPECT_EQ(OnlyMessage().text, "No Connect");
    // The unit's reply comes after all: the sequence still ends, and the
    // unit is sent nothing more after "No Connect".
    ParseSerialReply(DeviceModel, "GO\r\n");
    EXPECT_EQ(TickSequence(kAllPatterns, percent), kSequenceEnded);
    EXPECT_EQ(Sent.serialFrames.size(), 1u);
}

TEST_F(TimedSequenceTest, CancelStopsItButNotTheLastCommand)
{
    StartSequence(kAllPatterns);
    int percent = 0;
    ASSERT_EQ(TickSequence(kAllPatterns, percent), kSequenceStepSent);
    ASSERT_TRUE(CancelSequence());
    EXPECT_EQ(TransactionState.suppress, 1);
    EXPECT_FALSE(SequenceRunning(kAllPatterns));
    EXPECT_EQ(TransactionState.busy, 0);
    // A late error reply while the cancel message is up is not reported.
    TransactionState.replyStatus = kReplyCommandError;
    StatusTimerTick();
    EXPECT_TRUE(Messages.shown.empty());
    EndCancel();
    EXPECT_EQ(TransactionState.suppress, 0);

    StartSequence(kAllPatterns);
    TransactionState.stepCounter = 31;
    ASSERT_EQ(TickSequence(kAllPatterns, percent), kSequenceStepSent);
    EXPECT_EQ(percent, 100);
    EXPECT_FALSE(CancelSequence());
    EXPECT_TRUE(SequenceRunning(kAllPatterns));
}

TEST_F(TimedSequenceTest, BroadcastSendsOneCommandPerTickWithoutWaiting)
{
    ControlMode = kControlRs485;
    SlaveAddress = kSlaveBroadcast;
    StartSequence(kAllPatterns);
    int percent = 0;
    for (int step = 1; step <= 32; ++step)
        ASSERT_EQ(TickSequence(kAllPatterns, percent), kSequenceStepSent) << step;
    EXPECT_EQ(TickSequence(kAllPatterns, percent), kSequenceSucceeded);
    ASSERT_EQ(Sent.serialFrames.size(), 32u);
    EXPECT_EQ(Sent.serialFrames[0].substr(0, 6), "FFOP01");
}

TEST_F(TimedSequenceTest, ARefusedCommandEndsThroughTheErrorPath)
{
    DeviceModel.DisplayPatternTable[2][0] = 500;   // pattern 3 cannot be built
    StartSequence(kAllPatterns);
    int percent = 0;
    for (int step = 1; step <= 2; ++step) {
        ASSERT_EQ(TickSequence(kAllPatterns, percent), kSequenceStepSent);
        Answer("GO\r\n");
    }
    ASSERT_EQ(TickSequence(kAllPatterns, percent), kSequenceStepSent);
    EXPECT_EQ(Sent.serialFrames.size(), 2u);
    EXPECT_EQ(TickSequence(kAllPatterns, percent), kSequenceWaiting);
    StatusTimerTick();
    EXPECT_EQ(OnlyMessage().text, "Command Error");
    EXPECT_EQ(TickSequence(kAllPatterns, percent), kSequenceEnded);
}

TEST_F(TimedSequenceTest, ReadAllStopsAtAReplyThatFailsItsCheckAndKeepsTheEarlierOnes)
{
    ControlMode = kControlRs485;
    SlaveAddress = kSlaveBroadcast;
    OpenReadAll();
    EXPECT_EQ(SlaveAddress, 0);
    ControlMode = kControlRs232c;

    const int untouched = DeviceModel.DisplayPatternTable[1][0];
    const std::string replies[] = {"OP07\r\n", "OP01" + Repeat("I05", 16) + "\r\n", "OP02I01\r\n"};
    StartSequence(ReadAllSettings);
    int percent = 0;
    for (const std::string& reply : replies) {
        ASSERT_EQ(TickSequence(ReadAllSettings, percent), kSequenceStepSent);
        Answer(reply.c_str());
    }
    EXPECT_EQ(percent, 3 * 100 / 66);
    StatusTimerTick();
    EXPECT_EQ(OnlyMessage().text, "Command Error");
    EXPECT_EQ(TickSequence(ReadAllSettings, percent), kSequenceEnded);
    EXPECT_EQ(Sent.serialFrames, (std::vector<std::string>{"ROP\r\n", "ROP01\r\n", "ROP02\r\n"}));
    EXPECT_EQ(DeviceModel.CurrentDisplayPattern, 6);
    EXPECT_EQ(DeviceModel.DisplayPatternTable[0][15], 4);
    EXPECT_EQ(DeviceModel.DisplayPatternTable[1][0], untouched);
}

// Every timer of the program: its id, period and length as the unit's
// pacing and the dialogs' own-sequence test (the ids differ) rely on them.
TEST(TimerTable, IdsAndPeriodsAreFixedAndDistinct)
{
    struct Timer {
        const char* name;
        int id, periodMs, length;
        int wantId, wantPeriodMs, wantLength;
    };
    const Timer timers[] = {
        {"status", kStatusTimerId, kStatusTimerPeriodMs, 0, 1, 190, 0},
        {"read all", ReadAllSettings.timerId, ReadAllSettings.periodMs, ReadAllSettings.length, 2, 300, 66},
        {"set all", SetAllSettings.timerId, SetAllSettings.periodMs, SetAllSettings.length, 3, 400, 67},
        {"all display patterns", AllDisplayPatterns.timerId, AllDisplayPatterns.periodMs, AllDisplayPatterns.length,
         4, 400, 32},
        {"all auto-switch patterns", AllAutoSwitchPatterns.timerId, AllAutoSwitchPatterns.periodMs,
         AllAutoSwitchPatterns.length, 6, 400, 32},
        {"all titles", AllTitles.timerId, AllTitles.periodMs, 0, 7, 400, 0},
        {"status window poll", kIoStatusTimerId, kIoStatusPeriodMs, 0, 10, 500, 0},
        {"unit network read", UnitNetworkRead.timerId, UnitNetworkRead.periodMs, UnitNetworkRead.length, 12, 200, 11},
    };
    std::vector<int> ids;
    for (const Timer& t : timers) {
        EXPECT_EQ(t.id, t.wantId) << t.name;
        EXPECT_EQ(t.periodMs, t.wantPeriodMs) << t.name;
        EXPECT_EQ(t.length, t.wantLength) << t.name;
        for (int id : ids)
            EXPECT_NE(id, t.id) << t.name;
        ids.push_back(t.id);
    }
}
