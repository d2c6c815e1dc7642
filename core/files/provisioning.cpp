#include "files/provisioning.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>

#include "files/settings_file.h"
#include "link/send_path.h"
#include "protocol/command_builder.h"
#include "protocol/title_codec.h"

namespace {

using Builder = bool (*)(const DeviceModelData& model);

const char* const kNames[kProvisionSectionCount] = {
    "routing", "alarms", "alarm-io", "date-time", "titles", "title-display", "panel", "network",
};

const Builder kAlarms[] = {SendAlarmPolarity, SendAlarmHoldTime, SendAlarmBuzzer, SendAlarmDisplay, SendAlarmReturn};
const Builder kAlarmIo[] = {SendAlarmInputAll, SendAlarmVideoOutputAll, SendAlarmSignalOutputAll};
const Builder kDateTime[] = {SendDateTimeFormat, SendDateTimeSize, SendDateTimeInputAll, SendDateTimeOutputAll};
const Builder kTitleDisplay[] = {SendTitleDisplayInputAll, SendTitleDisplayOutputAll, SendTitlePositionAll,
                                 SendTitleFontSizeAll,     SendTitleFineTop,          SendTitleFineBottom};
// The password before the locks: a unit that refuses the new password must
// not be left locked with an old one nobody remembers.
const Builder kPanel[] = {SendPassword, SendButtonLock, SendMenuLock};
// Only the network settings a settings file holds: the port numbers and the
// time register are not in it, and a unit's own are not overwritten with
// values nobody chose.
const Builder kNetwork[] = {
    [](const DeviceModelData& m) { return SendUnitAddress(m, kUnitIpAddress); },
    [](const DeviceModelData& m) { return SendUnitAddress(m, kUnitGatewayAddress); },
    [](const DeviceModelData& m) { return SendUnitAddress(m, kUnitActiveAddress); },
    [](const DeviceModelData& m) { return SendUnitAddress(m, kUnitSubnetMask); },
    SendUnitConnectionTry,
    SendUnitKeepAlive,
};

ProvisionTime LocalClock()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const int millisecond =
        static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
            local.tm_sec > 59 ? 59 : local.tm_sec, millisecond < 0 ? 0 : millisecond};
}

// The final seconds are the PC's second rounded: the step is timed to go out
// just before a whole second, so that it lands on it.
int RoundedSecond(const ProvisionTime& t)
{
    const int second = t.second + (t.millisecond >= 500 ? 1 : 0);
    return second > 59 ? 0 : second;
}

bool SendClockStep(const DeviceModelData& model, int index)
{
    if (index == 0)
        return SendTimeSecond(model, 0);
    const ProvisionTime t = ProvisionClock();
    switch (index) {
    case 1: return SendDateYear(model, t.year - 2000);
    case 2: return SendDateMonth(model, t.month - 1);
    case 3: return SendDateDay(model, t.day - 1);
    case 4: return SendTimeHour(model, t.hour);
    case 5: return SendTimeMinute(model, t.minute);
    default: return SendTimeSecond(model, RoundedSecond(t));
    }
}

// What each step sets, to name it when its builder refuses the file's value:
// the setting as the dialogs name it, the field its line of the file holds
// (the first of a table), and what the unit takes where that is one number.
struct StepSetting {
    std::string name;
    const void* field;
    const int* number;    // the value shown, when the step sends one number
    const char* takes;
};

