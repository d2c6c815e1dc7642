#include "sim_test_support.h"
#include "test_support.h"

#include <cstring>

#include "link/link_state.h"
#include "link/send_path.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"
#include "protocol/glyph.h"
#include "protocol/reply_parser.h"

std::unique_ptr<SimUnit> MakeTestUnit(int number, int64_t nowMs)
{
    auto unit = std::make_unique<SimUnit>();
    SimUnitSetup setup;
    setup.number = number;
    ResetSimUnit(*unit, setup, nowMs, kTestWallSeconds);
    return unit;
}

std::string Ask(SimUnit& unit, const std::string& command, int64_t nowMs, SimLinkKind link)
{
    UnitReply reply;
    InterpretCommand(unit, command.data(), static_cast<int>(command.size()), link, true, nowMs, reply);
    return std::string(reply.text, static_cast<size_t>(reply.length));
}

std::string Times(const std::string& text, int count)
{
    std::string all;
    for (int i = 0; i < count; ++i)
        all += text;
    return all;
}

// ---- In-process wires ------------------------------------------------------------

namespace {

LinkEndpoint* WireLink = nullptr;

std::string ExchangeInProcess(const char* bytes, int length)
{
    FeedLink(*WireLink, bytes, length, 0, SimFaults(), nullptr);
    std::string reply;
    const char* data = nullptr;
    while (int n = DueBytes(*WireLink, 0, &data)) {
        reply.append(data, static_cast<size_t>(n));
        ConsumeBytes(*WireLink, n);
    }
    return reply;
}

void InProcessSerial(const char* frame, int length)
{
    const std::string reply = ExchangeInProcess(frame, length);
    if (!reply.empty())
        ParseSerialReply(DeviceModel, reply.c_str());
}

void InProcessTcp(const char* command)
{
    const std::string reply = ExchangeInProcess(command, static_cast<int>(strlen(command)));
    ParseDialogReply(DeviceModel, reply.data(), static_cast<int>(reply.size()));
}

} // namespace

void UseInProcessSerialWire(LinkEndpoint& link)
{
    WireLink = &link;
    ActiveTransport = {InProcessSerial, nullptr};
    InterfaceKind = kInterfaceSerial;
}

void UseInProcessTcpWire(LinkEndpoint& link)
{
    WireLink = &link;
    ActiveTransport = {InProcessSerial, InProcessTcp};
    InterfaceKind = kInterfaceTcp;
}

// ---- The catalogue round trip ------------------------------------------------------------

namespace {

DeviceModelData& m = DeviceModel;

// Ready for the next command; a reply status of 10 stays if no reply comes.
void Prepare(int phase = kPhaseSingle)
{
    ResetTransaction();
    TransactionState.completionCode = 0;
    TransactionState.replyStatus = kReplyStopSequence;
    TransactionState.sequencePhase = phase;
}

void ExpectAnswered(int completion = kCompletionSingle)
{
    EXPECT_EQ(TransactionState.busy, 0) << "no reply came";
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, completion);
    EXPECT_EQ(TransactionState.sendFailed, 0);
}

