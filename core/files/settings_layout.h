// The one description of the settings data file: every setting in file
// order, each with its human name (as the unit's panel and the dialogs name
// it), the model's name for its table, its place in that table and how a
// person reads its value. The file's reader and writer walk it line by line;
// the comparison of two sets (diff, verify) and the settings report walk it
// too, so a setting added here appears in all of them at once.
#pragma once

#include <string>

#include "protocol/device_model.h"

// The report's sections, each named as its dialogs are.
enum class SettingSection { kRouting, kTitles, kDateTime, kAlarms, kPanel, kNetwork };

// How a person reads a number.
enum class SettingShown {
    kPlain,         // 12
    kOnOff,         // OFF, ON
    kPattern,       // the current display pattern: 1..32, or FREE
    kSource,        // a display source as the wire names it: I07, S02
    kDwell,         // an auto-switch dwell time: "5 s"
    kPolarity,      // Make, Break
    kDateRange,     // "year to second" ... "hour to minute"
    kDateSize,      // normal, small
    kInput,         // an input channel, 0-based: "input 3"
    kPosition,      // BOTTOM, TOP
    kFontSize,      // LARGE, MEDIUM, SMALL
    kFineStep,      // the fine position, 0..15 shown as 01..16
    kOctet,         // one of the four numbers of an address
    kTitle,         // a title (Shift-JIS in the model)
    kPassword,      // the panel password (digits)
};

struct Setting {
    const char* table;        // the model's name: "DisplayPatternTable", "UnitNetwork.ipAddress"
    const char* place;        // "display pattern {1}, output {2}": {1} and {2} the indexes, 1-based
    SettingSection section;
    SettingShown shown;
    int first = -1;           // 0-based indexes; -1 where the setting has none
    int second = -1;
};

// "display pattern 3, output 5" (row 32 of the display patterns is FREE).
std::string SettingPlace(const Setting& setting);
// The 1-based index as the wire numbers it: "03/05", "12", "" for a single value.
std::string SettingIndex(const Setting& setting);
// A number as a person reads it; `channelCount` is the model's.
std::string ShownSettingValue(const Setting& setting, int value, int channelCount);
// An address of four octets: "192.168.1.3".
std::string ShownAddress(const int (&octets)[4]);

