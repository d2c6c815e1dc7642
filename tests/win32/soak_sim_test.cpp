// Hundreds of rounds of a channel-table dialog against the simulator on the
// serial link while it plays a fault (each fault its own scenario): every
// command ends exactly once, as its fault says, and the rounds leave no GDI
// or USER object and no handle behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/status_timer.h"
#include "dialogs/routing/video_output.h"
#include "link/transaction.h"
#include "resources/resource.h"
#include "serial_sim_fixture.h"

namespace {

constexpr int kRounds = 150;

// What one round must end with: the status timer's one message.
const char* Expected(const SimulatorFaults& faults, int round)
{
    if (faults.noReply)
        return "No Connect";
    if (faults.errorEvery && (round + 1) % faults.errorEvery == 0)
        return "Command Error";
    return "Success";
}

using SoakTest = SerialSimTest;

} // namespace

TEST_F(SoakTest, ChannelTableRoundsEndOnceAndLeaveNothingBehind)
{
    const SimulatorFaults faults = ScenarioFaults();
    ProcessResources start = {};
    for (int round = 0; round < kRounds; ++round) {
        const size_t messages = RecordedMessages.size();
        ASSERT_TRUE(DriveDialog(RunVideoOutputDialog, nullptr, [&](HWND dialog) {
            Pick(dialog, IDC_TABLE_CHANNEL_LIST, round % 15);
            Pick(dialog, IDC_TABLE_VALUE_LIST, round % 2);
            Click(dialog, IDC_TABLE_SET);
            EXPECT_TRUE(WaitUntil([&] {
                return SimulatorLog().size() > static_cast<size_t>(round) && (faults.noReply || !TransactionState.busy);
            }, 5000, 5));
            // The status timer's ticks while the dialog is open (its end resets
            // the transaction), as many as the reply wait takes; two more must
            // not report the round a second time.
            for (int tick = 0; tick < 20 && RecordedMessages.size() == messages; ++tick)
                StatusTimerTick();
            StatusTimerTick();
            StatusTimerTick();
            PostMessageW(dialog, WM_COMMAND, IDC_TABLE_CLOSE, 0);
        }));
        ASSERT_EQ(RecordedMessages.size(), messages + 1) << "round " << round;
        ASSERT_EQ(RecordedMessages.back().text, Expected(faults, round)) << "round " << round;
        ASSERT_EQ(TransactionState.busy, 0);
        if (round == 0)
            start = CurrentResources();   // after the first round's one-time loads
    }
    ExpectNothingLeftBehind(start);
    EXPECT_EQ(SimulatorLog().size(), static_cast<size_t>(kRounds));   // each sent once
}
