#include "cli/compare.h"

#include <cstdio>
#include <cstring>
#include <functional>

#include "cli/title_table.h"

const char kNotComparedByVerify[] =
    "the FREE layout, the alarm settings, inputs and outputs, the date and time display, the titles with "
    "their display, position and size, the panel lock and password, and the unit's network settings";

namespace {

using Shown = std::function<std::string(int)>;

std::string Plain(int value)
{
    return std::to_string(value);
}

// A value outside its field's words (no file or reply the program reads has one).
std::string Word(int value, std::initializer_list<const char*> words)
{
    if (value >= 0 && static_cast<size_t>(value) < words.size())
        return words.begin()[value];
    return "(" + Plain(value) + ")";
}

std::string OnOff(int value)
{
    return Word(value, {"OFF", "ON"});
}

std::string TwoDigits(int number)
{
    char text[16];
    snprintf(text, sizeof text, "%02d", number);
    return text;
}

std::string Index(int first, int second = -1)
{
    return second < 0 ? TwoDigits(first + 1) : TwoDigits(first + 1) + "/" + TwoDigits(second + 1);
}

std::string Number(int zeroBased)
{
    return Plain(zeroBased + 1);
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string AsItIs(const std::string& text)
{
    return text;
}

std::string Address(const int (&octets)[4])
{
    return Plain(octets[0]) + "." + Plain(octets[1]) + "." + Plain(octets[2]) + "." + Plain(octets[3]);
}

class Comparer {
public:
    Comparer(const DeviceModelData& a, const DeviceModelData& b, std::vector<SettingDifference>& out)
        : a_(a), b_(b), out_(out)
    {
    }

    void Value(const char* table, const std::string& index, const std::string& place, int a, int b,
               const Shown& shown)
    {
        if (a != b)
            out_.push_back({table, index, place, shown(a), shown(b), a, b});
    }

    // Texts compare as the bytes the file holds; `raw` makes the UTF-8 of
    // each side (only for a difference), shown in quotes when `quoted`.
    void Text(const char* table, const std::string& index, const std::string& place, const std::string& a,
              const std::string& b, const std::function<std::string(const std::string&)>& raw, bool quoted)
    {
        if (a == b)
            return;
        const std::string rawA = raw(a), rawB = raw(b);
        out_.push_back({table, index, place, quoted ? Quoted(rawA) : rawA, quoted ? Quoted(rawB) : rawB, rawA, rawB});
    }

    // The display source as the wire names it: I07, S02.
    std::string Source(int code) const
    {
        char text[3];
        if (!FormatDisplaySource(code, a_.ChannelCount, text))
            return "(" + Plain(code) + ")";
        return std::string(text, 3);
    }

    void Routing(bool freeLayout)
    {
        Value("CurrentDisplayPattern", "", "current display pattern", a_.CurrentDisplayPattern,
              b_.CurrentDisplayPattern, [](int p) { return p == kFreePattern ? std::string("FREE") : Number(p); });
        for (int p = 0; p < (freeLayout ? kDisplayRows : kPatternCount); ++p) {
            const std::string pattern = p == kFreePattern ? "FREE" : Number(p);
            for (int o = 0; o < kOutputCount; ++o)
                Value("DisplayPatternTable", Index(p, o), "display pattern " + pattern + ", output " + Number(o),
                      a_.DisplayPatternTable[p][o], b_.DisplayPatternTable[p][o],
                      [this](int code) { return Source(code); });
        }
        for (int p = 0; p < kPatternCount; ++p)
            for (int c = 0; c < kMaxChannels; ++c)
                Value("AutoSwitchPatternTable", Index(p, c),
                      "auto-switch pattern " + Number(p) + ", input " + Number(c) + " dwell time",
                      a_.AutoSwitchPatternTable[p][c], b_.AutoSwitchPatternTable[p][c],
                      [](int seconds) { return Plain(seconds) + " s"; });
    }

    void Alarms()
    {
        const AlarmSettingsRecord& a = a_.AlarmSettings;
        const AlarmSettingsRecord& b = b_.AlarmSettings;
        Value("AlarmSettings.holdTime", "", "alarm hold time", a.holdTime, b.holdTime, Plain);
        Value("AlarmSettings.alarmDisplay", "", "alarm display", a.alarmDisplay, b.alarmDisplay, OnOff);
        Value("AlarmSettings.buzzer", "", "alarm buzzer", a.buzzer, b.buzzer, OnOff);
        Value("AlarmSettings.autoReturn", "", "alarm auto return", a.autoReturn, b.autoReturn, OnOff);
        Value("AlarmSettings.inputPolarity", "", "alarm input polarity", a.inputPolarity, b.inputPolarity,
              [](int v) { return Word(v, {"Make", "Break"}); });
        for (int i = 0; i < kAlarmInputCount; ++i)
            Value("AlarmInputChannel", Index(i), "alarm input connector " + Number(i), a_.AlarmInputChannel[i],
                  b_.AlarmInputChannel[i], [](int c) { return "input " + Number(c); });
        for (int c = 0; c < kMaxChannels; ++c)
            for (int k = 0; k < kAlarmVideoOutputs; ++k)
                Value("AlarmVideoOutput", Index(c, k), "alarm video output, input " + Number(c) + ", output " + Number(k),
                      a_.AlarmVideoOutput[c][k], b_.AlarmVideoOutput[c][k], OnOff);
        for (int c = 0; c < kMaxChannels; ++c)
            for (int k = 0; k < kAlarmSignalOutputs; ++k)
                Value("AlarmSignalOutput", Index(c, k),
                      "alarm signal output, input " + Number(c) + ", output " + Number(k), a_.AlarmSignalOutput[c][k],
                      b_.AlarmSignalOutput[c][k], OnOff);
    }

    void DateTime()
    {
        Value("DateTimeFormat", "", "date/time range", a_.DateTimeFormat, b_.DateTimeFormat, [](int v) {
            return Word(v, {"year to second", "year to minute", "year to day", "month to second", "month to minute",
                            "month to day", "hour to second", "hour to minute"});
        });
        Value("DateTimeSize", "", "date/time size", a_.DateTimeSize, b_.DateTimeSize,
              [](int v) { return Word(v, {"normal", "small"}); });
        for (int c = 0; c < kMaxChannels; ++c)
            Value("DateTimeDisplayInput", Index(c), "date/time display, input " + Number(c),
                  a_.DateTimeDisplayInput[c], b_.DateTimeDisplayInput[c], OnOff);
        for (int o = 0; o < kOutputCount; ++o)
            Value("DateTimeDisplayOutput", Index(o), "date/time display, output " + Number(o),
                  a_.DateTimeDisplayOutput[o], b_.DateTimeDisplayOutput[o], OnOff);
    }

    void Titles()
    {
        for (int c = 0; c < kMaxChannels; ++c) {
            const char* a = a_.TitleText[c];
            const char* b = b_.TitleText[c];
            Text("TitleText", Index(c), "title " + Number(c), std::string(a, strnlen(a, kTitleSlotBytes)),
                 std::string(b, strnlen(b, kTitleSlotBytes)),
                 [](const std::string& title) { return ShownTitle(title.c_str()); }, true);
        }
        for (int c = 0; c < kMaxChannels; ++c)
            Value("TitleDisplayInput", Index(c), "title display, input " + Number(c), a_.TitleDisplayInput[c],
                  b_.TitleDisplayInput[c], OnOff);
        for (int o = 0; o < kOutputCount; ++o)
            Value("TitleDisplayOutput", Index(o), "title display, output " + Number(o), a_.TitleDisplayOutput[o],
                  b_.TitleDisplayOutput[o], OnOff);
        for (int c = 0; c < kMaxChannels; ++c)
            Value("TitlePosition", Index(c), "title position, input " + Number(c), a_.TitlePosition[c],
                  b_.TitlePosition[c], [](int v) { return Word(v, {"BOTTOM", "TOP"}); });
        for (int c = 0; c < kMaxChannels; ++c)
            Value("TitleFontSize", Index(c), "title size, input " + Number(c), a_.TitleFontSize[c],
                  b_.TitleFontSize[c], [](int v) { return Word(v, {"LARGE", "MEDIUM", "SMALL"}); });
        // The dialog shows the fine steps 0..15 as 01..16.
        const Shown fine = [](int step) { return TwoDigits(step + 1); };
        Value("TitleFineTop", "", "title fine position, top", a_.TitleFineTop, b_.TitleFineTop, fine);
        Value("TitleFineBottom", "", "title fine position, bottom", a_.TitleFineBottom, b_.TitleFineBottom, fine);
    }

    void Panel()
    {
        const PanelLockRecord& a = a_.PanelLock;
        const PanelLockRecord& b = b_.PanelLock;
        Value("PanelLock.buttonLock", "", "panel lock on button operation", a.buttonLock, b.buttonLock, OnOff);
        Value("PanelLock.menuLock", "", "panel lock on menu operation", a.menuLock, b.menuLock, OnOff);
        const std::string passwordA(a.password, strnlen(a.password, kPasswordLength));
        const std::string passwordB(b.password, strnlen(b.password, kPasswordLength));
        Text("PanelLock.password", "", "panel password", passwordA, passwordB, AsItIs, true);
    }

    void VideoOutputs()
    {
        for (int o = 0; o < kOutputCount; ++o)
            Value("VideoOutputEnable", Index(o), "video output " + Number(o), a_.VideoOutputEnable[o],
                  b_.VideoOutputEnable[o], OnOff);
    }

    void Network()
    {
        const UnitNetworkRecord& a = a_.UnitNetwork;
        const UnitNetworkRecord& b = b_.UnitNetwork;
        const struct {
            const char* table;
            const char* place;
            const int (&first)[4];
            const int (&second)[4];
        } addresses[] = {
            {"UnitNetwork.subnetMask", "unit subnet mask", a.subnetMask, b.subnetMask},
            {"UnitNetwork.ipAddress", "unit IP address", a.ipAddress, b.ipAddress},
            {"UnitNetwork.gatewayAddress", "unit gateway address", a.gatewayAddress, b.gatewayAddress},
            {"UnitNetwork.activeAddress", "unit active address", a.activeAddress, b.activeAddress},
        };
        for (const auto& address : addresses) {
            Text(address.table, "", address.place, Address(address.first), Address(address.second), AsItIs, false);
        }
        Value("UnitNetwork.keepAlive", "", "unit keep alive", a.keepAlive, b.keepAlive, OnOff);
        Value("UnitNetwork.connectionTry", "", "unit connection try", a.connectionTry, b.connectionTry, OnOff);
    }

private:
    const DeviceModelData& a_;
    const DeviceModelData& b_;
    std::vector<SettingDifference>& out_;
};

} // namespace

void CompareReadAllTables(const DeviceModelData& file, const DeviceModelData& unit,
                          std::vector<SettingDifference>& differences)
{
    // The FREE layout (row 32) is not read back: read all asks for patterns 1..32 only.
    Comparer compare(file, unit, differences);
    compare.Routing(false);
    compare.VideoOutputs();
}

void CompareSettings(const DeviceModelData& first, const DeviceModelData& second,
                     std::vector<SettingDifference>& differences)
{
    Comparer compare(first, second, differences);
    compare.Routing(true);
    compare.Alarms();
    compare.DateTime();
    compare.Titles();
    compare.Panel();
    compare.VideoOutputs();
    compare.Network();
}

std::string DifferenceLine(const SettingDifference& d, const std::string& firstSide, const std::string& secondSide)
{
    return d.place + ": " + d.first + " " + firstSide + ", " + d.second + " " + secondSide;
}
