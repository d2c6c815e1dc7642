// The real simulator process over a real pseudo-terminal and real loopback
// sockets, driven by the program's builders and parsers.
#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "link/link_state.h"
#include "link/send_path.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"
#include "sim_process.h"
#include "sim_test_support.h"

namespace {

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

class SimProcessTest : public ::testing::Test {
protected:
    SimProcess sim;
    TestStream stream;

    void SetUp() override { ResetProgramState(); }
    void TearDown() override
    {
        ActiveTransport = {nullptr, nullptr};
        for (const std::string& path : removeAtEnd)
            unlink(path.c_str());
    }

    // Starts the simulator and returns the line it printed for its link.
    std::string Start(const std::vector<std::string>& args, const std::string& linkLine)
    {
        EXPECT_TRUE(sim.Start(args));
        const std::string line = sim.WaitForLine(linkLine);
        EXPECT_NE(line, "") << "the simulator did not print \"" << linkLine << "\": " << sim.Output();
        return line;
    }

    void StartPty(std::vector<std::string> args)
    {
        args.insert(args.begin(), "--pty");
        const std::string line = Start(args, "pty ");
        ASSERT_TRUE(stream.OpenPty(line.substr(4)));
        UseStreamSerialWire(stream);
    }

    void StartListening(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--tcp-listen", "0"});
        const std::string line = Start(args, "listening 127.0.0.1:");
        ASSERT_TRUE(stream.ConnectTcp(PortOfListeningLine(line)));
        UseStreamTcpWire(stream);
    }

    std::string Temp(const std::string& name)
    {
        removeAtEnd.push_back(TempPath(name));
        return removeAtEnd.back();
    }

    std::vector<std::string> removeAtEnd;
};

void Prepare()
{
    ResetTransaction();
    TransactionState.completionCode = 0;
    TransactionState.replyStatus = kReplyStopSequence;
}

// ---- Serial line ----------------------------------------------------------------------

TEST_F(SimProcessTest, WholeCatalogueOverThePty)
{
    const std::string link = Temp("pty-link");
    const std::string log = Temp("log");
    StartPty({link, "--log", log});
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), sim.Output().substr(4, sim.Output().find('\n') - 4));

    RunSettingsRoundTrip();
    RunUnitNetworkRoundTrip("02-4B-56-52-00-01", "1.00");

    EXPECT_EQ(sim.Stop(), 0);
    struct stat info;
    EXPECT_NE(lstat(link.c_str(), &info), 0) << "the symlink outlived the simulator";
    const std::string logged = ReadFile(log);
    EXPECT_EQ(logged.substr(0, 5), "AIPB\n");
    EXPECT_NE(logged.find("\nRVN\n"), std::string::npos);
    EXPECT_EQ(logged.find('\r'), std::string::npos);
}