// Walks every setting of the model in file order: the visitor's
//   Number(int& field, int low, int high, const Setting&)
//   Title(char* slot, const Setting&)
//   Password(char* password, const Setting&)
// is called once a line of the file. `low`..`high` is what the file may hold.
template <typename Visitor>
void VisitSettings(DeviceModelData& m, Visitor& v)
{
    using S = SettingSection;
    using V = SettingShown;
    const int sources = m.ChannelCount + kPatternCount - 1;
    v.Number(m.CurrentDisplayPattern, 0, kFreePattern,
             {"CurrentDisplayPattern", "current display pattern", S::kRouting, V::kPattern});
    for (int p = 0; p < kDisplayRows; ++p)
        for (int o = 0; o < kOutputCount; ++o)
            v.Number(m.DisplayPatternTable[p][o], 0, sources,
                     {"DisplayPatternTable", "display pattern {1}, output {2}", S::kRouting, V::kSource, p, o});
    for (int p = 0; p < kPatternCount; ++p)
        for (int c = 0; c < kMaxChannels; ++c)
            v.Number(m.AutoSwitchPatternTable[p][c], 0, kMaxDwellTime,
                     {"AutoSwitchPatternTable", "auto-switch pattern {1}, input {2} dwell time", S::kRouting,
                      V::kDwell, p, c});
    AlarmSettingsRecord& alarm = m.AlarmSettings;
    v.Number(alarm.holdTime, 0, kMaxDwellTime, {"AlarmSettings.holdTime", "alarm hold time", S::kAlarms, V::kPlain});
    v.Number(alarm.alarmDisplay, 0, 1, {"AlarmSettings.alarmDisplay", "alarm display", S::kAlarms, V::kOnOff});
    v.Number(alarm.buzzer, 0, 1, {"AlarmSettings.buzzer", "alarm buzzer", S::kAlarms, V::kOnOff});
    v.Number(alarm.autoReturn, 0, 1, {"AlarmSettings.autoReturn", "alarm auto return", S::kAlarms, V::kOnOff});
    v.Number(alarm.inputPolarity, 0, 1,
             {"AlarmSettings.inputPolarity", "alarm input polarity", S::kAlarms, V::kPolarity});
    for (int i = 0; i < kAlarmInputCount; ++i)
        v.Number(m.AlarmInputChannel[i], 0, m.ChannelCount - 1,
                 {"AlarmInputChannel", "alarm input connector {1}", S::kAlarms, V::kInput, i});
    for (int c = 0; c < kMaxChannels; ++c)
        for (int k = 0; k < kAlarmVideoOutputs; ++k)
            v.Number(m.AlarmVideoOutput[c][k], 0, 1,
                     {"AlarmVideoOutput", "alarm video output, input {1}, output {2}", S::kAlarms, V::kOnOff, c, k});
    for (int c = 0; c < kMaxChannels; ++c)
        for (int k = 0; k < kAlarmSignalOutputs; ++k)
            v.Number(m.AlarmSignalOutput[c][k], 0, 1,
                     {"AlarmSignalOutput", "alarm signal output, input {1}, output {2}", S::kAlarms, V::kOnOff, c,
                      k});
    v.Number(m.DateTimeFormat, 0, kDateTimeFormats - 1,
             {"DateTimeFormat", "date/time range", S::kDateTime, V::kDateRange});
    v.Number(m.DateTimeSize, 0, 1, {"DateTimeSize", "date/time size", S::kDateTime, V::kDateSize});
    for (int c = 0; c < kMaxChannels; ++c)
        v.Number(m.DateTimeDisplayInput[c], 0, 1,
                 {"DateTimeDisplayInput", "date/time display, input {1}", S::kDateTime, V::kOnOff, c});
    for (int o = 0; o < kOutputCount; ++o)
        v.Number(m.DateTimeDisplayOutput[o], 0, 1,
                 {"DateTimeDisplayOutput", "date/time display, output {1}", S::kDateTime, V::kOnOff, o});
    for (int c = 0; c < kMaxChannels; ++c)
        v.Title(m.TitleText[c], {"TitleText", "title {1}", S::kTitles, V::kTitle, c});
    for (int c = 0; c < kMaxChannels; ++c)
        v.Number(m.TitleDisplayInput[c], 0, 1,
                 {"TitleDisplayInput", "title display, input {1}", S::kTitles, V::kOnOff, c});
    for (int o = 0; o < kOutputCount; ++o)
        v.Number(m.TitleDisplayOutput[o], 0, 1,
                 {"TitleDisplayOutput", "title display, output {1}", S::kTitles, V::kOnOff, o});
    for (int c = 0; c < kMaxChannels; ++c)
        v.Number(m.TitlePosition[c], 0, 1,
                 {"TitlePosition", "title position, input {1}", S::kTitles, V::kPosition, c});
    for (int c = 0; c < kMaxChannels; ++c)
        v.Number(m.TitleFontSize[c], 0, 2, {"TitleFontSize", "title size, input {1}", S::kTitles, V::kFontSize, c});
    v.Number(m.TitleFineTop, 0, kFineSteps - 1,
             {"TitleFineTop", "title fine position, top", S::kTitles, V::kFineStep});
    v.Number(m.TitleFineBottom, 0, kFineSteps - 1,
             {"TitleFineBottom", "title fine position, bottom", S::kTitles, V::kFineStep});
    v.Number(m.PanelLock.buttonLock, 0, 1,
             {"PanelLock.buttonLock", "panel lock on button operation", S::kPanel, V::kOnOff});
    v.Number(m.PanelLock.menuLock, 0, 1, {"PanelLock.menuLock", "panel lock on menu operation", S::kPanel, V::kOnOff});
    v.Password(m.PanelLock.password, {"PanelLock.password", "panel password", S::kPanel, V::kPassword});
    for (int o = 0; o < kOutputCount; ++o)
        v.Number(m.VideoOutputEnable[o], 0, 1,
                 {"VideoOutputEnable", "video output {1}", S::kRouting, V::kOnOff, o});
    UnitNetworkRecord& net = m.UnitNetwork;
    const struct {
        int (&octets)[4];
        const char* table;
        const char* place;
    } addresses[] = {
        {net.subnetMask, "UnitNetwork.subnetMask", "unit subnet mask"},
        {net.ipAddress, "UnitNetwork.ipAddress", "unit IP address"},
        {net.gatewayAddress, "UnitNetwork.gatewayAddress", "unit gateway address"},
        {net.activeAddress, "UnitNetwork.activeAddress", "unit active address"},
    };
    for (const auto& address : addresses)
        for (int k = 0; k < 4; ++k)
            v.Number(address.octets[k], 0, 255, {address.table, address.place, S::kNetwork, V::kOctet, k});
    v.Number(net.keepAlive, 0, 1, {"UnitNetwork.keepAlive", "unit keep alive", S::kNetwork, V::kOnOff});
    v.Number(net.connectionTry, 0, 1, {"UnitNetwork.connectionTry", "unit connection try", S::kNetwork, V::kOnOff});
}
