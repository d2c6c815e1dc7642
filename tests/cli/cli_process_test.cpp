// The real kvr2840e-cli against the real simulator: over a pty (RS-232C and
// RS-485), a TCP unit, and up to 96 units at its server, with faults; and on
// settings files alone: the titles table and diff.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/compare.h"
#include "files/provisioning.h"
#include "files/settings_file.h"
#include "link/send_path.h"
#include "protocol/command_builder.h"
#include "sim_process.h"
#include "tool_process.h"

namespace {

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// A settings set that differs from the start values in every table set all sends.
DeviceModelData SiteModel()
{
    DeviceModelData m{};
    ResetModelToStartValues(m);
    m.CurrentDisplayPattern = 6;
    m.DisplayPatternTable[0][0] = 9;
    m.DisplayPatternTable[6][15] = 64 + 3;   // auto-switch pattern 4
    m.DisplayPatternTable[31][7] = 40;
    m.AutoSwitchPatternTable[0][0] = 7;
    m.AutoSwitchPatternTable[31][63] = 99;
    m.VideoOutputEnable[1] = 0;
    m.VideoOutputEnable[15] = 0;
    return m;
}

void WriteModel(const std::string& path, const DeviceModelData& model)
{
    std::string text;
    FormatSettingsFile(model, text);
    std::ofstream(path, std::ios::binary) << text;
}

bool ReadModel(const std::string& path, DeviceModelData& model)
{
    ResetModelToStartValues(model);
    const std::string text = ReadFile(path);
    return !text.empty() && ParseSettingsFile(text.data(), text.size(), model).result == kSettingsOk;
}

// The 67 lines the simulator receives for a set all of `model`, from the builders.
std::vector<std::string> SetAllLines(const DeviceModelData& model)
{
    TransactionStateRecord transaction;
    CommandChannel channel;
    channel.transaction = &transaction;
    std::vector<std::string> lines;
    for (int step = 1; step <= kSetAllSteps; ++step) {
        SendingOnChannel sending(channel);
        SendSetAllStep(model, step);
        lines.emplace_back(channel.frame, static_cast<size_t>(channel.frameLength - 2));
    }
    return lines;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class CliProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = TempPath("cli");
        mkdir(dir_.c_str(), 0755);
    }
    void TearDown() override
    {
        for (const std::string& name : FilesIn(dir_))
            unlink((dir_ + "/" + name).c_str());
        rmdir(dir_.c_str());
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    std::string dir_;
};

struct LinkCase {
    const char* name;
    std::vector<std::string> simArgs;    // after the link
    bool tcp;
    std::vector<std::string> toolLink;   // after --serial PATH
};

class ReadAllThenVerify : public CliProcess, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(ReadAllThenVerify, GivesTheUnitsSettingsAndListsADifference)
{
    const LinkCase& c = GetParam();
    SimProcess sim;
    std::vector<std::string> simArgs = c.tcp ? std::vector<std::string>{"--tcp-listen", "0"}
                                             : std::vector<std::string>{"--pty", Path("pty")};
    simArgs.insert(simArgs.end(), c.simArgs.begin(), c.simArgs.end());
    ASSERT_TRUE(sim.Start(simArgs));
    std::vector<std::string> link;
    if (c.tcp) {
        link = {"--tcp", "127.0.0.1:" + std::to_string(PortOfListeningLine(sim.WaitForLine("listening")))};
    } else {
        ASSERT_NE(sim.WaitForLine("pty"), "");
        link = {"--serial", Path("pty")};
    }
    link.insert(link.end(), c.toolLink.begin(), c.toolLink.end());
    link.insert(link.end(), {"--pace-ms", "1"});

    std::string out, err;
    std::vector<std::string> args = {"set-all", Path("site.dat")};
    WriteModel(Path("site.dat"), SiteModel());
    args.insert(args.end(), link.begin(), link.end());
    ASSERT_EQ(RunTool(args, out, err), 0) << err;

    args = {"read-all", "-o", Path("read.dat")};
    args.insert(args.end(), link.begin(), link.end());
    ASSERT_EQ(RunTool(args, out, err), 0) << err;
    EXPECT_NE(err.find(": done (66 steps)\n"), std::string::npos) << err;
    DeviceModelData read{};
    ASSERT_TRUE(ReadModel(Path("read.dat"), read));
    std::vector<SettingDifference> differences;
    CompareReadAllTables(SiteModel(), read, differences);
    EXPECT_TRUE(differences.empty());