// A builder's command, answered "GO" (or a read, answered with good data).
#define EXPECT_ANSWERED(call)    \
    do {                         \
        SCOPED_TRACE(#call);     \
        Prepare();               \
        EXPECT_TRUE(call);       \
        ExpectAnswered();        \
    } while (0)

// A read the program has no builder for, through its send entry.
void Read(const char* command)
{
    SCOPED_TRACE(command);
    Prepare();
    const std::string text = std::string(command) + "\r\n";
    SendCommand(text.c_str());
    ExpectAnswered();
}

template <typename T>
::testing::AssertionResult Same(const T& expected, const T& actual)
{
    if (memcmp(&expected, &actual, sizeof expected) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "read back differs from what was set";
}

// Shift-JIS texts.
const char kTitleCh02[] = "\x82\x62\x82\x67\x82\x4f\x82\x51";   // ＣＨ０２

void RoundTripAlarm()
{
    m.AlarmSettings.inputPolarity = 1;
    EXPECT_ANSWERED(SendAlarmPolarity(m));
    m.AlarmSettings.holdTime = 42;
    SyncHoldTimeText(m.AlarmSettings);
    EXPECT_ANSWERED(SendAlarmHoldTime(m));
    m.AlarmSettings.buzzer = 0;
    EXPECT_ANSWERED(SendAlarmBuzzer(m));
    m.AlarmSettings.alarmDisplay = 0;
    EXPECT_ANSWERED(SendAlarmDisplay(m));
    m.AlarmSettings.autoReturn = 0;
    EXPECT_ANSWERED(SendAlarmReturn(m));

    for (int i = 0; i < kAlarmInputCount; ++i)
        m.AlarmInputChannel[i] = (i * 7 + 3) % kMaxChannels;
    EXPECT_ANSWERED(SendAlarmInputAll(m));
    m.AlarmInputChannel[4] = 63;
    EXPECT_ANSWERED(SendAlarmInput(m, 4));

    for (int c = 0; c < kMaxChannels; ++c) {
        for (int k = 0; k < kAlarmVideoOutputs; ++k)
            m.AlarmVideoOutput[c][k] = (c + k) % 3 == 0;
        for (int k = 0; k < kAlarmSignalOutputs; ++k)
            m.AlarmSignalOutput[c][k] = (c * k) % 4 == 1;
    }
    EXPECT_ANSWERED(SendAlarmVideoOutputAll(m));
    EXPECT_ANSWERED(SendAlarmSignalOutputAll(m));
    m.AlarmVideoOutput[9][0] = 0;
    m.AlarmVideoOutput[9][3] = 1;
    EXPECT_ANSWERED(SendAlarmVideoOutput(m, 9));
    m.AlarmSignalOutput[63][5] = 1;
    EXPECT_ANSWERED(SendAlarmSignalOutput(m, 63));

    const DeviceModelData set = m;
    ResetModelToStartValues(m);
    for (const char* read : {"RAIP", "RADT", "RABOO", "RADO", "RARO", "RAIN", "RAOM", "RAOS"})
        Read(read);
    EXPECT_EQ(m.AlarmSettings.inputPolarity, 1);
    EXPECT_EQ(m.AlarmSettings.holdTime, 42);
    EXPECT_STREQ(m.AlarmSettings.holdTimeText, "42");
    EXPECT_EQ(m.AlarmSettings.buzzer, 0);
    EXPECT_EQ(m.AlarmSettings.alarmDisplay, 0);
    EXPECT_EQ(m.AlarmSettings.autoReturn, 0);
    EXPECT_TRUE(Same(set.AlarmInputChannel, m.AlarmInputChannel));
    EXPECT_EQ(m.AlarmInputChannel[4], 63);
    EXPECT_TRUE(Same(set.AlarmVideoOutput, m.AlarmVideoOutput));
    EXPECT_TRUE(Same(set.AlarmSignalOutput, m.AlarmSignalOutput));
}

// The set-all and read-all sequences of the program, then the single stores.
void RoundTripRouting()
{
    for (int p = 0; p < kDisplayRows; ++p)
        for (int o = 0; o < kOutputCount; ++o)
            m.DisplayPatternTable[p][o] = (p * 5 + o * 3) % (kMaxChannels + kPatternCount);
    for (int p = 0; p < kPatternCount; ++p)
        for (int c = 0; c < kMaxChannels; ++c)
            m.AutoSwitchPatternTable[p][c] = (p + c * 11) % 100;
    for (int o = 0; o < kOutputCount; ++o)
        m.VideoOutputEnable[o] = o % 3 != 1;
    m.CurrentDisplayPattern = 6;

    for (int step = 1; step <= kSetAllSteps; ++step) {
        SCOPED_TRACE("set-all step " + std::to_string(step));
        Prepare(step == kSetAllSteps ? kPhaseLast : kPhaseRunning);
        EXPECT_TRUE(SendSetAllStep(m, step));
        ExpectAnswered(step == kSetAllSteps ? kCompletionSequence : kCompletionNone);
    }

    const DeviceModelData set = m;
    ResetModelToStartValues(m);
    for (int step = 1; step <= kReadAllSteps; ++step) {
        SCOPED_TRACE("read-all step " + std::to_string(step));
        Prepare(step == kReadAllSteps ? kPhaseLast : kPhaseRunning);
        EXPECT_TRUE(SendReadAllStep(m, step));
        ExpectAnswered(step == kReadAllSteps ? kCompletionSequence : kCompletionNone);
    }
    EXPECT_EQ(m.CurrentDisplayPattern, 6);
    for (int p = 0; p < kPatternCount; ++p)
        EXPECT_TRUE(Same(set.DisplayPatternTable[p], m.DisplayPatternTable[p])) << "pattern " << p + 1;
    EXPECT_TRUE(Same(set.AutoSwitchPatternTable, m.AutoSwitchPatternTable));
    EXPECT_TRUE(Same(set.VideoOutputEnable, m.VideoOutputEnable));

    // Single stores.
    m.DisplayPatternTable[6][15] = kMaxChannels + 31;   // S32
    EXPECT_ANSWERED(SendPatternCell(m, 6, 15));
    m.AutoSwitchPatternTable[9][63] = 0;
    EXPECT_ANSWERED(SendAutoSwitchCell(m, 9, 63));
    m.VideoOutputEnable[3] = 0;
    EXPECT_ANSWERED(SendVideoOutput(m, 3));
    m.VideoOutputEnable[4] = 1;
    EXPECT_ANSWERED(SendVideoOutput(m, 4));
    m.DisplayPatternTable[6][15] = 0;
    m.AutoSwitchPatternTable[9][63] = 55;
    m.VideoOutputEnable[3] = 1;
    m.VideoOutputEnable[4] = 0;
    EXPECT_ANSWERED(SendReadPattern(m, 6));
    EXPECT_ANSWERED(SendReadAutoSwitch(m, 9));
    EXPECT_ANSWERED(SendReadVideoOutputs(m));
    EXPECT_EQ(m.DisplayPatternTable[6][15], kMaxChannels + 31);
    EXPECT_EQ(m.AutoSwitchPatternTable[9][63], 0);
    EXPECT_EQ(m.VideoOutputEnable[3], 0);
    EXPECT_EQ(m.VideoOutputEnable[4], 1);

    // The free layout, shown, read back through the live status.
    for (int o = 0; o < kOutputCount; ++o)
        m.DisplayPatternTable[kFreePattern][o] = 20 + o;
    EXPECT_ANSWERED(SendOutputSources(m, kFreePattern));
    m.DisplayPatternTable[kFreePattern][1] = kMaxChannels + 2;   // S03
    EXPECT_ANSWERED(SendFreeOutput(m, 1));
    EXPECT_ANSWERED(SendPatternSelect(m, kFreePattern));
    m.CurrentDisplayPattern = 0;
    EXPECT_ANSWERED(SendReadCurrentPattern(m));
    EXPECT_EQ(m.CurrentDisplayPattern, kFreePattern);
    EXPECT_ANSWERED(SendReadOutputSources(m));
    EXPECT_EQ(m.IoStatus.outputSource[0], kOutputSourceInput);
    EXPECT_EQ(m.IoStatus.outputSource[1], 2);
    EXPECT_ANSWERED(SendReadOutputChannels(m));
    EXPECT_EQ(m.IoStatus.outputChannel[0], 20);
    EXPECT_EQ(m.IoStatus.outputChannel[15], 35);
    // Pattern 3's first input with a dwell time above 0.
    int first = 0;
    while (set.AutoSwitchPatternTable[2][first] == 0)
        ++first;
    EXPECT_EQ(m.IoStatus.outputChannel[1], first);
    EXPECT_ANSWERED(SendReadVideoLoss(m));
    for (int i = 0; i < kMaxChannels; ++i)
        EXPECT_EQ(m.IoStatus.videoLoss[i], 1) << "input " << i + 1 << " has video";
    EXPECT_ANSWERED(SendPatternSelect(m, 4));
    EXPECT_ANSWERED(SendReadCurrentPattern(m));
    EXPECT_EQ(m.CurrentDisplayPattern, 4);
}

void RoundTripDateTime()
{
    EXPECT_ANSWERED(SendDateYear(m, 24));
    EXPECT_ANSWERED(SendDateMonth(m, 1));
    EXPECT_ANSWERED(SendDateDay(m, 28));
    EXPECT_ANSWERED(SendTimeHour(m, 23));
    EXPECT_ANSWERED(SendTimeMinute(m, 59));
    EXPECT_ANSWERED(SendTimeSecond(m, 45));
    EXPECT_ANSWERED(SendTimeCorrection(m));

    m.DateTimeFormat = 4;
    EXPECT_ANSWERED(SendDateTimeFormat(m));
    m.DateTimeSize = 1;
    EXPECT_ANSWERED(SendDateTimeSize(m));
    for (int c = 0; c < kMaxChannels; ++c)
        m.DateTimeDisplayInput[c] = c % 5 == 0;
    EXPECT_ANSWERED(SendDateTimeInputAll(m));
    m.DateTimeDisplayInput[10] = 1;
    EXPECT_ANSWERED(SendDateTimeInput(m, 10));
    for (int o = 0; o < kOutputCount; ++o)
        m.DateTimeDisplayOutput[o] = o % 2;
    EXPECT_ANSWERED(SendDateTimeOutputAll(m));
    m.DateTimeDisplayOutput[0] = 1;
    EXPECT_ANSWERED(SendDateTimeOutput(m, 0));

    const DeviceModelData set = m;
    ResetModelToStartValues(m);
    for (const char* read : {"RTSDR", "RTSDS", "RTSI", "RTSO"})
        Read(read);
    EXPECT_EQ(m.DateTimeFormat, 4);
    EXPECT_EQ(m.DateTimeSize, 1);
    EXPECT_EQ(m.DateTimeDisplayInput[10], 1);
    EXPECT_EQ(m.DateTimeDisplayOutput[0], 1);
    EXPECT_TRUE(Same(set.DateTimeDisplayInput, m.DateTimeDisplayInput));
    EXPECT_TRUE(Same(set.DateTimeDisplayOutput, m.DateTimeDisplayOutput));
}

void RoundTripTitles()
{
    memcpy(m.TitleText[1], kTitleCh02, sizeof kTitleCh02);
    std::string full;
    for (int k = 0; k < kTitleCharacters; ++k)
        full += "\x82\xa0";   // あ
    memcpy(m.TitleText[63], full.c_str(), full.size() + 1);
    m.TitleText[4][0] = '\0';
    for (int channel : {1, 4, 63}) {
        SCOPED_TRACE("title of channel " + std::to_string(channel + 1));
        Prepare();
        EXPECT_EQ(SendTitle(m, channel), kTitleOk);
        ExpectAnswered();
    }

    for (int c = 0; c < kMaxChannels; ++c) {
        m.TitleDisplayInput[c] = c % 2;
        m.TitlePosition[c] = c % 3 == 0;
        m.TitleFontSize[c] = c % 3;
    }
    for (int o = 0; o < kOutputCount; ++o)
        m.TitleDisplayOutput[o] = o < 8;
    EXPECT_ANSWERED(SendTitleDisplayInputAll(m));
    EXPECT_ANSWERED(SendTitleDisplayOutputAll(m));
    EXPECT_ANSWERED(SendTitlePositionAll(m));
    EXPECT_ANSWERED(SendTitleFontSizeAll(m));
    m.TitleDisplayInput[0] = 1;
    EXPECT_ANSWERED(SendTitleDisplayInput(m, 0));
    m.TitleDisplayOutput[15] = 1;
    EXPECT_ANSWERED(SendTitleDisplayOutput(m, 15));
    m.TitlePosition[1] = 1;
    EXPECT_ANSWERED(SendTitlePosition(m, 1));
    m.TitleFontSize[2] = 0;
    EXPECT_ANSWERED(SendTitleFontSize(m, 2));
    m.TitleFineTop = 15;
    EXPECT_ANSWERED(SendTitleFineTop(m));
    m.TitleFineBottom = 0;
    EXPECT_ANSWERED(SendTitleFineBottom(m));

    const DeviceModelData set = m;
    ResetModelToStartValues(m);
    for (const char* read : {"RCT02", "RCT05", "RCT64", "RCTI", "RCTO", "RCTPI", "RCTSI", "RCTAT", "RCTAB"})
        Read(read);
    EXPECT_STREQ(m.TitleText[1], kTitleCh02);
    EXPECT_STREQ(m.TitleText[4], "");
    EXPECT_STREQ(m.TitleText[63], full.c_str());
    EXPECT_TRUE(Same(set.TitleDisplayInput, m.TitleDisplayInput));
    EXPECT_TRUE(Same(set.TitleDisplayOutput, m.TitleDisplayOutput));
    EXPECT_TRUE(Same(set.TitlePosition, m.TitlePosition));
    EXPECT_TRUE(Same(set.TitleFontSize, m.TitleFontSize));
    EXPECT_EQ(m.TitleFineTop, 15);
    EXPECT_EQ(m.TitleFineBottom, 0);
}

void RoundTripPanelLock()
{
    m.PanelLock.buttonLock = 1;
    EXPECT_ANSWERED(SendButtonLock(m));
    m.PanelLock.menuLock = 1;
    EXPECT_ANSWERED(SendMenuLock(m));
    memcpy(m.PanelLock.password, "135790", 7);
    EXPECT_ANSWERED(SendPassword(m));
    ResetModelToStartValues(m);
    for (const char* read : {"RPOO", "RPMO", "RPN"})
        Read(read);
    EXPECT_EQ(m.PanelLock.buttonLock, 1);
    EXPECT_EQ(m.PanelLock.menuLock, 1);
    EXPECT_STREQ(m.PanelLock.password, "135790");
}

void RoundTripGlyphs()
{
    const int sizes[3] = {kGlyphSmall, kGlyphMedium, kGlyphLarge};
    const int slots[3] = {4, 0, 69};
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE("glyph size " + std::to_string(sizes[k]));
        for (int i = 0; i < kGlyphBitmapBytes; ++i)
            m.GlyphBitmap[i] = static_cast<unsigned char>(i * 13 + k);
        const DeviceModelData set = m;
        EXPECT_ANSWERED(SendGlyphRegister(m, sizes[k], slots[k]));
        memset(m.GlyphBitmap, 0, sizeof m.GlyphBitmap);
        EXPECT_ANSWERED(SendGlyphReadSlot(m, sizes[k], slots[k]));
        const int bytes = GlyphSizeOf(sizes[k]).bitmapBytes;
        EXPECT_EQ(memcmp(set.GlyphBitmap, m.GlyphBitmap, static_cast<size_t>(bytes)), 0);
    }

    // A standard character: the unit draws its code; the program takes it.
    memset(m.GlyphBitmap, 0, sizeof m.GlyphBitmap);
    EXPECT_ANSWERED(SendGlyphReadSample(m, kGlyphMedium, "\x82\x60"));   // Ａ
    EXPECT_STREQ(m.RequestedGlyphCode, "");   // answered (it asked for 2341): the read is closed
    int lit = 0;
    for (int i = 0; i < 128; ++i)
        lit += m.GlyphBitmap[i] != 0;
    EXPECT_GT(lit, 0);

    // An inserted glyph stands in the title as a code the program shows as a
    // full-width space that is not dropped.
    EXPECT_ANSWERED(SendGlyphInsert(m, kGlyphSmall, 2, 0, 1));
    Read("RCT01");
    EXPECT_STREQ(m.TitleText[0],
                 "\x82\xa8\x81\x40\x82\xa2\x8f\xe3\x82\xb0\x82\xa2\x82\xbd\x82\xbe\x82\xab\x82\xa0"
                 "\x82\xe8\x82\xaa\x82\xc6\x82\xa4\x82\xb2\x82\xb4\x82\xa2\x82\xdc\x82\xb7\x81\x42");
}

} // namespace

