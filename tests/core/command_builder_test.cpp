#include <cstring>
#include <string>

#include "link/link_state.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"
#include "test_support.h"

class CommandBuilderTest : public CoreTest {
protected:
    // The builders read this model, not the program's.
    DeviceModelData m;

    void SetUp() override
    {
        CoreTest::SetUp();
        ResetModelToStartValues(m);
    }

    // The builder sent nothing and left "Command Error" for the main window.
    void ExpectRefused(bool sent)
    {
        EXPECT_FALSE(sent);
        EXPECT_TRUE(Sent.serialFrames.empty());
        EXPECT_EQ(TransactionState.replyStatus, kReplyCommandError);
        EXPECT_EQ(TransactionState.busy, 0);
        TransactionState.replyStatus = 0;
        Sent = SentLog();
    }

    std::string Next()
    {
        std::string frame = OnlyFrame();
        Sent = SentLog();
        ResetTransaction();
        return frame;
    }
};

TEST_F(CommandBuilderTest, AlarmSettings)
{
    EXPECT_TRUE(SendAlarmPolarity(m));
    EXPECT_EQ(Next(), "AIPM\r\n");
    m.AlarmSettings.inputPolarity = 1;
    SendAlarmPolarity(m);
    EXPECT_EQ(Next(), "AIPB\r\n");
    SendAlarmBuzzer(m);
    EXPECT_EQ(Next(), "ABOON\r\n");
    m.AlarmSettings.buzzer = 0;
    SendAlarmBuzzer(m);
    EXPECT_EQ(Next(), "ABOOF\r\n");
    SendAlarmDisplay(m);
    EXPECT_EQ(Next(), "ADON\r\n");
    m.AlarmSettings.alarmDisplay = 0;
    SendAlarmDisplay(m);
    EXPECT_EQ(Next(), "ADOF\r\n");
    SendAlarmReturn(m);
    EXPECT_EQ(Next(), "ARON\r\n");
    m.AlarmSettings.autoReturn = 0;
    SendAlarmReturn(m);
    EXPECT_EQ(Next(), "AROF\r\n");
    m.AlarmSettings.inputPolarity = 2;
    ExpectRefused(SendAlarmPolarity(m));
}

TEST_F(CommandBuilderTest, HoldTimeIsRightAlignedAndChecked)
{
    auto setText = [&](const char* text, int value) {
        strcpy(m.AlarmSettings.holdTimeText, text);
        m.AlarmSettings.holdTime = value;
    };
    setText("7", 7);
    EXPECT_TRUE(SendAlarmHoldTime(m));
    EXPECT_EQ(Next(), "ADT07\r\n");
    setText("5", 5);
    SendAlarmHoldTime(m);
    EXPECT_EQ(Next(), "ADT05\r\n");
    setText("99", 99);
    SendAlarmHoldTime(m);
    EXPECT_EQ(Next(), "ADT99\r\n");
    setText("", 0);
    ExpectRefused(SendAlarmHoldTime(m));
    setText("1a", 1);
    ExpectRefused(SendAlarmHoldTime(m));
    setText("0", 0);
    ExpectRefused(SendAlarmHoldTime(m));
    setText("00", 0);
    ExpectRefused(SendAlarmHoldTime(m));
}

TEST_F(CommandBuilderTest, AlarmInputAndOutputs)
{
    m.AlarmInputChannel[2] = 40;
    EXPECT_TRUE(SendAlarmInput(m, 2));
    EXPECT_EQ(Next(), "AIN03I41\r\n");
    for (int& c : m.AlarmInputChannel)
        c = 4;
    SendAlarmInputAll(m);
    EXPECT_EQ(Next(), "AIN" + Repeat("05", 32) + "\r\n");

    m.AlarmVideoOutput[11][2] = 1;
    SendAlarmVideoOutput(m, 11);
    EXPECT_EQ(Next(), "AOM12NFNF\r\n");
    SendAlarmVideoOutputAll(m);
    std::string aom = Next();
    EXPECT_EQ(aom.size(), 3u + 256u + 2u);
    EXPECT_EQ(aom.substr(0, 3 + 8), "AOMNFFFNFFF");
    EXPECT_EQ(aom.substr(3 + 44, 4), "NFNF");

    m.AlarmSignalOutput[63][5] = 1;
    SendAlarmSignalOutput(m, 63);
    EXPECT_EQ(Next(), "AOS64NFFFFN\r\n");
    SendAlarmSignalOutputAll(m);
    std::string aos = Next();
    EXPECT_EQ(aos.size(), 3u + 384u + 2u);
    EXPECT_EQ(aos.substr(3 + 6 * 63, 6), "NFFFFN");

    ExpectRefused(SendAlarmInput(m, 32));
    ExpectRefused(SendAlarmVideoOutput(m, 64));
    m.AlarmInputChannel[0] = 64;
    ExpectRefused(SendAlarmInput(m, 0));
    ExpectRefused(SendAlarmInputAll(m));
}

