#include "protocol/command_builder.h"

#include <cstring>

#include "link/send_path.h"
#include "link/transaction.h"
#include "protocol/command_text.h"
#include "protocol/device_model.h"
#include "protocol/glyph.h"
#include "protocol/jis.h"

namespace {

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

bool PutSource(CommandText& command, int code, int channelCount)
{
    char source[3];
    if (!FormatDisplaySource(code, channelCount, source))
        return false;
    command.PutChar(source[0]);
    command.PutChar(source[1]);
    command.PutChar(source[2]);
    return true;
}

bool PutSourceRow(CommandText& command, const DeviceModelData& model, int row)
{
    for (int j = 0; j < kOutputCount; ++j)
        if (!PutSource(command, model.DisplayPatternTable[row][j], model.ChannelCount))
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

bool SendAlarmPolarity(const DeviceModelData& model)
{
    return SendFlagLetter("AIP", model.AlarmSettings.inputPolarity, 'B', 'M');
}

bool HoldTimeSendable(const AlarmSettingsRecord& alarm)
{
    const size_t length = strnlen(alarm.holdTimeText, sizeof alarm.holdTimeText);
    if (length == 0 || length > 2)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (alarm.holdTimeText[i] < '0' || alarm.holdTimeText[i] > '9')
            return false;
    return InRange(alarm.holdTime, 1, kMaxDwellTime);
}

bool SendAlarmHoldTime(const DeviceModelData& model)
{
    const AlarmSettingsRecord& alarm = model.AlarmSettings;
    if (!HoldTimeSendable(alarm))
        return RefuseCommand();
    CommandText command;
    command.Put("ADT");
    if (alarm.holdTimeText[1] == '\0')
        command.PutChar('0');
    command.Put(alarm.holdTimeText);
    return Send(command);
}

bool SendAlarmBuzzer(const DeviceModelData& model)
{
    return SendFlagLetter("ABOO", model.AlarmSettings.buzzer, 'N', 'F');
}

bool SendAlarmDisplay(const DeviceModelData& model)
{
    return SendFlagLetter("ADO", model.AlarmSettings.alarmDisplay, 'N', 'F');
}

bool SendAlarmReturn(const DeviceModelData& model)
{
    return SendFlagLetter("ARO", model.AlarmSettings.autoReturn, 'N', 'F');
}

// ---- Alarm input and outputs ----------------------------------------------

bool SendAlarmInput(const DeviceModelData& model, int connector)
{
    if (!InRange(connector, 0, kAlarmInputCount - 1))
        return RefuseCommand();
    const int channel = model.AlarmInputChannel[connector];
    if (!InRange(channel, 0, model.ChannelCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("AIN");
    command.PutDecimal(connector + 1, 2);
    command.PutChar('I');
    command.PutDecimal(channel + 1, 2);
    return Send(command);
}

bool SendAlarmInputAll(const DeviceModelData& model)
{
    CommandText command;
    command.Put("AIN");
    for (int i = 0; i < kAlarmInputCount; ++i) {
        const int channel = model.AlarmInputChannel[i];
        if (!InRange(channel, 0, model.ChannelCount - 1))
            return RefuseCommand();
        command.PutDecimal(channel + 1, 2);
    }
    return Send(command);
}

bool SendAlarmVideoOutput(const DeviceModelData& model, int channel)
{
    if (!InRange(channel, 0, model.ChannelCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("AOM");
    command.PutDecimal(channel + 1, 2);
    PutAlarmLetters(command, model.AlarmVideoOutput[channel], kAlarmVideoOutputs);
    return Send(command);
}

bool SendAlarmVideoOutputAll(const DeviceModelData& model)
{
    CommandText command;
    command.Put("AOM");
    for (int c = 0; c < model.ChannelCount; ++c)
        PutAlarmLetters(command, model.AlarmVideoOutput[c], kAlarmVideoOutputs);
    return Send(command);
}

bool SendAlarmSignalOutput(const DeviceModelData& model, int channel)
{
    if (!InRange(channel, 0, model.ChannelCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("AOS");
    command.PutDecimal(channel + 1, 2);
    PutAlarmLetters(command, model.AlarmSignalOutput[channel], kAlarmSignalOutputs);
    return Send(command);
}

bool SendAlarmSignalOutputAll(const DeviceModelData& model)
{
    CommandText command;
    command.Put("AOS");
    for (int c = 0; c < model.ChannelCount; ++c)
        PutAlarmLetters(command, model.AlarmSignalOutput[c], kAlarmSignalOutputs);
    return Send(command);
}

// ---- Display patterns, auto-switch patterns, video outputs -----------------

bool SendPatternSelect(const DeviceModelData&, int pattern)
{
    if (pattern == kFreePattern)
        return SendSimple("OPFR");
    return SendTwoDigits("OP", pattern + 1, 1, kPatternCount);
}

bool SendPatternCell(const DeviceModelData& model, int pattern, int output)
{
    if (!InRange(pattern, 0, kPatternCount - 1) || !InRange(output, 0, kOutputCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("OP");
    command.PutDecimal(pattern + 1, 2);
    command.PutDecimal(output + 1, 2);
    if (!PutSource(command, model.DisplayPatternTable[pattern][output], model.ChannelCount))
        return RefuseCommand();
    return Send(command);
}

bool SendPatternRow(const DeviceModelData& model, int pattern)
{
    if (!InRange(pattern, 0, kPatternCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("OP");
    command.PutDecimal(pattern + 1, 2);
    if (!PutSourceRow(command, model, pattern))
        return RefuseCommand();
    return Send(command);
}

bool SendFreeOutput(const DeviceModelData& model, int output)
{
    if (!InRange(output, 0, kOutputCount - 1))
        return RefuseCommand();
    CommandText command;
    command.PutChar('O');
    command.PutDecimal(output + 1, 2);
    if (!PutSource(command, model.DisplayPatternTable[kFreePattern][output], model.ChannelCount))
        return RefuseCommand();
    return Send(command);
}

bool SendOutputSources(const DeviceModelData& model, int row)
{
    if (!InRange(row, 0, kDisplayRows - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("OS");
    if (!PutSourceRow(command, model, row))
        return RefuseCommand();
    return Send(command);
}

bool SendAutoSwitchCell(const DeviceModelData& model, int pattern, int channel)
{
    if (!InRange(pattern, 0, kPatternCount - 1) || !InRange(channel, 0, model.ChannelCount - 1))
        return RefuseCommand();
    const int dwell = model.AutoSwitchPatternTable[pattern][channel];
    if (!InRange(dwell, 0, kMaxDwellTime))
        return RefuseCommand();
    CommandText command;
    command.Put("SP");
    command.PutDecimal(pattern + 1, 2);
    command.PutDecimal(channel + 1, 2);
    command.PutDecimal(dwell, 2);
    return Send(command);
}

bool SendAutoSwitchPattern(const DeviceModelData& model, int pattern)
{
    if (!InRange(pattern, 0, kPatternCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("SP");
    command.PutDecimal(pattern + 1, 2);
    for (int c = 0; c < model.ChannelCount; ++c) {
        const int dwell = model.AutoSwitchPatternTable[pattern][c];
        if (!InRange(dwell, 0, kMaxDwellTime))
            return RefuseCommand();
        command.PutDecimal(dwell, 2);
    }
    return Send(command);
}

bool SendVideoOutput(const DeviceModelData& model, int output)
{
    // Output 1 is always on and is never set on its own.
    if (!InRange(output, 1, kOutputCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("OE");
    command.PutDecimal(output + 1, 2);
    command.PutFlagWord(model.VideoOutputEnable[output]);
    return Send(command);
}

bool SendVideoOutputAll(const DeviceModelData& model)
{
    return SendFlagLetters("OE", model.VideoOutputEnable, kOutputCount);
}

// ---- Date and time -----------------------------------------------------------

bool SendDateYear(const DeviceModelData&, int index)
{
    return SendTwoDigits("DSY", index, 0, 99);
}

bool SendDateMonth(const DeviceModelData&, int index)
{
    if (!InRange(index, 0, 11))
        return false;
    return SendTwoDigits("DSM", index + 1, 1, 12);
}

bool SendDateDay(const DeviceModelData&, int index)
{
    return SendTwoDigits("DSD", index + 1, 1, 31);
}

bool SendTimeHour(const DeviceModelData&, int hour)
{
    return SendTwoDigits("TSH", hour, 0, 23);
}

bool SendTimeMinute(const DeviceModelData&, int minute)
{
    return SendTwoDigits("TSM", minute, 0, 59);
}

bool SendTimeSecond(const DeviceModelData&, int second)
{
    return SendTwoDigits("TSS", second, 0, 59);
}

bool SendTimeCorrection(const DeviceModelData&)
{
    return SendSimple("TSA");
}

bool SendDateTimeFormat(const DeviceModelData& model)
{
    const int format = model.DateTimeFormat;
    if (!InRange(format, 0, kDateTimeFormats - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("TSDR");
    command.PutChar(static_cast<char>('1' + format));
    return Send(command);
}

bool SendDateTimeSize(const DeviceModelData& model)
{
    const int size = model.DateTimeSize;
    if (!InRange(size, 0, 1))
        return false;
    return SendSimple(size == 0 ? "TSDSN" : "TSDSS");
}

bool SendDateTimeInput(const DeviceModelData& model, int channel)
{
    if (!InRange(channel, 0, model.ChannelCount - 1))
        return RefuseCommand();
    return SendNumberedFlag("TSI", channel, model.ChannelCount, model.DateTimeDisplayInput[channel]);
}

bool SendDateTimeInputAll(const DeviceModelData& model)
{
    return SendFlagLetters("TSI", model.DateTimeDisplayInput, model.ChannelCount);
}

bool SendDateTimeOutput(const DeviceModelData& model, int output)
{
    if (!InRange(output, 0, kOutputCount - 1))
        return RefuseCommand();
    return SendNumberedFlag("TSO", output, kOutputCount, model.DateTimeDisplayOutput[output]);
}

bool SendDateTimeOutputAll(const DeviceModelData& model)
{
    return SendFlagLetters("TSO", model.DateTimeDisplayOutput, kOutputCount);
}

// ---- Titles ------------------------------------------------------------------

TitleCheck SendTitle(const DeviceModelData& model, int channel)
{
    if (!InRange(channel, 0, model.ChannelCount - 1))
        return kTitleBadLength;
    uint16_t codes[kTitleCharacters];
    const TitleCheck check = EncodeTitle(model.TitleText[channel], codes);
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

bool SendTitleDisplayInput(const DeviceModelData& model, int channel)
{
    if (!InRange(channel, 0, model.ChannelCount - 1))
        return RefuseCommand();
    return SendNumberedFlag("CTI", channel, model.ChannelCount, model.TitleDisplayInput[channel]);
}

bool SendTitleDisplayInputAll(const DeviceModelData& model)
{
    return SendFlagLetters("CTI", model.TitleDisplayInput, model.ChannelCount);
}

bool SendTitleDisplayOutput(const DeviceModelData& model, int output)
{
    if (!InRange(output, 0, kOutputCount - 1))
        return RefuseCommand();
    return SendNumberedFlag("CTO", output, kOutputCount, model.TitleDisplayOutput[output]);
}

bool SendTitleDisplayOutputAll(const DeviceModelData& model)
{
    return SendFlagLetters("CTO", model.TitleDisplayOutput, kOutputCount);
}

bool SendTitlePosition(const DeviceModelData& model, int channel)
{
    if (!InRange(channel, 0, model.ChannelCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("CTPI");
    command.PutDecimal(channel + 1, 2);
    command.PutChar(model.TitlePosition[channel] == 0 ? 'B' : 'T');
    return Send(command);
}

bool SendTitlePositionAll(const DeviceModelData& model)
{
    CommandText command;
    command.Put("CTPI");
    for (int c = 0; c < model.ChannelCount; ++c)
        command.PutChar(model.TitlePosition[c] == 0 ? 'B' : 'T');
    return Send(command);
}

bool SendTitleFontSize(const DeviceModelData& model, int channel)
{
    if (!InRange(channel, 0, model.ChannelCount - 1))
        return RefuseCommand();
    const int size = model.TitleFontSize[channel];
    CommandText command;
    command.Put("CTSI");
    command.PutDecimal(channel + 1, 2);
    command.PutChar(size == 1 ? 'M' : size == 2 ? 'S' : 'L');
    return Send(command);
}

bool SendTitleFontSizeAll(const DeviceModelData& model)
{
    CommandText command;
    command.Put("CTSI");
    for (int c = 0; c < model.ChannelCount; ++c) {
        const int size = model.TitleFontSize[c];
        command.PutChar(size == 0 ? 'L' : size == 1 ? 'M' : 'S');
    }
    return Send(command);
}

bool SendTitleFineTop(const DeviceModelData& model)
{
    return SendTwoDigits("CTAT", model.TitleFineTop + 1, 1, kFineSteps);
}

bool SendTitleFineBottom(const DeviceModelData& model)
{
    return SendTwoDigits("CTAB", model.TitleFineBottom + 1, 1, kFineSteps);
}

// ---- Panel lock --------------------------------------------------------------

bool SendButtonLock(const DeviceModelData& model)
{
    return SendFlagLetter("POO", model.PanelLock.buttonLock, 'N', 'F');
}

bool SendMenuLock(const DeviceModelData& model)
{
    return SendFlagLetter("PMO", model.PanelLock.menuLock, 'N', 'F');
}

bool PasswordSendable(const PanelLockRecord& lock)
{
    for (int i = 0; i < kPasswordLength; ++i)
        if (lock.password[i] < '0' || lock.password[i] > '9')
            return false;
    return true;
}

bool SendPassword(const DeviceModelData& model)
{
    if (!PasswordSendable(model.PanelLock))
        return RefuseCommand();
    CommandText command;
    command.Put("PN");
    for (int i = 0; i < kPasswordLength; ++i)
        command.PutChar(model.PanelLock.password[i]);
    return Send(command);
}

// ---- User-defined glyphs -----------------------------------------------------

namespace {

bool SendGlyphRead(DeviceModelData& model, int sizeType, uint16_t code)
{
    CommandText command;
    command.Put("RFBM");
    command.PutChar(GlyphSizeOf(sizeType).letter);
    command.PutHex(code, 4);
    // The reply must echo exactly these four digits, in this size.
    memcpy(model.RequestedGlyphCode, command.text + 5, 4);
    model.RequestedGlyphCode[4] = '\0';
    model.RequestedGlyphSize = command.text[4];
    return Send(command);
}

} // namespace

bool SendGlyphReadSlot(DeviceModelData& model, int sizeType, int slot)
{
    if (!InRange(slot, 0, GlyphSizeOf(sizeType).slotCount - 1))
        return RefuseCommand();
    return SendGlyphRead(model, sizeType, GlyphCodeOfSlot(slot));
}

bool SendGlyphReadSample(DeviceModelData& model, int sizeType, const char* sample)
{
    return SendGlyphRead(model, sizeType, GlyphCodeOfSample(sample));
}

bool SendGlyphRegister(const DeviceModelData& model, int sizeType, int slot)
{
    const GlyphSizeInfo& size = GlyphSizeOf(sizeType);
    if (!InRange(slot, 0, size.slotCount - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("GR");
    command.PutChar(size.letter);
    command.PutDecimal(slot + 1, 3);
    for (int i = 0; i < size.bitmapBytes; ++i)
        command.PutHex(model.GlyphBitmap[i], 2);
    return Send(command);
}

bool SendGlyphInsert(const DeviceModelData& model, int sizeType, int slot, int channel, int position)
{
    const GlyphSizeInfo& size = GlyphSizeOf(sizeType);
    if (!InRange(slot, 0, size.slotCount - 1) || !InRange(channel, 0, model.ChannelCount - 1) ||
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

bool SendUnitAddress(const DeviceModelData& model, UnitAddressKind kind)
{
    const UnitNetworkRecord& net = model.UnitNetwork;
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

bool SendUnitPort(const char* mnemonic, const char* text)
{
    int port = 0;
    if (CheckUnitPort(text, port) != kUnitPortGood)
        return RefuseCommand();
    CommandText command;
    command.Put(mnemonic);
    command.PutDecimal(port, 5);
    return SendSerial(command);
}

} // namespace

UnitPortCheck CheckUnitPort(const char* text, int& port)
{
    const size_t length = strnlen(text, 6);
    if (length == 0)
        return kUnitPortEmpty;
    int value = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return kUnitPortNotDigits;
        if (value <= 65535)
            value = value * 10 + (text[i] - '0');
    }
    if (length > 5 || !InRange(value, 1, 65535))
        return kUnitPortOutOfRange;
    port = value;
    return kUnitPortGood;
}

bool SendUnitConnectionTry(const DeviceModelData& model)
{
    return SendUnitFlag("ECT", model.UnitNetwork.connectionTry);
}

bool SendUnitKeepAlive(const DeviceModelData& model)
{
    return SendUnitFlag("EKA", model.UnitNetwork.keepAlive);
}

bool SendUnitSourcePort(const DeviceModelData& model)
{
    return SendUnitPort("ESPN", model.UnitNetwork.sourcePortText);
}

bool SendUnitDestinationPort(const DeviceModelData& model)
{
    return SendUnitPort("EDPN", model.UnitNetwork.destinationPortText);
}

bool SendUnitTimeRegister(const DeviceModelData& model)
{
    const int item = model.UnitNetwork.timeRegister;
    if (!InRange(item, 0, kTimeRegisterItems - 1))
        return RefuseCommand();
    CommandText command;
    command.Put("ETR");
    command.PutChar(static_cast<char>('1' + item));
    return SendSerial(command);
}

bool SendUnitNetworkRead(const DeviceModelData&, int step)
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

bool SendReadCurrentPattern(const DeviceModelData&)
{
    return SendSimple("ROP");
}

bool SendReadPattern(const DeviceModelData&, int pattern)
{
    return SendTwoDigits("ROP", pattern + 1, 1, kPatternCount);
}

bool SendReadAutoSwitch(const DeviceModelData&, int pattern)
{
    return SendTwoDigits("RSP", pattern + 1, 1, kPatternCount);
}

bool SendReadVideoOutputs(const DeviceModelData&)
{
    return SendSimple("ROE");
}

bool SendReadOutputSources(const DeviceModelData&)
{
    return SendSimple("ROS");
}

bool SendReadOutputChannels(const DeviceModelData&)
{
    return SendSimple("ROCD");
}

bool SendReadVideoLoss(const DeviceModelData&)
{
    return SendSimple("RVL");
}

bool SendReadAllStep(const DeviceModelData& model, int step)
{
    if (step == 1)
        return SendReadCurrentPattern(model);
    if (InRange(step, 2, 33))
        return SendReadPattern(model, step - 2);
    if (InRange(step, 34, 65))
        return SendReadAutoSwitch(model, step - 34);
    if (step == kReadAllSteps)
        return SendReadVideoOutputs(model);
    return RefuseCommand();
}

bool SendSetAllStep(const DeviceModelData& model, int step)
{
    if (step == 1)
        return SendPatternSelect(model, model.CurrentDisplayPattern);
    if (step == 2)
        return SendOutputSources(model, model.CurrentDisplayPattern);
    if (InRange(step, 3, 34))
        return SendPatternRow(model, step - 3);
    if (InRange(step, 35, 66))
        return SendAutoSwitchPattern(model, step - 35);
    if (step == kSetAllSteps)
        return SendVideoOutputAll(model);
    return RefuseCommand();
}

bool SendStatusPollStep(const DeviceModelData& model, int counter)
{
    switch (counter % 3) {
    case 0: return SendReadOutputSources(model);
    case 1: return SendReadOutputChannels(model);
    default: return SendReadVideoLoss(model);
    }
}
