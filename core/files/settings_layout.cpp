#include "files/settings_layout.h"

#include <cstdio>
#include <initializer_list>

namespace {

std::string TwoDigits(int number)
{
    char text[16];
    snprintf(text, sizeof text, "%02d", number);
    return text;
}

// A value outside its field's words (no file or reply the program reads has one).
std::string Word(int value, std::initializer_list<const char*> words)
{
    if (value >= 0 && static_cast<size_t>(value) < words.size())
        return words.begin()[value];
    return "(" + std::to_string(value) + ")";
}

bool HasIndexes(const Setting& setting)
{
    return setting.first >= 0 && setting.shown != SettingShown::kOctet;
}

} // namespace

std::string SettingPlace(const Setting& setting)
{
    std::string place = setting.place;
    const std::string first = setting.shown == SettingShown::kSource && setting.first == kFreePattern
                                  ? std::string("FREE")
                                  : std::to_string(setting.first + 1);
    for (const auto& [mark, number] : {std::pair<const char*, std::string>{"{1}", first},
                                       {"{2}", std::to_string(setting.second + 1)}}) {
        const size_t at = place.find(mark);
        if (at != std::string::npos)
            place.replace(at, 3, number);
    }
    return place;
}

std::string SettingIndex(const Setting& setting)
{
    if (!HasIndexes(setting))
        return "";
    return setting.second < 0 ? TwoDigits(setting.first + 1)
                              : TwoDigits(setting.first + 1) + "/" + TwoDigits(setting.second + 1);
}

std::string ShownSettingValue(const Setting& setting, int value, int channelCount)
{
    switch (setting.shown) {
    case SettingShown::kOnOff: return Word(value, {"OFF", "ON"});
    case SettingShown::kPattern: return value == kFreePattern ? std::string("FREE") : std::to_string(value + 1);
    case SettingShown::kSource: {
        char text[3];
        if (!FormatDisplaySource(value, channelCount, text))
            return "(" + std::to_string(value) + ")";
        return std::string(text, 3);
    }
    case SettingShown::kDwell: return std::to_string(value) + " s";
    case SettingShown::kPolarity: return Word(value, {"Make", "Break"});
    case SettingShown::kDateRange:
        return Word(value, {"year to second", "year to minute", "year to day", "month to second", "month to minute",
                            "month to day", "hour to second", "hour to minute"});
    case SettingShown::kDateSize: return Word(value, {"normal", "small"});
    case SettingShown::kInput: return "input " + std::to_string(value + 1);
    case SettingShown::kPosition: return Word(value, {"BOTTOM", "TOP"});
    case SettingShown::kFontSize: return Word(value, {"LARGE", "MEDIUM", "SMALL"});
    // The dialog shows the fine steps 0..15 as 01..16.
    case SettingShown::kFineStep: return TwoDigits(value + 1);
    case SettingShown::kPlain:
    case SettingShown::kOctet:
    case SettingShown::kTitle:
    case SettingShown::kPassword: break;
    }
    return std::to_string(value);
}

std::string ShownAddress(const int (&octets)[4])
{
    return std::to_string(octets[0]) + "." + std::to_string(octets[1]) + "." + std::to_string(octets[2]) + "." +
           std::to_string(octets[3]);
}
