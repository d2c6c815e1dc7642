#include <cstring>
#include <string>

#include "protocol/device_model.h"
#include "test_support.h"

namespace {

std::string Title(int channel)
{
    return std::string(DeviceModel.TitleText[channel]);
}

// Eight full-width spaces, ＣＨ and two full-width digits.
std::string ChannelTitle(const char* digits)
{
    std::string t;
    for (int i = 0; i < 8; ++i)
        t += "\x81\x40";
    t += "\x82\x62\x82\x67";
    t += "\x82";
    t += static_cast<char>(0x4F + (digits[0] - '0'));
    t += "\x82";
    t += static_cast<char>(0x4F + (digits[1] - '0'));
    return t;
}

} // namespace

using DeviceModelTest = CoreTest;

TEST_F(DeviceModelTest, StartValues)
{
    const DeviceModelData& m = DeviceModel;
    EXPECT_EQ(m.ModelIndex, 2);
    EXPECT_EQ(m.ChannelCount, 64);
    EXPECT_EQ(m.CurrentDisplayPattern, 0);
    for (int r = 0; r < kDisplayRows; ++r)
        for (int j = 0; j < kOutputCount; ++j)
            ASSERT_EQ(m.DisplayPatternTable[r][j], j);
    for (auto& row : m.AutoSwitchPatternTable)
        for (int v : row)
            ASSERT_EQ(v, 3);
    for (int v : m.VideoOutputEnable)
        EXPECT_EQ(v, 1);
    EXPECT_EQ(m.AlarmSettings.inputPolarity, 0);
    EXPECT_EQ(m.AlarmSettings.holdTime, 10);
    EXPECT_STREQ(m.AlarmSettings.holdTimeText, "10");
    EXPECT_EQ(m.AlarmSettings.buzzer, 1);
    EXPECT_EQ(m.AlarmSettings.alarmDisplay, 1);
    EXPECT_EQ(m.AlarmSettings.autoReturn, 1);
    for (int i = 0; i < kAlarmInputCount; ++i)
        EXPECT_EQ(m.AlarmInputChannel[i], i);
    for (int c = 0; c < kMaxChannels; ++c) {
        EXPECT_EQ(m.AlarmVideoOutput[c][0], 1);
        EXPECT_EQ(m.AlarmVideoOutput[c][3], 0);
        EXPECT_EQ(m.AlarmSignalOutput[c][0], 1);
        EXPECT_EQ(m.AlarmSignalOutput[c][5], 0);
        EXPECT_EQ(m.DateTimeDisplayInput[c], 1);
        EXPECT_EQ(m.TitleDisplayInput[c], 1);
        EXPECT_EQ(m.TitlePosition[c], 0);
        EXPECT_EQ(m.TitleFontSize[c], 1);
    }
    EXPECT_EQ(m.TitleFineTop, 7);
    EXPECT_EQ(m.TitleFineBottom, 7);
    EXPECT_EQ(m.PanelLock.buttonLock, 0);
    EXPECT_EQ(m.PanelLock.menuLock, 0);
    EXPECT_STREQ(m.PanelLock.password, "482913");
    const int mask[4] = {255, 255, 255, 0};
    const int ip[4] = {192, 168, 1, 3};
    EXPECT_EQ(0, memcmp(m.UnitNetwork.subnetMask, mask, sizeof mask));
    EXPECT_EQ(0, memcmp(m.UnitNetwork.ipAddress, ip, sizeof ip));
    EXPECT_EQ(m.UnitNetwork.gatewayAddress[3], 2);
    EXPECT_EQ(m.UnitNetwork.activeAddress[3], 4);
    EXPECT_EQ(m.UnitNetwork.timeRegister, 5);
    EXPECT_STREQ(m.UnitNetwork.sourcePortText, "09004");
    EXPECT_STREQ(m.UnitNetwork.destinationPortText, "09004");
    EXPECT_STREQ(m.UnitNetwork.macAddressText, "");
    EXPECT_STREQ(m.UnitNetwork.firmwareVersionText, "0.00");
    for (unsigned char b : m.GlyphBitmap)
        ASSERT_EQ(b, 0);
    EXPECT_STREQ(m.RequestedGlyphCode, "");
}

TEST_F(DeviceModelTest, DefaultTitles)
{
    // お買い上げいただきありがとうございます。
    EXPECT_EQ(Title(0),
              "\x82\xa8\x94\x83\x82\xa2\x8f\xe3\x82\xb0\x82\xa2\x82\xbd\x82\xbe\x82\xab\x82\xa0"
              "\x82\xe8\x82\xaa\x82\xc6\x82\xa4\x82\xb2\x82\xb4\x82\xa2\x82\xdc\x82\xb7\x81\x42");
    EXPECT_EQ(Title(0).size(), 40u);
    EXPECT_EQ(Title(1), ChannelTitle("02"));
    EXPECT_EQ(Title(9), ChannelTitle("10"));
    EXPECT_EQ(Title(63), ChannelTitle("64"));
}