TEST_F(CommandBuilderTest, DisplayPatterns)
{
    EXPECT_TRUE(SendPatternSelect(m, 4));
    EXPECT_EQ(Next(), "OP05\r\n");
    SendPatternSelect(m, kFreePattern);
    EXPECT_EQ(Next(), "OPFR\r\n");

    m.DisplayPatternTable[2][15] = 63;
    SendPatternCell(m, 2, 15);
    EXPECT_EQ(Next(), "OP0316I64\r\n");

    m.DisplayPatternTable[0][1] = 65;
    SendPatternRow(m, 0);
    EXPECT_EQ(Next(), "OP01I01S02I03I04I05I06I07I08I09I10I11I12I13I14I15I16\r\n");

    m.DisplayPatternTable[kFreePattern][4] = 2;
    SendFreeOutput(m, 4);
    EXPECT_EQ(Next(), "O05I03\r\n");
    m.DisplayPatternTable[1][4] = 2;
    SendPatternCell(m, 1, 4);
    EXPECT_EQ(Next(), "OP0205I03\r\n");

    SendOutputSources(m, kFreePattern);
    EXPECT_EQ(Next(), "OSI01I02I03I04I03I06I07I08I09I10I11I12I13I14I15I16\r\n");

    ExpectRefused(SendPatternSelect(m, 33));
    ExpectRefused(SendPatternCell(m, 32, 0));
    ExpectRefused(SendPatternCell(m, 0, 16));
    m.DisplayPatternTable[5][0] = 96;
    ExpectRefused(SendPatternRow(m, 5));
    ExpectRefused(SendPatternCell(m, 5, 0));
}

TEST_F(CommandBuilderTest, AutoSwitchPatterns)
{
    m.AutoSwitchPatternTable[31][63] = 0;
    EXPECT_TRUE(SendAutoSwitchCell(m, 31, 63));
    EXPECT_EQ(Next(), "SP326400\r\n");
    m.AutoSwitchPatternTable[0][0] = 99;
    SendAutoSwitchCell(m, 0, 0);
    EXPECT_EQ(Next(), "SP010199\r\n");
    SendAutoSwitchPattern(m, 0);
    const std::string sp = Next();
    EXPECT_EQ(sp, "SP01" + std::string("99") + Repeat("03", 63) + "\r\n");
    EXPECT_EQ(sp.size(), 4u + 128u + 2u);
    m.AutoSwitchPatternTable[3][10] = 100;
    ExpectRefused(SendAutoSwitchPattern(m, 3));
    ExpectRefused(SendAutoSwitchCell(m, 3, 10));
    ExpectRefused(SendAutoSwitchCell(m, 0, 64));
}

TEST_F(CommandBuilderTest, VideoOutputs)
{
    m.VideoOutputEnable[2] = 0;
    EXPECT_TRUE(SendVideoOutput(m, 2));
    EXPECT_EQ(Next(), "OE03OF\r\n");
    SendVideoOutput(m, 1);   // the dialog's first entry, output 2
    EXPECT_EQ(Next(), "OE02ON\r\n");
    for (int i = 1; i < 16; ++i)
        m.VideoOutputEnable[i] = 0;
    SendVideoOutputAll(m);
    EXPECT_EQ(Next(), "OENFFFFFFFFFFFFFFF\r\n");
    ExpectRefused(SendVideoOutput(m, 0));   // output 1 is never set on its own
    ExpectRefused(SendVideoOutput(m, 16));
}

