#include <cstring>
#include <string>
#include <vector>

#include "app/status_timer.h"
#include "link/link_state.h"
#include "link/send_path.h"
#include "link/tcp_state.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"
#include "test_support.h"

namespace {

int RedrawCalls = 0;
void CountRedraw()
{
    ++RedrawCalls;
}
void CountStatusDraw(const IoStatusRecord&)
{
    ++RedrawCalls;
}

} // namespace

class ReplyParserTest : public CoreTest {
protected:
    // The replies are stored into this model, not the program's.
    DeviceModelData m;

    void SetUp() override
    {
        CoreTest::SetUp();
        ResetModelToStartValues(m);
        RedrawCalls = 0;
    }

    // Sends nothing; marks a command as outstanding, as the send path would.
    void Outstanding(int phase = kPhaseSingle)
    {
        TransactionState.busy = 1;
        TransactionState.replyWait = 3;
        TransactionState.sequencePhase = phase;
        TransactionState.completionCode = 0;
        TransactionState.replyStatus = 0;
    }

    // One serial reply to an outstanding command; returns the reply status.
    int Serial(const std::string& line)
    {
        Outstanding();
        ParseSerialReply(m, line.c_str());
        EXPECT_EQ(TransactionState.busy, 0);
        EXPECT_EQ(TransactionState.replyWait, 0);
        return TransactionState.replyStatus;
    }

    // The same line on the dialog side.
    int Dialog(const std::string& line)
    {
        Outstanding();
        EXPECT_EQ(ParseDialogReply(m, line.data(), static_cast<int>(line.size())), kDialogReplyDone);
        EXPECT_EQ(TransactionState.busy, 0);
        return TransactionState.replyStatus;
    }

    // A malformed line leaves the whole model as it was on both entries.
    void ExpectRefusedEverywhere(const std::string& line)
    {
        DeviceModelData before = m;
        EXPECT_EQ(Serial(line), kReplyCommandError) << line;
        EXPECT_EQ(TransactionState.completionCode, 0) << line;
        EXPECT_EQ(Dialog(line), kReplyCommandError) << line;
        EXPECT_EQ(0, memcmp(&before, &m, sizeof m)) << "model changed by " << line;
    }
};

TEST_F(ReplyParserTest, SerialStatusWords)
{
    const char* words[] = {"MENU\r\n", "ALARM\r\n", "LOCK\r\n", "GN\r\n",
                           "E0\r\n", "E1\r\n", "E2\r\n", "E3\r\n"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(Serial(words[i]), i + 1) << words[i];
        EXPECT_EQ(TransactionState.completionCode, 0);
    }
    // A word is the whole line: one that only begins with it is unknown text,
    // refused on the serial side and taken as success on the dialog side.
    for (const char* longer : {"MENUS\r\n", "E0X\r\n", "GNX\r\n", "E3 \r\n", "GOX\r\n"}) {
        EXPECT_EQ(Serial(longer), kReplyCommandError) << longer;
        if (longer[0] != 'G' || longer[1] != 'O') {
            EXPECT_EQ(Dialog(longer), kReplyGood) << longer;
        }
    }
}

TEST_F(ReplyParserTest, SerialGoCompletesByPhase)
{
    EXPECT_EQ(Serial("GO\r\n"), kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);

    Outstanding(kPhaseRunning);
    ParseSerialReply(m, "GO\r\n");
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, 0);

    Outstanding(kPhaseLast);
    ParseSerialReply(m, "GO\r\n");
    EXPECT_EQ(TransactionState.completionCode, kCompletionSequence);
    EXPECT_EQ(TransactionState.busy, 0);
}

TEST_F(ReplyParserTest, SerialGoWithNothingOutstandingIsACommandError)
{
    TransactionState.busy = 0;
    ParseSerialReply(m, "GO\r\n");
    EXPECT_EQ(TransactionState.replyStatus, kReplyCommandError);
    EXPECT_EQ(TransactionState.completionCode, 0);
}

TEST_F(ReplyParserTest, SerialUnknownTextIsACommandError)
{
    EXPECT_EQ(Serial("HELLO\r\n"), kReplyCommandError);
    EXPECT_EQ(Serial("GO\r\nGO\r\n"), kReplyCommandError);
    EXPECT_EQ(Serial(""), kReplyCommandError);
}