    DeviceModelData changed = read;
    changed.AutoSwitchPatternTable[2][4] = 12;
    WriteModel(Path("changed.dat"), changed);
    args = {"verify", Path("changed.dat")};
    args.insert(args.end(), link.begin(), link.end());
    EXPECT_EQ(RunTool(args, out, err), 1);
    EXPECT_EQ(out, "auto-switch pattern 3, input 5 dwell time: 12 s in the file, " +
                       std::to_string(read.AutoSwitchPatternTable[2][4]) + " s on the unit\n");
    EXPECT_NE(err.find("verify: not compared, as read all does not read them: the FREE layout, the alarm settings,"),
              std::string::npos)
        << err;
    args[1] = Path("read.dat");
    EXPECT_EQ(RunTool(args, out, err), 0) << err;
    EXPECT_EQ(out, "");
}

INSTANTIATE_TEST_SUITE_P(Links, ReadAllThenVerify,
                         ::testing::Values(LinkCase{"pty", {}, false, {}},
                                           LinkCase{"rs485", {"--rs485", "0,5"}, false, {"--address", "5"}},
                                           LinkCase{"tcp", {}, true, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliProcess, SetAllLeavesTheSimulatorHoldingTheFile)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--pty", Path("pty"), "--log", Path("commands.log")}));
    ASSERT_NE(sim.WaitForLine("pty"), "");
    WriteModel(Path("site.dat"), SiteModel());
    std::string out, err;
    ASSERT_EQ(RunTool({"set-all", Path("site.dat"), "--serial", Path("pty"), "--pace-ms", "1"}, out, err), 0) << err;
    EXPECT_EQ(Lines(ReadFile(Path("commands.log"))), SetAllLines(SiteModel()));

    // The simulator's own answers to the program's reads, over the pty.
    TestStream stream;
    ASSERT_TRUE(stream.OpenPty(Path("pty")));
    UseStreamSerialWire(stream);
    ResetModelToStartValues(DeviceModel);
    for (int step = 1; step <= kReadAllSteps; ++step)
        SendReadAllStep(DeviceModel, step);
    std::vector<SettingDifference> differences;
    CompareReadAllTables(SiteModel(), DeviceModel, differences);
    EXPECT_TRUE(differences.empty()) << differences.size() << " differences, first " << differences[0].table;
    ActiveTransport = {nullptr, nullptr};
}

TEST_F(CliProcess, NinetySixUnitsAtTheServerAllGetTheFile)
{
    WriteModel(Path("site.dat"), SiteModel());
    ToolProcess tool;
    ASSERT_TRUE(tool.Start({"set-all", Path("site.dat"), "--listen", "0", "--units", "96", "--pace-ms", "5",
                            "--json"}));
    const int port = tool.WaitListening();
    ASSERT_GT(port, 0);
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--tcp-connect", "127.0.0.1:" + std::to_string(port), "--units", "96", "--log",
                           Path("commands.log")}));
    ASSERT_EQ(tool.WaitExit(), 0) << tool.Err();
    const std::string json = tool.Out();
    EXPECT_NE(json.find("\"units\":96,\"expected\":96,\"done\":96,\"failed\":0"), std::string::npos) << json;
    EXPECT_EQ(Count(json, "\"result\":\"done\",\"steps\":67,"), 96);
    EXPECT_NE(tool.Err().find("set-all: 96 of 96 units done\n"), std::string::npos);

    // Every unit took the file's 67 commands, each answered GO and applied.
    std::map<std::string, int> received, expected;
    for (const std::string& line : Lines(ReadFile(Path("commands.log"))))
        ++received[line];
    for (const std::string& line : SetAllLines(SiteModel()))
        expected[line] += 96;
    EXPECT_EQ(received, expected);
    EXPECT_EQ(sim.WaitExit(5000), 0);
}

struct FaultCase {
    const char* name;
    const char* command;
    std::vector<std::string> faults;
    std::vector<std::string> failure;   // what the summary says of each faulty unit
};