StepSetting SettingOfStep(const DeviceModelData& m, const ProvisionStep& s)
{
    const int i = s.index;
    switch (s.section) {
    case kProvisionRouting:
        if (i == 0)
            return {"current display pattern", &m.CurrentDisplayPattern, nullptr, nullptr};
        if (i == 1)
            return {"layout of the current display pattern", m.DisplayPatternTable[m.CurrentDisplayPattern], nullptr,
                    nullptr};
        if (i < 34)
            return {"display pattern " + std::to_string(i - 1), m.DisplayPatternTable[i - 2], nullptr, nullptr};
        if (i < 66)
            return {"auto-switch pattern " + std::to_string(i - 33), m.AutoSwitchPatternTable[i - 34], nullptr,
                    nullptr};
        return {"video outputs", m.VideoOutputEnable, nullptr, nullptr};
    case kProvisionAlarms: {
        const AlarmSettingsRecord& a = m.AlarmSettings;
        const StepSetting settings[] = {
            {"alarm input polarity", &a.inputPolarity, &a.inputPolarity, "0 (make) or 1 (break)"},
            {"alarm hold time", &a.holdTime, &a.holdTime, "1 to 99 seconds"},
            {"alarm buzzer", &a.buzzer, &a.buzzer, "0 or 1"},
            {"alarm display", &a.alarmDisplay, &a.alarmDisplay, "0 or 1"},
            {"alarm auto return", &a.autoReturn, &a.autoReturn, "0 or 1"},
        };
        return settings[i];
    }
    case kProvisionAlarmIo: {
        const StepSetting settings[] = {
            {"alarm input channels", m.AlarmInputChannel, nullptr, nullptr},
            {"alarm video outputs", m.AlarmVideoOutput[0], nullptr, nullptr},
            {"alarm signal outputs", m.AlarmSignalOutput[0], nullptr, nullptr},
        };
        return settings[i];
    }
    case kProvisionDateTime: {
        const StepSetting settings[] = {
            {"date and time format", &m.DateTimeFormat, &m.DateTimeFormat, "0 to 7"},
            {"date and time size", &m.DateTimeSize, &m.DateTimeSize, "0 or 1"},
            {"date and time display of the inputs", m.DateTimeDisplayInput, nullptr, nullptr},
            {"date and time display of the outputs", m.DateTimeDisplayOutput, nullptr, nullptr},
        };
        return settings[i];
    }
    case kProvisionTitles: return {"title " + std::to_string(i + 1), m.TitleText[i], nullptr, nullptr};
    case kProvisionTitleDisplay: {
        const StepSetting settings[] = {
            {"title display of the inputs", m.TitleDisplayInput, nullptr, nullptr},
            {"title display of the outputs", m.TitleDisplayOutput, nullptr, nullptr},
            {"title positions", m.TitlePosition, nullptr, nullptr},
            {"title sizes", m.TitleFontSize, nullptr, nullptr},
            {"title fine position, top", &m.TitleFineTop, &m.TitleFineTop, nullptr},
            {"title fine position, bottom", &m.TitleFineBottom, &m.TitleFineBottom, nullptr},
        };
        return settings[i];
    }
    case kProvisionPanel: {
        const PanelLockRecord& p = m.PanelLock;
        const StepSetting settings[] = {
            {"password", p.password, nullptr, nullptr},
            {"button lock", &p.buttonLock, &p.buttonLock, "0 or 1"},
            {"menu lock", &p.menuLock, &p.menuLock, "0 or 1"},
        };
        return settings[i];
    }
    case kProvisionNetwork: {
        const UnitNetworkRecord& n = m.UnitNetwork;
        const StepSetting settings[] = {
            {"unit IP address", n.ipAddress, nullptr, nullptr},
            {"unit gateway address", n.gatewayAddress, nullptr, nullptr},
            {"unit active address", n.activeAddress, nullptr, nullptr},
            {"unit subnet mask", n.subnetMask, nullptr, nullptr},
            {"unit connection try", &n.connectionTry, &n.connectionTry, "0 or 1"},
            {"unit keep-alive", &n.keepAlive, &n.keepAlive, "0 or 1"},
        };
        return settings[i];
    }
    case kProvisionClock: break;
    }
    return {"the unit's clock", nullptr, nullptr, nullptr};
}

// Why a refused step cannot go, in words.
std::string RefusalReason(const DeviceModelData& m, const ProvisionStep& s, const StepSetting& setting)
{
    if (s.section == kProvisionTitles) {
        uint16_t codes[kTitleCharacters];
        switch (EncodeTitle(m.TitleText[s.index], codes)) {
        case kTitleBadLength: return "half-width characters, or longer than 28 characters";
        case kTitleAsterisk: return "a \"＊\", which the settings file cannot keep";
        default: return "a character the unit cannot show";
        }
    }
    if (s.section == kProvisionPanel && s.index == 0)
        return "not six digits";
    if (setting.number && setting.takes)
        return std::to_string(*setting.number) + " is refused: the unit takes " + setting.takes;
    if (setting.number)
        return std::to_string(*setting.number) + " is refused by the unit's command";
    return "a value the unit's command does not take";
}

void KeepFrame(CommandChannel&, const char*, int)
{
    // The frame stays in the channel's buffer; nothing goes anywhere.
}

template <size_t N>
constexpr int Count(const Builder (&)[N])
{
    return static_cast<int>(N);
}

int StepsOf(const DeviceModelData& model, ProvisionSection section)
{
    switch (section) {
    case kProvisionRouting: return kSetAllSteps;
    case kProvisionAlarms: return Count(kAlarms);
    case kProvisionAlarmIo: return Count(kAlarmIo);
    case kProvisionDateTime: return Count(kDateTime);
    case kProvisionTitles: return model.ChannelCount;
    case kProvisionTitleDisplay: return Count(kTitleDisplay);
    case kProvisionPanel: return Count(kPanel);
    case kProvisionNetwork: return Count(kNetwork);
    case kProvisionClock: break;
    }
    return 0;
}

bool SameMinute(const int (&sent)[5], const ProvisionTime& t)
{
    return sent[0] == t.year && sent[1] == t.month && sent[2] == t.day && sent[3] == t.hour && sent[4] == t.minute;
}

} // namespace

const char* ProvisionSectionName(ProvisionSection section)
{
    return section >= 0 && section < kProvisionSectionCount ? kNames[section] : "";
}

