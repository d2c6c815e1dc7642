// The simulator's command line.
#include <string>
#include <vector>

#include "sim/sim_options.h"
#include "sim_test_support.h"

namespace {

bool Parse(std::vector<const char*> args, SimOptions& options, std::string& error)
{
    args.insert(args.begin(), "kvr2840e-sim");
    return ParseSimOptions(static_cast<int>(args.size()), args.data(), options, error);
}

std::string Refusal(std::vector<const char*> args)
{
    SimOptions options;
    std::string error;
    EXPECT_FALSE(Parse(args, options, error));
    return error;
}

TEST(SimOptions, SerialLinkWithBusAndFaults)
{
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--pty", "/tmp/unit", "--rs485", "0,5,7", "--split", "--reply-delay", "40", "--status",
                       "LOCK", "--error-every", "5", "--no-reply", "--log", "cmds.txt", "--seconds", "9"},
                      o, error))
        << error;
    EXPECT_TRUE(o.pty);
    EXPECT_EQ(o.ptyLink, "/tmp/unit");
    EXPECT_EQ(o.rs485Addresses, (std::vector<int>{0, 5, 7}));
    EXPECT_TRUE(o.faults.split);
    EXPECT_EQ(o.faults.replyDelayMs, 40);
    EXPECT_STREQ(o.faults.statusWord, "LOCK");
    EXPECT_EQ(o.faults.errorEvery, 5);
    EXPECT_TRUE(o.faults.noReply);
    EXPECT_EQ(o.logPath, "cmds.txt");
    EXPECT_EQ(o.seconds, 9);
}

TEST(SimOptions, PtyWithoutPathTakesNoNextOption)
{
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--pty", "--seconds", "3"}, o, error)) << error;
    EXPECT_TRUE(o.pty);
    EXPECT_EQ(o.ptyLink, "");
    EXPECT_EQ(o.seconds, 3);
}

TEST(SimOptions, TcpLinksAndUnitOptions)
{
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--tcp-listen", "0", "--bind", "0.0.0.0", "--tcp-connect", "localhost:9004", "--units",
                       "97", "--close-after-commands", "2", "--video-loss", "3,10-12,64", "--video-loss-flap", "4", "--firmware", "2.10",
                       "--baud", "9600"},
                      o, error))
        << error;
    EXPECT_EQ(o.listenPort, 0);
    EXPECT_EQ(o.bindAddress, "0.0.0.0");
    EXPECT_EQ(o.connectHost, "localhost");
    EXPECT_EQ(o.connectPort, 9004);
    EXPECT_EQ(o.units, 97);
    EXPECT_EQ(o.closeAfterCommands, 2);
    EXPECT_EQ(o.flapSeconds, 4);
    EXPECT_STREQ(o.firmwareVersion, "2.10");
    EXPECT_EQ(o.baud, 9600);
    EXPECT_EQ(o.clockMs, -1);
    int lost = 0;
    for (bool b : o.lostInputs)
        lost += b;
    EXPECT_EQ(lost, 5);
    EXPECT_TRUE(o.lostInputs[2] && o.lostInputs[9] && o.lostInputs[10] && o.lostInputs[11] && o.lostInputs[63]);
}

TEST(SimOptions, ClockStartsWhereGiven)
{
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--pty", "--clock", "2024-02-29 23:59:58.250"}, o, error)) << error;
    EXPECT_EQ(o.clockMs, 762566398250);   // 8825 days and 86398.25 s after 2000-01-01 00:00
}

TEST(SimOptions, Help)
{
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--help"}, o, error));
    EXPECT_TRUE(o.help);
    const std::string help = SimHelpText();
    for (const char* option : {"--pty", "--serial", "--rs485", "--tcp-listen", "--bind", "--tcp-connect", "--units",
                               "--close-after-commands", "--no-reply", "--reply-delay", "--split", "--status", "--error-every", "--log",
                               "--seconds", "--video-loss", "--video-loss-flap", "--firmware", "--baud", "--clock"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST(SimOptions, VersionNeedsNoLink)
{
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--version"}, o, error)) << error;
    EXPECT_TRUE(o.version);
    EXPECT_EQ(std::string(SimVersionText()).rfind("kvr2840e-sim ", 0), 0u);
}

TEST(SimOptions, Refusals)
{
    EXPECT_NE(Refusal({}).find("no link"), std::string::npos);
    EXPECT_NE(Refusal({"--pty", "--serial", "/dev/ttyS0"}).find("choose one"), std::string::npos);
    EXPECT_NE(Refusal({"--tcp-listen", "1", "--rs485", "1"}).find("serial line"), std::string::npos);
    EXPECT_NE(Refusal({"--pty", "--bind", "0.0.0.0"}).find("--tcp-listen"), std::string::npos);
    EXPECT_NE(Refusal({"--pty", "--units", "3"}).find("--tcp-connect"), std::string::npos);
    EXPECT_NE(Refusal({"--pty", "--close-after-commands", "1"}).find("--tcp-listen"), std::string::npos);
    EXPECT_NE(Refusal({"--pty", "--frobnicate"}).find("unknown option"), std::string::npos);
    EXPECT_NE(Refusal({"--serial"}).find("needs a value"), std::string::npos);
    EXPECT_EQ(Refusal({"--pty", "--split=1"}), "--split takes no value");
    for (std::vector<const char*> bad : std::vector<std::vector<const char*>>{
             {"--pty", "--rs485", "32"},
             {"--pty", "--rs485", "1,1"},
             {"--tcp-listen", "65536"},
             {"--tcp-listen", "-1"},
             {"--tcp-connect", "9004"},
             {"--tcp-connect", "host:0"},
             {"--tcp-connect", ":9004"},
             {"--tcp-connect", "h:1", "--units", "0"},
             {"--tcp-connect", "h:1", "--units", "257"},
             {"--pty", "--video-loss", "0"},
             {"--pty", "--video-loss", "65"},
             {"--pty", "--video-loss", "5-3"},
             {"--pty", "--video-loss-flap", "0"},
             {"--pty", "--firmware", "1.0"},
             {"--pty", "--baud", "49"},
             {"--pty", "--baud", "9600x"},
             {"--pty", "--reply-delay", "x"},
             {"--pty", "--status", "GO"},
             {"--pty", "--status", "menu"},
             {"--pty", "--error-every", "0"},
             {"--pty", "--seconds", "0"},
             {"--tcp-listen", "0", "--close-after-commands", "0"},
             {"--pty", "--clock", "2024-02-30 00:00:00"},
         }) {
        SimOptions o;
        std::string error;
        EXPECT_FALSE(Parse(bad, o, error)) << bad[0] << " " << bad[bad.size() - 1];
        EXPECT_NE(error, "");
    }
}

} // namespace