TEST_F(DeviceModelTest, NewSettingsKeepsUnitNetworkCurrentPatternAndWorkBuffers)
{
    DeviceModelData& m = DeviceModel;
    m.CurrentDisplayPattern = 12;
    m.DisplayPatternTable[4][2] = 70;
    m.AutoSwitchPatternTable[31][63] = 99;
    m.AlarmSettings.holdTime = 42;
    m.AlarmSettings.inputPolarity = 1;
    m.AlarmInputChannel[5] = 60;
    m.AlarmSignalOutput[3][0] = 0;
    m.DateTimeFormat = 6;
    m.TitleText[4][0] = '\0';
    m.TitleFineBottom = 15;
    strcpy(m.PanelLock.password, "111111");
    m.VideoOutputEnable[9] = 0;
    m.UnitNetwork.ipAddress[0] = 10;
    m.UnitNetwork.keepAlive = 1;
    strcpy(m.UnitNetwork.macAddressText, "00-11-22-33-44-55");
    m.IoStatus.videoLoss[3] = 1;
    m.GlyphBitmap[7] = 0x55;
    strcpy(m.RequestedGlyphCode, "A365");

    ResetModelForNewSettings(m);

    EXPECT_EQ(m.DisplayPatternTable[4][2], 2);
    EXPECT_EQ(m.AutoSwitchPatternTable[31][63], 3);
    EXPECT_EQ(m.AlarmSettings.holdTime, 10);
    EXPECT_STREQ(m.AlarmSettings.holdTimeText, "10");
    EXPECT_EQ(m.AlarmSettings.inputPolarity, 0);
    EXPECT_EQ(m.AlarmInputChannel[5], 5);
    EXPECT_EQ(m.AlarmSignalOutput[3][0], 1);
    EXPECT_EQ(m.DateTimeFormat, 0);
    EXPECT_EQ(Title(4), ChannelTitle("05"));
    EXPECT_EQ(m.TitleFineBottom, 7);
    EXPECT_STREQ(m.PanelLock.password, "482913");
    EXPECT_EQ(m.VideoOutputEnable[9], 1);
    // Not part of a settings set:
    EXPECT_EQ(m.CurrentDisplayPattern, 12);
    EXPECT_EQ(m.UnitNetwork.ipAddress[0], 10);
    EXPECT_EQ(m.UnitNetwork.keepAlive, 1);
    EXPECT_STREQ(m.UnitNetwork.macAddressText, "00-11-22-33-44-55");
    EXPECT_EQ(m.IoStatus.videoLoss[3], 1);
    EXPECT_EQ(m.GlyphBitmap[7], 0x55);
    EXPECT_STREQ(m.RequestedGlyphCode, "A365");
}

TEST_F(DeviceModelTest, DisplaySourceWireForm)
{
    char text[4] = {};
    ASSERT_TRUE(FormatDisplaySource(4, 64, text));
    EXPECT_STREQ(text, "I05");
    ASSERT_TRUE(FormatDisplaySource(63, 64, text));
    EXPECT_STREQ(text, "I64");
    ASSERT_TRUE(FormatDisplaySource(64, 64, text));
    EXPECT_STREQ(text, "S01");
    ASSERT_TRUE(FormatDisplaySource(65, 64, text));
    EXPECT_STREQ(text, "S02");
    ASSERT_TRUE(FormatDisplaySource(95, 64, text));
    EXPECT_STREQ(text, "S32");
    EXPECT_FALSE(FormatDisplaySource(96, 64, text));
    EXPECT_FALSE(FormatDisplaySource(-1, 64, text));

    EXPECT_EQ(ParseDisplaySource("I01", 64), 0);
    EXPECT_EQ(ParseDisplaySource("I64", 64), 63);
    EXPECT_EQ(ParseDisplaySource("S01", 64), 64);
    EXPECT_EQ(ParseDisplaySource("S32", 64), 95);
    EXPECT_EQ(ParseDisplaySource("I00", 64), -1);
    EXPECT_EQ(ParseDisplaySource("I65", 64), -1);
    EXPECT_EQ(ParseDisplaySource("S33", 64), -1);
    EXPECT_EQ(ParseDisplaySource("X01", 64), -1);
    EXPECT_EQ(ParseDisplaySource("I1a", 64), -1);

    char label[5];
    DisplaySourceLabel(63, 64, label);
    EXPECT_STREQ(label, "IN64");
    DisplaySourceLabel(64, 64, label);
    EXPECT_STREQ(label, "SP01");
}
