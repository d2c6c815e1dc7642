#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "files/settings_file.h"
#include "protocol/device_model.h"
#include "test_support.h"

namespace {

const std::string kAsterisk = "\x81\x96";
const std::string kSpace = "\x81\x40";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// 1-based line numbers of the blocks.
const int kLineDisplayTable = 2;
const int kLineAutoSwitch = 530;
const int kLineHoldTime = 2578;
const int kLineAlarmInput = 2583;
const int kLineDateTimeFormat = 3255;
const int kLineTitles = 3337;
const int kLineTitleFineTop = 3609;
const int kLinePassword = 3613;
const int kLineVideoOutput = 3614;
const int kLineSubnetMask = 3630;
const int kLineKeepAlive = 3646;

} // namespace

class SettingsFileTest : public CoreTest {
protected:
    DeviceModelData& m = DeviceModel;

    std::vector<std::string> Save()
    {
        std::string text;
        FormatSettingsFile(m, text);
        return Lines(text);
    }

    static std::string Join(const std::vector<std::string>& lines, const char* end = "\r\n")
    {
        std::string text;
        for (const std::string& line : lines)
            text += line + end;
        return text;
    }

    SettingsFileError Load(const std::string& text)
    {
        return ParseSettingsFile(text.data(), text.size(), m);
    }

    // Loading `text` fails with `result` at `line`, and the model stays as it was.
    void ExpectRefused(const std::string& text, SettingsFileResult result, int line)
    {
        DeviceModelData before = m;
        const SettingsFileError error = Load(text);
        EXPECT_EQ(error.result, result);
        EXPECT_EQ(error.line, line);
        EXPECT_EQ(0, memcmp(&before, &m, sizeof m));
    }
};

TEST_F(SettingsFileTest, DefaultModelLines)
{
    const std::vector<std::string> lines = Save();
    ASSERT_EQ(lines.size(), static_cast<size_t>(kSettingsFileLines));
    EXPECT_EQ(lines[0], "0");
    EXPECT_EQ(lines[kLineDisplayTable - 1], "0");
    EXPECT_EQ(lines[kLineDisplayTable - 1 + 15], "15");
    EXPECT_EQ(lines[kLineDisplayTable - 1 + 16], "0");
    EXPECT_EQ(lines[kLineAutoSwitch - 1], "3");
    EXPECT_EQ(lines[kLineHoldTime - 1], "10");
    EXPECT_EQ(lines[kLineAlarmInput - 1 + 31], "31");
    EXPECT_EQ(lines[kLineTitles - 1],
              "\x82\xa8\x94\x83\x82\xa2\x8f\xe3\x82\xb0\x82\xa2\x82\xbd\x82\xbe\x82\xab\x82\xa0"
              "\x82\xe8\x82\xaa\x82\xc6\x82\xa4\x82\xb2\x82\xb4\x82\xa2\x82\xdc\x82\xb7\x81\x42");
    EXPECT_EQ(lines[kLineTitles], Repeat(kAsterisk, 8) + "\x82\x62\x82\x67\x82\x4f\x82\x51");
    EXPECT_EQ(lines[kLineTitles + 62], Repeat(kAsterisk, 8) + "\x82\x62\x82\x67\x82\x55\x82\x53");
    EXPECT_EQ(lines[kLineTitleFineTop - 1], "7");
    EXPECT_EQ(lines[kLinePassword - 1], "482913");
    EXPECT_EQ(lines[kLineVideoOutput - 1], "1");
    EXPECT_EQ(lines[kLineSubnetMask - 1], "255");
    EXPECT_EQ(lines[kLineSubnetMask + 2], "0");
    EXPECT_EQ(lines[kLineSubnetMask + 3], "192");
    EXPECT_EQ(lines[kLineKeepAlive - 1], "0");
}

TEST_F(SettingsFileTest, BlockOrder)
{
    m.CurrentDisplayPattern = 32;
    m.DisplayPatternTable[32][15] = 65;   // the FREE layout's last cell: auto-switch pattern 2
    m.AutoSwitchPatternTable[31][63] = 42;
    m.AlarmSettings.alarmDisplay = 0;     // after the hold time: display, buzzer, return, polarity
    m.AlarmSettings.inputPolarity = 1;
    m.AlarmVideoOutput[63][3] = 1;
    m.AlarmSignalOutput[0][1] = 1;
    m.DateTimeSize = 1;
    m.DateTimeDisplayOutput[15] = 0;
    m.TitleDisplayOutput[0] = 0;
    m.TitleFontSize[63] = 2;
    m.TitleFineBottom = 3;
    m.PanelLock.buttonLock = 1;
    m.VideoOutputEnable[15] = 0;
    m.UnitNetwork.activeAddress[3] = 77;
    m.UnitNetwork.connectionTry = 1;
    const std::vector<std::string> lines = Save();
    EXPECT_EQ(lines[0], "32");
    EXPECT_EQ(lines[kLineAutoSwitch - 2], "65");
    EXPECT_EQ(lines[kLineHoldTime - 2], "42");
    EXPECT_EQ(lines[kLineHoldTime], "0");
    EXPECT_EQ(lines[kLineHoldTime + 3], "1");
    EXPECT_EQ(lines[kLineAlarmInput - 1 + 32 + 255], "1");
    EXPECT_EQ(lines[kLineAlarmInput - 1 + 32 + 256 + 1], "1");
    EXPECT_EQ(lines[kLineDateTimeFormat], "1");
    EXPECT_EQ(lines[kLineDateTimeFormat + 1 + 64 + 15], "0");
    EXPECT_EQ(lines[kLineTitles - 1 + 64 + 64], "0");
    EXPECT_EQ(lines[kLineTitleFineTop - 2], "2");
    EXPECT_EQ(lines[kLineTitleFineTop], "3");
    EXPECT_EQ(lines[kLineTitleFineTop + 1], "1");
    EXPECT_EQ(lines[kLineSubnetMask - 2], "0");
    EXPECT_EQ(lines[kLineKeepAlive - 2], "77");
    EXPECT_EQ(lines[kLineKeepAlive], "1");
}