TEST_F(ReplyParserTest, Rs485PrefixIsDroppedOnlyForTheSelectedUnit)
{
    ControlMode = kControlRs485;
    SlaveAddress = 5;
    EXPECT_EQ(Serial("05GO\r\n"), kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    EXPECT_EQ(Serial("06GO\r\n"), kReplyCommandError);
    EXPECT_EQ(Serial("05E3\r\n"), kReplyCommandError);
    EXPECT_EQ(Serial("05LOCK\r\n"), kReplyLock);
    EXPECT_EQ(Serial("05OP07\r\n"), kReplyGood);
    EXPECT_EQ(m.CurrentDisplayPattern, 6);

    // On RS-232C a leading "05" is part of the line.
    ControlMode = kControlRs232c;
    EXPECT_EQ(Serial("05GO\r\n"), kReplyCommandError);
}

TEST_F(ReplyParserTest, OpShortForm)
{
    EXPECT_EQ(Serial("OP05\r\n"), kReplyGood);
    EXPECT_EQ(m.CurrentDisplayPattern, 4);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    EXPECT_EQ(Serial("OPFR\r\n"), kReplyGood);
    EXPECT_EQ(m.CurrentDisplayPattern, kFreePattern);
    EXPECT_EQ(Serial("OP32\r\n"), kReplyGood);
    EXPECT_EQ(m.CurrentDisplayPattern, 31);
    ExpectRefusedEverywhere("OP33\r\n");
    ExpectRefusedEverywhere("OP00\r\n");
    ExpectRefusedEverywhere("OPF1\r\n");
}

TEST_F(ReplyParserTest, OpFullForm)
{
    const std::string row = "I64S01I03I04I05I06I07I08I09I10I11I12I13I14I15S32";
    EXPECT_EQ(Serial("OP07" + row + "\r\n"), kReplyGood);
    EXPECT_EQ(m.DisplayPatternTable[6][0], 63);
    EXPECT_EQ(m.DisplayPatternTable[6][1], 64);
    EXPECT_EQ(m.DisplayPatternTable[6][15], 95);
    EXPECT_EQ(m.DisplayPatternTable[6][2], 2);

    std::string bad = row;
    bad[18] = 'X';   // the 7th entry
    ExpectRefusedEverywhere("OP07" + bad + "\r\n");
    ExpectRefusedEverywhere("OP33" + row + "\r\n");
    ExpectRefusedEverywhere("OP07" + row + "\n");
    ExpectRefusedEverywhere("OP07" + row.substr(3) + "\r\n");
    std::string outOfRange = row;
    outOfRange.replace(0, 3, "I65");
    ExpectRefusedEverywhere("OP07" + outOfRange + "\r\n");
    std::string badPattern = row;
    badPattern.replace(3, 3, "S33");
    ExpectRefusedEverywhere("OP07" + badPattern + "\r\n");
}

TEST_F(ReplyParserTest, AutoSwitchPattern)
{
    EXPECT_EQ(Serial("SP32" + std::string("99") + Repeat("00", 63) + "\r\n"), kReplyGood);
    EXPECT_EQ(m.AutoSwitchPatternTable[31][0], 99);
    EXPECT_EQ(m.AutoSwitchPatternTable[31][63], 0);
    ExpectRefusedEverywhere("SP01" + Repeat("05", 63) + "\r\n");
    ExpectRefusedEverywhere("SP00" + Repeat("05", 64) + "\r\n");
    ExpectRefusedEverywhere("SP01" + Repeat("05", 63) + "0a\r\n");
}

TEST_F(ReplyParserTest, AlarmSettings)
{
    EXPECT_EQ(Serial("AIPB\r\n"), kReplyGood);
    EXPECT_EQ(m.AlarmSettings.inputPolarity, 1);
    EXPECT_EQ(Serial("AIPM\r\n"), kReplyGood);
    EXPECT_EQ(m.AlarmSettings.inputPolarity, 0);
    ExpectRefusedEverywhere("AIPX\r\n");
    ExpectRefusedEverywhere("AIPMM\r\n");

    EXPECT_EQ(Serial("ADT05\r\n"), kReplyGood);
    EXPECT_EQ(m.AlarmSettings.holdTime, 5);
    EXPECT_STREQ(m.AlarmSettings.holdTimeText, "5");
    EXPECT_EQ(Serial("ADT99\r\n"), kReplyGood);
    EXPECT_STREQ(m.AlarmSettings.holdTimeText, "99");
    ExpectRefusedEverywhere("ADT5a\r\n");
    ExpectRefusedEverywhere("ADT5\r\n");

    EXPECT_EQ(Serial("ABOOF\r\n"), kReplyGood);
    EXPECT_EQ(m.AlarmSettings.buzzer, 0);
    ExpectRefusedEverywhere("ABOOX\r\n");
    EXPECT_EQ(Serial("ADOF\r\n"), kReplyGood);
    EXPECT_EQ(m.AlarmSettings.alarmDisplay, 0);
    EXPECT_EQ(Serial("ADON\r\n"), kReplyGood);
    EXPECT_EQ(m.AlarmSettings.alarmDisplay, 1);
    ExpectRefusedEverywhere("ADO1\r\n");
    EXPECT_EQ(Serial("AROF\r\n"), kReplyGood);
    EXPECT_EQ(m.AlarmSettings.autoReturn, 0);
    ExpectRefusedEverywhere("ARO\r\n");
}

TEST_F(ReplyParserTest, AlarmInputAndOutputs)
{
    EXPECT_EQ(Serial("AIN" + Repeat("64", 31) + "01\r\n"), kReplyGood);
    EXPECT_EQ(m.AlarmInputChannel[0], 63);
    EXPECT_EQ(m.AlarmInputChannel[31], 0);
    ExpectRefusedEverywhere("AIN" + Repeat("05", 31) + "00\r\n");
    ExpectRefusedEverywhere("AIN" + Repeat("05", 31) + "65\r\n");
    ExpectRefusedEverywhere("AIN" + Repeat("05", 31) + "\r\n");

    EXPECT_EQ(Serial("AOM" + Repeat("FFFN", 64) + "\r\n"), kReplyGood);
    EXPECT_EQ(m.AlarmVideoOutput[0][0], 0);
    EXPECT_EQ(m.AlarmVideoOutput[63][3], 1);
    ExpectRefusedEverywhere("AOM" + Repeat("NNNN", 63) + "NNNX\r\n");
    ExpectRefusedEverywhere("AOM" + Repeat("NNNN", 63) + "\r\n");

    EXPECT_EQ(Serial("AOS" + Repeat("NFFFFN", 64) + "\r\n"), kReplyGood);
    EXPECT_EQ(m.AlarmSignalOutput[10][5], 1);
    EXPECT_EQ(m.AlarmSignalOutput[10][1], 0);
    ExpectRefusedEverywhere("AOS" + Repeat("NFFFFN", 64) + "F\r\n");
}

TEST_F(ReplyParserTest, DateTimeReplies)
{
    EXPECT_EQ(Serial("TSDR5\r\n"), kReplyGood);
    EXPECT_EQ(m.DateTimeFormat, 4);
    ExpectRefusedEverywhere("TSDR9\r\n");
    ExpectRefusedEverywhere("TSDR0\r\n");
    EXPECT_EQ(Serial("TSDSS\r\n"), kReplyGood);
    EXPECT_EQ(m.DateTimeSize, 1);
    ExpectRefusedEverywhere("TSDSX\r\n");

    EXPECT_EQ(Serial("TSI" + Repeat("F", 63) + "N\r\n"), kReplyGood);
    EXPECT_EQ(m.DateTimeDisplayInput[0], 0);
    EXPECT_EQ(m.DateTimeDisplayInput[63], 1);
    ExpectRefusedEverywhere("TSI" + Repeat("F", 63) + "\r\n");
    ExpectRefusedEverywhere("TSI" + Repeat("F", 63) + "Y\r\n");
    EXPECT_EQ(Serial("TSO" + Repeat("F", 16) + "\r\n"), kReplyGood);
    EXPECT_EQ(m.DateTimeDisplayOutput[15], 0);
    ExpectRefusedEverywhere("TSO" + Repeat("F", 15) + "\r\n");
}

TEST_F(ReplyParserTest, TitleDisplayPositionSizeAndFinePosition)
{
    EXPECT_EQ(Serial("CTI" + Repeat("F", 64) + "\r\n"), kReplyGood);
    EXPECT_EQ(m.TitleDisplayInput[5], 0);
    ExpectRefusedEverywhere("CTI" + Repeat("F", 65) + "\r\n");
    EXPECT_EQ(Serial("CTO" + Repeat("FN", 8) + "\r\n"), kReplyGood);
    EXPECT_EQ(m.TitleDisplayOutput[0], 0);
    EXPECT_EQ(m.TitleDisplayOutput[1], 1);

    // "CTPI" and "CTSI" are not titles, although they begin with "CT".
    EXPECT_EQ(Serial("CTPI" + Repeat("T", 63) + "B\r\n"), kReplyGood);
    EXPECT_EQ(m.TitlePosition[0], 1);
    EXPECT_EQ(m.TitlePosition[63], 0);
    ExpectRefusedEverywhere("CTPI" + Repeat("T", 63) + "M\r\n");
    EXPECT_EQ(Serial("CTSI" + Repeat("LMS", 21) + "L\r\n"), kReplyGood);
    EXPECT_EQ(m.TitleFontSize[0], 0);
    EXPECT_EQ(m.TitleFontSize[1], 1);
    EXPECT_EQ(m.TitleFontSize[2], 2);
    ExpectRefusedEverywhere("CTSI" + Repeat("L", 63) + "T\r\n");

    EXPECT_EQ(Serial("CTAT07\r\n"), kReplyGood);
    EXPECT_EQ(m.TitleFineTop, 6);
    EXPECT_EQ(Serial("CTAB16\r\n"), kReplyGood);
    EXPECT_EQ(m.TitleFineBottom, 15);
    ExpectRefusedEverywhere("CTAT17\r\n");
    ExpectRefusedEverywhere("CTAT00\r\n");
    ExpectRefusedEverywhere("CTAX05\r\n");
}

TEST_F(ReplyParserTest, TitleReplies)
{
    // ＣＨ０２ then spaces: trailing spaces are dropped.
    EXPECT_EQ(Serial("CT02" "2343" "2348" "2330" "2332" + Repeat("2121", 24) + "\r\n"), kReplyGood);
    EXPECT_STREQ(m.TitleText[1], "\x82\x62\x82\x67\x82\x4f\x82\x51");

    // The short form of 14 codes; lower-case digits are understood.
    EXPECT_EQ(Serial("CT03" "3021" + Repeat("2121", 12) + "3021" "\r\n"), kReplyGood);
    EXPECT_EQ(std::string(m.TitleText[2]), "\x88\x9F" + Repeat("\x81\x40", 12) + "\x88\x9F");
    EXPECT_EQ(Serial("CT04" "234a" + Repeat("2121", 20) + "\r\n"), kReplyGood);
    EXPECT_STREQ(m.TitleText[3], "\x82\x69");
    // The last code of the 21-code form is a character like the others.
    EXPECT_EQ(Serial("CT04" "2341" + Repeat("2121", 19) + "2342" "\r\n"), kReplyGood);
    EXPECT_EQ(std::string(m.TitleText[3]), "\x82\x60" + Repeat("\x81\x40", 19) + "\x82\x61");

    // 7C7E is the last code decoded; 7C7F already becomes a kept space.
    EXPECT_EQ(Serial("CT05" "7C7E" + Repeat("2121", 27) + "\r\n"), kReplyGood);
    EXPECT_STREQ(m.TitleText[4], "\xEE\xFC");
    EXPECT_EQ(Serial("CT05" "2341" "7C7F" + Repeat("2121", 26) + "\r\n"), kReplyGood);
    EXPECT_STREQ(m.TitleText[4], "\x82\x60\x81\x40");

    // A code above 7C7E becomes a full-width space that stays, even at the end.
    EXPECT_EQ(Serial("CT01" "2341" "7F21" + Repeat("2121", 26) + "\r\n"), kReplyGood);
    EXPECT_STREQ(m.TitleText[0], "\x82\x60\x81\x40");

    // All spaces: the empty title.
    EXPECT_EQ(Serial("CT64" + Repeat("2121", 28) + "\r\n"), kReplyGood);
    EXPECT_STREQ(m.TitleText[63], "");

    ExpectRefusedEverywhere("CT65" + Repeat("2121", 28) + "\r\n");
    ExpectRefusedEverywhere("CT00" + Repeat("2121", 28) + "\r\n");
    ExpectRefusedEverywhere("CT01" + Repeat("2121", 27) + "\r\n");
    ExpectRefusedEverywhere("CT01" + Repeat("2121", 27) + "21G1\r\n");
}

TEST_F(ReplyParserTest, PanelLock)
{
    EXPECT_EQ(Serial("PMON\r\n"), kReplyGood);
    EXPECT_EQ(m.PanelLock.menuLock, 1);
    EXPECT_EQ(Serial("POON\r\n"), kReplyGood);
    EXPECT_EQ(m.PanelLock.buttonLock, 1);
    ExpectRefusedEverywhere("POOX\r\n");
    EXPECT_EQ(Serial("PN123456\r\n"), kReplyGood);
    EXPECT_STREQ(m.PanelLock.password, "123456");
    ExpectRefusedEverywhere("PN12345\r\n");
    ExpectRefusedEverywhere("PNabcdef\r\n");
    EXPECT_STREQ(m.PanelLock.password, "123456");
}

TEST_F(ReplyParserTest, VideoOutputs)
{
    EXPECT_EQ(Serial("OENFNFNFNFNFNFNFNF\r\n"), kReplyGood);
    EXPECT_EQ(m.VideoOutputEnable[0], 1);
    EXPECT_EQ(m.VideoOutputEnable[1], 0);
    ExpectRefusedEverywhere("OENNNNNNNNNNNNNNNX\r\n");
    ExpectRefusedEverywhere("OENNNNNNNNNNNNNNN\r\n");
}

TEST_F(ReplyParserTest, GlyphData)
{
    strcpy(m.RequestedGlyphCode, "A365");
    m.RequestedGlyphSize = 'S';
    GlyphRepaintHook = CountRedraw;
    EXPECT_EQ(Serial("FBMSA365" "80" + Repeat("00", 70) + "0f\r\n"), kReplyGood);
    EXPECT_EQ(m.GlyphBitmap[0], 0x80);
    EXPECT_EQ(m.GlyphBitmap[71], 0x0F);
    EXPECT_EQ(RedrawCalls, 1);
    EXPECT_EQ(m.RequestedGlyphCode[0], '\0');   // answered: the read is no longer open
    strcpy(m.RequestedGlyphCode, "A365");
    // A well-formed reply of another size than the request.
    ExpectRefusedEverywhere("FBMLA365" + Repeat("FF", 288) + "\r\n");
    EXPECT_EQ(m.GlyphBitmap[72], 0x00);

    m.RequestedGlyphSize = 'L';
    EXPECT_EQ(Serial("FBMLA365" + Repeat("FF", 288) + "\r\n"), kReplyGood);
    EXPECT_EQ(m.GlyphBitmap[287], 0xFF);
    m.RequestedGlyphSize = 'M';
    strcpy(m.RequestedGlyphCode, "A365");
    EXPECT_EQ(Serial("FBMMA365" + Repeat("11", 128) + "\r\n"), kReplyGood);
    EXPECT_EQ(m.GlyphBitmap[127], 0x11);
    EXPECT_EQ(m.GlyphBitmap[128], 0xFF);
    m.RequestedGlyphSize = 'S';
    strcpy(m.RequestedGlyphCode, "A365");

    ExpectRefusedEverywhere("FBMSA366" + Repeat("00", 72) + "\r\n");   // not what was asked
    ExpectRefusedEverywhere("FBMSA365" + Repeat("00", 71) + "\r\n");
    ExpectRefusedEverywhere("FBMSA365" + Repeat("00", 128) + "\r\n"); // size letter and length disagree
    ExpectRefusedEverywhere("FBMXA365" + Repeat("00", 72) + "\r\n");
    ExpectRefusedEverywhere("FBMSA365" + Repeat("00", 71) + "0Z\r\n");
    m.RequestedGlyphCode[0] = '\0';
    ExpectRefusedEverywhere("FBMSA365" + Repeat("00", 72) + "\r\n");
    EXPECT_EQ(RedrawCalls, 3);
}

TEST_F(ReplyParserTest, LiveStatus)
{
    OutputChannelsDrawHook = CountStatusDraw;
    AutoSwitchMarksDrawHook = CountStatusDraw;
    VideoLossDrawHook = CountStatusDraw;
    EXPECT_EQ(Serial("OCD" + Repeat("64", 15) + "01\r\n"), kReplyGood);
    EXPECT_EQ(m.IoStatus.outputChannel[0], 63);
    EXPECT_EQ(m.IoStatus.outputChannel[15], 0);
    EXPECT_EQ(Serial("OCD" + Repeat("02", 16) + "\r\n"), kReplyGood);
    EXPECT_EQ(m.IoStatus.previousOutputChannel[0], 63);
    EXPECT_EQ(m.IoStatus.outputChannel[0], 1);
    ExpectRefusedEverywhere("OCD" + Repeat("02", 15) + "65\r\n");

    // I64 is the last input, S01 the first auto-switch pattern.
    EXPECT_EQ(Serial("OSI64S01" + Repeat("I01", 14) + "\r\n"), kReplyGood);
    EXPECT_EQ(m.IoStatus.outputSource[0], kOutputSourceInput);
    EXPECT_EQ(m.IoStatus.outputSource[1], 0);
    EXPECT_EQ(Serial("OSI05S03" + Repeat("I01", 14) + "\r\n"), kReplyGood);
    EXPECT_EQ(m.IoStatus.outputSource[0], kOutputSourceInput);
    EXPECT_EQ(m.IoStatus.outputSource[1], 2);
    EXPECT_EQ(Serial("OS" + Repeat("S32", 16) + "\r\n"), kReplyGood);
    EXPECT_EQ(m.IoStatus.previousOutputSource[1], 2);
    EXPECT_EQ(m.IoStatus.outputSource[1], 31);
    ExpectRefusedEverywhere("OS" + Repeat("S32", 15) + "X01\r\n");
    ExpectRefusedEverywhere("OS" + Repeat("S32", 15) + "S33\r\n");

    EXPECT_EQ(Serial("VL" + Repeat("N", 63) + "F\r\n"), kReplyGood);
    EXPECT_EQ(m.IoStatus.videoLoss[0], 1);
    EXPECT_EQ(m.IoStatus.videoLoss[63], 0);
    ExpectRefusedEverywhere("VL" + Repeat("N", 63) + "\r\n");
    EXPECT_EQ(Serial("VL" + Repeat("F", 64) + "\r\n"), kReplyGood);
    EXPECT_EQ(m.IoStatus.previousVideoLoss[0], 1);   // the copy is of the reply before
    EXPECT_EQ(m.IoStatus.previousVideoLoss[63], 0);
    EXPECT_EQ(m.IoStatus.videoLoss[0], 0);
    EXPECT_EQ(RedrawCalls, 7);
}

// A live-status reply of any other length, or with one bad field, changes
// nothing anywhere in the model (nothing is written past the live status).
TEST_F(ReplyParserTest, MalformedLiveStatusRepliesChangeNothing)
{
    const struct {
        std::string prefix, field;
        size_t length;   // of the good reply without CR LF
    } kReplies[] = {{"OCD", "07", 35}, {"OS", "S03", 50}, {"VL", "F", 66}};
    for (const auto& r : kReplies) {
        const std::string full = r.prefix + Repeat(r.field, kMaxReplyLineLength);
        for (size_t length = r.prefix.size(); length + 2 <= kMaxReplyLineLength; ++length)
            if (length != r.length)
                ExpectRefusedEverywhere(full.substr(0, length) + "\r\n");
    }
    const std::string kBadFields[] = {
        "OCD" + Repeat("02", 15) + "00\r\n",
        "OCD" + Repeat("02", 15) + "1A\r\n",
        "OS" + Repeat("I01", 15) + "I65\r\n",
        "VL" + Repeat("N", 63) + "X\r\n",
    };
    for (const std::string& line : kBadFields)
        ExpectRefusedEverywhere(line);
}

TEST_F(ReplyParserTest, UnitNetworkReplies)
{
    EXPECT_EQ(Serial("EIA010.001.002.254\r\n"), kReplyGood);
    const int ip[4] = {10, 1, 2, 254};
    EXPECT_EQ(0, memcmp(m.UnitNetwork.ipAddress, ip, sizeof ip));
    EXPECT_EQ(Serial("EGA192.168.000.001\r\n"), kReplyGood);
    EXPECT_EQ(m.UnitNetwork.gatewayAddress[3], 1);
    EXPECT_EQ(Serial("EAA192.168.000.009\r\n"), kReplyGood);
    EXPECT_EQ(m.UnitNetwork.activeAddress[3], 9);
    EXPECT_EQ(Serial("ESM255.255.000.000\r\n"), kReplyGood);
    EXPECT_EQ(m.UnitNetwork.subnetMask[2], 0);
    ExpectRefusedEverywhere("EIA010.001.002.256\r\n");
    ExpectRefusedEverywhere("EIA010.001.002.25\r\n");
    ExpectRefusedEverywhere("ESM255.255.0x0.000\r\n");

    EXPECT_EQ(Serial("ECTON\r\n"), kReplyGood);
    EXPECT_EQ(m.UnitNetwork.connectionTry, 1);
    EXPECT_EQ(Serial("EKAON\r\n"), kReplyGood);
    EXPECT_EQ(m.UnitNetwork.keepAlive, 1);
    ExpectRefusedEverywhere("EKANO\r\n");
    EXPECT_EQ(Serial("ESPN08000\r\n"), kReplyGood);
    EXPECT_STREQ(m.UnitNetwork.sourcePortText, "08000");
    EXPECT_EQ(Serial("EDPN12345\r\n"), kReplyGood);
    EXPECT_STREQ(m.UnitNetwork.destinationPortText, "12345");
    for (const char* bad : {"EDPN1234\r\n", "EDPN99999\r\n", "EDPN00000\r\n", "ESPNabcde\r\n", "ESPN6553x\r\n",
                            "ESPN0800\r\n", "ESPN080000\r\n"})
        ExpectRefusedEverywhere(bad);
    EXPECT_EQ(Serial("ESPN65535\r\n"), kReplyGood);
    EXPECT_EQ(Serial("ETR8\r\n"), kReplyGood);
    EXPECT_EQ(m.UnitNetwork.timeRegister, 7);
    ExpectRefusedEverywhere("ETR9\r\n");

    EXPECT_EQ(Serial("EMA00-90-CC-12-34-56\r\n"), kReplyGood);
    EXPECT_STREQ(m.UnitNetwork.macAddressText, "00-90-CC-12-34-56");
    for (const char* bad : {"EMA00-90-CC\r\n", "EMAzzzzzzzzzzzzzzzzz\r\n", "EMA00:90:CC:12:34:56\r\n",
                            "EMA00-90-CC-12-34-5G\r\n"}) {
        EXPECT_EQ(Serial(bad), kReplyCommandError) << bad;
        EXPECT_STREQ(m.UnitNetwork.macAddressText, "00-90-CC-12-34-56");
    }
}

TEST_F(ReplyParserTest, IdentificationDiffersBetweenTheEntries)
{
    // The version stands at characters 14..17, CR LF at 18.
    EXPECT_EQ(Serial("KVR-2840E ver.1.23\r\n"), kReplyGood);
    EXPECT_STREQ(m.UnitNetwork.firmwareVersionText, "1.23");
    EXPECT_EQ(Serial("KVR-2840E ver1.23\r\n"), kReplyCommandError);
    EXPECT_EQ(Serial("VN KVR-2840E v1.50\r\n"), kReplyCommandError);
    // Any four printable ASCII characters are a version, kept as sent.
    for (const char* version : {"1.0A", "V1.1", "abcd", "1 2~"}) {
        const std::string reply = std::string("KVR-2840E ver.") + version + "\r\n";
        EXPECT_EQ(Serial(reply.c_str()), kReplyGood) << version;
        EXPECT_STREQ(m.UnitNetwork.firmwareVersionText, version);
    }
    // A control character, a byte at or above 0x80, or a wrong length is not.
    for (const char* bad : {"KVR-2840E ver.1\t23\r\n", "KVR-2840E ver.1\x7F" "23\r\n",
                            "KVR-2840E ver.1\x80" "23\r\n", "KVR-2840E ver.1.234\r\n",
                            "KVR-2840E ver.1.2\r\n"})
        EXPECT_EQ(Serial(bad), kReplyCommandError) << bad;
    EXPECT_STREQ(m.UnitNetwork.firmwareVersionText, "1 2~");
    EXPECT_EQ(Serial("KVR-2840E ver.1.23\r\n"), kReplyGood);

    EXPECT_EQ(Dialog("VN KVR-2840E v2.00\r\n"), kReplyGood);
    EXPECT_STREQ(m.UnitNetwork.firmwareVersionText, "2.00");
    EXPECT_EQ(Dialog("VN KVR-2840E v2.0\r\n"), kReplyCommandError);
    // The dialog side does not know the serial form: unknown text is success.
    EXPECT_EQ(Dialog("KVR-2840E ver.3.00\r\n"), kReplyGood);
    EXPECT_STREQ(m.UnitNetwork.firmwareVersionText, "2.00");
}

TEST_F(ReplyParserTest, DialogSideOrderAndUnknownText)
{
    EXPECT_EQ(Dialog("GO\r\n"), kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    EXPECT_EQ(Dialog("GOOD\r\n"), kReplyGood);
    EXPECT_EQ(Dialog("E3\r\n"), kReplyCommandError);
    EXPECT_EQ(Dialog("MENU\r\n"), kReplyMenu);
    EXPECT_EQ(TransactionState.completionCode, 0);
    EXPECT_EQ(Dialog("HELLO\r\n"), kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    // "EMA" is not applied on this side, and counts as success.
    EXPECT_EQ(Dialog("EMA00-90-CC-12-34-56\r\n"), kReplyGood);
    EXPECT_STREQ(m.UnitNetwork.macAddressText, "");

    Outstanding(kPhaseLast);
    TransactionState.sendFailed = 1;
    ParseDialogReply(m, "GO\r\n", 4);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSequence);
    EXPECT_EQ(TransactionState.sendFailed, 0);
}

TEST_F(ReplyParserTest, DialogSideJoinsChunks)
{
    Outstanding();
    EXPECT_EQ(ParseDialogReply(m, "OP0", 3), kDialogReplyPartial);
    // Still outstanding: nothing may be sent, and a missing rest times out.
    EXPECT_EQ(TransactionState.busy, 1);
    EXPECT_EQ(TransactionState.replyWait, 3);
    EXPECT_EQ(m.CurrentDisplayPattern, 0);
    EXPECT_EQ(ParseDialogReply(m, "9\r", 2), kDialogReplyPartial);
    EXPECT_EQ(ParseDialogReply(m, "\n", 1), kDialogReplyDone);
    EXPECT_EQ(m.CurrentDisplayPattern, 8);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.replyWait, 0);

    // The next reply starts a new line.
    Outstanding();
    EXPECT_EQ(ParseDialogReply(m, "OP10\r\n", 6), kDialogReplyDone);
    EXPECT_EQ(m.CurrentDisplayPattern, 9);
}

TEST_F(ReplyParserTest, DialogSideClosedConnection)
{
    Outstanding();
    ParseDialogReply(m, "OP0", 3);
    EXPECT_EQ(ParseDialogReply(m, "", 0), kDialogReplyClosed);
    EXPECT_EQ(TransactionState.sendFailed, 1);
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.replyWait, 0);
    // The half line is gone: the next reply stands on its own.
    Outstanding();
    EXPECT_EQ(ParseDialogReply(m, "OP02\r\n", 6), kDialogReplyDone);
    EXPECT_EQ(m.CurrentDisplayPattern, 1);
}

