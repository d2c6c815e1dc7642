// The command line (what is refused as bad usage, what a good one gives), the
// comparison, and what the tool prints: progress and the summary.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/compare.h"
#include "cli/options.h"
#include "cli/report.h"
#include "cli/tool.h"
#include "dialogs/routing/settings_transfer.h"
#include "link/link_state.h"

namespace {

bool Parse(std::vector<const char*> args, ToolOptions& o, std::string& error)
{
    args.insert(args.begin(), "kvr2840e-cli");
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
        BadCase{{"--version", "read-all"}, "--version stands alone"},
        BadCase{{"report"}, "report needs FILE.dat"},
        BadCase{{"report", "a.dat", "--json"}, "report has no --json: its output is the HTML page"},
        BadCase{{"report", "a.dat", "--serial", "/dev/x"}, "report works on files alone: it takes no link and no link option"},
        BadCase{{"diff", "a.dat", "b.dat", "--compare", "c.dat"}, "--compare and --show-password belong to report"},
        BadCase{{"read-all", "--version"}, "unknown option: --version"},
        BadCase{{"set-all", "a.dat"}, "no link given: --serial, --tcp or --listen"},
        BadCase{{"set-all", "a.dat", "--serial", "/dev/x", "--tcp", "h:1"}, "give one link: --serial, --tcp or --listen"},
        BadCase{{"set-all", "a.dat", "--serial", "/dev/x", "--address", "32"},
                "--address takes 0..31, a list such as 0,5,7 or 0-15, or broadcast"},
        BadCase{{"set-all", "a.dat", "--serial", "/dev/x", "--address", "3-1"},
                "--address takes 0..31, a list such as 0,5,7 or 0-15, or broadcast"},
        BadCase{{"provision", "a.dat", "--serial", "/dev/x", "--sections", "titles,clock"},
                "--sections: no section is called \"clock\" (routing, alarms, alarm-io, date-time, titles, "
                "title-display, panel, network, or all)"},
        BadCase{{"set-all", "a.dat", "--serial", "/dev/x", "--clock"},
                "--sections, --clock and --dry-run belong to provision"},
        BadCase{{"provision", "a.dat", "--tcp", "h:1", "--sections", "all"},
                "the network section goes on a serial link only: over TCP it would cut the link it travels on"},
        BadCase{{"provision", "a.dat", "--listen", "0", "--units", "2", "--sections", "network"},
                "the network section goes on a serial link only: over TCP it would cut the link it travels on"},
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
                "read all asks one addressed unit: give --address 0..31, not broadcast"},
        BadCase{{"titles"}, "titles needs export or import"},
        BadCase{{"titles", "print", "a.dat"}, "titles takes export or import, not print"},
        BadCase{{"titles", "export"}, "titles export needs FILE.dat"},
        BadCase{{"titles", "export", "a.dat", "b.dat"}, "too many arguments: b.dat"},
        BadCase{{"titles", "export", "a.dat", "--json"},
                "titles export has no --json: its output is the table or the settings file"},
        BadCase{{"titles", "import", "a.dat"}, "titles import needs FILE.dat and TITLES.csv"},
        BadCase{{"titles", "import", "a.dat", "t.csv", "--force"}, "--force belongs to -o"},
        BadCase{{"titles", "import", "a.dat", "t.csv", "--tcp", "h:1"},
                "titles import works on files alone: it takes no link and no link option"},
        BadCase{{"diff", "a.dat"}, "diff needs A.dat and B.dat"},
        BadCase{{"diff", "a.dat", "b.dat", "-o", "c.dat"}, "diff writes no file: it takes no -o or --force"},
        BadCase{{"diff", "a.dat", "b.dat", "--pace-ms", "5"},
                "diff works on files alone: it takes no link and no link option"},
        BadCase{{"--tcp", "h:1", "set-all", "a.dat"}, "unknown sub-command: --tcp"},
        BadCase{{"set-all", "a.dat", "--serial"}, "--serial needs a device"},
        BadCase{{"read-all", "--tcp", "h:1", "-o"}, "-o needs a file"},
        BadCase{{"set-all", "a.dat", "--tcp", "h:1", "--json=1"}, "--json takes no value"},
        BadCase{{"set-all", "a.dat", "b.dat", "c.dat", "--tcp", "h:1"}, "too many arguments: c.dat"},
        BadCase{{"titles", "export", "a.dat", "--dry-run"}, "--sections, --clock and --dry-run belong to provision"},
        BadCase{{"set-all", "a.dat", "--tcp", "h:1", "--no-bom"}, "--no-bom belongs to titles export"},
        BadCase{{"diff", "a.dat", "b.dat", "--no-bom"}, "--no-bom belongs to titles export"}));