TEST_F(SettingsFileTest, TitleEncoding)
{
    m.TitleText[4][0] = '\0';
    strcpy(m.TitleText[5], (kSpace + "\x82\x60" + kAsterisk).c_str());   //  　Ａ＊
    strcpy(m.TitleText[6], Repeat(kSpace, 28).c_str());
    const std::vector<std::string> lines = Save();
    EXPECT_EQ(lines[kLineTitles - 1 + 4], Repeat(kAsterisk, 28));
    EXPECT_EQ(lines[kLineTitles - 1 + 5], kAsterisk + "\x82\x60" + kAsterisk);
    EXPECT_EQ(lines[kLineTitles - 1 + 6], Repeat(kAsterisk, 28));

    ResetModelToStartValues(m);
    ASSERT_EQ(Load(Join(lines)).result, kSettingsOk);
    EXPECT_STREQ(m.TitleText[4], "");
    // A "＊" that was typed comes back as a full-width space.
    EXPECT_EQ(std::string(m.TitleText[5]), kSpace + "\x82\x60" + kSpace);
    EXPECT_STREQ(m.TitleText[6], "");
    EXPECT_EQ(m.TitleDisplayInput[0], 1);
}

TEST_F(SettingsFileTest, RoundTripsEveryField)
{
    // A model unlike the defaults in every block.
    m.CurrentDisplayPattern = 17;
    for (int r = 0; r < kDisplayRows; ++r)
        for (int j = 0; j < kOutputCount; ++j)
            m.DisplayPatternTable[r][j] = (r * 7 + j * 5) % 96;
    for (int p = 0; p < kPatternCount; ++p)
        for (int c = 0; c < kMaxChannels; ++c)
            m.AutoSwitchPatternTable[p][c] = (p + c) % 100;
    m.AlarmSettings.holdTime = 7;
    strcpy(m.AlarmSettings.holdTimeText, "x");
    m.AlarmSettings.buzzer = 0;
    m.AlarmInputChannel[9] = 63;
    m.AlarmVideoOutput[20][2] = 1;
    m.AlarmSignalOutput[40][0] = 0;
    m.DateTimeFormat = 7;
    m.DateTimeDisplayInput[33] = 0;
    // Slots are compared whole: clear them before putting shorter titles in.
    memset(m.TitleText[2], 0, kTitleSlotBytes);
    memset(m.TitleText[8], 0, kTitleSlotBytes);
    strcpy(m.TitleText[2], "A B");                 // a half-width blank must not shift the file
    strcpy(m.TitleText[3], " ");
    memset(m.TitleText[3] + 2, 0, kTitleSlotBytes - 2);
    strcpy(m.TitleText[8], "\x88\x9F\x81\x40\x81\x40");   // trailing full-width spaces stay
    m.TitlePosition[12] = 1;
    m.TitleFineTop = 15;
    m.PanelLock.menuLock = 1;
    strcpy(m.PanelLock.password, "000123");
    m.VideoOutputEnable[4] = 0;
    const int mask[4] = {255, 255, 0, 0};
    memcpy(m.UnitNetwork.subnetMask, mask, sizeof mask);
    m.UnitNetwork.keepAlive = 1;

    std::string text;
    FormatSettingsFile(m, text);
    DeviceModelData saved = m;
    SyncHoldTimeText(saved.AlarmSettings);

    ResetModelToStartValues(m);
    const SettingsFileError error = Load(text);
    ASSERT_EQ(error.result, kSettingsOk) << "line " << error.line;
    EXPECT_EQ(0, memcmp(&saved, &m, sizeof m));
    EXPECT_STREQ(m.AlarmSettings.holdTimeText, "7");

    std::string again;
    FormatSettingsFile(m, again);
    EXPECT_EQ(again, text);
}