void RunSettingsRoundTrip()
{
    {
        SCOPED_TRACE("alarm");
        RoundTripAlarm();
    }
    {
        SCOPED_TRACE("routing");
        RoundTripRouting();
    }
    {
        SCOPED_TRACE("date and time");
        RoundTripDateTime();
    }
    {
        SCOPED_TRACE("titles");
        RoundTripTitles();
    }
    {
        SCOPED_TRACE("panel lock");
        RoundTripPanelLock();
    }
    {
        SCOPED_TRACE("glyphs");
        RoundTripGlyphs();
    }
}

void RunUnitNetworkRoundTrip(const char* expectedMac, const char* expectedVersion)
{
    UnitNetworkRecord& net = m.UnitNetwork;
    const int ip[4] = {10, 0, 200, 7}, gateway[4] = {10, 0, 200, 1}, active[4] = {172, 16, 5, 255},
              mask[4] = {255, 255, 252, 0};
    memcpy(net.ipAddress, ip, sizeof ip);
    memcpy(net.gatewayAddress, gateway, sizeof gateway);
    memcpy(net.activeAddress, active, sizeof active);
    memcpy(net.subnetMask, mask, sizeof mask);
    EXPECT_ANSWERED(SendUnitAddress(m, kUnitIpAddress));
    EXPECT_ANSWERED(SendUnitAddress(m, kUnitGatewayAddress));
    EXPECT_ANSWERED(SendUnitAddress(m, kUnitActiveAddress));
    EXPECT_ANSWERED(SendUnitAddress(m, kUnitSubnetMask));
    net.connectionTry = 1;
    EXPECT_ANSWERED(SendUnitConnectionTry(m));
    net.keepAlive = 1;
    EXPECT_ANSWERED(SendUnitKeepAlive(m));
    memcpy(net.sourcePortText, "10001", 6);
    EXPECT_ANSWERED(SendUnitSourcePort(m));
    memcpy(net.destinationPortText, "443", 4);   // goes out as 00443
    EXPECT_ANSWERED(SendUnitDestinationPort(m));
    net.timeRegister = 7;
    EXPECT_ANSWERED(SendUnitTimeRegister(m));

    ResetModelToStartValues(m);
    for (int step = 1; step <= kUnitNetworkReadSteps; ++step) {
        SCOPED_TRACE("network read step " + std::to_string(step));
        Prepare(step == kUnitNetworkReadSteps ? kPhaseLast : kPhaseRunning);
        EXPECT_TRUE(SendUnitNetworkRead(m, step));
        ExpectAnswered(step == kUnitNetworkReadSteps ? kCompletionSequence : kCompletionNone);
    }
    EXPECT_TRUE(Same(ip, net.ipAddress));
    EXPECT_TRUE(Same(gateway, net.gatewayAddress));
    EXPECT_TRUE(Same(active, net.activeAddress));
    EXPECT_TRUE(Same(mask, net.subnetMask));
    EXPECT_EQ(net.connectionTry, 1);
    EXPECT_EQ(net.keepAlive, 1);
    EXPECT_STREQ(net.sourcePortText, "10001");
    EXPECT_STREQ(net.destinationPortText, "00443");
    EXPECT_EQ(net.timeRegister, 7);
    EXPECT_STREQ(net.macAddressText, expectedMac);
    EXPECT_STREQ(net.firmwareVersionText, expectedVersion);
}

void RunTcpIdentification(const char* expectedVersion)
{
    m.UnitNetwork.firmwareVersionText[0] = '\0';
    Read("RVN");
    EXPECT_STREQ(m.UnitNetwork.firmwareVersionText, expectedVersion);
}
