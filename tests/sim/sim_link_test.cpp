// A link end: line assembly, RS-485 addressing, the fault options and the
// reply queue, all at explicit times.
#include <cstdio>
#include <string>
#include <vector>

#include "sim_test_support.h"

namespace {

class SimLinkTest : public ::testing::Test {
protected:
    std::unique_ptr<SimUnit> first = MakeTestUnit(1);
    std::unique_ptr<SimUnit> second = MakeTestUnit(2);
    std::unique_ptr<SimUnit> third = MakeTestUnit(3);
    LinkEndpoint link;
    SimFaults faults;

    void SetUp() override { link.units.push_back({-1, first.get()}); }

    void Bus()
    {
        link.rs485 = true;
        link.units = {{0, first.get()}, {5, second.get()}, {7, third.get()}};
    }

    void Feed(const std::string& bytes, int64_t nowMs = 0, FILE* log = nullptr)
    {
        FeedLink(link, bytes.data(), static_cast<int>(bytes.size()), nowMs, faults, log);
    }

    // Everything due at `nowMs`, in order, as written pieces.
    std::vector<std::string> Written(int64_t nowMs = 0)
    {
        std::vector<std::string> pieces;
        const char* data = nullptr;
        while (int n = DueBytes(link, nowMs, &data)) {
            pieces.emplace_back(data, static_cast<size_t>(n));
            ConsumeBytes(link, n);
        }
        return pieces;
    }