bool ParseProvisionSections(const std::string& list, ProvisionSections& sections, std::string& error)
{
    sections = 0;
    size_t at = 0;
    while (at <= list.size()) {
        const size_t comma = list.find(',', at);
        const std::string word = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        bool known = false;
        if (word == "all") {
            sections |= kProvisionAll;
            known = true;
        }
        for (int s = 0; s < kProvisionSectionCount && !known; ++s) {
            if (word == kNames[s]) {
                sections |= ProvisionBit(static_cast<ProvisionSection>(s));
                known = true;
            }
        }
        if (!known) {
            error = word.empty() ? "an empty section name" : "no section is called \"" + word + "\"";
            return false;
        }
        if (comma == std::string::npos)
            break;
        at = comma + 1;
    }
    return true;
}

ProvisionTime (*ProvisionClock)() = LocalClock;

ClockStepTiming TimeClockStep(ProvisionClockRun& run, int index, const ProvisionTime& now, int leadMs)
{
    if (index == 1) {
        const int minute[5] = {now.year, now.month, now.day, now.hour, now.minute};
        std::copy(minute, minute + 5, run.sentMinute);
    }
    if (index != kClockFinalSecond)
        return {kClockGo, 0};
    // Until the frame lands on a whole second; a few milliseconds late still
    // counts as on it, or a timer's jitter would wait a whole second more.
    constexpr int kLateMs = 30;
    int wait = ((1000 - now.millisecond - leadMs) % 1000 + 1000) % 1000;
    if (wait > 1000 - kLateMs)
        wait = 0;
    if (wait > 0)
        return {kClockWait, wait};
    // The second it lands on: the PC's, rounded. At 59.5 and later that is
    // already the next minute, which the fields sent before do not show.
    const bool minuteTurns = now.second == 59 && now.millisecond >= 500;
    if (!minuteTurns && SameMinute(run.sentMinute, now))
        return {kClockGo, 0};
    if (run.restarts >= kProvisionClockRestarts)
        return {kClockGiveUp, 0};
    ++run.restarts;
    // Begin again once the new minute has begun, or the fields would come
    // from the old one once more.
    return {kClockRestart, minuteTurns ? 1000 - now.millisecond : 0};
}

int FirstClockStep(const ProvisionPlan& plan)
{
    for (int k = 0; k < plan.length; ++k)
        if (plan.steps[k].section == kProvisionClock)
            return k + 1;
    return 0;
}

void PlanProvision(const DeviceModelData& model, ProvisionSections sections, bool clock, ProvisionPlan& plan)
{
    plan.length = 0;
    for (int s = 0; s < kProvisionSectionCount; ++s) {
        const ProvisionSection section = static_cast<ProvisionSection>(s);
        if (!(sections & ProvisionBit(section)))
            continue;
        const int steps = StepsOf(model, section);
        for (int k = 0; k < steps && plan.length < kProvisionMaxSteps; ++k)
            plan.steps[plan.length++] = {section, k};
    }
    for (int k = 0; clock && k < kProvisionClockSteps; ++k)
        plan.steps[plan.length++] = {kProvisionClock, k};
}

bool SendProvisionStep(const DeviceModelData& model, const ProvisionPlan& plan, int step)
{
    if (step < 1 || step > plan.length)
        return false;
    const ProvisionStep& s = plan.steps[step - 1];
    switch (s.section) {
    case kProvisionRouting: return SendSetAllStep(model, s.index + 1);
    case kProvisionAlarms: return kAlarms[s.index](model);
    case kProvisionAlarmIo: return kAlarmIo[s.index](model);
    case kProvisionDateTime: return kDateTime[s.index](model);
    case kProvisionTitles: return SendTitle(model, s.index) == kTitleOk;
    case kProvisionTitleDisplay: return kTitleDisplay[s.index](model);
    case kProvisionPanel: return kPanel[s.index](model);
    case kProvisionNetwork: return kNetwork[s.index](model);
    case kProvisionClock: return SendClockStep(model, s.index);
    }
    return false;
}

bool BuildProvisionStep(const DeviceModelData& model, const ProvisionPlan& plan, int step, int rs485Address,
                        std::string& frame)
{
    TransactionStateRecord transaction;
    CommandChannel channel;
    channel.transaction = &transaction;
    channel.rs485Address = rs485Address;
    channel.deliver = KeepFrame;
    bool built;
    {
        SendingOnChannel sending(channel);
        built = SendProvisionStep(model, plan, step);
    }
    frame.assign(channel.frame, static_cast<size_t>(built ? channel.frameLength : 0));
    return built && channel.frameLength > 0;
}

std::string ProvisionRefusal(const DeviceModelData& model, const ProvisionPlan& plan)
{
    std::string refusal, frame;
    for (int step = 1; step <= plan.length; ++step) {
        const ProvisionStep& s = plan.steps[step - 1];
        if (s.section == kProvisionClock || BuildProvisionStep(model, plan, step, kNoAddressPrefix, frame))
            continue;
        const StepSetting setting = SettingOfStep(model, s);
        refusal += setting.name + " (line " + std::to_string(SettingsFileLineOf(model, setting.field)) +
                   "): " + RefusalReason(model, s, setting) + "\n";
    }
    return refusal;
}