// The per-unit state machine of the tool, driven by hand: replies are fed as
// bytes and time passes only through the ticks' clock argument.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "cli/unit_exchange.h"
#include "dialogs/routing/settings_transfer.h"
#include "link/link_state.h"
#include "protocol/command_builder.h"

namespace {

struct UnitRun {
    UnitExchange unit;

    UnitRun(const SequenceSteps* steps, int address = kNoAddressPrefix, bool serial = true, int paceMs = 400)
    {
        ResetModelToStartValues(unit.model);
        unit.steps = steps;
        unit.paceMs = paceMs;
        unit.serialReplies = serial;
        PrepareUnit(unit, address);
    }
    // The frames written since the last call.
    std::string Take()
    {
        std::string out = unit.outbox;
        unit.outbox.clear();
        return out;
    }
    void Reply(const std::string& text, int64_t nowMs) { UnitReceived(unit, text.data(), static_cast<int>(text.size()), nowMs); }
};

TEST(UnitExchange, EachStepWaitsForItsReplyAndTheNextTick)
{
    UnitRun run(&SetAllSettings);
    StartUnit(run.unit, 0);
    EXPECT_EQ(run.Take(), "OP01\r\n");
    run.Reply("GO\r\n", 10);
    TickUnit(run.unit, 399);
    EXPECT_EQ(run.Take(), "");
    TickUnit(run.unit, 400);
    EXPECT_EQ(run.Take().substr(0, 5), "OSI01");
    // A reply later than the tick waits for the following one.
    run.Reply("GO\r\n", 850);
    TickUnit(run.unit, 1199);
    EXPECT_EQ(run.Take(), "");
    TickUnit(run.unit, 1200);
    EXPECT_EQ(run.Take().substr(0, 4), "OP01");
    EXPECT_EQ(UnitStepsDone(run.unit), 2);
}

TEST(UnitExchange, AllStepsAcknowledgedSucceeds)
{
    UnitRun run(&ReadAllSettings, kNoAddressPrefix, true, 0);
    StartUnit(run.unit, 0);
    std::string last;
    for (int step = 1; step <= kReadAllSteps; ++step) {
        last = run.Take();
        ASSERT_EQ(run.unit.state, UnitState::kRunning) << step;
        run.Reply(step == 1 ? "OP07\r\n" : step == kReadAllSteps ? "OEFFNNNNNNNNNNNNNN\r\n" : "GO\r\n", step);
        TickUnit(run.unit, step);
    }
    EXPECT_EQ(last, "ROE\r\n");
    EXPECT_EQ(run.unit.state, UnitState::kSucceeded);
    EXPECT_EQ(run.unit.model.CurrentDisplayPattern, 6);
    EXPECT_EQ(run.unit.model.VideoOutputEnable[1], 0);
    EXPECT_EQ(UnitStepsDone(run.unit), kReadAllSteps);
}

struct FaultCase {
    const char* reply;
    const char* message;
};

class UnitFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(UnitFault, StopsTheUnitAtItsStep)
{
    UnitRun run(&SetAllSettings);
    StartUnit(run.unit, 0);
    run.Reply("GO\r\n", 5);
    TickUnit(run.unit, 400);
    run.Take();
    run.Reply(GetParam().reply, 410);
    EXPECT_EQ(run.unit.state, UnitState::kFailed);
    EXPECT_EQ(run.unit.step, 2);
    EXPECT_EQ(run.unit.command.substr(0, 5), "OSI01");
    EXPECT_EQ(run.unit.message, GetParam().message);
    EXPECT_EQ(run.unit.reply + "\r\n", GetParam().reply);
    EXPECT_EQ(UnitStepsDone(run.unit), 1);
    TickUnit(run.unit, 800);
    EXPECT_EQ(run.Take(), "");
}

INSTANTIATE_TEST_SUITE_P(Replies, UnitFault,
                         ::testing::Values(FaultCase{"MENU\r\n", "Menu Display"}, FaultCase{"ALARM\r\n", "Alarm Display"},
                                           FaultCase{"LOCK\r\n", "Lock Display"}, FaultCase{"GN\r\n", "Mode Error"},
                                           FaultCase{"E0\r\n", "Framing Error"}, FaultCase{"E1\r\n", "Parity Error"},
                                           FaultCase{"E2\r\n", "Over Run Error"}, FaultCase{"E3\r\n", "Command Error"},
                                           FaultCase{"XYZ\r\n", "Command Error"}));

TEST(UnitExchange, NoReplyWithinTheProgramsTimeOutFails)
{
    UnitRun run(&ReadAllSettings);
    StartUnit(run.unit, 1000);
    TickUnit(run.unit, 1000 + ReplyTimeoutMs() - 1);
    EXPECT_EQ(run.unit.state, UnitState::kRunning);
    EXPECT_EQ(UnitWakeTime(run.unit), 1000 + ReplyTimeoutMs());
    TickUnit(run.unit, 1000 + ReplyTimeoutMs());
    EXPECT_EQ(run.unit.state, UnitState::kFailed);
    EXPECT_EQ(run.unit.message, "No Connect (no reply within 2850 ms)");
    EXPECT_EQ(run.unit.command, "ROP");
}

TEST(UnitExchange, ClosedLinkFailsTheUnit)
{
    UnitRun run(&ReadAllSettings);
    StartUnit(run.unit, 0);
    UnitLinkLost(run.unit, "the unit closed the connection");
    EXPECT_EQ(run.unit.state, UnitState::kFailed);
    EXPECT_EQ(run.unit.step, 1);
    EXPECT_EQ(run.unit.command, "ROP");
    EXPECT_EQ(run.unit.message, "the unit closed the connection");
}

TEST(UnitExchange, ClosedLinkBetweenStepsFailsTheNextStep)
{
    UnitRun run(&ReadAllSettings);
    StartUnit(run.unit, 0);
    run.Reply("OP03\r\n", 10);
    UnitLinkLost(run.unit, "the unit closed the connection");
    EXPECT_EQ(run.unit.state, UnitState::kFailed);
    EXPECT_EQ(run.unit.step, 2);
    EXPECT_EQ(run.unit.command, "");
    EXPECT_EQ(run.unit.reply, "");
    EXPECT_EQ(UnitStepsDone(run.unit), 1);
}

TEST(UnitExchange, Rs485FramesCarryTheAddressAndRepliesLoseIt)
{
    UnitRun run(&ReadAllSettings, 5);
    StartUnit(run.unit, 0);
    EXPECT_EQ(run.Take(), "05ROP\r\n");
    run.Reply("06OP03\r\n", 10);   // another unit's address is not ours
    EXPECT_EQ(run.unit.state, UnitState::kFailed);

    UnitRun good(&ReadAllSettings, 5);
    StartUnit(good.unit, 0);
    good.Reply("05OP03\r\n", 10);
    EXPECT_EQ(good.unit.state, UnitState::kRunning);
    EXPECT_EQ(good.unit.model.CurrentDisplayPattern, 2);
}

TEST(UnitExchange, BroadcastSetAllSendsOneStepATickWithoutReplies)
{
    UnitRun run(&SetAllSettings, kSlaveBroadcast);
    StartUnit(run.unit, 0);
    EXPECT_EQ(run.Take(), "FFOP01\r\n");
    for (int step = 2; step <= kSetAllSteps; ++step)
        TickUnit(run.unit, (step - 1) * 400);
    EXPECT_EQ(run.unit.state, UnitState::kSucceeded);
    EXPECT_EQ(run.Take().substr(0, 4), "FFOS");
}

// At the line's pace no unit answers a broadcast: each step waits until the
// line has carried the one before (11 bits a character at 9600 baud).
TEST(UnitExchange, BroadcastAtTheLinesPaceWaitsForTheLine)
{
    UnitRun run(&SetAllSettings, kSlaveBroadcast, true, 0);
    StartUnit(run.unit, 0);
    EXPECT_EQ(run.Take(), "FFOP01\r\n");           // 8 characters: 9.2 ms on the line
    EXPECT_EQ(UnitWakeTime(run.unit), 10);
    TickUnit(run.unit, 9);
    EXPECT_EQ(run.Take(), "");
    TickUnit(run.unit, 10);
    const std::string second = run.Take();       // OS and 16 sources: 56 characters
    EXPECT_EQ(second.substr(0, 4), "FFOS");
    EXPECT_EQ(UnitWakeTime(run.unit), 10 + (static_cast<int64_t>(second.size()) * 11000 + 9599) / 9600);
}

// A step may be held back past its tick (the clock waiting for a minute).
TEST(UnitExchange, AHeldStepWaitsUntilItsTime)
{
    UnitRun run(&SetAllSettings, kNoAddressPrefix, true, 0);
    run.unit.earliestStep = [](const UnitExchange&, int nextStep, int64_t nowMs) {
        return nextStep == 2 ? std::max<int64_t>(nowMs, 5000) : nowMs;
    };
    StartUnit(run.unit, 0);
    EXPECT_EQ(run.Take(), "OP01\r\n");
    run.Reply("GO\r\n", 10);
    TickUnit(run.unit, 10);
    EXPECT_EQ(run.Take(), "");
    EXPECT_EQ(UnitWakeTime(run.unit), 5000);
    TickUnit(run.unit, 5000);
    EXPECT_EQ(run.Take().substr(0, 5), "OSI01");
}

TEST(UnitExchange, TcpReplyInTwoPiecesIsAppliedOnce)
{
    UnitRun run(&ReadAllSettings, kNoAddressPrefix, false);
    StartUnit(run.unit, 0);
    run.Reply("OP0", 5);
    EXPECT_NE(run.unit.transaction.replyWait, 0);
    run.Reply("9\r\n", 105);
    EXPECT_EQ(run.unit.transaction.replyWait, 0);
    EXPECT_EQ(run.unit.model.CurrentDisplayPattern, 8);
    EXPECT_EQ(run.unit.reply, "OP09");
}

TEST(UnitExchange, SendPrintsWhateverTheUnitAnswered)
{
    UnitRun run(nullptr, kNoAddressPrefix, false);
    run.unit.text = "RVN";
    StartUnit(run.unit, 0);
    EXPECT_EQ(run.Take(), "RVN\r\n");
    run.Reply("VN KVR-2840E v1.00\r\n", 3);
    EXPECT_EQ(run.unit.state, UnitState::kSucceeded);
    EXPECT_EQ(run.unit.reply, "VN KVR-2840E v1.00");
}

TEST(UnitExchange, UnitsKeepTheirOwnTransactions)
{
    UnitRun a(&ReadAllSettings), b(&ReadAllSettings);
    StartUnit(a.unit, 0);
    StartUnit(b.unit, 0);
    a.Reply("E3\r\n", 1);
    EXPECT_EQ(a.unit.state, UnitState::kFailed);
    EXPECT_EQ(b.unit.transaction.busy, 1);
    EXPECT_EQ(TransactionState.busy, 0);
    b.Reply("OPFR\r\n", 2);
    EXPECT_EQ(b.unit.model.CurrentDisplayPattern, kFreePattern);
    EXPECT_EQ(b.unit.state, UnitState::kRunning);
}

} // namespace