// A piece of a reply is thrown away whenever its command ends without the
// rest, and when the connection that commands go to changes: the next
// reply stands on its own ("OP0" + "GO" would be refused, "G" + "E3" taken
// as unknown text, that is success).
TEST_F(ReplyParserTest, DialogSidePieceDoesNotOutliveItsCommand)
{
    struct Ending {
        const char* name;
        void (*end)();
    };
    const Ending endings[] = {
        {"no answer", [] { FailCommand("Answer が､きません"); }},
        {"time-out", [] {
             for (int i = 0; i < kReplyTimeoutTicks && TransactionState.replyWait; ++i)
                 StatusTimerTick();
         }},
        {"connected", [] { SetTcpConnected(1); }},
        {"all closed", [] { ResetConnectionState(); }},
        {"selected unit closed", [] {
             ClientServerMode = kModeServer;
             TakeConnectionEntry(1, 100, "127.0.0.1");
             SelectServerEntry(1);
             FreeConnectionEntry(1);
         }},
    };
    const struct {
        const char* piece;
        const char* next;
        int status;
    } cases[] = {{"OP0", "GO\r\n", kReplyGood}, {"G", "E3\r\n", kReplyCommandError}};
    for (const Ending& ending : endings) {
        for (const auto& c : cases) {
            Outstanding();
            ASSERT_EQ(ParseDialogReply(m, c.piece, static_cast<int>(strlen(c.piece))), kDialogReplyPartial);
            ending.end();
            EXPECT_EQ(Dialog(c.next), c.status) << ending.name << ": " << c.piece;
        }
    }
}

