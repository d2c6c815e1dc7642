// A settings file's every setting as one sequence: the order of the
// sections, the commands each sends, and what is refused before sending.
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "files/provisioning.h"
#include "files/settings_file.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "test_support.h"

using ProvisioningTest = CoreTest;

namespace {

// The frames a plan sends, each as sent.
std::vector<std::string> SendAll(const ProvisionPlan& plan)
{
    Sent = SentLog();
    for (int step = 1; step <= plan.length; ++step) {
        ResetTransaction();
        EXPECT_TRUE(SendProvisionStep(DeviceModel, plan, step)) << step;
    }
    return Sent.serialFrames;
}

} // namespace

TEST_F(ProvisioningTest, SectionsGoInTheirOrderWithTheDialogsCommands)
{
    ProvisionPlan plan;
    PlanProvision(DeviceModel, kProvisionAll, false, plan);
    const std::vector<std::string> frames = SendAll(plan);
    // Every step in its place: each command's mnemonic and number as sent.
    // The password goes before the locks, so that a unit refusing it is not
    // left locked with an old one.
    std::istringstream order(
        "OP01 OS OP01 OP02 OP03 OP04 OP05 OP06 OP07 OP08 OP09 OP10 OP11 OP12 OP13 OP14 OP15 OP16 OP17 OP18 "
        "OP19 OP20 OP21 OP22 OP23 OP24 OP25 OP26 OP27 OP28 OP29 OP30 OP31 OP32 SP01 SP02 SP03 SP04 SP05 SP06 "
        "SP07 SP08 SP09 SP10 SP11 SP12 SP13 SP14 SP15 SP16 SP17 SP18 SP19 SP20 SP21 SP22 SP23 SP24 SP25 SP26 "
        "SP27 SP28 SP29 SP30 SP31 SP32 OE AIP ADT ABOO ADO ARO AIN AOM AOS TSDR TSDS TSI TSO CT01 CT02 CT03 "
        "CT04 CT05 CT06 CT07 CT08 CT09 CT10 CT11 CT12 CT13 CT14 CT15 CT16 CT17 CT18 CT19 CT20 CT21 CT22 CT23 "
        "CT24 CT25 CT26 CT27 CT28 CT29 CT30 CT31 CT32 CT33 CT34 CT35 CT36 CT37 CT38 CT39 CT40 CT41 CT42 CT43 "
        "CT44 CT45 CT46 CT47 CT48 CT49 CT50 CT51 CT52 CT53 CT54 CT55 CT56 CT57 CT58 CT59 CT60 CT61 CT62 CT63 "
        "CT64 CTI CTO CTPI CTSI CTAT CTAB PN POO PMO EIA EGA EAA ESM ECT EKA");
    std::vector<std::string> expected{std::istream_iterator<std::string>(order), {}};
    ASSERT_EQ(plan.length, 158);
    ASSERT_EQ(frames.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k)
        EXPECT_EQ(frames[k].rfind(expected[k], 0), 0u) << "step " << k + 1 << ": " << frames[k];
    EXPECT_EQ(frames[149], "PN482913\r\n");

    // The default leaves out the panel lock and the network settings.
    PlanProvision(DeviceModel, kProvisionDefault, false, plan);
    EXPECT_EQ(plan.length, 149);
    EXPECT_EQ(plan.steps[plan.length - 1].section, kProvisionTitleDisplay);
    // A smaller unit has fewer titles.
    DeviceModel.ChannelCount = 32;
    PlanProvision(DeviceModel, ProvisionBit(kProvisionTitles), false, plan);
    EXPECT_EQ(plan.length, 32);
    EXPECT_FALSE(SendProvisionStep(DeviceModel, plan, 33));
}

