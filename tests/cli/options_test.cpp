// The command line: what is refused as bad usage, and what a good one gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/compare.h"
#include "cli/options.h"
#include "cli/report.h"
#include "cli/tool.h"
#include "link/link_state.h"

namespace {

bool Parse(std::vector<const char*> args, ToolOptions& o, std::string& error)
{
    args.insert(args.begin(), "kvr2840e");
    return ParseToolOptions(static_cast<int>(args.size()), args.data(), o, error);
}

struct BadCase {
    std::vector<const char*> args;
    const char* error;
};

class BadUsage : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadUsage, IsRefused)
{
    ToolOptions o;
    std::string error;
    EXPECT_FALSE(Parse(GetParam().args, o, error));
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadUsage,
    ::testing::Values(
        BadCase{{}, "no sub-command given"},
        BadCase{{"get-all"}, "unknown sub-command: get-all"},
        BadCase{{"set-all", "a.dat"}, "no link given: --serial, --tcp or --listen"},
        BadCase{{"set-all", "a.dat", "--serial", "/dev/x", "--tcp", "h:1"}, "give one link: --serial, --tcp or --listen"},
        BadCase{{"set-all", "a.dat", "--serial", "/dev/x", "--address", "32"}, "--address takes 0..31 or broadcast"},
        BadCase{{"set-all", "a.dat", "--tcp", "h:1", "--address", "3"}, "--address belongs to --serial"},
        BadCase{{"set-all", "a.dat", "--tcp", "h:65536"}, "--tcp takes HOST:PORT with a port 1..65535"},
        BadCase{{"set-all", "a.dat", "--listen", "9004"}, "--listen needs --units N"},
        BadCase{{"set-all", "a.dat", "--listen", "9004", "--units", "97"}, "--units takes 1..96"},
        BadCase{{"set-all", "a.dat", "--tcp", "h:1", "--units", "2"}, "--units and --wait belong to --listen"},
        BadCase{{"read-all", "--tcp", "h:1"}, "read-all needs -o FILE.dat"},
        BadCase{{"set-all", "a.dat", "--tcp", "h:1", "-o", "b.dat"}, "-o belongs to read-all"},
        BadCase{{"verify", "--tcp", "h:1"}, "verify needs FILE.dat"},
        BadCase{{"send", "--tcp", "h:1"}, "send needs the command TEXT"},
        BadCase{{"set-all", "a.dat", "--tcp", "h:1", "--pace-ms", "-1"}, "--pace-ms takes 0..60000"},
        BadCase{{"set-all", "a.dat", "--tcp", "h:1", "--fast"}, "unknown option: --fast"},
        BadCase{{"read-all", "--serial", "/dev/x", "--address", "broadcast", "-o", "b.dat"},
                "read all asks one addressed unit: give --address 0..31, not broadcast"}));

TEST(Options, ListenLinkForManyUnits)
{
    ToolOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"verify", "site.dat", "--listen", "0", "--units", "96", "--wait", "5", "--json"}, o, error));
    EXPECT_EQ(o.command, ToolCommand::kVerify);
    EXPECT_EQ(o.link, LinkKind::kListen);
    EXPECT_EQ(o.file, "site.dat");
    EXPECT_EQ(o.units, 96);
    EXPECT_EQ(o.waitSeconds, 5);
    EXPECT_TRUE(o.json);
    EXPECT_EQ(o.paceMs, -1);
}

TEST(Options, SerialBroadcastSetAll)
{
    ToolOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"set-all", "a.dat", "--serial", "COM3", "--address", "broadcast", "--pace-ms", "50"}, o, error));
    EXPECT_EQ(o.device, "COM3");
    EXPECT_EQ(o.address, kSlaveBroadcast);
    EXPECT_EQ(o.units, 1);
    EXPECT_EQ(o.paceMs, 50);
}

TEST(Options, HelpOfASubCommand)
{
    ToolOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"read-all", "--help"}, o, error));
    EXPECT_TRUE(o.help);
    EXPECT_EQ(o.command, ToolCommand::kReadAll);
}

TEST(UnitOutputPath, NumberedOnlyForManyUnits)
{
    EXPECT_EQ(UnitOutputPath("dir.v2/site.dat", 3, true), "dir.v2/site-03.dat");
    EXPECT_EQ(UnitOutputPath("dir.v2/site", 12, true), "dir.v2/site-12");
    EXPECT_EQ(UnitOutputPath("site.dat", 3, false), "site.dat");
}

TEST(Compare, ListsTheReadTablesButNotTheFreeLayout)
{
    DeviceModelData file{}, unit{};
    ResetModelToStartValues(file);
    unit = file;
    unit.DisplayPatternTable[kFreePattern][0] = 70;   // not read back
    unit.TitleFineTop = 3;                           // not read back
    unit.CurrentDisplayPattern = 4;
    unit.DisplayPatternTable[2][4] = 65;
    unit.AutoSwitchPatternTable[31][63] = 9;
    unit.VideoOutputEnable[15] = 1 - file.VideoOutputEnable[15];
    std::vector<SettingDifference> d;
    CompareReadAllTables(file, unit, d);
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[0].table + " " + d[0].index, "CurrentDisplayPattern ");
    EXPECT_EQ(d[1].table + " " + d[1].index, "DisplayPatternTable 03/05");
    EXPECT_EQ(d[1].unitValue, 65);
    EXPECT_EQ(d[2].table + " " + d[2].index, "AutoSwitchPatternTable 32/64");
    EXPECT_EQ(d[3].table + " " + d[3].index, "VideoOutputEnable 16");
}

TEST(Json, EscapesQuotesControlsAndHighBytes)
{
    EXPECT_EQ(JsonString("a\"b\\c\r\n\x82"), "\"a\\\"b\\\\c\\u000d\\u000a\\u0082\"");
}

} // namespace