class FaultyUnits : public CliProcess, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultyUnits, FailWithTheirStepWhileTheOthersSucceed)
{
    const FaultCase& c = GetParam();
    const bool readAll = std::string(c.command) == "read-all";
    WriteModel(Path("site.dat"), SiteModel());
    std::vector<std::string> args = {c.command};
    if (readAll)
        args.insert(args.end(), {"-o", Path("unit.dat")});
    else
        args.push_back(Path("site.dat"));
    args.insert(args.end(), {"--listen", "0", "--units", "4", "--pace-ms", "1", "--json"});
    ToolProcess tool;
    ASSERT_TRUE(tool.Start(args));
    const std::string server = "127.0.0.1:" + std::to_string(tool.WaitListening());
    SimProcess good, bad;
    ASSERT_TRUE(good.Start({"--tcp-connect", server, "--units", "2"}));
    std::vector<std::string> badArgs = {"--tcp-connect", server, "--units", "2"};
    badArgs.insert(badArgs.end(), c.faults.begin(), c.faults.end());
    ASSERT_TRUE(bad.Start(badArgs));

    EXPECT_EQ(tool.WaitExit(), 1);
    const std::string json = tool.Out();
    EXPECT_NE(json.find("\"done\":2,\"failed\":2,"), std::string::npos) << json;
    for (const std::string& part : c.failure)
        EXPECT_EQ(Count(json, part), 2) << part << "\n" << json;
    if (readAll) {
        // Only the two good units' files, whole; nothing of the others.
        std::vector<std::string> files = FilesIn(dir_);
        files.erase(std::remove(files.begin(), files.end(), "site.dat"), files.end());
        ASSERT_EQ(files.size(), 2u);
        for (const std::string& name : files) {
            DeviceModelData model{};
            EXPECT_TRUE(ReadModel(Path(name), model)) << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultyUnits,
    ::testing::Values(
        FaultCase{"error_every", "read-all", {"--error-every", "5"},
                  {"\"result\":\"failed\",\"steps\":4,\"step\":5,\"command\":\"ROP04\",\"reply\":\"E3\","
                   "\"message\":\"Command Error\""}},
        FaultCase{"no_reply", "read-all", {"--no-reply"},
                  {"\"result\":\"failed\",\"steps\":0,\"step\":1,\"command\":\"ROP\",\"reply\":null,"
                   "\"message\":\"No Connect (no reply within 2850 ms)\""}},
        FaultCase{"lock", "set-all", {"--status", "LOCK"},
                  {"\"result\":\"failed\",\"steps\":0,\"step\":1,\"command\":\"OP07\",\"reply\":\"LOCK\","
                   "\"message\":\"Lock Display\""}},
        // Step 4 may or may not have gone out before the close is seen.
        FaultCase{"closed", "read-all", {"--close-after-commands", "3"},
                  {"\"result\":\"failed\",\"steps\":3,\"step\":4,",
                   "\"message\":\"the unit closed the connection\""}}),
    [](const auto& info) { return std::string(info.param.name); });

// The lines a provision of `model` sends one unit, from the builders, the
// unit's two-digit address in front.
std::vector<std::string> ProvisionLines(const DeviceModelData& model, ProvisionSections sections, int address)
{
    ProvisionPlan plan;
    PlanProvision(model, sections, false, plan);
    TransactionStateRecord transaction;
    CommandChannel channel;
    channel.transaction = &transaction;
    channel.rs485Address = address;
    std::vector<std::string> lines;
    for (int step = 1; step <= plan.length; ++step) {
        SendingOnChannel sending(channel);
        EXPECT_TRUE(SendProvisionStep(model, plan, step)) << step;
        lines.emplace_back(channel.frame, static_cast<size_t>(channel.frameLength - 2));
    }
    return lines;
}

// Every section of the file goes to each unit of the bus in turn, with the
// builders' texts; a unit that does not answer fails alone at its first step.
TEST_F(CliProcess, ProvisionSendsEverySectionToEachUnitOfABus)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--pty", Path("pty"), "--rs485", "0,5", "--log", Path("commands.log")}));
    ASSERT_NE(sim.WaitForLine("pty"), "");
    DeviceModelData site = SiteModel();
    strcpy(site.TitleText[11], "\x82\x62\x82\x60\x82\x6c\x82\x50");   // ＣＡＭ１
    site.AlarmSettings.buzzer = 1;
    site.TitlePosition[11] = 1;
    strcpy(site.PanelLock.password, "135790");
    site.UnitNetwork.ipAddress[3] = 77;
    WriteModel(Path("site.dat"), site);
    std::string out, err;
    EXPECT_EQ(RunTool({"provision", Path("site.dat"), "--serial", Path("pty"), "--address", "0,3,5", "--sections",
                       "all", "--json"},
                      out, err),
              1)
        << err;
    EXPECT_NE(out.find("\"units\":3,\"expected\":3,\"done\":2,\"failed\":1,"), std::string::npos) << out;
    EXPECT_EQ(Count(out, "\"result\":\"done\",\"steps\":158,"), 2) << out;
    EXPECT_NE(out.find("\"address\":\"" + Path("pty") + " address 3\",\"result\":\"failed\",\"steps\":0,\"step\":1,"),
              std::string::npos)
        << out;

    std::vector<std::string> expected = ProvisionLines(site, kProvisionAll, 0);
    expected.push_back(ProvisionLines(site, kProvisionAll, 3)[0]);
    for (const std::string& line : ProvisionLines(site, kProvisionAll, 5))
        expected.push_back(line);
    EXPECT_EQ(Lines(ReadFile(Path("commands.log"))), expected);
    // What the unit now holds, read back through its own reads.
    for (const auto& [read, reply] : std::vector<std::pair<std::string, std::string>>{
             {"RPN", "05PN135790"}, {"RABOO", "05ABOON"}, {"RCT12", "05CT1223432341234D2331"}}) {
        ASSERT_EQ(RunTool({"send", "--serial", Path("pty"), "--address", "5", read}, out, err), 0) << err;
        EXPECT_EQ(out.substr(0, reply.size()), reply) << read;
    }
}

// What any builder refuses stops the run before anything is sent, naming
// the setting and its line; --dry-run prints the lines that would go out.
TEST_F(CliProcess, ProvisionRefusesBadValuesFirstAndDryRunSendsNothing)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--pty", Path("pty"), "--rs485", "5", "--log", Path("commands.log")}));
    ASSERT_NE(sim.WaitForLine("pty"), "");
    DeviceModelData site = SiteModel();
    site.AlarmSettings.holdTime = 0;   // what the program saves for an emptied field
    strcpy(site.TitleText[11], "CAM1");
    strcpy(site.PanelLock.password, "1234");
    WriteModel(Path("bad.dat"), site);
    std::string out, err;
    EXPECT_EQ(RunTool({"provision", Path("bad.dat"), "--serial", Path("pty"), "--address", "5", "--sections",
                       "all"},
                      out, err),
              2);
    const std::string file = "kvr2840e-cli: " + Path("bad.dat");
    EXPECT_EQ(err, file + ": alarm hold time (line 2578): 0 is refused: the unit takes 1 to 99 seconds\n" + file +
                       ": title 12 (line 3348): a character the unit cannot show\n" + file +
                       ": password (line 3613): not six digits\nkvr2840e-cli: nothing sent\n");
    EXPECT_EQ(RunTool({"provision", Path("bad.dat"), "--serial", Path("pty"), "--address", "broadcast",
                       "--sections", "routing,network"},
                      out, err),
              2);
    EXPECT_NE(err.find("the network section does not go to broadcast"), std::string::npos) << err;

