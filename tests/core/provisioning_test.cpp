// A settings file's every setting as one sequence: the order of the
// sections, the commands each sends, and what is refused before sending.
#include <cstring>
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

std::string LineOfFile(const DeviceModelData& model, int line)
{
    std::string text;
    FormatSettingsFile(model, text);
    size_t at = 0;
    for (int k = 1; k < line; ++k)
        at = text.find("\r\n", at) + 2;
    return text.substr(at, text.find("\r\n", at) - at);
}

} // namespace

TEST_F(ProvisioningTest, SectionsGoInTheirOrderWithTheDialogsCommands)
{
    ProvisionPlan plan;
    PlanProvision(DeviceModel, kProvisionAll, false, plan);
    ASSERT_EQ(plan.length, 67 + 5 + 3 + 4 + 64 + 6 + 3 + 6);
    const std::vector<std::string> frames = SendAll(plan);
    ASSERT_EQ(frames.size(), static_cast<size_t>(plan.length));
    // The first command of each section, and where each section starts.
    const struct {
        int step;
        const char* start;
    } firsts[] = {
        {1, "OP"},      {68, "AIP"},   {73, "AIN"},  {76, "TSDR"}, {80, "CT01"},
        {144, "CTI"},   {150, "POO"},  {153, "EIA"}, {158, "EKA"},
    };
    for (const auto& f : firsts)
        EXPECT_EQ(frames[static_cast<size_t>(f.step - 1)].rfind(f.start, 0), 0u) << f.step << " " << frames[f.step - 1];
    EXPECT_EQ(frames[142].substr(0, 4), "CT64");
    EXPECT_EQ(frames[151], "PN482913\r\n");

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

// What no unit would take is named with its channel and its line of the
// file, and only where its section is chosen.
TEST_F(ProvisioningTest, RefusalsNameTheChannelAndTheLine)
{
    EXPECT_EQ(ProvisionRefusal(DeviceModel, kProvisionAll), "");
    strcpy(DeviceModel.TitleText[11], "CAM");             // half-width
    strcpy(DeviceModel.TitleText[20], "\x81\x96");        // ＊
    strcpy(DeviceModel.PanelLock.password, "12a456");
    const std::string refusal = ProvisionRefusal(DeviceModel, kProvisionAll);
    const int titleLine = SettingsFileLineOf(DeviceModel, DeviceModel.TitleText[11]);
    const int passwordLine = SettingsFileLineOf(DeviceModel, DeviceModel.PanelLock.password);
    EXPECT_EQ(LineOfFile(DeviceModel, titleLine), "CAM");
    EXPECT_EQ(LineOfFile(DeviceModel, passwordLine), "12456");   // the file keeps the digits
    EXPECT_NE(refusal.find("title 12 (line " + std::to_string(titleLine) + "): "), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("title 21 (line " + std::to_string(titleLine + 9) + "): a \"＊\""), std::string::npos);
    EXPECT_NE(refusal.find("password (line " + std::to_string(passwordLine) + "): not six digits"), std::string::npos);
    EXPECT_EQ(ProvisionRefusal(DeviceModel, ProvisionBit(kProvisionRouting)), "");
    EXPECT_EQ(SettingsFileLineOf(DeviceModel, &DeviceModel.ChannelCount), 0);
}

// The clock comes last, each field read at its own step; when the minute
// would turn before the six steps are through, it waits for the next.
TEST_F(ProvisioningTest, TheClockGoesLastAndNeverAcrossATurningMinute)
{
    static ProvisionTime now = {2026, 12, 31, 23, 59, 58, 0};
    ProvisionTime (*const localClock)() = ProvisionClock;
    ProvisionClock = [] { return now; };
    ProvisionPlan plan;
    PlanProvision(DeviceModel, ProvisionBit(kProvisionAlarms), true, plan);
    ASSERT_EQ(plan.length, 5 + 6);
    Sent = SentLog();
    for (int step = 6; step <= plan.length; ++step) {
        ResetTransaction();
        ASSERT_TRUE(SendProvisionStep(DeviceModel, plan, step));
        now.second = step == 10 ? 59 : now.second;   // a second passes before TSS
    }
    EXPECT_EQ(Sent.serialFrames, (std::vector<std::string>{"DSY26\r\n", "DSM12\r\n", "DSD31\r\n", "TSH23\r\n",
                                                            "TSM59\r\n", "TSS59\r\n"}));
    ProvisionClock = localClock;
    const struct {
        int second, millisecond, neededMs, delay;
    } cases[] = {{0, 0, 3000, 0}, {56, 999, 3000, 0}, {57, 0, 3000, 3000}, {59, 500, 3000, 500}, {30, 0, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ClockStartDelayMs({2026, 1, 1, 0, 0, c.second, c.millisecond}, c.neededMs), c.delay)
            << c.second << "." << c.millisecond;
}