TEST_F(CommandBuilderTest, DateAndTime)
{
    SendDateYear(m, 24);
    EXPECT_EQ(Next(), "DSY24\r\n");
    SendDateMonth(m, 2);
    EXPECT_EQ(Next(), "DSM03\r\n");
    SendDateDay(m, 4);
    EXPECT_EQ(Next(), "DSD05\r\n");
    SendTimeHour(m, 9);
    EXPECT_EQ(Next(), "TSH09\r\n");
    SendTimeMinute(m, 7);
    EXPECT_EQ(Next(), "TSM07\r\n");
    SendTimeSecond(m, 8);
    EXPECT_EQ(Next(), "TSS08\r\n");
    SendTimeCorrection(m);
    EXPECT_EQ(Next(), "TSA\r\n");
    m.DateTimeFormat = 4;   // "月～分"
    SendDateTimeFormat(m);
    EXPECT_EQ(Next(), "TSDR5\r\n");
    SendDateTimeSize(m);
    EXPECT_EQ(Next(), "TSDSN\r\n");
    m.DateTimeSize = 1;
    SendDateTimeSize(m);
    EXPECT_EQ(Next(), "TSDSS\r\n");

    ExpectRefused(SendDateYear(m, 100));
    ExpectRefused(SendDateYear(m, -1));
    ExpectRefused(SendDateDay(m, 31));
    ExpectRefused(SendTimeHour(m, 24));
    ExpectRefused(SendTimeMinute(m, 60));
    ExpectRefused(SendTimeSecond(m, 60));
    m.DateTimeFormat = 8;
    ExpectRefused(SendDateTimeFormat(m));

    // The month and the size send nothing and set no status when out of range.
    EXPECT_FALSE(SendDateMonth(m, 12));
    EXPECT_FALSE(SendDateMonth(m, -1));
    m.DateTimeSize = 2;
    EXPECT_FALSE(SendDateTimeSize(m));
    EXPECT_TRUE(Sent.serialFrames.empty());
    EXPECT_EQ(TransactionState.replyStatus, 0);
}

TEST_F(CommandBuilderTest, DateTimeDisplay)
{
    m.DateTimeDisplayInput[6] = 0;
    SendDateTimeInput(m, 6);
    EXPECT_EQ(Next(), "TSI07OF\r\n");
    SendDateTimeInput(m, 0);
    EXPECT_EQ(Next(), "TSI01ON\r\n");
    SendDateTimeInputAll(m);
    EXPECT_EQ(Next(), "TSI" + Repeat("N", 6) + "F" + Repeat("N", 57) + "\r\n");
    m.DateTimeDisplayOutput[15] = 0;
    SendDateTimeOutput(m, 15);
    EXPECT_EQ(Next(), "TSO16OF\r\n");
    SendDateTimeOutputAll(m);
    EXPECT_EQ(Next(), "TSO" + Repeat("N", 15) + "F\r\n");
    m.DateTimeDisplayInput[6] = 2;
    ExpectRefused(SendDateTimeInput(m, 6));
    m.DateTimeDisplayOutput[0] = -1;
    ExpectRefused(SendDateTimeOutput(m, 0));
}