    WriteModel(Path("site.dat"), SiteModel());
    ASSERT_EQ(RunTool({"provision", Path("site.dat"), "--serial", Path("pty"), "--address", "5", "--sections",
                       "alarms,panel,network", "--dry-run"},
                      out, err),
              0)
        << err;
    EXPECT_EQ(out, "05AIPM\n05ADT10\n05ABOON\n05ADON\n05ARON\n05PN482913\n05POOF\n05PMOF\n"
                   "05EIA192.168.001.003\n05EGA192.168.001.002\n05EAA192.168.001.004\n05ESM255.255.255.000\n"
                   "05ECTOF\n05EKAOF\n");
    EXPECT_EQ(ReadFile(Path("commands.log")), "");
}

// No unit answers a broadcast: whatever the pace, the bus sees the steps at
// least the dialogs' tick apart, by the simulator's own clock.
TEST_F(CliProcess, BroadcastStepsAreATickApartOnTheLine)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--pty", Path("pty"), "--rs485", "0,5", "--baud", "9600", "--log", Path("commands.log"),
                           "--log-ms"}));
    ASSERT_NE(sim.WaitForLine("pty"), "");
    WriteModel(Path("site.dat"), SiteModel());
    std::string out, err;
    ASSERT_EQ(RunTool({"provision", Path("site.dat"), "--serial", Path("pty"), "--address", "broadcast",
                       "--sections", "alarms", "--pace-ms", "0"},
                      out, err),
              0)
        << err;
    // No reply tells the tool the last step arrived: the simulator logs it
    // once its line time has passed, perhaps after the tool ended.
    std::vector<std::string> lines;
    for (int wait = 0; wait < 300 && lines.size() < 5; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        lines = Lines(ReadFile(Path("commands.log")));
    }
    ASSERT_EQ(lines.size(), 5u);
    const char* const sent[] = {"FFAIPM", "FFADT10", "FFABOON", "FFADON", "FFARON"};
    long previous = -1;
    for (size_t k = 0; k < lines.size(); ++k) {
        const size_t blank = lines[k].find(' ');
        ASSERT_NE(blank, std::string::npos) << lines[k];
        EXPECT_EQ(lines[k].substr(blank + 1), sent[k]);
        const long at = std::stol(lines[k].substr(0, blank));
        // The line time alone would be 8 ms; a loaded machine may read the
        // earlier line late, so the gap is judged with room to spare.
        if (previous >= 0) {
            EXPECT_GE(at - previous, 300) << lines[k];
        }
        previous = at;
    }
}

