#include "files/provisioning.h"

#include <cstdint>

#include "files/settings_file.h"
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
const Builder kPanel[] = {SendButtonLock, SendMenuLock, SendPassword};
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
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
            local.tm_sec > 59 ? 59 : local.tm_sec, 0};
}

bool SendClockStep(const DeviceModelData& model, int index)
{
    const ProvisionTime t = ProvisionClock();
    switch (index) {
    case 0: return SendDateYear(model, t.year - 2000);
    case 1: return SendDateMonth(model, t.month - 1);
    case 2: return SendDateDay(model, t.day - 1);
    case 3: return SendTimeHour(model, t.hour);
    case 4: return SendTimeMinute(model, t.minute);
    default: return SendTimeSecond(model, t.second);
    }
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

int ClockStartDelayMs(const ProvisionTime& now, int neededMs)
{
    const int intoMinute = now.second * 1000 + now.millisecond;
    return intoMinute + neededMs < 60000 ? 0 : 60000 - intoMinute;
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

std::string ProvisionRefusal(const DeviceModelData& model, ProvisionSections sections)
{
    std::string refusal;
    if (sections & ProvisionBit(kProvisionTitles)) {
        for (int channel = 0; channel < model.ChannelCount; ++channel) {
            uint16_t codes[28];
            const TitleCheck check = EncodeTitle(model.TitleText[channel], codes);
            if (check == kTitleOk)
                continue;
            refusal += "title " + std::to_string(channel + 1) + " (line " +
                       std::to_string(SettingsFileLineOf(model, model.TitleText[channel])) + "): " +
                       (check == kTitleBadLength  ? "half-width characters, or longer than 28 characters"
                        : check == kTitleAsterisk ? "a \"＊\", which the settings file cannot keep"
                                                  : "a character the unit cannot show") +
                       "\n";
        }
    }
    if ((sections & ProvisionBit(kProvisionPanel)) && !PasswordSendable(model.PanelLock))
        refusal += "password (line " + std::to_string(SettingsFileLineOf(model, model.PanelLock.password)) +
                   "): not six digits\n";
    return refusal;
}