TEST_F(SimProcessTest, ThreeUnitsOnOneRs485Pty)
{
    StartPty({"--rs485", "0,5,7"});
    ControlMode = kControlRs485;

    // The addressed unit answers with its address; the parser strips it.
    SlaveAddress = 5;
    Prepare();
    EXPECT_TRUE(SendPatternSelect(DeviceModel, 2));
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    stream.Send("05ROP\r\n");
    EXPECT_EQ(stream.ReadReply(), "05OP03\r\n");
    SlaveAddress = 7;
    Prepare();
    EXPECT_TRUE(SendReadCurrentPattern(DeviceModel));
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(DeviceModel.CurrentDisplayPattern, 0) << "unit 07 has its own settings";

    // Broadcast: done at once for the program, applied by all, answered by none.
    SlaveAddress = kSlaveBroadcast;
    Prepare();
    EXPECT_TRUE(SendPatternSelect(DeviceModel, 9));
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    EXPECT_TRUE(stream.Silent(300));
    for (int address : {0, 5, 7}) {
        SlaveAddress = address;
        DeviceModel.CurrentDisplayPattern = 0;
        Prepare();
        EXPECT_TRUE(SendReadCurrentPattern(DeviceModel));
        EXPECT_EQ(DeviceModel.CurrentDisplayPattern, 9) << "unit " << address;
    }

    // A unit that is not on the bus stays silent.
    stream.Send("09ROP\r\n06OP01\r\n");
    EXPECT_TRUE(stream.Silent(300));
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(SimProcessTest, SplitReplyOnThePtyIsJoinedByTheReader)
{
    StartPty({"--split"});
    stream.Send("ROP\r\n");
    const int64_t start = NowMs();
    const std::string first = stream.ReadChunk(2000);
    EXPECT_EQ(first, "OP0");
    const std::string rest = stream.ReadReply();
    EXPECT_EQ(rest, "1\r\n");
    EXPECT_GE(NowMs() - start, 80);
    // Through the program's parser the two pieces make one reply.
    Prepare();
    EXPECT_TRUE(SendPatternSelect(DeviceModel, 3));
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(SimProcessTest, SymlinkIsNotPlacedOverAFile)
{
    const std::string path = Temp("plain-file");
    FILE* f = fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    std::string output;
    EXPECT_EQ(RunSimToEnd({"--pty", path}, output), 1);
    struct stat info;
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}

// ---- TCP: the PC as client ----------------------------------------------------------------

TEST_F(SimProcessTest, WholeCatalogueOverTcp)
{
    StartListening({"--firmware", "2.50"});
    RunSettingsRoundTrip();
    RunTcpIdentification("2.50");
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(SimProcessTest, SplitRepliesAreJoinedByTheDialogSideEntry)
{
    StartListening({"--split"});
    DeviceModel.DisplayPatternTable[0][0] = 40;
    Prepare();
    EXPECT_TRUE(SendReadPattern(DeviceModel, 0));
    EXPECT_EQ(TcpReplyChunks, 2);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    EXPECT_EQ(DeviceModel.DisplayPatternTable[0][0], 0);
    Prepare();
    EXPECT_TRUE(SendVideoOutput(DeviceModel, 5));
    EXPECT_EQ(TcpReplyChunks, 2);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(SimProcessTest, ReplyDelay)
{
    StartListening({"--reply-delay", "300"});
    const int64_t start = NowMs();
    Prepare();
    EXPECT_TRUE(SendReadCurrentPattern(DeviceModel));
    EXPECT_GE(NowMs() - start, 290);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(SimProcessTest, NoReplyAppliesSilently)
{
    const std::string log = Temp("log");
    StartListening({"--no-reply", "--log", log});
    stream.Send("OP05\r\nROP\r\n");
    EXPECT_TRUE(stream.Silent(400));
    EXPECT_EQ(ReadFile(log), "OP05\nROP\n");
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(SimProcessTest, StatusWordRefusesSettings)
{
    StartListening({"--status", "LOCK"});
    Prepare();
    EXPECT_TRUE(SendPatternSelect(DeviceModel, 4));
    EXPECT_EQ(TransactionState.replyStatus, kReplyLock);
    DeviceModel.CurrentDisplayPattern = 20;
    Prepare();
    EXPECT_TRUE(SendReadCurrentPattern(DeviceModel));
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(DeviceModel.CurrentDisplayPattern, 0) << "the refused setting was applied";
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(SimProcessTest, EveryNthCommandFails)
{
    StartListening({"--error-every", "2"});
    for (int k = 1; k <= 4; ++k) {
        Prepare();
        EXPECT_TRUE(SendReadVideoOutputs(DeviceModel));
        EXPECT_EQ(TransactionState.replyStatus, k % 2 == 0 ? kReplyCommandError : kReplyGood) << k;
    }
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(SimProcessTest, VideoLossAndFlappingInput)
{
    StartListening({"--video-loss", "2,64", "--video-loss-flap", "1"});
    stream.Send("RVL\r\n");
    EXPECT_EQ(stream.ReadReply(), "VLNF" + Times("N", 61) + "F\r\n");
    // After a second input 1 has lost its video as well.
    const int64_t end = NowMs() + 3000;
    std::string reply;
    while (NowMs() < end) {
        stream.Send("RVL\r\n");
        reply = stream.ReadReply();
        if (reply.compare(0, 3, "VLF") == 0)
            break;
        usleep(50000);
    }
    EXPECT_EQ(reply, "VLFF" + Times("N", 61) + "F\r\n");
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(SimProcessTest, ListeningUnitIsTheSerialUnit)
{
    const std::string line = Start({"--pty", "--tcp-listen", "0"}, "pty ");
    const std::string listening = sim.WaitForLine("listening ");
    ASSERT_TRUE(stream.OpenPty(line.substr(4)));
    TestStream tcp;
    ASSERT_TRUE(tcp.ConnectTcp(PortOfListeningLine(listening)));
    stream.Send("OP07\r\n");
    EXPECT_EQ(stream.ReadReply(), "GO\r\n");
    tcp.Send("ROP\r\n");
    EXPECT_EQ(tcp.ReadReply(), "OP07\r\n");
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(SimProcessTest, UnitHangsUpAfterItsLastCommand)
{
    const std::string listening = Start({"--tcp-listen", "0", "--close-after-commands", "2"}, "listening ");
    ASSERT_TRUE(stream.ConnectTcp(PortOfListeningLine(listening)));
    char byte;
    stream.Send("ROP\r\n");
    EXPECT_EQ(stream.ReadReply(), "OP01\r\n");
    usleep(200000);
    EXPECT_EQ(recv(stream.fd(), &byte, 1, MSG_DONTWAIT), -1) << "closed after the first command";
    stream.Send("OP07\r\n");
    EXPECT_EQ(stream.ReadReply(), "GO\r\n");
    // The reply, then the end of the stream.
    EXPECT_EQ(stream.ReadChunk(3000), "");
    EXPECT_EQ(recv(stream.fd(), &byte, 1, MSG_DONTWAIT), 0) << "the connection is still open";

    // The unit goes on listening, and a new connection counts afresh.
    TestStream again;
    ASSERT_TRUE(again.ConnectTcp(PortOfListeningLine(listening)));
    again.Send("ROP\r\n");
    EXPECT_EQ(again.ReadReply(), "OP07\r\n");
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(SimProcessTest, SecondsEndTheRun)
{
    Start({"--tcp-listen", "0", "--seconds", "1"}, "listening ");
    const int64_t start = NowMs();
    EXPECT_EQ(sim.WaitExit(4000), 0);
    EXPECT_GE(NowMs() - start, 700);
}

TEST_F(SimProcessTest, HelpAndRefusedOptions)
{
    std::string output;
    EXPECT_EQ(RunSimToEnd({"--help"}, output), 0);
    EXPECT_NE(output.find("Usage: kvr2840e-sim"), std::string::npos);
    EXPECT_EQ(RunSimToEnd({"--pty", "--rs485", "40"}, output), 2);
    EXPECT_EQ(RunSimToEnd({}, output), 2);
}

// ---- TCP: the PC as server of many units -----------------------------------------------------

int ListenOnLoopback(int& port)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 128) != 0) {
        close(s);
        return -1;
    }
    socklen_t length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return s;
}

TEST_F(SimProcessTest, NinetySixUnitsAndTheNinetySeventhIsClosed)
{
    int port = 0;
    const int server = ListenOnLoopback(port);
    ASSERT_GE(server, 0);
    const std::string target = "127.0.0.1:" + std::to_string(port);
    Start({"--tcp-connect", target, "--units", "97"}, "connected 97 units to " + target);

    // The PC's table has 96 places: the 97th unit is accepted and closed at once.
    std::vector<std::unique_ptr<TestStream>> units;
    for (int k = 0; k < 97; ++k) {
        const int s = accept(server, nullptr, nullptr);
        ASSERT_GE(s, 0);
        if (k == 96) {
            close(s);
            break;
        }
        units.push_back(std::make_unique<TestStream>());
        units.back()->AdoptSocket(s);
    }
    close(server);
    EXPECT_EQ(sim.WaitForLine("disconnected unit"), "disconnected unit 97");

    // All 96 at once, one command in flight each; every unit is its own.
    for (int k = 0; k < 96; ++k)
        units[k]->Send("REMA\r\n");
    for (int k = 0; k < 96; ++k) {
        char mac[32];
        snprintf(mac, sizeof mac, "EMA02-4B-56-52-00-%02X\r\n", k + 1);
        EXPECT_EQ(units[k]->ReadReply(), mac);
    }
    units[0]->Send("OP12\r\n");
    EXPECT_EQ(units[0]->ReadReply(), "GO\r\n");
    for (int k : {0, 1, 95}) {
        units[k]->Send("ROP\r\n");
        EXPECT_EQ(units[k]->ReadReply(), k == 0 ? "OP12\r\n" : "OP01\r\n");
    }
    units[95]->Send("RVN\r\n");
    EXPECT_EQ(units[95]->ReadReply(), "VN KVR-2840E v1.00\r\n");
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(SimProcessTest, EndsWhenThePcHasClosedEveryUnit)
{
    int port = 0;
    const int server = ListenOnLoopback(port);
    ASSERT_GE(server, 0);
    Start({"--tcp-connect", "127.0.0.1:" + std::to_string(port), "--units", "2"}, "connected 2 units");
    for (int k = 0; k < 2; ++k) {
        const int s = accept(server, nullptr, nullptr);
        ASSERT_GE(s, 0);
        close(s);
    }
    close(server);
    EXPECT_EQ(sim.WaitExit(3000), 0);
    EXPECT_NE(sim.Output().find("all units disconnected"), std::string::npos);
}

TEST_F(SimProcessTest, UnreachableServerIsReported)
{
    int port = 0;
    const int server = ListenOnLoopback(port);
    ASSERT_GE(server, 0);
    close(server);   // nothing listens there any more
    std::string output;
    EXPECT_EQ(RunSimToEnd({"--tcp-connect", "127.0.0.1:" + std::to_string(port)}, output), 1);
}

} // namespace