    std::string WrittenText(int64_t nowMs = 0)
    {
        std::string all;
        for (const std::string& piece : Written(nowMs))
            all += piece;
        return all;
    }
};

using Pieces = std::vector<std::string>;

// ---- Line assembly ---------------------------------------------------------------

TEST_F(SimLinkTest, LinesArriveInPieces)
{
    Feed("RO");
    EXPECT_EQ(NextWriteDue(link), kNever);
    Feed("P\r");
    EXPECT_TRUE(Written().empty());
    Feed("\nOP0");
    EXPECT_EQ(Written(), Pieces{"OP01\r\n"});
    Feed("5\r\nROP\r\n");
    EXPECT_EQ(WrittenText(), "GO\r\nOP05\r\n");
}

TEST_F(SimLinkTest, LineFeedAloneEndsALineAndBlankLinesAreIgnored)
{
    Feed("ROP\n\r\n\n");
    EXPECT_EQ(Written(), Pieces{"OP01\r\n"});
}

TEST_F(SimLinkTest, OverlongLineIsRefusedOnceAndTheNextLineIsFine)
{
    Feed("OP05" + std::string(3000, '1') + "\r\nROP\r\n");
    EXPECT_EQ(Written(), (Pieces{"E3\r\n", "OP01\r\n"}));
    EXPECT_EQ(first->settings.CurrentDisplayPattern, 0);
}

TEST_F(SimLinkTest, LineErrorsAreReportedInsteadOfActing)
{
    Feed("OP0");
    MarkLineError(link, kLineErrorParity);
    MarkLineError(link, kLineErrorOverrun);   // the first error of a line counts
    Feed("5\r\n");
    MarkLineError(link, kLineErrorFraming);
    Feed("OP06\r\n");
    MarkLineError(link, kLineErrorOverrun);
    Feed("OP07\r\nOP08\r\n");
    EXPECT_EQ(WrittenText(), "E1\r\nE0\r\nE2\r\nGO\r\n");
    EXPECT_EQ(first->settings.CurrentDisplayPattern, 7);
}

TEST_F(SimLinkTest, TcpLinkAnswersIdentificationInItsForm)
{
    link.kind = kSimLinkTcp;
    Feed("RVN\r\n");
    EXPECT_EQ(WrittenText(), "VN KVR-2840E v1.00\r\n");
}

// ---- RS-485 --------------------------------------------------------------------------

TEST_F(SimLinkTest, AddressedUnitAnswersWithItsAddressInFront)
{
    Bus();
    Feed("05OP03\r\n07ROP\r\n05ROP\r\n00REMA\r\n");
    EXPECT_EQ(Written(), (Pieces{"05GO\r\n", "07OP01\r\n", "05OP03\r\n", "00EMA02-4B-56-52-00-01\r\n"}));
    EXPECT_EQ(second->settings.CurrentDisplayPattern, 2);
    EXPECT_EQ(first->settings.CurrentDisplayPattern, 0);
    EXPECT_EQ(third->settings.CurrentDisplayPattern, 0);
}

TEST_F(SimLinkTest, BroadcastIsAppliedByEveryUnitAndAnsweredByNone)
{
    Bus();
    Feed("FFOP09\r\nFFXYZ\r\n");
    EXPECT_EQ(NextWriteDue(link), kNever);
    for (SimUnit* unit : {first.get(), second.get(), third.get()})
        EXPECT_EQ(unit->settings.CurrentDisplayPattern, 8);
}

TEST_F(SimLinkTest, OtherAddressesAndBrokenPrefixesAreSilent)
{
    Bus();
    Feed("06OP09\r\n31ROP\r\nOP09\r\n5\r\nX5ROP\r\n0\r\n");
    EXPECT_EQ(NextWriteDue(link), kNever);
    EXPECT_EQ(second->settings.CurrentDisplayPattern, 0);
}

TEST_F(SimLinkTest, MalformedCommandToAUnitIsRefusedWithItsAddress)
{
    Bus();
    Feed("07OP33\r\n07\r\n");
    EXPECT_EQ(Written(), (Pieces{"07E3\r\n", "07E3\r\n"}));
}

TEST_F(SimLinkTest, AddressList)
{
    std::vector<int> addresses;
    EXPECT_TRUE(ParseAddressList("0,5,7", addresses));
    EXPECT_EQ(addresses, (std::vector<int>{0, 5, 7}));
    EXPECT_TRUE(ParseAddressList("31,00,09", addresses));
    EXPECT_EQ(addresses, (std::vector<int>{31, 0, 9}));
    EXPECT_TRUE(ParseAddressList("0-3,7", addresses));
    EXPECT_EQ(addresses, (std::vector<int>{0, 1, 2, 3, 7}));
    for (const char* bad : {"", "32", "5,5", "05,5", "1,", ",1", "1;2", "001", "a", "1,,2", "5-3", "0-32", "0-3,2", "1-"})
        EXPECT_FALSE(ParseAddressList(bad, addresses)) << bad;
}

// ---- Faults ----------------------------------------------------------------------------

TEST_F(SimLinkTest, NoReplyStillApplies)
{
    faults.noReply = true;
    Feed("OP04\r\nROP\r\nOP99\r\n");
    EXPECT_EQ(NextWriteDue(link), kNever);
    EXPECT_EQ(first->settings.CurrentDisplayPattern, 3);
}

TEST_F(SimLinkTest, ReplyDelayAndOrder)
{
    faults.replyDelayMs = 250;
    Feed("ROP\r\n", 1000);
    EXPECT_EQ(NextWriteDue(link), 1250);
    EXPECT_TRUE(Written(1249).empty());
    EXPECT_EQ(Written(1250), Pieces{"OP01\r\n"});
    // A later command never overtakes an earlier reply.
    Feed("OP02\r\n", 2000);
    faults.replyDelayMs = 0;
    Feed("ROP\r\n", 2001);
    EXPECT_EQ(NextWriteDue(link), 2250);
    EXPECT_TRUE(Written(2249).empty());
    EXPECT_EQ(Written(2250), (Pieces{"GO\r\n", "OP02\r\n"}));
}

TEST_F(SimLinkTest, SplitRepliesComeInTwoWritesAHundredMillisecondsApart)
{
    faults.split = true;
    Feed("ROP\r\n", 500);
    EXPECT_EQ(Written(500), Pieces{"OP0"});
    EXPECT_EQ(NextWriteDue(link), 600);
    EXPECT_TRUE(Written(599).empty());
    EXPECT_EQ(Written(600), Pieces{"1\r\n"});

    // With an address in front and a short reply the first piece still has no line feed.
    Bus();
    Feed("05OP02\r\n", 1000);
    EXPECT_EQ(Written(1000), Pieces{"05G"});
    EXPECT_EQ(Written(1100), Pieces{"O\r\n"});
}

TEST_F(SimLinkTest, PartialWritesResumeWhereTheyStopped)
{
    Feed("ROP01\r\n");
    const char* data = nullptr;
    ASSERT_EQ(DueBytes(link, 0, &data), 54);
    ConsumeBytes(link, 10);
    ASSERT_EQ(DueBytes(link, 0, &data), 44);
    EXPECT_EQ(std::string(data, 4), "I03I");
    ConsumeBytes(link, 44);
    EXPECT_EQ(NextWriteDue(link), kNever);
}

TEST_F(SimLinkTest, StatusWordReplacesGoAndTheSettingIsNotTaken)
{
    for (const char* word : {"MENU", "ALARM", "LOCK", "GN", "E0", "E1", "E2", "E3"}) {
        SCOPED_TRACE(word);
        snprintf(faults.statusWord, sizeof faults.statusWord, "%s", word);
        Feed("OP05\r\nROP\r\nOP99\r\n");
        EXPECT_EQ(WrittenText(), std::string(word) + "\r\nOP01\r\nE3\r\n");
        EXPECT_EQ(first->settings.CurrentDisplayPattern, 0);
    }
}

TEST_F(SimLinkTest, EveryNthCommandIsRefusedPerUnit)
{
    faults.errorEvery = 3;
    Feed("OP02\r\nOP03\r\nOP04\r\nROP\r\nROP\r\nROP\r\n");
    EXPECT_EQ(WrittenText(), "GO\r\nGO\r\nE3\r\nOP03\r\nOP03\r\nE3\r\n");
    EXPECT_EQ(first->settings.CurrentDisplayPattern, 2);

    // Each unit of a bus counts its own commands; broadcasts are not counted.
    Bus();
    Feed("05ROP\r\nFFOP10\r\n07ROP\r\n05ROP\r\n05ROP\r\n");
    EXPECT_EQ(WrittenText(), "05OP01\r\n07OP10\r\n05OP10\r\n05E3\r\n");
}

TEST_F(SimLinkTest, HangingUpWaitsForTheLastCommandsReply)
{
    EXPECT_FALSE(LinkAnsweredItsLast(link, 0));   // no hang-up asked for
    faults.split = true;
    Feed("ROP\r\n\r\n", 0);   // a blank line is no command
    EXPECT_EQ(link.commandLines, 1);
    EXPECT_EQ(Written(0), Pieces{"OP0"});
    EXPECT_FALSE(LinkAnsweredItsLast(link, 2));
    Feed("ROP\r\n", 50);
    // The second reply's pieces are still queued.
    EXPECT_FALSE(LinkAnsweredItsLast(link, 2));
    EXPECT_EQ(WrittenText(200), "1\r\nOP01\r\n");
    EXPECT_TRUE(LinkAnsweredItsLast(link, 2));
    EXPECT_FALSE(LinkAnsweredItsLast(link, 3));
    EXPECT_FALSE(LinkAnsweredItsLast(link, 0));

    // Without replies the command itself is the last thing.
    LinkEndpoint silent;
    silent.units.push_back({-1, first.get()});
    faults.noReply = true;
    FeedLink(silent, "OP04\r\n", 6, 0, faults, nullptr);
    EXPECT_TRUE(LinkAnsweredItsLast(silent, 1));
}

TEST_F(SimLinkTest, LogHasEveryLineAsReceived)
{
    FILE* log = tmpfile();
    ASSERT_NE(log, nullptr);
    Bus();
    Feed("05ROP\r\n09OP01\r\nFFOP02\n\r\n", 0, log);
    rewind(log);
    char buffer[256] = {};
    const size_t n = fread(buffer, 1, sizeof buffer - 1, log);
    fclose(log);
    EXPECT_EQ(std::string(buffer, n), "05ROP\n09OP01\nFFOP02\n");
}

} // namespace