TEST_F(CommandBuilderTest, TitleDisplayPositionAndSize)
{
    m.TitleDisplayInput[1] = 0;
    SendTitleDisplayInput(m, 1);
    EXPECT_EQ(Next(), "CTI02OF\r\n");
    SendTitleDisplayInputAll(m);
    EXPECT_EQ(Next(), "CTINF" + Repeat("N", 62) + "\r\n");
    SendTitleDisplayOutput(m, 0);
    EXPECT_EQ(Next(), "CTO01ON\r\n");
    SendTitleDisplayOutputAll(m);
    EXPECT_EQ(Next(), "CTO" + Repeat("N", 16) + "\r\n");
    m.TitleDisplayInput[1] = 3;
    ExpectRefused(SendTitleDisplayInput(m, 1));

    m.TitlePosition[2] = 1;
    SendTitlePosition(m, 2);
    EXPECT_EQ(Next(), "CTPI03T\r\n");
    SendTitlePosition(m, 0);
    EXPECT_EQ(Next(), "CTPI01B\r\n");
    m.TitlePosition[2] = 0;
    SendTitlePositionAll(m);
    EXPECT_EQ(Next(), "CTPI" + Repeat("B", 64) + "\r\n");

    SendTitleFontSize(m, 0);
    EXPECT_EQ(Next(), "CTSI01M\r\n");
    m.TitleFontSize[0] = 2;
    SendTitleFontSize(m, 0);
    EXPECT_EQ(Next(), "CTSI01S\r\n");
    m.TitleFontSize[0] = 0;
    SendTitleFontSize(m, 0);
    EXPECT_EQ(Next(), "CTSI01L\r\n");
    m.TitleFontSize[0] = 7;   // single: anything else is LARGE
    SendTitleFontSize(m, 0);
    EXPECT_EQ(Next(), "CTSI01L\r\n");
    for (int& s : m.TitleFontSize)
        s = 2;
    SendTitleFontSizeAll(m);
    EXPECT_EQ(Next(), "CTSI" + Repeat("S", 64) + "\r\n");

    SendTitleFineTop(m);
    EXPECT_EQ(Next(), "CTAT08\r\n");
    m.TitleFineTop = 15;
    SendTitleFineTop(m);
    EXPECT_EQ(Next(), "CTAT16\r\n");
    m.TitleFineBottom = 0;
    SendTitleFineBottom(m);
    EXPECT_EQ(Next(), "CTAB01\r\n");
    m.TitleFineBottom = 16;
    ExpectRefused(SendTitleFineBottom(m));
}

TEST_F(CommandBuilderTest, Titles)
{
    // ＣＨ０２
    strcpy(m.TitleText[1], "\x82\x62\x82\x67\x82\x4f\x82\x51");
    EXPECT_EQ(SendTitle(m, 1), kTitleOk);
    EXPECT_EQ(Next(), "CT02" "2343" "2348" "2330" "2332" + Repeat("2121", 24) + "\r\n");

    m.TitleText[4][0] = '\0';
    SendTitle(m, 4);
    const std::string empty = Next();
    EXPECT_EQ(empty, "CT05" + Repeat("2121", 28) + "\r\n");
    EXPECT_EQ(empty.size(), 118u);

    // ⅰ (IBM 0xFA40) and 0xFA5C go out through their NEC-selected twins.
    strcpy(m.TitleText[63], "\xFA\x40\xFA\x5C");
    SendTitle(m, 63);
    EXPECT_EQ(Next(), "CT64" "7C71" "7921" + Repeat("2121", 26) + "\r\n");
}

TEST_F(CommandBuilderTest, TitleRefusalsSendNothingAndLeaveTheSlot)
{
    std::string full;
    for (int i = 0; i < 27; ++i)
        full += "\x88\x9F";   // 亜
    strcpy(m.TitleText[0], (full + "A").c_str());   // 55 bytes
    EXPECT_EQ(SendTitle(m, 0), kTitleBadLength);
    strcpy(m.TitleText[0], ("AB" + full).c_str());  // 56 bytes, "AB" is no character
    EXPECT_EQ(SendTitle(m, 0), kTitleNoJisCode);
    EXPECT_EQ(std::string(m.TitleText[0]), "AB" + full);
    strcpy(m.TitleText[0], "\xF0\x40");            // user-defined character
    EXPECT_EQ(SendTitle(m, 0), kTitleNoJisCode);
    strcpy(m.TitleText[0], "\xFA\x4A");            // IBM extension without a twin
    EXPECT_EQ(SendTitle(m, 0), kTitleNoJisCode);
    EXPECT_TRUE(Sent.serialFrames.empty());
    EXPECT_EQ(TransactionState.busy, 0);
}

TEST_F(CommandBuilderTest, PanelLock)
{
    SendButtonLock(m);
    EXPECT_EQ(Next(), "POOF\r\n");
    m.PanelLock.buttonLock = 1;
    SendButtonLock(m);
    EXPECT_EQ(Next(), "POON\r\n");
    SendMenuLock(m);
    EXPECT_EQ(Next(), "PMOF\r\n");
    m.PanelLock.menuLock = 1;
    SendMenuLock(m);
    EXPECT_EQ(Next(), "PMON\r\n");
    SendPassword(m);
    EXPECT_EQ(Next(), "PN482913\r\n");
    strcpy(m.PanelLock.password, "12345");
    ExpectRefused(SendPassword(m));
    strcpy(m.PanelLock.password, "12a456");
    ExpectRefused(SendPassword(m));
}