// The unit's running clock (the simulator's, started a moment before New
// Year) ends on the PC's local time, read back to the millisecond.
TEST_F(CliProcess, ProvisionSetsTheRunningClockToThePcs)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--pty", Path("pty"), "--clock", "2026-12-31 23:59:59.5", "--log", Path("commands.log")}));
    ASSERT_NE(sim.WaitForLine("pty"), "");
    WriteModel(Path("site.dat"), SiteModel());
    std::string out, err;
    ASSERT_EQ(RunTool({"provision", Path("site.dat"), "--serial", Path("pty"), "--sections", "alarms", "--clock"},
                      out, err),
              0)
        << err;
    // If the PC's minute turned during the run (a slow machine makes that
    // likelier), the seven steps begin again with TSS00; the last run is whole.
    const std::vector<std::string> lines = Lines(ReadFile(Path("commands.log")));
    ASSERT_GE(lines.size(), 5u + 7u);
    ASSERT_LE(lines.size(), 5u + 4 * 7u);
    const char* const fields[] = {"TSS", "DSY", "DSM", "DSD", "TSH", "TSM", "TSS"};
    size_t field = 0;
    for (size_t k = 5; k < lines.size(); ++k) {
        if (lines[k] == "TSS00" && k + 7 <= lines.size())
            field = 0;
        ASSERT_LT(field, 7u) << k;
        EXPECT_EQ(lines[k].substr(0, 3), fields[field]) << k;
        if (field == 0) {
            EXPECT_EQ(lines[k], "TSS00");
        }
        ++field;
    }
    EXPECT_EQ(field, 7u);

    RunTool({"send", "--serial", Path("pty"), "RDT"}, out, err);
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm unit{};
    int millisecond = 0;
    ASSERT_EQ(sscanf(out.c_str(), "DT%4d/%2d/%2d %2d:%2d:%2d.%3d", &unit.tm_year, &unit.tm_mon, &unit.tm_mday,
                     &unit.tm_hour, &unit.tm_min, &unit.tm_sec, &millisecond),
              7)
        << out;
    unit.tm_year -= 1900;
    unit.tm_mon -= 1;
    unit.tm_isdst = -1;
    const double pc = static_cast<double>(seconds) +
                      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000 /
                          1000.0;
    const double off = static_cast<double>(std::mktime(&unit)) + millisecond / 1000.0 - pc;
    EXPECT_LT(std::abs(off), 1.0) << out;
}

