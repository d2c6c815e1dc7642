// Differences between two sets of settings as a person reads them and as a
// script does, and the tool's own words for a settings file it cannot read.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/compare.h"
#include "cli/report.h"
#include "files/settings_file.h"

namespace {

DeviceModelData StartModel()
{
    DeviceModelData m{};
    ResetModelToStartValues(m);
    return m;
}

// Every line of the file is compared: changing any one of them (to "0", or
// to "1" where it holds "0"; both fit every field) gives one difference.
TEST(CompareSettings, FindsAChangeOnEveryLineOfTheFile)
{
    const DeviceModelData start = StartModel();
    std::string text;
    FormatSettingsFile(start, text);
    std::vector<size_t> lineStarts = {0};
    for (size_t at = text.find('\n'); at + 1 < text.size(); at = text.find('\n', at + 1))
        lineStarts.push_back(at + 1);
    ASSERT_EQ(lineStarts.size(), static_cast<size_t>(kSettingsFileLines));

    std::vector<SettingDifference> d;
    CompareSettings(start, start, d);
    EXPECT_TRUE(d.empty());
    for (size_t line = 0; line < lineStarts.size(); ++line) {
        const size_t begin = lineStarts[line];
        const size_t end = text.find("\r\n", begin);
        std::string changed = text;
        changed.replace(begin, end - begin, text.compare(begin, end - begin, "0") == 0 ? "1" : "0");
        DeviceModelData model = StartModel();
        ASSERT_EQ(ParseSettingsFile(changed.data(), changed.size(), model).result, kSettingsOk) << line + 1;
        d.clear();
        CompareSettings(start, model, d);
        EXPECT_EQ(d.size(), 1u) << "line " << line + 1;
    }
}

struct ReadableCase {
    std::function<void(DeviceModelData&, DeviceModelData&)> change;
    const char* line;
};

class ReadableLines : public ::testing::TestWithParam<ReadableCase> {};

TEST_P(ReadableLines, NameTheSettingAsThePanelDoes)
{
    DeviceModelData a = StartModel(), b = StartModel();
    GetParam().change(a, b);
    std::vector<SettingDifference> d;
    CompareSettings(a, b, d);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(DifferenceLine(d[0], "in A.dat", "in B.dat"), GetParam().line);
}

void Title(DeviceModelData& m, int channel, const char* shiftJis)
{
    memset(m.TitleText[channel - 1], 0, kTitleSlotBytes);
    memcpy(m.TitleText[channel - 1], shiftJis, strlen(shiftJis));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadableLines,
    ::testing::Values(
        ReadableCase{[](auto& a, auto& b) { a.DisplayPatternTable[2][4] = 6, b.DisplayPatternTable[2][4] = 11; },
                     "display pattern 3, output 5: I07 in A.dat, I12 in B.dat"},
        ReadableCase{[](auto&, auto& b) { b.DisplayPatternTable[kFreePattern][0] = 65; },
                     "display pattern FREE, output 1: I01 in A.dat, S02 in B.dat"},
        ReadableCase{[](auto&, auto& b) { b.CurrentDisplayPattern = kFreePattern; },
                     "current display pattern: 1 in A.dat, FREE in B.dat"},
        ReadableCase{[](auto& a, auto& b) { a.AutoSwitchPatternTable[1][8] = 5, b.AutoSwitchPatternTable[1][8] = 0; },
                     "auto-switch pattern 2, input 9 dwell time: 5 s in A.dat, 0 s in B.dat"},
        ReadableCase{[](auto&, auto& b) { b.AlarmSettings.inputPolarity = 1; },
                     "alarm input polarity: Make in A.dat, Break in B.dat"},
        ReadableCase{[](auto&, auto& b) { b.AlarmInputChannel[4] = 11; },
                     "alarm input connector 5: input 5 in A.dat, input 12 in B.dat"},
        ReadableCase{[](auto&, auto& b) { b.AlarmVideoOutput[8][1] = 1; },
                     "alarm video output, input 9, output 2: OFF in A.dat, ON in B.dat"},
        ReadableCase{[](auto&, auto& b) { b.DateTimeFormat = 4; },
                     "date/time range: year to second in A.dat, month to minute in B.dat"},
        ReadableCase{[](auto& a, auto& b) { Title(a, 12, "\x82\x62\x82\x60\x82\x6c\x82\x50"),
                                            Title(b, 12, "\x82\x62\x82\x60\x82\x6c\x82\x51"); },
                     "title 12: \"ＣＡＭ１\" in A.dat, \"ＣＡＭ２\" in B.dat"},
        ReadableCase{[](auto&, auto& b) { b.TitleFontSize[2] = 2; },
                     "title size, input 3: MEDIUM in A.dat, SMALL in B.dat"},
        ReadableCase{[](auto&, auto& b) { b.TitleFineTop = 15; },
                     "title fine position, top: 08 in A.dat, 16 in B.dat"},
        ReadableCase{[](auto&, auto& b) { strcpy(b.PanelLock.password, "123456"); },
                     "panel password: \"482913\" in A.dat, \"123456\" in B.dat"},
        ReadableCase{[](auto&, auto& b) { b.UnitNetwork.ipAddress[0] = 10; },
                     "unit IP address: 192.168.1.3 in A.dat, 10.168.1.3 in B.dat"},
        ReadableCase{[](auto&, auto& b) { b.VideoOutputEnable[4] = 0; },
                     "video output 5: ON in A.dat, OFF in B.dat"}));

// What a --json writer wrote.
std::string Written(const std::function<void(FILE*)>& write)
{
    FILE* file = tmpfile();
    if (!file)
        return "";
    write(file);
    std::string text;
    rewind(file);
    for (int c; (c = fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    fclose(file);
    return text;
}

struct JsonField {
    const char* pointer;
    nlohmann::json expected;
};

// Japanese paths and titles are written as UTF-8, read back as they were; a
// byte that is no UTF-8 becomes U+FFFD; the keys keep their order.
TEST(Json, WritesJapaneseTextAsUtf8)
{
    DeviceModelData a = StartModel(), b = StartModel();
    b.DisplayPatternTable[0][1] = 64;
    Title(a, 2, "\x82\x60");   // "Ａ"
    Title(b, 2, "\x82\x62");   // "Ｃ"
    std::vector<SettingDifference> d;
    CompareSettings(a, b, d);
    ASSERT_EQ(d.size(), 2u);
    const std::string diff = Written([&](FILE* f) { WriteJsonDiff(f, "現場.dat", "新\"2\".dat", d); });
    ToolUnit unit;
    unit.exchange.address = "COM3 \xff";
    unit.exchange.state = UnitState::kSucceeded;
    unit.differences = d;
    unit.result = UnitResult::kDiffers;
    const std::string summary = Written([&](FILE* f) { WriteJsonSummary(f, ToolCommand::kVerify, 1, {&unit}); });

    for (const auto& [text, fields] : std::vector<std::pair<std::string, std::vector<JsonField>>>{
             {diff,
              {{"/a", "現場.dat"},
               {"/b", "新\"2\".dat"},
               {"/equal", false},
               {"/differences/0/b", 64},
               {"/differences/1/text", "title 2: \"Ａ\" in 現場.dat, \"Ｃ\" in 新\"2\".dat"},
               {"/differences/1/a", "Ａ"},
               {"/differences/1/b", "Ｃ"}}},
             {summary,
              {{"/results/0/address", "COM3 \xef\xbf\xbd"},
               {"/results/0/result", "differs"},
               {"/results/0/differences/1/text", "title 2: \"Ａ\" in the file, \"Ｃ\" on the unit"},
               {"/results/0/differences/1/unit", "Ｃ"}}}}) {
        EXPECT_EQ(text.find("\\u"), std::string::npos) << text;
        const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
        ASSERT_FALSE(json.is_discarded()) << text;
        for (const JsonField& field : fields)
            EXPECT_EQ(json.value(nlohmann::json::json_pointer(field.pointer), nlohmann::json()), field.expected)
                << field.pointer;
    }
    EXPECT_EQ(diff.substr(0, diff.find('[')), "{\"command\":\"diff\",\"a\":\"現場.dat\",\"b\":\"新\\\"2\\\".dat\","
                                              "\"equal\":false,\"differences\":");
    EXPECT_EQ(diff.substr(diff.rfind('\n', diff.size() - 2)),
              "\n{\"table\":\"TitleText\",\"index\":\"02\",\"text\":\"title 2: \\\"Ａ\\\" in 現場.dat, \\\"Ｃ\\\" in "
              "新\\\"2\\\".dat\",\"a\":\"Ａ\",\"b\":\"Ｃ\"}]}\n");
}

TEST(SettingsReadErrorText, SaysWhyAndWhere)
{
    EXPECT_EQ(SettingsReadErrorText({kSettingsNotANumber, 5}),
              "not readable as a settings file: a line where a number belongs holds something else (line 5)");
    EXPECT_EQ(SettingsReadErrorText({kSettingsTooShort, 3000}),
              "not readable as a settings file: it ends early, line 3000 of its 3647 lines is missing");
    EXPECT_EQ(SettingsReadErrorText({kSettingsTooLarge, 0}),
              "not readable as a settings file: it is far larger than any settings file");
    EXPECT_EQ(SettingsReadErrorText({kSettingsBadTitle, 2700}),
              "not readable as a settings file: a title holds a control character (line 2700)");
}

} // namespace
