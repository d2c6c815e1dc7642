#include "protocol/device_model.h"

#include "link/text_conversions.h"

#include <cstdio>
#include <cstring>

namespace {

// "お買い上げいただきありがとうございます。" in Shift-JIS.
const char kFirstChannelTitle[] =
    "\x82\xa8\x94\x83\x82\xa2\x8f\xe3\x82\xb0\x82\xa2\x82\xbd\x82\xbe\x82\xab\x82\xa0"
    "\x82\xe8\x82\xaa\x82\xc6\x82\xa4\x82\xb2\x82\xb4\x82\xa2\x82\xdc\x82\xb7\x81\x42";

// Eight full-width spaces, "ＣＨ" and two full-width zeros.
const char kChannelTitleTemplate[] =
    "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40"
    "\x82\x62\x82\x67\x82\x4f\x82\x4f";

template <typename T, int N>
void Fill(T (&table)[N], T value)
{
    for (T& v : table)
        v = value;
}

void ResetDisplayPatterns(DeviceModelData& m)
{
    for (auto& row : m.DisplayPatternTable)
        for (int j = 0; j < kOutputCount; ++j)
            row[j] = j;
}

void ResetAlarmOutputs(DeviceModelData& m)
{
    for (auto& channel : m.AlarmVideoOutput)
        for (int k = 0; k < kAlarmVideoOutputs; ++k)
            channel[k] = k == 0 ? 1 : 0;
    for (auto& channel : m.AlarmSignalOutput)
        for (int k = 0; k < kAlarmSignalOutputs; ++k)
            channel[k] = k == 0 ? 1 : 0;
}

void ResetTitles(DeviceModelData& m)
{
    for (int c = 0; c < kMaxChannels; ++c)
        WriteDefaultTitle(c, m.TitleText[c]);
}

void CopyText(char* field, size_t size, const char* text)
{
    snprintf(field, size, "%s", text);
}

// The parts that File New and program start reset alike.
void ResetSettingsSet(DeviceModelData& m)
{
    ResetDisplayPatterns(m);
    for (auto& row : m.AutoSwitchPatternTable)
        Fill(row, 3);

    m.AlarmSettings.holdTime = 10;
    SyncHoldTimeText(m.AlarmSettings);
    m.AlarmSettings.alarmDisplay = 1;
    m.AlarmSettings.buzzer = 1;
    m.AlarmSettings.autoReturn = 1;
    m.AlarmSettings.inputPolarity = 0;

    for (int i = 0; i < kAlarmInputCount; ++i)
        m.AlarmInputChannel[i] = i;
    ResetAlarmOutputs(m);

    m.DateTimeFormat = 0;
    m.DateTimeSize = 0;
    Fill(m.DateTimeDisplayInput, 1);
    Fill(m.DateTimeDisplayOutput, 1);

    ResetTitles(m);
    Fill(m.TitleDisplayInput, 1);
    Fill(m.TitleDisplayOutput, 1);
    Fill(m.TitlePosition, 0);
    Fill(m.TitleFontSize, 1);
    m.TitleFineTop = 7;
    m.TitleFineBottom = 7;

    m.PanelLock.buttonLock = 0;
    m.PanelLock.menuLock = 0;
    CopyText(m.PanelLock.password, sizeof m.PanelLock.password, "482913");

    Fill(m.VideoOutputEnable, 1);
}

void SetOctets(int (&octets)[4], int a, int b, int c, int d)
{
    octets[0] = a;
    octets[1] = b;
    octets[2] = c;
    octets[3] = d;
}

} // namespace

// Start values from the first moment, so that nothing can see a zeroed model.
DeviceModelData DeviceModel = [] {
    static DeviceModelData start;
    ResetModelToStartValues(start);
    return start;
}();

void WriteDefaultTitle(int channel, char* slot)
{
    memset(slot, 0, kTitleSlotBytes);
    if (channel == 0) {
        memcpy(slot, kFirstChannelTitle, sizeof kFirstChannelTitle - 1);
        return;
    }
    const int number = channel + 1;
    const size_t length = sizeof kChannelTitleTemplate - 1;
    memcpy(slot, kChannelTitleTemplate, length);
    // A full-width digit is the full-width zero's second byte plus the digit.
    slot[length - 3] = static_cast<char>(0x4F + number / 10);
    slot[length - 1] = static_cast<char>(0x4F + number % 10);
}

void SyncHoldTimeText(AlarmSettingsRecord& alarm)
{
    int value = alarm.holdTime;
    if (value < 0 || value > kMaxDwellTime)
        value = 0;
    snprintf(alarm.holdTimeText, sizeof alarm.holdTimeText, "%d", value);
}

void ResetModelToStartValues(DeviceModelData& m)
{
    memset(&m, 0, sizeof m);
    m.ModelIndex = 2;
    m.ChannelCount = kMaxChannels;
    m.CurrentDisplayPattern = 0;
    ResetSettingsSet(m);

    SetOctets(m.UnitNetwork.subnetMask, 255, 255, 255, 0);
    SetOctets(m.UnitNetwork.ipAddress, 192, 168, 1, 3);
    SetOctets(m.UnitNetwork.gatewayAddress, 192, 168, 1, 2);
    SetOctets(m.UnitNetwork.activeAddress, 192, 168, 1, 4);
    m.UnitNetwork.connectionTry = 0;
    m.UnitNetwork.keepAlive = 0;
    m.UnitNetwork.timeRegister = 5;
    CopyText(m.UnitNetwork.sourcePortText, sizeof m.UnitNetwork.sourcePortText, "09004");
    CopyText(m.UnitNetwork.destinationPortText, sizeof m.UnitNetwork.destinationPortText, "09004");
    m.UnitNetwork.macAddressText[0] = '\0';
    CopyText(m.UnitNetwork.firmwareVersionText, sizeof m.UnitNetwork.firmwareVersionText, "0.00");
}

void ResetModelForNewSettings(DeviceModelData& m)
{
    ResetSettingsSet(m);
}

bool IsValidDisplaySource(int code, int channelCount)
{
    return code >= 0 && code < channelCount + kPatternCount;
}

bool FormatDisplaySource(int code, int channelCount, char* text)
{
    if (!IsValidDisplaySource(code, channelCount))
        return false;
    if (code < channelCount) {
        text[0] = 'I';
        FormatTwoDigits(code + 1, text + 1);
    } else {
        text[0] = 'S';
        FormatTwoDigits(code - channelCount + 1, text + 1);
    }
    return true;
}

int ParseDisplaySource(const char* text, int channelCount)
{
    if (text[1] < '0' || text[1] > '9' || text[2] < '0' || text[2] > '9')
        return -1;
    int number = (text[1] - '0') * 10 + (text[2] - '0');
    if (text[0] == 'I' && number >= 1 && number <= channelCount)
        return number - 1;
    if (text[0] == 'S' && number >= 1 && number <= kPatternCount)
        return number - 1 + channelCount;
    return -1;
}

void DisplaySourceLabel(int code, int channelCount, char* label)
{
    if (!IsValidDisplaySource(code, channelCount)) {
        CopyText(label, 5, "----");
        return;
    }
    const bool input = code < channelCount;
    label[0] = input ? 'I' : 'S';
    label[1] = input ? 'N' : 'P';
    FormatTwoDigits(input ? code + 1 : code - channelCount + 1, label + 2);
    label[4] = '\0';
}