TEST_F(CliProcess, UnreadableSettingsFileIsRefusedBeforeAnythingIsSent)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--pty", Path("pty"), "--log", Path("commands.log")}));
    ASSERT_NE(sim.WaitForLine("pty"), "");
    std::string text;
    FormatSettingsFile(SiteModel(), text);
    text.replace(text.find("\r\n", text.find("\r\n", text.find("\r\n", text.find("\r\n") + 2) + 2) + 2), 4,
                 "\r\nx\r\n");   // line 5 is no number
    std::ofstream(Path("bad.dat"), std::ios::binary) << text;
    std::string out, err;
    EXPECT_EQ(RunTool({"set-all", Path("bad.dat"), "--serial", Path("pty")}, out, err), 2);
    EXPECT_EQ(err, "kvr2840e-cli: " + Path("bad.dat") +
                       ": not readable as a settings file: a line where a number belongs holds something else "
                       "(line 5: display pattern 1, output 4)\n");
    EXPECT_EQ(ReadFile(Path("commands.log")), "");
}

TEST_F(CliProcess, ExistingOutputIsReplacedOnlyWithForce)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--pty", Path("pty")}));
    ASSERT_NE(sim.WaitForLine("pty"), "");
    std::ofstream(Path("read.dat")) << "keep";
    std::string out, err;
    const std::vector<std::string> args = {"read-all", "--serial", Path("pty"), "-o", Path("read.dat"), "--pace-ms", "1"};
    EXPECT_EQ(RunTool(args, out, err), 2);
    EXPECT_NE(err.find("exists; give --force to replace it"), std::string::npos) << err;
    EXPECT_EQ(ReadFile(Path("read.dat")), "keep");
    std::vector<std::string> forced = args;
    forced.push_back("--force");
    EXPECT_EQ(RunTool(forced, out, err), 0) << err;
    DeviceModelData model{};
    EXPECT_TRUE(ReadModel(Path("read.dat"), model));
    EXPECT_EQ(FilesIn(dir_), (std::vector<std::string>{"pty", "read.dat"}));
}

TEST_F(CliProcess, LinkThatCannotBeOpenedExitsThree)
{
    WriteModel(Path("site.dat"), SiteModel());
    std::string out, err;
    EXPECT_EQ(RunTool({"set-all", Path("site.dat"), "--serial", Path("no-such-port")}, out, err), 3);
    EXPECT_NE(err.find("cannot open"), std::string::npos) << err;
    EXPECT_EQ(RunTool({"send", "--tcp", "127.0.0.1:1", "RVN"}, out, err), 3);
}

TEST_F(CliProcess, SendPrintsTheReplyLineAndHelpIsThere)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--pty", Path("pty"), "--rs485", "3"}));
    ASSERT_NE(sim.WaitForLine("pty"), "");
    std::string out, err;
    EXPECT_EQ(RunTool({"send", "--serial", Path("pty"), "--address", "3", "RVN"}, out, err), 0) << err;
    EXPECT_EQ(out, "03KVR-2840E ver 1.00\n");
    EXPECT_EQ(RunTool({"send", "--serial", Path("pty"), "--address", "3", "OP99"}, out, err), 1);
    EXPECT_EQ(out, "03E3\n");
    for (const char* command : {"read-all", "set-all", "verify", "send", "titles", "diff"}) {
        EXPECT_EQ(RunTool({command, "--help"}, out, err), 0);
        EXPECT_EQ(out.rfind(std::string("kvr2840e-cli ") + command, 0), 0u) << out;
    }
}

// A settings file the program reads that its writer would not write so: LF
// line ends, lines after the layout, and titles that the unit cannot show,
// that code page 932 writes back with another code, or that need quoting.
std::string UnusualFile()
{
    DeviceModelData m = SiteModel();
    strcpy(m.TitleText[1], "A,\"B\"");
    strcpy(m.TitleText[2], "\xed\x40\x82\x60");
    std::string text, lf;
    FormatSettingsFile(m, text);
    for (char c : text)
        if (c != '\r')
            lf += c;
    return lf + "a line after the layout\n";
}

std::string ProgramFile()
{
    std::string text;
    FormatSettingsFile(SiteModel(), text);
    return text;
}

struct RoundTripCase {
    const char* name;
    std::string (*file)();
};