TEST_F(CommandBuilderTest, GlyphCommands)
{
    EXPECT_TRUE(SendGlyphReadSlot(m, 0, 0));
    EXPECT_EQ(Next(), "RFBMLA365\r\n");
    EXPECT_STREQ(m.RequestedGlyphCode, "A365");
    SendGlyphReadSlot(m, 2, 255);
    EXPECT_EQ(Next(), "RFBMSA64A\r\n");
    EXPECT_STREQ(m.RequestedGlyphCode, "A64A");
    EXPECT_EQ(m.RequestedGlyphSize, 'S');
    ExpectRefused(SendGlyphReadSlot(m, 0, 70));
    ExpectRefused(SendGlyphReadSlot(m, 1, 160));

    SendGlyphReadSample(m, 1, "\x82\x60");   // Ａ
    EXPECT_EQ(Next(), "RFBMM2341\r\n");
    EXPECT_STREQ(m.RequestedGlyphCode, "2341");
    SendGlyphReadSample(m, 0, "A");          // no JIS code: asks for the space
    EXPECT_EQ(Next(), "RFBML2121\r\n");
    SendGlyphReadSample(m, 0, "\xFA\x40");
    EXPECT_EQ(Next(), "RFBML7C71\r\n");

    m.GlyphBitmap[0] = 0x80;
    SendGlyphRegister(m, 2, 4);
    EXPECT_EQ(Next(), "GRS005" "80" + std::string(142, '0') + "\r\n");
    m.GlyphBitmap[127] = 0xAB;
    SendGlyphRegister(m, 1, 159);
    const std::string grm = Next();
    EXPECT_EQ(grm.size(), 264u);
    EXPECT_EQ(grm.substr(0, 8), "GRM16080");
    EXPECT_EQ(grm.substr(6 + 254, 4), "AB\r\n");
    ExpectRefused(SendGlyphRegister(m, 0, 70));

    SendGlyphInsert(m, 2, 2, 11, 4);
    EXPECT_EQ(Next(), "G003C12I05\r\n");
    SendGlyphInsert(m, 2, 255, 63, 27);
    EXPECT_EQ(Next(), "G256C64I28\r\n");
    ExpectRefused(SendGlyphInsert(m, 0, 70, 0, 0));
    ExpectRefused(SendGlyphInsert(m, 0, 0, 0, 14));
    ExpectRefused(SendGlyphInsert(m, 0, 0, 64, 0));
}

TEST_F(CommandBuilderTest, UnitNetwork)
{
    EXPECT_TRUE(SendUnitAddress(m, kUnitIpAddress));
    EXPECT_EQ(Next(), "EIA192.168.001.003\r\n");
    SendUnitAddress(m, kUnitGatewayAddress);
    EXPECT_EQ(Next(), "EGA192.168.001.002\r\n");
    SendUnitAddress(m, kUnitActiveAddress);
    EXPECT_EQ(Next(), "EAA192.168.001.004\r\n");
    SendUnitAddress(m, kUnitSubnetMask);
    EXPECT_EQ(Next(), "ESM255.255.255.000\r\n");
    SendUnitConnectionTry(m);
    EXPECT_EQ(Next(), "ECTOF\r\n");
    m.UnitNetwork.keepAlive = 1;
    SendUnitKeepAlive(m);
    EXPECT_EQ(Next(), "EKAON\r\n");
    SendUnitTimeRegister(m);
    EXPECT_EQ(Next(), "ETR6\r\n");
    SendUnitSourcePort(m);
    EXPECT_EQ(Next(), "ESPN09004\r\n");
    strcpy(m.UnitNetwork.destinationPortText, "80");
    SendUnitDestinationPort(m);
    EXPECT_EQ(Next(), "EDPN00080\r\n");

    strcpy(m.UnitNetwork.sourcePortText, "9a");
    ExpectRefused(SendUnitSourcePort(m));
    strcpy(m.UnitNetwork.sourcePortText, "");
    ExpectRefused(SendUnitSourcePort(m));
    strcpy(m.UnitNetwork.sourcePortText, "70000");
    ExpectRefused(SendUnitSourcePort(m));
    m.UnitNetwork.ipAddress[2] = 256;
    ExpectRefused(SendUnitAddress(m, kUnitIpAddress));
    m.UnitNetwork.timeRegister = 8;
    ExpectRefused(SendUnitTimeRegister(m));
}