struct FileCommandCase {
    std::vector<const char*> args;
    ToolCommand command;
    const char* file;
    const char* table;
    const char* secondFile;
    const char* output;
};

class FileCommands : public ::testing::TestWithParam<FileCommandCase> {};

TEST_P(FileCommands, NeedNoLink)
{
    const FileCommandCase& c = GetParam();
    ToolOptions o;
    std::string error;
    ASSERT_TRUE(Parse(c.args, o, error)) << error;
    EXPECT_EQ(o.command, c.command);
    EXPECT_TRUE(IsFileCommand(o.command));
    EXPECT_EQ(o.link, LinkKind::kNone);
    EXPECT_EQ(o.file, c.file);
    EXPECT_EQ(o.table, c.table);
    EXPECT_EQ(o.secondFile, c.secondFile);
    EXPECT_EQ(o.output, c.output);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileCommands,
    ::testing::Values(
        FileCommandCase{{"titles", "export", "a.dat"}, ToolCommand::kTitlesExport, "a.dat", "", "", ""},
        FileCommandCase{{"titles", "export", "-o", "t.csv", "--force", "a.dat"}, ToolCommand::kTitlesExport, "a.dat",
                        "", "", "t.csv"},
        FileCommandCase{{"titles", "import", "a.dat", "t.csv"}, ToolCommand::kTitlesImport, "a.dat", "t.csv", "", ""},
        FileCommandCase{{"titles", "import", "a.dat", "t.csv", "-o", "new.dat"}, ToolCommand::kTitlesImport, "a.dat",
                        "t.csv", "", "new.dat"},
        FileCommandCase{{"diff", "a.dat", "b.dat", "--json"}, ToolCommand::kDiff, "a.dat", "", "b.dat", ""},
        FileCommandCase{{"report", "a.dat", "-o", "r.html", "--compare", "b.dat", "--show-password"},
                        ToolCommand::kReport, "a.dat", "", "", "r.html"}));

TEST(Options, HelpOfTheTitlesGroupAndItsCommands)
{
    for (std::vector<const char*> args : {std::vector<const char*>{"titles", "--help"},
                                          std::vector<const char*>{"titles", "import", "-h"}}) {
        ToolOptions o;
        std::string error;
        ASSERT_TRUE(Parse(args, o, error));
        EXPECT_TRUE(o.help);
        EXPECT_EQ(std::string(HelpText(o.command)).rfind("kvr2840e-cli titles export FILE.dat", 0), 0u);
    }
}

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

// A bus of units, each in turn; the chosen sections; the clock.
TEST(Options, ProvisionOnABus)
{
    ToolOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"provision", "a.dat", "--serial", "/dev/x", "--address", "0-2,5", "--sections",
                       "titles,panel", "--clock"},
                      o, error))
        << error;
    EXPECT_EQ(o.command, ToolCommand::kProvision);
    EXPECT_EQ(o.addresses, (std::vector<int>{0, 1, 2, 5}));
    EXPECT_EQ(o.address, 0);
    EXPECT_EQ(o.units, 4);
    EXPECT_EQ(o.sections, ProvisionBit(kProvisionTitles) | ProvisionBit(kProvisionPanel));
    EXPECT_TRUE(o.clock);
    ToolOptions plain;
    ASSERT_TRUE(Parse({"provision", "a.dat", "--tcp", "h:1"}, plain, error));
    EXPECT_EQ(plain.sections, kProvisionDefault);
    EXPECT_FALSE(plain.clock);
}