class TitlesRoundTrip : public CliProcess, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(TitlesRoundTrip, ExportThenImportGivesTheSameFileByteForByte)
{
    const std::string site = Path("site.dat"), csv = Path("titles.csv"), copy = Path("new.dat");
    const std::string bytes = GetParam().file();
    std::ofstream(site, std::ios::binary) << bytes;
    std::string out, err;
    ASSERT_EQ(RunTool({"titles", "export", site, "-o", csv}, out, err), 0) << err;
    EXPECT_EQ(err, "titles export: the 64 titles of " + site + " written to " + csv + "\n");
    EXPECT_EQ(RunTool({"titles", "export", site}, out, err), 0);
    EXPECT_EQ(out, ReadFile(csv));
    EXPECT_EQ(RunTool({"titles", "export", site, "--no-bom"}, out, err), 0) << err;
    EXPECT_EQ("\xef\xbb\xbf" + out, ReadFile(csv));

    EXPECT_EQ(RunTool({"titles", "import", site, csv}, out, err), 0) << err;
    EXPECT_EQ(err, "titles import: 64 rows, nothing changed, " + site + " left as it was\n");
    EXPECT_EQ(ReadFile(site), bytes);
    EXPECT_EQ(RunTool({"titles", "import", site, csv, "-o", copy}, out, err), 0) << err;
    EXPECT_EQ(ReadFile(copy), bytes);
    EXPECT_EQ(FilesIn(dir_), (std::vector<std::string>{"new.dat", "site.dat", "titles.csv"}));
}

INSTANTIATE_TEST_SUITE_P(Files, TitlesRoundTrip,
                         ::testing::Values(RoundTripCase{"program", ProgramFile}, RoundTripCase{"unusual", UnusualFile}),
                         [](const auto& info) { return std::string(info.param.name); });

const std::string kTableHeader = "channel,title,display,position,size\r\n";

TEST_F(CliProcess, TitlesImportWritesTheChangedFileWhole)
{
    const std::string site = Path("site.dat"), csv = Path("titles.csv"), changed = Path("new.dat");
    WriteModel(site, SiteModel());
    std::ofstream(csv, std::ios::binary) << kTableHeader + "12,ＣＡＭ１２,off,top,S\r\n";
    std::string out, err;
    ASSERT_EQ(RunTool({"titles", "import", site, csv, "-o", changed}, out, err), 0) << err;
    EXPECT_EQ(err, "titles import: 1 row, 4 settings changed, " + changed + " written\n");
    EXPECT_EQ(RunTool({"diff", site, changed}, out, err), 1);
    const std::string a = " in " + site, b = " in " + changed;
    EXPECT_EQ(out, "title 12: \"\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000ＣＨ１２\"" + a + ", \"ＣＡＭ１２\"" + b +
                       "\n"
                       "title display, input 12: ON" + a + ", OFF" + b + "\n"
                       "title position, input 12: BOTTOM" + a + ", TOP" + b + "\n"
                       "title size, input 12: MEDIUM" + a + ", SMALL" + b + "\n");
    EXPECT_EQ(err, "diff: " + site + " and " + changed + " differ in 4 settings\n");

    ASSERT_EQ(RunTool({"titles", "import", site, csv}, out, err), 0) << err;   // in place
    EXPECT_EQ(ReadFile(site), ReadFile(changed));
    EXPECT_EQ(FilesIn(dir_), (std::vector<std::string>{"new.dat", "site.dat", "titles.csv"}));
}

TEST_F(CliProcess, TitlesImportRefusesABadTableWholeAndTouchesNoFile)
{
    const std::string site = Path("site.dat"), csv = Path("titles.csv");
    WriteModel(site, SiteModel());
    const std::string bytes = ReadFile(site);
    // Code page 932, as Excel saves "CSV" on a Japanese Windows: ＣＡＭ１２, ＣＡＭ＊.
    std::ofstream(csv, std::ios::binary) << kTableHeader + "12,\x82\x62\x82\x60\x82\x6c\x82\x50\x82\x51,off,top,S\r\n"
                                                          "13,\x82\x62\x82\x60\x82\x6c\x81\x96,on,top,M\r\n"
                                                          "70,,on,top,XL\r\n";
    const std::string problems =
        "kvr2840e-cli: " + csv + " was read as code page 932 (it is not UTF-8)\n"
        "kvr2840e-cli: " + csv + " line 3: title 13 \"ＣＡＭ＊\" (the settings file holds \"\u3000\u3000\u3000\u3000\u3000"
        "\u3000\u3000\u3000ＣＨ１３\"): a title cannot hold \"＊\": the settings file reads it back as a full-width space\n"
        "kvr2840e-cli: " + csv + " line 4: channel \"70\" is not 1..64\n"
        "kvr2840e-cli: " + csv + " line 4: size \"XL\" is not L, M or S\n";
    std::string out, err;
    EXPECT_EQ(RunTool({"titles", "import", site, csv, "-o", Path("new.dat")}, out, err), 2);
    EXPECT_EQ(err, problems + "kvr2840e-cli: nothing imported: " + site + " is left as it was, no " + Path("new.dat") +
                       " written\n");
    EXPECT_EQ(RunTool({"titles", "import", site, csv}, out, err), 2);
    EXPECT_EQ(err, problems + "kvr2840e-cli: nothing imported: " + site + " is left as it was\n");
    EXPECT_EQ(ReadFile(site), bytes);
    EXPECT_EQ(FilesIn(dir_), (std::vector<std::string>{"site.dat", "titles.csv"}));
}