TEST_F(ProvisioningTest, SectionListsAreParsedAndUnknownNamesRefused)
{
    ProvisionSections sections = 0;
    std::string error;
    ASSERT_TRUE(ParseProvisionSections("titles,routing", sections, error));
    EXPECT_EQ(sections, ProvisionBit(kProvisionTitles) | ProvisionBit(kProvisionRouting));
    ASSERT_TRUE(ParseProvisionSections("all", sections, error));
    EXPECT_EQ(sections, kProvisionAll);
    for (const char* bad : {"", "titles,", "clock", "Titles"}) {
        EXPECT_FALSE(ParseProvisionSections(bad, sections, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    for (int s = 0; s < kProvisionSectionCount; ++s) {
        ASSERT_TRUE(ParseProvisionSections(ProvisionSectionName(static_cast<ProvisionSection>(s)), sections, error));
        EXPECT_EQ(sections, ProvisionBit(static_cast<ProvisionSection>(s)));
    }
}

// Every step is built before anything is sent: each value a builder refuses
// is named as the dialogs name it, with its line of the settings file.
TEST_F(ProvisioningTest, EveryValueABuilderRefusesIsNamedWithItsLine)
{
    ProvisionPlan plan;
    PlanProvision(DeviceModel, kProvisionAll, true, plan);
    EXPECT_EQ(ProvisionRefusal(DeviceModel, plan), "");
    const struct {
        void (*spoil)(DeviceModelData& m);
        const char* refusal;
    } cases[] = {
        {[](DeviceModelData& m) { m.DisplayPatternTable[2][3] = 64 + 32; },
         "display pattern 3 (line 34): a value the unit's command does not take\n"},
        {[](DeviceModelData& m) { m.AutoSwitchPatternTable[0][9] = 100; },
         "auto-switch pattern 1 (line 530): a value the unit's command does not take\n"},
        {[](DeviceModelData& m) { m.AlarmSettings.holdTime = 0, strcpy(m.AlarmSettings.holdTimeText, "0"); },
         "alarm hold time (line 2578): 0 is refused: the unit takes 1 to 99 seconds\n"},
        {[](DeviceModelData& m) { m.AlarmSettings.inputPolarity = 2; },
         "alarm input polarity (line 2582): 2 is refused: the unit takes 0 (make) or 1 (break)\n"},
        {[](DeviceModelData& m) { m.AlarmInputChannel[5] = 64; },
         "alarm input channels (line 2583): a value the unit's command does not take\n"},
        {[](DeviceModelData& m) { m.DateTimeFormat = 8; },
         "date and time format (line 3255): 8 is refused: the unit takes 0 to 7\n"},
        {[](DeviceModelData& m) { m.DateTimeSize = 2; },
         "date and time size (line 3256): 2 is refused: the unit takes 0 or 1\n"},
        {[](DeviceModelData& m) { strcpy(m.TitleText[0], "AB"); },   // two half-width letters: no JIS code
         "title 1 (line 3337): a character the unit cannot show\n"},
        {[](DeviceModelData& m) { strcpy(m.TitleText[11], "CAM"); },
         "title 12 (line 3348): half-width characters, or longer than 28 characters\n"},
        {[](DeviceModelData& m) { strcpy(m.TitleText[20], "\x81\x96"); },
         "title 21 (line 3357): a \"＊\", which the settings file cannot keep\n"},
        {[](DeviceModelData& m) { m.TitleFineTop = kFineSteps; },
         "title fine position, top (line 3609): 16 is refused by the unit's command\n"},
        {[](DeviceModelData& m) { m.PanelLock.buttonLock = 2; },
         "button lock (line 3611): 2 is refused: the unit takes 0 or 1\n"},
        {[](DeviceModelData& m) { strcpy(m.PanelLock.password, "12a456"); }, "password (line 3613): not six digits\n"},
        {[](DeviceModelData& m) { m.UnitNetwork.ipAddress[2] = 256; },
         "unit IP address (line 3634): a value the unit's command does not take\n"},
        {[](DeviceModelData& m) { m.UnitNetwork.keepAlive = 5; },
         "unit keep-alive (line 3646): 5 is refused: the unit takes 0 or 1\n"},
    };
    for (const auto& c : cases) {
        DeviceModelData model = DeviceModel;
        c.spoil(model);
        EXPECT_EQ(ProvisionRefusal(model, plan), c.refusal);
    }
    // Only the sections chosen are checked.
    DeviceModelData model = DeviceModel;
    model.AlarmSettings.holdTime = 0;
    PlanProvision(model, ProvisionBit(kProvisionRouting), false, plan);
    EXPECT_EQ(ProvisionRefusal(model, plan), "");
}

// The seconds go to 00 first, so that no field of the running clock rolls
// over into the next while they arrive; the final seconds are the PC's,
// rounded, and wait to land on its whole second. When the minute turned
// since the year went out, the clock steps start again.
TEST_F(ProvisioningTest, TheClockCannotRollBetweenItsFields)
{
    static ProvisionTime now = {2026, 12, 31, 23, 59, 30, 600};
    ProvisionTime (*const localClock)() = ProvisionClock;
    ProvisionClock = [] { return now; };
    ProvisionPlan plan;
    PlanProvision(DeviceModel, ProvisionBit(kProvisionAlarms), true, plan);
    ASSERT_EQ(plan.length, 5 + 7);
    EXPECT_EQ(FirstClockStep(plan), 6);
    Sent = SentLog();
    for (int step = 6; step <= plan.length; ++step) {
        ResetTransaction();
        ASSERT_TRUE(SendProvisionStep(DeviceModel, plan, step));
    }
    EXPECT_EQ(Sent.serialFrames, (std::vector<std::string>{"TSS00\r\n", "DSY26\r\n", "DSM12\r\n", "DSD31\r\n",
                                                            "TSH23\r\n", "TSM59\r\n", "TSS31\r\n"}));
    ProvisionClock = localClock;

    const struct {
        int index, minute, second, millisecond, leadMs;
        ClockStepGo go;
        int waitMs;
    } cases[] = {
        {0, 59, 30, 0, 10, kClockGo, 0},
        {6, 59, 31, 200, 10, kClockWait, 790},    // until it lands on 32.000
        {6, 59, 31, 960, 10, kClockWait, 30},
        {6, 59, 31, 990, 10, kClockGo, 0},        // lands on the second
        {6, 59, 31, 995, 10, kClockGo, 0},        // 5 ms late is still on it
        {6, 59, 59, 0, 0, kClockGo, 0},         // 59.000 is still this minute
        {6, 59, 59, 300, 0, kClockWait, 700},
        {6, 59, 59, 990, 10, kClockRestart, 10},  // lands on the next minute: again once it began
        {6, 0, 0, 990, 10, kClockRestart, 0},     // the minute turned: the year is a year behind
    };
    for (const auto& c : cases) {
        ProvisionClockRun run;
        TimeClockStep(run, 1, {2026, 12, 31, 23, 59, 30, 0}, 0);
        const ProvisionTime at = {2026, 12, 31, 23, c.minute, c.second, c.millisecond};
        const ClockStepTiming timing = TimeClockStep(run, c.index, at, c.leadMs);
        EXPECT_EQ(timing.go, c.go) << c.index << " " << c.second << "." << c.millisecond;
        EXPECT_EQ(timing.waitMs, c.waitMs) << c.index << " " << c.second << "." << c.millisecond;
    }
    // A minute that turns during every try gives up after the restarts.
    ProvisionClockRun run;
    for (int attempt = 0; attempt <= kProvisionClockRestarts; ++attempt) {
        TimeClockStep(run, 1, {2026, 12, 31, 23, 59, 30, 0}, 0);
        EXPECT_EQ(TimeClockStep(run, 6, {2027, 1, 1, 0, 0, 31, 990}, 10).go,
                  attempt < kProvisionClockRestarts ? kClockRestart : kClockGiveUp);
    }
}