// Every line of one receive is handled, in order; the command is a success
// only when all were good, else the first error stands.
TEST_F(ReplyParserTest, DialogSideHandlesEveryLineOfAReceive)
{
    const struct {
        std::vector<std::string> receives;
        int status;
        int completion;
        int pattern;
        const char* password;
    } cases[] = {
        {{"OP05\r\nOP07\r\n"}, kReplyGood, kCompletionSingle, 6, "482913"},
        {{"PN123456\r\nE3\r\n"}, kReplyCommandError, 0, 0, "123456"},
        {{"E3\r\nGO\r\n"}, kReplyCommandError, 0, 0, "482913"},
        {{"OP33\r\nMENU\r\n"}, kReplyCommandError, 0, 0, "482913"},
        {{"GO\r\nOP0", "7\r\n"}, kReplyGood, kCompletionSingle, 6, "482913"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.receives[0]);
        ResetModelToStartValues(m);
        Outstanding();
        for (size_t i = 0; i < c.receives.size(); ++i) {
            const DialogReplyResult expected = i + 1 < c.receives.size() ? kDialogReplyPartial : kDialogReplyDone;
            EXPECT_EQ(ParseDialogReply(m, c.receives[i].data(), static_cast<int>(c.receives[i].size())), expected);
        }
        EXPECT_EQ(TransactionState.busy, 0);
        EXPECT_EQ(TransactionState.replyStatus, c.status);
        EXPECT_EQ(TransactionState.completionCode, c.completion);
        EXPECT_EQ(m.CurrentDisplayPattern, c.pattern);
        EXPECT_STREQ(m.PanelLock.password, c.password);
    }
}