TEST_F(CliProcess, TitlesExportReplacesATableOnlyWithForce)
{
    WriteModel(Path("site.dat"), SiteModel());
    std::ofstream(Path("titles.csv")) << "keep";
    std::string out, err;
    const std::vector<std::string> args = {"titles", "export", Path("site.dat"), "-o", Path("titles.csv")};
    EXPECT_EQ(RunTool(args, out, err), 2);
    EXPECT_EQ(err, "kvr2840e-cli: " + Path("titles.csv") + " exists; give --force to replace it\n");
    EXPECT_EQ(ReadFile(Path("titles.csv")), "keep");
    std::vector<std::string> forced = args;
    forced.push_back("--force");
    EXPECT_EQ(RunTool(forced, out, err), 0) << err;
    EXPECT_EQ(ReadFile(Path("titles.csv")).rfind("\xef\xbb\xbf" + kTableHeader + "1,", 0), 0u);
}

TEST_F(CliProcess, DiffComparesEveryTableOfTwoFiles)
{
    const std::string a = Path("a.dat"), b = Path("b.dat"), bad = Path("bad.dat");
    DeviceModelData other = SiteModel();
    other.DisplayPatternTable[kFreePattern][3] = 64 + 1;
    other.AlarmSettings.buzzer = 0;
    other.UnitNetwork.keepAlive = 1;
    WriteModel(a, SiteModel());
    WriteModel(b, other);
    std::ofstream(bad, std::ios::binary) << "0\r\n0\r\nx\r\n";
    std::string out, err;
    EXPECT_EQ(RunTool({"diff", a, a}, out, err), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "diff: " + a + " and " + a + " hold the same settings\n");

    EXPECT_EQ(RunTool({"diff", a, b}, out, err), 1);
    EXPECT_EQ(out, "display pattern FREE, output 4: I04 in " + a + ", S02 in " + b + "\n"
                   "alarm buzzer: ON in " + a + ", OFF in " + b + "\n"
                   "unit keep alive: OFF in " + a + ", ON in " + b + "\n");
    EXPECT_EQ(RunTool({"diff", a, b, "--json"}, out, err), 1);
    EXPECT_EQ(out, "{\"command\":\"diff\",\"a\":\"" + a + "\",\"b\":\"" + b + "\",\"equal\":false,\"differences\":[\n"
                   "{\"table\":\"DisplayPatternTable\",\"index\":\"33/04\",\"text\":\"display pattern FREE, output 4: "
                   "I04 in " + a + ", S02 in " + b + "\",\"a\":3,\"b\":65},\n"
                   "{\"table\":\"AlarmSettings.buzzer\",\"index\":\"\",\"text\":\"alarm buzzer: ON in " + a +
                   ", OFF in " + b + "\",\"a\":1,\"b\":0},\n"
                   "{\"table\":\"UnitNetwork.keepAlive\",\"index\":\"\",\"text\":\"unit keep alive: OFF in " + a +
                   ", ON in " + b + "\",\"a\":0,\"b\":1}]}\n");

    EXPECT_EQ(RunTool({"diff", a, bad}, out, err), 2);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "kvr2840e-cli: " + bad + ": not readable as a settings file: a line where a number belongs holds "
                   "something else (line 3: display pattern 1, output 2)\n");
}

} // namespace
