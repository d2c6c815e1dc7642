#include "protocol/command_builder.h"

#include <cstring>

#include "link/send_path.h"
#include "link/transaction.h"
#include "protocol/command_text.h"
#include "protocol/device_model.h"
#include "protocol/glyph.h"
#include "protocol/jis.h"

namespace {

DeviceModelData& M()
{
    return DeviceModel;
}

int Channels()
{
    return DeviceModel.ChannelCount;
}

bool InRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

bool Send(CommandText& command)
{
    SendCommand(command.End());
    return true;
}

bool SendSerial(CommandText& command)
{
    WriteSerialFrame(command.End());
    return true;
}

bool SendSimple(const char* text)
{
    CommandText command;
    command.Put(text);
    return Send(command);
}

// mnemonic + one letter: `on` for a flag of 1, `off` for 0.
bool SendFlagLetter(const char* mnemonic, int flag, char on, char off)
{
    if (!InRange(flag, 0, 1))
        return RefuseCommand();
    CommandText command;
    command.Put(mnemonic);
    command.PutChar(flag == 1 ? on : off);
    return Send(command);
}

// mnemonic + 2-digit number + "ON"/"OF"; the flag must be 0 or 1.
bool SendNumberedFlag(const char* mnemonic, int index, int count, int flag)
{
    if (!InRange(index, 0, count - 1) || !InRange(flag, 0, 1))
        return RefuseCommand();
    CommandText command;
    command.Put(mnemonic);
    command.PutDecimal(index + 1, 2);
    command.PutFlagWord(flag);
    return Send(command);
}

// mnemonic + one "N"/"F" letter per entry.
bool SendFlagLetters(const char* mnemonic, const int* flags, int count)
{
    CommandText command;
    command.Put(mnemonic);
    for (int i = 0; i < count; ++i)
        command.PutFlagLetter(flags[i]);
    return Send(command);
}

// mnemonic + 2-digit number (1-based value of a 0-based index).
bool SendTwoDigits(const char* mnemonic, int value, int low, int high)
{
    if (!InRange(value, low, high))
        return RefuseCommand();
    CommandText command;
    command.Put(mnemonic);
    command.PutDecimal(value, 2);
    return Send(command);
}

bool PutSource(CommandText& command, int code)
{
    char source[3];
    if (!FormatDisplaySource(code, Channels(), source))
        return false;
    command.PutChar(source[0]);
    command.PutChar(source[1]);
    command.PutChar(source[2]);
    return true;
}

bool PutSourceRow(CommandText& command, int row)
{
    for (int j = 0; j < kOutputCount; ++j)
        if (!PutSource(command, M().DisplayPatternTable[row][j]))
            return false;
    return true;
}

bool PutAlarmLetters(CommandText& command, const int* flags, int count)
{
    for (int k = 0; k < count; ++k)
        command.PutChar(flags[k] == 0 ? 'F' : 'N');
    return true;
}

} // namespace

// ---- Alarm settings ---------------------------------------------------------

bool SendAlarmPolarity()
{
    return SendFlagLetter("AIP", M().AlarmSettings.inputPolarity, 'B', 'M');
}

bool SendAlarmHoldTime()
{
    const AlarmSettingsRecord& alarm = M().AlarmSettings;
    const size_t length = strnlen(alarm.holdTimeText, sizeof alarm.holdTimeText);
    if (length == 0 || length > 2)
        return RefuseCommand();
    for (size_t i = 0; i < length; ++i)
        if (alarm.holdTimeText[i] < '0' || alarm.holdTimeText[i] > '9')
            return RefuseCommand();
    if (!InRange(alarm.holdTime, 1, kMaxDwellTime))
        return RefuseCommand();
    CommandText command;
    command.Put("ADT");
    if (length == 1)
        command.PutChar('0');
    command.Put(alarm.holdTimeText);
    return Send(command);
}

bool SendAlarmBuzzer()
{
    return SendFlagLetter("ABOO", M().AlarmSettings.buzzer, 'N', 'F');
}

bool SendAlarmDisplay()
{
    return SendFlagLetter("ADO", M().AlarmSettings.alarmDisplay, 'N', 'F');
}

bool SendAlarmReturn()
{
    return SendFlagLetter("ARO", M().AlarmSettings.autoReturn, 'N', 'F');
}

// ---- Alarm input and outputs ----------------------------------------------