TEST_F(ReplyParserTest, OverlongLinesNeverOverrunAndAreRefused)
{
    // A 1000-character line ending in a line feed, in chunks on the dialog side.
    const std::string longLine = "OP" + std::string(996, '1') + "\r\n";
    DeviceModelData before = m;
    Outstanding();
    EXPECT_EQ(ParseDialogReply(m, longLine.data(), 600), kDialogReplyPartial);
    EXPECT_EQ(ParseDialogReply(m, longLine.data() + 600, 400), kDialogReplyDone);
    EXPECT_EQ(TransactionState.replyStatus, kReplyCommandError);
    EXPECT_EQ(0, memcmp(&before, &m, sizeof m));

    // A line of exactly 599 characters still fits.
    const std::string fits = "HELLO" + std::string(592, 'x') + "\r\n";
    ASSERT_EQ(fits.size(), 599u);
    EXPECT_EQ(Dialog(fits), kReplyGood);

    EXPECT_EQ(Serial(longLine), kReplyCommandError);
    EXPECT_EQ(0, memcmp(&before, &m, sizeof m));
}

// The dialog side reads the line by its length, NUL bytes included, and
// the field check refuses them.
TEST_F(ReplyParserTest, DialogSideRefusesANulByteInAField)
{
    const std::string withNul("PN12\0" "456\r\n", 10);
    EXPECT_EQ(Dialog(withNul), kReplyCommandError);
    EXPECT_STREQ(m.PanelLock.password, "482913");
}