// ---- Line speed ------------------------------------------------------------------

// At 9600 baud a character takes 1146 µs (11 bits). A command counts from
// when its last character would have arrived, and its reply leaves no faster
// than the line, however fast the bytes came and however often the link is
// asked.
TEST_F(SimLinkTest, TheLineSpeedPacesCommandsAndReplies)
{
    EXPECT_EQ(CharacterMicroseconds(9600), 1146);
    link.baud = 9600;
    Feed("ROE\r\n", 0);   // 5 characters: the last arrives at 5.73 ms
    EXPECT_EQ(NextWriteDue(link), 8);   // the reply's first character is sent by 6 + 1.146 ms
    EXPECT_TRUE(Written(5).empty());
    const std::string reply = "OE" + std::string(16, 'N') + "\r\n";   // 20 characters
    std::string out;
    int64_t lastMs = 0;
    for (int64_t ms = 0; ms <= 40; ++ms) {
        const std::string now = WrittenText(ms);
        EXPECT_LE(out.size() + now.size(), static_cast<size_t>((ms * 1000 - 6000) / 1146 + 1)) << ms;
        if (!now.empty())
            lastMs = ms;
        out += now;
    }
    EXPECT_EQ(out, reply);
    EXPECT_EQ(lastMs, 6 + (20 * 1146 + 999) / 1000);   // 29 ms: 20 characters after the command
    // A second command right behind the first: its reply waits for the line.
    Feed("ROE\r\n", 29);
    EXPECT_GE(NextWriteDue(link), 29 + 6 + 1);
    link.baud = 0;
    EXPECT_EQ(WrittenText(1000), reply);
}