bool SendAlarmInput(int connector)
{
    if (!InRange(connector, 0, kAlarmInputCount - 1))
        return RefuseCommand();
    const int channel = M().AlarmInputChannel[connector];
    if (!InRange(channel, 0, Channels() - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("AIN");
    command.PutDecimal(connector + 1, 2);
    command.PutChar('I');
    command.PutDecimal(channel + 1, 2);
    return Send(command);
}

bool SendAlarmInputAll()
{
    CommandText command;
    command.Put("AIN");
    for (int i = 0; i < kAlarmInputCount; ++i) {
        const int channel = M().AlarmInputChannel[i];
        if (!InRange(channel, 0, Channels() - 1))
            return RefuseCommand();
        command.PutDecimal(channel + 1, 2);
    }
    return Send(command);
}

bool SendAlarmVideoOutput(int channel)
{
    if (!InRange(channel, 0, Channels() - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("AOM");
    command.PutDecimal(channel + 1, 2);
    PutAlarmLetters(command, M().AlarmVideoOutput[channel], kAlarmVideoOutputs);
    return Send(command);
}

bool SendAlarmVideoOutputAll()
{
    CommandText command;
    command.Put("AOM");
    for (int c = 0; c < Channels(); ++c)
        PutAlarmLetters(command, M().AlarmVideoOutput[c], kAlarmVideoOutputs);
    return Send(command);
}

bool SendAlarmSignalOutput(int channel)
{
    if (!InRange(channel, 0, Channels() - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("AOS");
    command.PutDecimal(channel + 1, 2);
    PutAlarmLetters(command, M().AlarmSignalOutput[channel], kAlarmSignalOutputs);
    return Send(command);
}

bool SendAlarmSignalOutputAll()
{
    CommandText command;
    command.Put("AOS");
    for (int c = 0; c < Channels(); ++c)
        PutAlarmLetters(command, M().AlarmSignalOutput[c], kAlarmSignalOutputs);
    return Send(command);
}

// ---- Display patterns, auto-switch patterns, video outputs -----------------

bool SendPatternSelect(int pattern)
{
    if (pattern == kFreePattern)
        return SendSimple("OPFR");
    return SendTwoDigits("OP", pattern + 1, 1, kPatternCount);
}

bool SendPatternCell(int pattern, int output)
{
    if (!InRange(pattern, 0, kPatternCount - 1) || !InRange(output, 0, kOutputCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("OP");
    command.PutDecimal(pattern + 1, 2);
    command.PutDecimal(output + 1, 2);
    if (!PutSource(command, M().DisplayPatternTable[pattern][output]))
        return RefuseCommand();
    return Send(command);
}

bool SendPatternRow(int pattern)
{
    if (!InRange(pattern, 0, kPatternCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("OP");
    command.PutDecimal(pattern + 1, 2);
    if (!PutSourceRow(command, pattern))
        return RefuseCommand();
    return Send(command);
}

bool SendFreeOutput(int output)
{
    if (!InRange(output, 0, kOutputCount - 1))
        return RefuseCommand();
    CommandText command;
    command.PutChar('O');
    command.PutDecimal(output + 1, 2);
    if (!PutSource(command, M().DisplayPatternTable[kFreePattern][output]))
        return RefuseCommand();
    return Send(command);
}

bool SendOutputSources(int row)
{
    if (!InRange(row, 0, kDisplayRows - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("OS");
    if (!PutSourceRow(command, row))
        return RefuseCommand();
    return Send(command);
}

bool SendAutoSwitchCell(int pattern, int channel)
{
    if (!InRange(pattern, 0, kPatternCount - 1) || !InRange(channel, 0, Channels() - 1))
        return RefuseCommand();
    const int dwell = M().AutoSwitchPatternTable[pattern][channel];
    if (!InRange(dwell, 0, kMaxDwellTime))
        return RefuseCommand();
    CommandText command;
    command.Put("SP");
    command.PutDecimal(pattern + 1, 2);
    command.PutDecimal(channel + 1, 2);
    command.PutDecimal(dwell, 2);
    return Send(command);
}

bool SendAutoSwitchPattern(int pattern)
{
    if (!InRange(pattern, 0, kPatternCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("SP");
    command.PutDecimal(pattern + 1, 2);
    for (int c = 0; c < Channels(); ++c) {
        const int dwell = M().AutoSwitchPatternTable[pattern][c];
        if (!InRange(dwell, 0, kMaxDwellTime))
            return RefuseCommand();
        command.PutDecimal(dwell, 2);
    }
    return Send(command);
}

bool SendVideoOutput(int output)
{
    // Output 1 is always on and is never set on its own.
    if (!InRange(output, 1, kOutputCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("OE");
    command.PutDecimal(output + 1, 2);
    command.PutFlagWord(M().VideoOutputEnable[output]);
    return Send(command);
}

bool SendVideoOutputAll()
{
    return SendFlagLetters("OE", M().VideoOutputEnable, kOutputCount);
}

// ---- Date and time -----------------------------------------------------------

bool SendDateYear(int index)
{
    return SendTwoDigits("DSY", index, 0, 99);
}

bool SendDateMonth(int index)
{
    if (!InRange(index, 0, 11))
        return false;
    return SendTwoDigits("DSM", index + 1, 1, 12);
}

bool SendDateDay(int index)
{
    return SendTwoDigits("DSD", index + 1, 1, 31);
}

bool SendTimeHour(int hour)
{
    return SendTwoDigits("TSH", hour, 0, 23);
}

bool SendTimeMinute(int minute)
{
    return SendTwoDigits("TSM", minute, 0, 59);
}

bool SendTimeSecond(int second)
{
    return SendTwoDigits("TSS", second, 0, 59);
}

bool SendTimeCorrection()
{
    return SendSimple("TSA");
}

bool SendDateTimeFormat()
{
    const int format = M().DateTimeFormat;
    if (!InRange(format, 0, kDateTimeFormats - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("TSDR");
    command.PutChar(static_cast<char>('1' + format));
    return Send(command);
}

bool SendDateTimeSize()
{
    const int size = M().DateTimeSize;
    if (!InRange(size, 0, 1))
        return false;
    return SendSimple(size == 0 ? "TSDSN" : "TSDSS");
}

bool SendDateTimeInput(int channel)
{
    if (!InRange(channel, 0, Channels() - 1))
        return RefuseCommand();
    return SendNumberedFlag("TSI", channel, Channels(), M().DateTimeDisplayInput[channel]);
}

bool SendDateTimeInputAll()
{
    return SendFlagLetters("TSI", M().DateTimeDisplayInput, Channels());
}

bool SendDateTimeOutput(int output)
{
    if (!InRange(output, 0, kOutputCount - 1))
        return RefuseCommand();
    return SendNumberedFlag("TSO", output, kOutputCount, M().DateTimeDisplayOutput[output]);
}

bool SendDateTimeOutputAll()
{
    return SendFlagLetters("TSO", M().DateTimeDisplayOutput, kOutputCount);
}

// ---- Titles ------------------------------------------------------------------

TitleCheck SendTitle(int channel)
{
    if (!InRange(channel, 0, Channels() - 1))
        return kTitleBadLength;
    uint16_t codes[kTitleCharacters];
    const TitleCheck check = EncodeTitle(M().TitleText[channel], codes);
    if (check != kTitleOk)
        return check;
    CommandText command;
    command.Put("CT");
    command.PutDecimal(channel + 1, 2);
    for (uint16_t code : codes)
        command.PutHex(code, 4);
    Send(command);
    return kTitleOk;
}

bool SendTitleDisplayInput(int channel)
{
    if (!InRange(channel, 0, Channels() - 1))
        return RefuseCommand();
    return SendNumberedFlag("CTI", channel, Channels(), M().TitleDisplayInput[channel]);
}

bool SendTitleDisplayInputAll()
{
    return SendFlagLetters("CTI", M().TitleDisplayInput, Channels());
}

bool SendTitleDisplayOutput(int output)
{
    if (!InRange(output, 0, kOutputCount - 1))
        return RefuseCommand();
    return SendNumberedFlag("CTO", output, kOutputCount, M().TitleDisplayOutput[output]);
}

bool SendTitleDisplayOutputAll()
{
    return SendFlagLetters("CTO", M().TitleDisplayOutput, kOutputCount);
}

bool SendTitlePosition(int channel)
{
    if (!InRange(channel, 0, Channels() - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("CTPI");
    command.PutDecimal(channel + 1, 2);
    command.PutChar(M().TitlePosition[channel] == 0 ? 'B' : 'T');
    return Send(command);
}

bool SendTitlePositionAll()
{
    CommandText command;
    command.Put("CTPI");
    for (int c = 0; c < Channels(); ++c)
        command.PutChar(M().TitlePosition[c] == 0 ? 'B' : 'T');
    return Send(command);
}

bool SendTitleFontSize(int channel)
{
    if (!InRange(channel, 0, Channels() - 1))
        return RefuseCommand();
    const int size = M().TitleFontSize[channel];
    CommandText command;
    command.Put("CTSI");
    command.PutDecimal(channel + 1, 2);
    command.PutChar(size == 1 ? 'M' : size == 2 ? 'S' : 'L');
    return Send(command);
}

bool SendTitleFontSizeAll()
{
    CommandText command;
    command.Put("CTSI");
    for (int c = 0; c < Channels(); ++c) {
        const int size = M().TitleFontSize[c];
        command.PutChar(size == 0 ? 'L' : size == 1 ? 'M' : 'S');
    }
    return Send(command);
}

bool SendTitleFineTop()
{
    return SendTwoDigits("CTAT", M().TitleFineTop + 1, 1, kFineSteps);
}

bool SendTitleFineBottom()
{
    return SendTwoDigits("CTAB", M().TitleFineBottom + 1, 1, kFineSteps);
}

// ---- Panel lock --------------------------------------------------------------

bool SendButtonLock()
{
    return SendFlagLetter("POO", M().PanelLock.buttonLock, 'N', 'F');
}

bool SendMenuLock()
{
    return SendFlagLetter("PMO", M().PanelLock.menuLock, 'N', 'F');
}

bool SendPassword()
{
    const char* password = M().PanelLock.password;
    for (int i = 0; i < kPasswordLength; ++i)
        if (password[i] < '0' || password[i] > '9')
            return RefuseCommand();
    CommandText command;
    command.Put("PN");
    for (int i = 0; i < kPasswordLength; ++i)
        command.PutChar(password[i]);
    return Send(command);
}

// ---- User-defined glyphs -----------------------------------------------------

namespace {

bool SendGlyphRead(int sizeType, uint16_t code)
{
    CommandText command;
    command.Put("RFBM");
    command.PutChar(GlyphSizeOf(sizeType).letter);
    command.PutHex(code, 4);
    // The reply must echo exactly these four digits.
    memcpy(M().RequestedGlyphCode, command.text + 5, 4);
    M().RequestedGlyphCode[4] = '\0';
    return Send(command);
}

} // namespace

bool SendGlyphReadSlot(int sizeType, int slot)
{
    if (!InRange(slot, 0, GlyphSizeOf(sizeType).slotCount - 1))
        return RefuseCommand();
    return SendGlyphRead(sizeType, GlyphCodeOfSlot(slot));
}

bool SendGlyphReadSample(int sizeType, const char* sample)
{
    return SendGlyphRead(sizeType, GlyphCodeOfSample(sample));
}

bool SendGlyphRegister(int sizeType, int slot)
{
    const GlyphSizeInfo& size = GlyphSizeOf(sizeType);
    if (!InRange(slot, 0, size.slotCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("GR");
    command.PutChar(size.letter);
    command.PutDecimal(slot + 1, 3);
    for (int i = 0; i < size.bitmapBytes; ++i)
        command.PutHex(M().GlyphBitmap[i], 2);
    return Send(command);
}

bool SendGlyphInsert(int sizeType, int slot, int channel, int position)
{
    const GlyphSizeInfo& size = GlyphSizeOf(sizeType);
    if (!InRange(slot, 0, size.slotCount - 1) || !InRange(channel, 0, Channels() - 1) ||
        !InRange(position, 0, size.titlePositions - 1))
        return RefuseCommand();
    CommandText command;
    command.PutChar('G');
    command.PutDecimal(slot + 1, 3);
    command.PutChar('C');
    command.PutDecimal(channel + 1, 2);
    command.PutChar('I');
    command.PutDecimal(position + 1, 2);
    return Send(command);
}

// ---- Unit network settings (serial link only) ----------------------------------

bool SendUnitAddress(UnitAddressKind kind)
{
    const UnitNetworkRecord& net = M().UnitNetwork;
    const char* mnemonic = "EIA";
    const int* octets = net.ipAddress;
    switch (kind) {
    case kUnitIpAddress: break;
    case kUnitGatewayAddress: mnemonic = "EGA"; octets = net.gatewayAddress; break;
    case kUnitActiveAddress: mnemonic = "EAA"; octets = net.activeAddress; break;
    case kUnitSubnetMask: mnemonic = "ESM"; octets = net.subnetMask; break;
    default: return RefuseCommand();
    }
    CommandText command;
    command.Put(mnemonic);
    for (int i = 0; i < 4; ++i) {
        if (!InRange(octets[i], 0, 255))
            return RefuseCommand();
        if (i > 0)
            command.PutChar('.');
        command.PutDecimal(octets[i], 3);
    }
    return SendSerial(command);
}

namespace {

bool SendUnitFlag(const char* mnemonic, int flag)
{
    if (!InRange(flag, 0, 1))
        return RefuseCommand();
    CommandText command;
    command.Put(mnemonic);
    command.PutFlagWord(flag);
    return SendSerial(command);
}

// A port goes out as exactly five digits. A shorter number is padded with
// leading zeros, the form the unit stores ("09004"); anything that is not a
// port number 1..65535 is refused rather than sent as garbage.
bool SendUnitPort(const char* mnemonic, const char* text)
{
    const size_t length = strnlen(text, 6);
    if (length == 0 || length > 5)
        return RefuseCommand();
    int value = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return RefuseCommand();
        value = value * 10 + (text[i] - '0');
    }
    if (!InRange(value, 1, 65535))
        return RefuseCommand();
    CommandText command;
    command.Put(mnemonic);
    command.PutDecimal(value, 5);
    return SendSerial(command);
}

} // namespace

bool SendUnitConnectionTry()
{
    return SendUnitFlag("ECT", M().UnitNetwork.connectionTry);
}

bool SendUnitKeepAlive()
{
    return SendUnitFlag("EKA", M().UnitNetwork.keepAlive);
}

bool SendUnitSourcePort()
{
    return SendUnitPort("ESPN", M().UnitNetwork.sourcePortText);
}

bool SendUnitDestinationPort()
{
    return SendUnitPort("EDPN", M().UnitNetwork.destinationPortText);
}

bool SendUnitTimeRegister()
{
    const int item = M().UnitNetwork.timeRegister;
    if (!InRange(item, 0, kTimeRegisterItems - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("ETR");
    command.PutChar(static_cast<char>('1' + item));
    return SendSerial(command);
}

bool SendUnitNetworkRead(int step)
{
    static const char* const kReads[kUnitNetworkReadSteps] = {
        "REIA", "REGA", "REAA", "RESM", "RECT", "RETR", "REDPN", "RESPN", "REKA", "REMA", "RVN",
    };
    if (!InRange(step, 1, kUnitNetworkReadSteps))
        return RefuseCommand();
    CommandText command;
    command.Put(kReads[step - 1]);
    return SendSerial(command);
}

// ---- Reads and sequences -----------------------------------------------------

bool SendReadCurrentPattern()
{
    return SendSimple("ROP");
}

bool SendReadPattern(int pattern)
{
    return SendTwoDigits("ROP", pattern + 1, 1, kPatternCount);
}

bool SendReadAutoSwitch(int pattern)
{
    return SendTwoDigits("RSP", pattern + 1, 1, kPatternCount);
}

bool SendReadVideoOutputs()
{
    return SendSimple("ROE");
}

bool SendReadOutputSources()
{
    return SendSimple("ROS");
}

bool SendReadOutputChannels()
{
    return SendSimple("ROCD");
}

bool SendReadVideoLoss()
{
    return SendSimple("RVL");
}

bool SendReadAllStep(int step)
{
    if (step == 1)
        return SendReadCurrentPattern();
    if (InRange(step, 2, 33))
        return SendReadPattern(step - 2);
    if (InRange(step, 34, 65))
        return SendReadAutoSwitch(step - 34);
    if (step == kReadAllSteps)
        return SendReadVideoOutputs();
    return RefuseCommand();
}

bool SendSetAllStep(int step)
{
    if (step == 1)
        return SendPatternSelect(M().CurrentDisplayPattern);
    if (step == 2)
        return SendOutputSources(M().CurrentDisplayPattern);
    if (InRange(step, 3, 34))
        return SendPatternRow(step - 3);
    if (InRange(step, 35, 66))
        return SendAutoSwitchPattern(step - 35);
    if (step == kSetAllSteps)
        return SendVideoOutputAll();
    return RefuseCommand();
}

bool SendStatusPollStep(int counter)
{
    switch (counter % 3) {
    case 0: return SendReadOutputSources();
    case 1: return SendReadOutputChannels();
    default: return SendReadVideoLoss();
    }
}
