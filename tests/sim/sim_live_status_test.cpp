// Auto-switch cycling and video loss, driven by explicit times.
#include "sim/live_status.h"
#include "sim_test_support.h"

namespace {

class SimLiveStatusTest : public ::testing::Test {
protected:
    std::unique_ptr<SimUnit> unit = MakeTestUnit();
    DeviceModelData& s = unit->settings;

    // Output 1 of the current pattern runs auto-switch pattern 1, whose dwell
    // times are given for the first inputs (the rest 0).
    void CycleOnOutputOne(std::initializer_list<int> dwell, int64_t nowMs)
    {
        for (int& d : s.AutoSwitchPatternTable[0])
            d = 0;
        int c = 0;
        for (int d : dwell)
            s.AutoSwitchPatternTable[0][c++] = d;
        s.DisplayPatternTable[0][0] = kMaxChannels;   // S01
        AdvanceLiveStatus(*unit, nowMs);
    }

    int Shown(int64_t nowMs)
    {
        AdvanceLiveStatus(*unit, nowMs);
        return LiveChannelOfOutput(*unit, 0);
    }
};

TEST_F(SimLiveStatusTest, InputsNeedNoTimer)
{
    AdvanceLiveStatus(*unit, 0);
    EXPECT_EQ(NextLiveDeadline(*unit), kNever);
    for (int o = 0; o < kOutputCount; ++o)
        EXPECT_EQ(LiveChannelOfOutput(*unit, o), o);
}

TEST_F(SimLiveStatusTest, CycleWalksTheInputsWithTheirDwellTimes)
{
    CycleOnOutputOne({2, 0, 3, 1}, 1000);
    EXPECT_EQ(NextLiveDeadline(*unit), 3000);
    EXPECT_EQ(Shown(2999), 0);
    EXPECT_EQ(Shown(3000), 2);   // input 2 has 0 seconds: skipped
    EXPECT_EQ(NextLiveDeadline(*unit), 6000);
    EXPECT_EQ(Shown(6000), 3);
    EXPECT_EQ(Shown(7000), 0);   // round again
    EXPECT_EQ(NextLiveDeadline(*unit), 9000);
}

TEST_F(SimLiveStatusTest, LongPauseSkipsWholeRounds)
{
    CycleOnOutputOne({2, 3}, 0);   // a round of 5 s
    // 5,000,001 ms later: 1,000,000 rounds and 1 ms past the start of input 1.
    EXPECT_EQ(Shown(5000001), 0);
    EXPECT_EQ(Shown(5000002 + 1998), 1);
}

TEST_F(SimLiveStatusTest, DwellChangesTakeEffectAtTheNextSwitch)
{
    CycleOnOutputOne({2, 2, 2}, 0);
    EXPECT_EQ(Shown(2000), 1);
    s.AutoSwitchPatternTable[0][2] = 0;   // input 3 leaves the round
    EXPECT_EQ(Shown(4000), 0);
}

TEST_F(SimLiveStatusTest, AllZeroHoldsTheFirstInputUntilATimeIsGiven)
{
    CycleOnOutputOne({}, 0);
    EXPECT_EQ(Shown(100000), 0);
    EXPECT_EQ(NextLiveDeadline(*unit), kNever);
    s.AutoSwitchPatternTable[0][5] = 4;
    EXPECT_EQ(Shown(200000), 5);
    EXPECT_EQ(NextLiveDeadline(*unit), 204000);
}

TEST_F(SimLiveStatusTest, ANewRouteRestartsTheCycle)
{
    CycleOnOutputOne({2, 2, 2}, 0);
    EXPECT_EQ(Shown(2500), 1);
    s.DisplayPatternTable[0][0] = 9;    // an input now
    EXPECT_EQ(Shown(3000), 9);
    EXPECT_EQ(NextLiveDeadline(*unit), kNever);
    s.DisplayPatternTable[0][0] = kMaxChannels;
    EXPECT_EQ(Shown(3100), 0);
    EXPECT_EQ(NextLiveDeadline(*unit), 5100);
    // Switching to a layout without the cycle stops it as well.
    s.CurrentDisplayPattern = kFreePattern;
    EXPECT_EQ(Shown(3200), 0);
    EXPECT_EQ(LiveSourceOfOutput(*unit, 0), 0);
}

TEST_F(SimLiveStatusTest, EveryOutputCyclesOnItsOwn)
{
    for (int& d : s.AutoSwitchPatternTable[1])
        d = 0;
    s.AutoSwitchPatternTable[1][10] = 1;
    s.AutoSwitchPatternTable[1][20] = 1;
    s.DisplayPatternTable[0][5] = kMaxChannels + 1;   // S02 on output 6
    CycleOnOutputOne({3, 3}, 0);
    AdvanceLiveStatus(*unit, 1000);
    EXPECT_EQ(LiveChannelOfOutput(*unit, 5), 20);
    EXPECT_EQ(LiveChannelOfOutput(*unit, 0), 0);
    EXPECT_EQ(NextLiveDeadline(*unit), 2000);
}

TEST_F(SimLiveStatusTest, PermanentVideoLoss)
{
    bool lost[kMaxChannels] = {};
    lost[2] = lost[40] = true;
    StartVideoState(unit->video, lost, 0, 0);
    EXPECT_FALSE(InputHasVideo(*unit, 2));
    EXPECT_FALSE(InputHasVideo(*unit, 40));
    EXPECT_TRUE(InputHasVideo(*unit, 3));
    EXPECT_EQ(NextLiveDeadline(*unit), kNever);
}

TEST_F(SimLiveStatusTest, FlappingInputTakesTurnsAndSkipsLostInputs)
{
    bool lost[kMaxChannels] = {};
    lost[1] = true;
    StartVideoState(unit->video, lost, 2, 0);
    EXPECT_EQ(NextLiveDeadline(*unit), 2000);
    AdvanceLiveStatus(*unit, 1999);
    EXPECT_TRUE(InputHasVideo(*unit, 0));
    AdvanceLiveStatus(*unit, 2000);
    EXPECT_FALSE(InputHasVideo(*unit, 0));
    EXPECT_EQ(NextLiveDeadline(*unit), 4000);
    AdvanceLiveStatus(*unit, 4000);
    EXPECT_TRUE(InputHasVideo(*unit, 0));
    // Input 2 has no video anyway: input 3 is next.
    AdvanceLiveStatus(*unit, 6000);
    EXPECT_FALSE(InputHasVideo(*unit, 2));
    EXPECT_FALSE(InputHasVideo(*unit, 1));
    AdvanceLiveStatus(*unit, 8000);
    EXPECT_TRUE(InputHasVideo(*unit, 2));
    EXPECT_FALSE(InputHasVideo(*unit, 1));
}

TEST_F(SimLiveStatusTest, FlapWrapsAfterTheLastInputAndStopsWithoutCandidates)
{
    bool lost[kMaxChannels] = {};
    StartVideoState(unit->video, lost, 1, 0);
    // 64 inputs, 2 s each: input 1 is lost again at 128 s + 1 s.
    AdvanceLiveStatus(*unit, 127000);
    EXPECT_FALSE(InputHasVideo(*unit, 63));
    AdvanceLiveStatus(*unit, 129000);
    EXPECT_FALSE(InputHasVideo(*unit, 0));
    EXPECT_TRUE(InputHasVideo(*unit, 63));

    bool all[kMaxChannels];
    for (bool& b : all)
        b = true;
    StartVideoState(unit->video, all, 1, 0);
    EXPECT_EQ(NextLiveDeadline(*unit), kNever);
}

} // namespace
