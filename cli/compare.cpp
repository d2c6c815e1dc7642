#include "cli/compare.h"

#include <cstdio>
#include <cstring>

#include "cli/title_table.h"
#include "files/settings_layout.h"

const char kNotComparedByVerify[] =
    "the FREE layout, the alarm settings, inputs and outputs, the date and time display, the titles with "
    "their display, position and size, the panel lock and password, and the unit's network settings";

namespace {

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// Walks the first set's settings with the file's own walk and finds each
// field's counterpart in the second set at the same place in the model.
// Numbers compare as numbers, titles and the password as the bytes the file
// holds, an address as its four octets together.
class Comparer {
public:
    Comparer(const DeviceModelData& a, const DeviceModelData& b, bool readAllOnly,
             std::vector<SettingDifference>& out)
        : a_(a), b_(b), readAllOnly_(readAllOnly), out_(out)
    {
    }

    void Number(int& field, int, int, const Setting& setting)
    {
        if (!Wanted(setting))
            return;
        const int a = field;
        const int b = Other(field);
        if (setting.shown == SettingShown::kOctet) {
            octetsA_[setting.first] = a;
            octetsB_[setting.first] = b;
            if (setting.first == 3)
                Text(setting, ShownAddress(octetsA_), ShownAddress(octetsB_), false);
            return;
        }
        if (a != b)
            out_.push_back({setting.table, SettingIndex(setting), SettingPlace(setting),
                            ShownSettingValue(setting, a, a_.ChannelCount),
                            ShownSettingValue(setting, b, a_.ChannelCount), a, b});
    }

    void Title(char* slot, const Setting& setting)
    {
        const std::string a(slot, strnlen(slot, kTitleSlotBytes));
        const char* other = &Other(*slot);
        const std::string b(other, strnlen(other, kTitleSlotBytes));
        if (a != b)
            Text(setting, ShownTitle(a.c_str()), ShownTitle(b.c_str()), true);
    }

    void Password(char* password, const Setting& setting)
    {
        const char* other = &Other(*password);
        Text(setting, std::string(password, strnlen(password, kPasswordLength)),
             std::string(other, strnlen(other, kPasswordLength)), true);
    }

private:
    // Read all fills the routing tables but the FREE layout, and the video outputs.
    bool Wanted(const Setting& setting) const
    {
        if (!readAllOnly_)
            return true;
        return setting.section == SettingSection::kRouting &&
               !(setting.shown == SettingShown::kSource && setting.first == kFreePattern);
    }

    template <typename T>
    const T& Other(const T& field) const
    {
        const char* at = reinterpret_cast<const char*>(&field);
        return *reinterpret_cast<const T*>(reinterpret_cast<const char*>(&b_) +
                                           (at - reinterpret_cast<const char*>(&a_)));
    }

    void Text(const Setting& setting, const std::string& a, const std::string& b, bool quoted)
    {
        if (a != b)
            out_.push_back({setting.table, SettingIndex(setting), SettingPlace(setting), quoted ? Quoted(a) : a,
                            quoted ? Quoted(b) : b, a, b});
    }

    const DeviceModelData& a_;
    const DeviceModelData& b_;
    bool readAllOnly_;
    std::vector<SettingDifference>& out_;
    int octetsA_[4] = {};
    int octetsB_[4] = {};
};

void Compare(const DeviceModelData& first, const DeviceModelData& second, bool readAllOnly,
             std::vector<SettingDifference>& differences)
{
    Comparer compare(first, second, readAllOnly, differences);
    // The walk hands out writable fields; the comparer only reads them.
    VisitSettings(const_cast<DeviceModelData&>(first), compare);
}

} // namespace

void CompareReadAllTables(const DeviceModelData& file, const DeviceModelData& unit,
                          std::vector<SettingDifference>& differences)
{
    Compare(file, unit, true, differences);
}

void CompareSettings(const DeviceModelData& first, const DeviceModelData& second,
                     std::vector<SettingDifference>& differences)
{
    Compare(first, second, false, differences);
}

std::string DifferenceLine(const SettingDifference& d, const std::string& firstSide, const std::string& secondSide)
{
    return d.place + ": " + d.first + " " + firstSide + ", " + d.second + " " + secondSide;
}