TEST_F(SettingsFileTest, ReaderTakesLfAndCrLf)
{
    m.AutoSwitchPatternTable[0][0] = 55;
    const std::vector<std::string> lines = Save();
    ResetModelToStartValues(m);
    ASSERT_EQ(Load(Join(lines, "\n")).result, kSettingsOk);
    EXPECT_EQ(m.AutoSwitchPatternTable[0][0], 55);
    EXPECT_EQ(std::string(m.TitleText[1]), Repeat(kSpace, 8) + "\x82\x62\x82\x67\x82\x4f\x82\x51");

    // The last line may lack its line end; blanks around numbers are allowed.
    std::vector<std::string> spaced = lines;
    spaced[kLineAutoSwitch - 1] = "  12\t";
    std::string text = Join(spaced);
    text.resize(text.size() - 2);
    ASSERT_EQ(Load(text).result, kSettingsOk);
    EXPECT_EQ(m.AutoSwitchPatternTable[0][0], 12);
}

TEST_F(SettingsFileTest, DamagedFilesAreRefusedWholly)
{
    m.AutoSwitchPatternTable[5][5] = 77;
    m.DisplayPatternTable[0][0] = 90;
    const std::vector<std::string> good = Save();

    std::vector<std::string> shortFile(good.begin(), good.end() - 1);
    ExpectRefused(Join(shortFile), kSettingsTooShort, kSettingsFileLines);
    ExpectRefused("", kSettingsTooShort, 1);

    std::vector<std::string> bad = good;
    bad[kLineAutoSwitch - 1] = "abc";
    ExpectRefused(Join(bad), kSettingsNotANumber, kLineAutoSwitch);
    bad = good;
    bad[kLineHoldTime - 1] = "1 2";
    ExpectRefused(Join(bad), kSettingsNotANumber, kLineHoldTime);
    bad = good;
    bad[kLineHoldTime - 1] = "";
    ExpectRefused(Join(bad), kSettingsNotANumber, kLineHoldTime);
    bad = good;
    bad[kLineDisplayTable - 1] = "96";   // no display source has that code
    ExpectRefused(Join(bad), kSettingsOutOfRange, kLineDisplayTable);
    bad = good;
    bad[kLineKeepAlive - 1] = "99999999999999";
    ExpectRefused(Join(bad), kSettingsOutOfRange, kLineKeepAlive);
    bad = good;
    bad[kLineAlarmInput - 1] = "-1";
    ExpectRefused(Join(bad), kSettingsOutOfRange, kLineAlarmInput);
    bad = good;
    bad[kLineTitles - 1] = Repeat(kAsterisk, 28) + "A";
    ExpectRefused(Join(bad), kSettingsTokenTooLong, kLineTitles);
    bad[kLineTitles - 1] = "A\tB";   // the writer would have written a blank
    ExpectRefused(Join(bad), kSettingsBadTitle, kLineTitles);
    bad[kLineTitles - 1] = std::string("A\0B", 3);
    ExpectRefused(Join(bad), kSettingsBadTitle, kLineTitles);
    bad[kLineTitles - 1] = std::string("\x82\0B", 3);   // a NUL after a lead byte ends the title too
    ExpectRefused(Join(bad), kSettingsBadTitle, kLineTitles);
    bad = good;
    bad[kLinePassword - 1] = "1234567";
    ExpectRefused(Join(bad), kSettingsTokenTooLong, kLinePassword);
    bad[kLinePassword - 1] = "12 456";
    ExpectRefused(Join(bad), kSettingsNotANumber, kLinePassword);
    // Damage in the last line still leaves everything before it unloaded.
    bad = good;
    bad.back() = "2";
    ExpectRefused(Join(bad), kSettingsOutOfRange, kSettingsFileLines);
}

TEST_F(SettingsFileTest, APasswordKeepsOnlyItsDigits)
{
    strcpy(m.PanelLock.password, "1\xB1" "2\x01" "34");   // a half-width katakana, a control byte
    EXPECT_EQ(Save()[kLinePassword - 1], "1234");
}

TEST_F(SettingsFileTest, ShortPasswordAndOddTitlesRoundTrip)
{
    strcpy(m.PanelLock.password, "");
    strcpy(m.TitleText[0], "\x82\x60" "B");
    std::string text;
    FormatSettingsFile(m, text);
    ResetModelToStartValues(m);
    ASSERT_EQ(Load(text).result, kSettingsOk);
    EXPECT_STREQ(m.PanelLock.password, "");
    EXPECT_STREQ(m.TitleText[0], "\x82\x60" "B");
}

TEST_F(SettingsFileTest, FileRoundTripThroughStdio)
{
    const char* path = "settings_file_test.dat";
    m.AutoSwitchPatternTable[1][2] = 9;
    FILE* out = fopen(path, "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(WriteSettingsFile(out, m), kSettingsOk);
    fclose(out);

    ResetModelToStartValues(m);
    FILE* in = fopen(path, "rb");
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(ReadSettingsFile(in, m).result, kSettingsOk);
    fclose(in);
    remove(path);
    EXPECT_EQ(m.AutoSwitchPatternTable[1][2], 9);
}
