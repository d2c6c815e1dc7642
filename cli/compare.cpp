#include "cli/compare.h"

#include <cstdio>

namespace {

std::string Index(int first, int second)
{
    char text[16];
    if (second < 0)
        snprintf(text, sizeof text, "%02d", first + 1);
    else
        snprintf(text, sizeof text, "%02d/%02d", first + 1, second + 1);
    return text;
}

void Check(std::vector<SettingDifference>& out, const char* table, const std::string& index, int file, int unit)
{
    if (file != unit)
        out.push_back({table, index, file, unit});
}

} // namespace

void CompareReadAllTables(const DeviceModelData& file, const DeviceModelData& unit,
                          std::vector<SettingDifference>& differences)
{
    Check(differences, "CurrentDisplayPattern", "", file.CurrentDisplayPattern, unit.CurrentDisplayPattern);
    // The FREE layout (row 32) is not read back: read all asks for patterns 1..32 only.
    for (int p = 0; p < kPatternCount; ++p)
        for (int o = 0; o < kOutputCount; ++o)
            Check(differences, "DisplayPatternTable", Index(p, o), file.DisplayPatternTable[p][o],
                  unit.DisplayPatternTable[p][o]);
    for (int p = 0; p < kPatternCount; ++p)
        for (int c = 0; c < kMaxChannels; ++c)
            Check(differences, "AutoSwitchPatternTable", Index(p, c), file.AutoSwitchPatternTable[p][c],
                  unit.AutoSwitchPatternTable[p][c]);
    for (int o = 0; o < kOutputCount; ++o)
        Check(differences, "VideoOutputEnable", Index(o, -1), file.VideoOutputEnable[o], unit.VideoOutputEnable[o]);
}