TEST_F(CommandBuilderTest, ReadCommandsAndSequences)
{
    const char* reads[] = {"REIA", "REGA", "REAA", "RESM", "RECT", "RETR",
                           "REDPN", "RESPN", "REKA", "REMA", "RVN"};
    for (int step = 1; step <= kUnitNetworkReadSteps; ++step) {
        SendUnitNetworkRead(m, step);
        EXPECT_EQ(Next(), std::string(reads[step - 1]) + "\r\n");
    }

    SendReadAllStep(m, 1);
    EXPECT_EQ(Next(), "ROP\r\n");
    SendReadAllStep(m, 2);
    EXPECT_EQ(Next(), "ROP01\r\n");
    SendReadAllStep(m, 33);
    EXPECT_EQ(Next(), "ROP32\r\n");
    SendReadAllStep(m, 34);
    EXPECT_EQ(Next(), "RSP01\r\n");
    SendReadAllStep(m, 65);
    EXPECT_EQ(Next(), "RSP32\r\n");
    SendReadAllStep(m, 66);
    EXPECT_EQ(Next(), "ROE\r\n");
    ExpectRefused(SendReadAllStep(m, 67));

    m.CurrentDisplayPattern = 6;
    m.DisplayPatternTable[6][0] = 64;
    SendSetAllStep(m, 1);
    EXPECT_EQ(Next(), "OP07\r\n");
    SendSetAllStep(m, 2);
    EXPECT_EQ(Next().substr(0, 5), "OSS01");
    SendSetAllStep(m, 3);
    EXPECT_EQ(Next().substr(0, 7), "OP01I01");
    SendSetAllStep(m, 34);
    EXPECT_EQ(Next().substr(0, 4), "OP32");
    SendSetAllStep(m, 35);
    EXPECT_EQ(Next().substr(0, 6), "SP0103");
    SendSetAllStep(m, 66);
    EXPECT_EQ(Next().substr(0, 4), "SP32");
    SendSetAllStep(m, 67);
    EXPECT_EQ(Next(), "OENNNNNNNNNNNNNNNN\r\n");
    m.CurrentDisplayPattern = kFreePattern;
    SendSetAllStep(m, 1);
    EXPECT_EQ(Next(), "OPFR\r\n");
    // On FREE, step 2 sends the free layout's sources, not pattern 7's.
    for (int output = 0; output < kOutputCount; ++output)
        m.DisplayPatternTable[kFreePattern][output] = output == 2 ? 64 + 4 : 15 - output;
    SendSetAllStep(m, 2);
    EXPECT_EQ(Next(), "OSI16I15S05I13I12I11I10I09I08I07I06I05I04I03I02I01\r\n");

    SendStatusPollStep(m, 0);
    EXPECT_EQ(Next(), "ROS\r\n");
    SendStatusPollStep(m, 1);
    EXPECT_EQ(Next(), "ROCD\r\n");
    SendStatusPollStep(m, 2);
    EXPECT_EQ(Next(), "RVL\r\n");
    SendStatusPollStep(m, 99);
    EXPECT_EQ(Next(), "ROS\r\n");
    SendReadCurrentPattern(m);
    EXPECT_EQ(Next(), "ROP\r\n");
}

TEST_F(CommandBuilderTest, BroadcastSetCommandGoesWithFF)
{
    ControlMode = kControlRs485;
    SlaveAddress = kSlaveBroadcast;
    EXPECT_TRUE(SendVideoOutput(m, 2));
    EXPECT_EQ(OnlyFrame(), "FFOE03ON\r\n");
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
    EXPECT_EQ(TransactionState.busy, 0);
}