// Past the sub-command, a sub-command's name is a word like any other; "--"
// ends the options; a value may follow "=".
TEST(Options, WordsAreTheirs)
{
    ToolOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"set-all", "diff", "--tcp", "h:1"}, o, error)) << error;
    EXPECT_EQ(o.file, "diff");
    ToolOptions send;
    ASSERT_TRUE(Parse({"send", "--tcp=h:7", "--", "-x"}, send, error)) << error;
    EXPECT_EQ(send.host, "h");
    EXPECT_EQ(send.port, 7);
    EXPECT_EQ(send.text, "-x");
}

TEST(Options, HelpOfASubCommand)
{
    ToolOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"read-all", "--help"}, o, error));
    EXPECT_TRUE(o.help);
    EXPECT_EQ(o.command, ToolCommand::kReadAll);
}

TEST(Options, VersionNeedsNoSubCommand)
{
    ToolOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--version"}, o, error)) << error;
    EXPECT_TRUE(o.version);
    EXPECT_EQ(std::string(VersionText()).rfind("kvr2840e-cli ", 0), 0u);
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
    EXPECT_EQ(std::get<int>(d[1].secondRaw), 65);
    EXPECT_EQ(d[2].table + " " + d[2].index, "AutoSwitchPatternTable 32/64");
    EXPECT_EQ(d[3].table + " " + d[3].index, "VideoOutputEnable 16");
}

} // namespace

namespace {

std::string Contents(FILE* file)
{
    std::string text;
    rewind(file);
    for (int c; (c = fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    return text;
}

void SetAllUnit(ToolUnit& unit, int number, const char* address, int step)
{
    unit.exchange.number = number;
    unit.exchange.address = address;
    unit.exchange.steps = &SetAllSettings;
    unit.exchange.step = step;
}

TEST(Progress, TerminalRedrawsOneBarPerUnitInPlace)
{
    ToolUnit running, failed;
    SetAllUnit(running, 1, "10.0.0.1:5000", 20);
    SetAllUnit(failed, 2, "10.0.0.2:5001", 5);
    failed.exchange.state = UnitState::kFailed;
    failed.exchange.command = "OP07";
    failed.exchange.reply = "LOCK";
    failed.exchange.message = "Lock Display";
    failed.result = UnitResult::kFailed;
    FILE* out = tmpfile();
    ASSERT_NE(out, nullptr);
    ProgressDisplay display(out, true, ToolCommand::kSetAll, true);
    display.Started(running);   // no plain lines on a terminal
    display.Redraw({&running, &failed}, 1000, true);
    display.Redraw({&running, &failed}, 1099, false);   // too soon
    display.Redraw({&running, &failed}, 1100, false);
    const std::string bars =
        "\r\x1b[2Kunit 01 (10.0.0.1:5000) [########----------------------]  20/67  running\n"
        "\r\x1b[2Kunit 02 (10.0.0.2:5001) [#-----------------------------]   4/67  "
        "failed at step 5 of 67 (OP07): Lock Display, reply \"LOCK\"\n";
    EXPECT_EQ(Contents(out), bars + "\x1b[2A" + bars);
    fclose(out);
}

TEST(Progress, PlainLinesWhenNotATerminal)
{
    ToolUnit unit;
    unit.exchange.address = "/dev/ttyUSB0";
    unit.exchange.text = "RVN";
    unit.result = UnitResult::kDone;
    ToolUnit differs;
    SetAllUnit(differs, 1, "/dev/ttyUSB0", 66);
    differs.differences.push_back({"VideoOutputEnable", "02", "video output 2", "ON", "OFF", 1, 0});
    differs.result = UnitResult::kDiffers;
    FILE* out = tmpfile();
    ASSERT_NE(out, nullptr);
    ProgressDisplay display(out, false, ToolCommand::kSend, false);
    display.Started(unit);
    display.Redraw({&unit}, 5000, true);   // no bars
    display.Ended(unit);
    display.Ended(differs);
    EXPECT_EQ(Contents(out), "/dev/ttyUSB0: send started\n/dev/ttyUSB0: done (1 step)\n"
                             "/dev/ttyUSB0: differs from the file in 1 value\n");
    fclose(out);
}

} // namespace
