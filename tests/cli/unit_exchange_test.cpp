// The per-unit state machine of the tool, driven by hand: replies are fed as
// bytes and time passes only through the ticks' clock argument.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "cli/unit_exchange.h"
#include "dialogs/routing/settings_transfer.h"
#include "link/link_state.h"
#include "protocol/command_builder.h"
#include "sim/command_interpreter.h"
#include "sim/unit_clock.h"

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

// On a bus a late reply of the unit served before (here address 00, then
// 03) is not this unit's: it is set aside for the report, in pieces or
// whole, and the unit goes on waiting for its own within its time-out.
TEST(UnitExchange, ABusUnitSkipsRepliesOfOtherAddresses)
{
    UnitRun run(&ReadAllSettings, 5);
    StartUnit(run.unit, 0);
    EXPECT_EQ(run.Take(), "05ROP\r\n");
    run.Reply("00G", 10);
    run.Reply("O\r\n03OP01\r\n05OP", 20);
    EXPECT_EQ(run.unit.state, UnitState::kRunning);
    EXPECT_EQ(run.unit.strayReplies, (std::vector<std::string>{"00GO", "03OP01"}));
    EXPECT_NE(run.unit.transaction.replyWait, 0);
    run.Reply("03\r\n", 30);
    EXPECT_EQ(run.unit.state, UnitState::kRunning);
    EXPECT_EQ(run.unit.transaction.replyWait, 0);
    EXPECT_EQ(run.unit.model.CurrentDisplayPattern, 2);
    // A line that carries no address is not another unit's: the parser
    // judges it as the program's does.
    run.unit.strayReplies.clear();
    TickUnit(run.unit, 400);
    EXPECT_EQ(run.Take(), "05ROP01\r\n");
    run.Reply("E3\r\n", 410);
    EXPECT_EQ(run.unit.state, UnitState::kFailed);
    EXPECT_EQ(run.unit.message, "Command Error");
    EXPECT_TRUE(run.unit.strayReplies.empty());
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

// No unit answers a broadcast: whatever the pace, each step waits the
// dialogs' tick, and a frame longer than the tick its line time.
TEST(UnitExchange, BroadcastStepsWaitTheTickAndTheLine)
{
    const struct {
        const SequenceSteps* steps;
        int paceMs;
        int64_t gapMs;
    } cases[] = {
        {&SetAllSettings, 0, 400},
        {&SetAllSettings, 100, 400},
        {&SetAllSettings, 700, 700},
    };
    for (const auto& c : cases) {
        UnitRun run(c.steps, kSlaveBroadcast, true, c.paceMs);
        StartUnit(run.unit, 0);
        EXPECT_EQ(run.Take(), "FFOP01\r\n");
        TickUnit(run.unit, c.gapMs - 1);
        EXPECT_EQ(run.Take(), "") << c.paceMs;
        TickUnit(run.unit, c.gapMs);
        EXPECT_EQ(run.Take().substr(0, 4), "FFOS") << c.paceMs;
    }
    EXPECT_EQ(SerialLineTimeMs(600), 688);   // a frame longer than the tick: its line time
}

// A step may be held back past its tick (the clock waiting for a minute).
TEST(UnitExchange, AHeldStepWaitsUntilItsTime)
{
    UnitRun run(&SetAllSettings, kNoAddressPrefix, true, 0);
    run.unit.earliestStep = [](UnitExchange&, int nextStep, int64_t nowMs) {
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

// The clock steps against the simulator's running clock, the PC's clock a
// test's: wherever the unit's clock stood and wherever the PC's goes (over
// midnight and New Year, or a minute turning between the fields), the unit
// ends on the PC's time.
ProvisionPlan ClockPlan;
int64_t PcStartMs, RunNowMs;

ProvisionTime FakePcClock()
{
    const int64_t ms = PcStartMs + RunNowMs;
    const DateTimeFields f = DateTimeOfSeconds(ms / 1000);
    return {f.year, f.month, f.day, f.hour, f.minute, f.second, static_cast<int>(ms % 1000)};
}

TEST(UnitExchange, TheUnitsClockEndsOnThePcsTime)
{
    const struct {
        const char* unit;
        const char* pc;
        int paceMs;
        int address;
        int frames;   // 7; 13 when the PC's minute turned before the final seconds and the clock began again
    } cases[] = {
        {"2026-12-31 23:59:59.500", "2027-06-15 10:20:30.250", 0, kNoAddressPrefix, 7},
        {"2026-12-31 23:59:59.500", "2026-12-31 23:59:59.500", 0, 7, 13},   // both turn to New Year on the way
        {"2027-03-01 00:00:00.000", "2026-12-31 23:59:58.900", 400, 7, 13},
        {"2099-12-31 23:59:59.999", "2024-02-28 23:59:59.980", 0, kNoAddressPrefix, 13},   // to the leap day
    };
    ProvisionTime (*const localClock)() = ProvisionClock;
    ProvisionClock = FakePcClock;
    static const SequenceSteps steps = {.length = kProvisionClockSteps,
                                        .sendModelStep = [](const DeviceModelData& model, int step) {
                                            return SendProvisionStep(model, ClockPlan, step);
                                        }};
    for (const auto& c : cases) {
        int64_t unitStartMs = 0;
        ASSERT_TRUE(ParseClockText(c.unit, unitStartMs));
        ASSERT_TRUE(ParseClockText(c.pc, PcStartMs));
        RunNowMs = 0;
        SimUnit sim;
        ResetSimUnit(sim, SimUnitSetup(), 0, 0);
        StartUnitClockMs(sim.clock, unitStartMs, 0);
        UnitRun run(&steps, c.address, true, c.paceMs);
        PlanProvision(run.unit.model, 0, true, ClockPlan);
        run.unit.earliestStep = [](UnitExchange& unit, int nextStep, int64_t nowMs) {
            return ProvisionClockHold(unit, ClockPlan, nextStep, nowMs);
        };
        StartUnit(run.unit, 0);
        int sent = 0;
        while (run.unit.state == UnitState::kRunning && sent < 50) {
            std::string frame = run.Take();
            if (!frame.empty()) {
                ++sent;
                RunNowMs += SerialLineTimeMs(static_cast<int>(frame.size()));   // the frame lands
                const std::string command = frame.substr(c.address < 0 ? 0 : 2, frame.size() - (c.address < 0 ? 2 : 4));
                UnitReply reply;
                InterpretCommand(sim, command.data(), static_cast<int>(command.size()), kSimLinkSerial, true,
                                 RunNowMs, reply);
                RunNowMs += 5;
                const std::string answer = (c.address < 0 ? "" : frame.substr(0, 2)) + reply.text;
                run.Reply(answer, RunNowMs);
            }
            if (UnitWakeTime(run.unit) != kNever)
                RunNowMs = std::max(RunNowMs, UnitWakeTime(run.unit));
            TickUnit(run.unit, RunNowMs);
        }
        EXPECT_EQ(run.unit.state, UnitState::kSucceeded) << c.pc << " " << run.unit.message;
        const int64_t off = UnitClockMs(sim.clock, RunNowMs) - (PcStartMs + RunNowMs);
        EXPECT_LT(std::abs(off), 50) << c.unit << " / " << c.pc << ": the unit is " << off << " ms off";
        EXPECT_EQ(sent, c.frames) << c.pc;
    }
    ProvisionClock = localClock;
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
