#include <string>

#include "app/dialog_selections.h"
#include "dialogs/routing/channel_table_model.h"
#include "dialogs/routing/routing_tables.h"
#include "files/settings_file.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "test_support.h"

namespace {

// A 64-channel table of its own, for the paging that the 16-entry routing
// tables never need.
int Channels[kMaxChannels];
int ChannelPosition = 0;

const ChannelTable kChannels = {
    .entries = {.count = ChannelTableEntries,
                .position = &ChannelPosition,
                .get = [](int channel) { return Channels[channel]; },
                .set = [](int channel, int value) { Channels[channel] = value; }},
    .values = {.count = 3, .item = OnOffItem, .painted = OnOffPainted, .sameFirstEntry = 0},
};

std::string Text(void (*format)(int, char*, size_t), int value)
{
    char text[32];
    format(value, text, sizeof text);
    return text;
}

} // namespace

class ChannelTableModelTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        ChannelPosition = 0;
        for (int& value : Channels)
            value = 0;
    }
};

TEST(Paging, PagesOfATable)
{
    EXPECT_FALSE(PageChanged(0, 31, 32));
    EXPECT_TRUE(PageChanged(31, 32, 32));
    EXPECT_TRUE(PageChanged(40, 3, 32));
    EXPECT_TRUE(PageChanged(2, 8, 8));     // titles: channel 3 to channel 9
    EXPECT_FALSE(PageChanged(8, 11, 8));   // channel 9 to channel 12
    EXPECT_TRUE(PageChanged(2, 16, 16));   // alarm outputs: channel 3 to channel 17
    EXPECT_FALSE(PageChanged(16, 19, 16));
}

TEST_F(ChannelTableModelTest, PagesFollowTheSelectedChannel)
{
    TableCursor cursor = OpenTable(kChannels);
    EXPECT_EQ(ListedEntries(cursor), 64);
    EXPECT_EQ(PageLength(cursor), 32);
    ChannelPosition = 4;
    cursor = OpenTable(kChannels);
    EXPECT_TRUE(SelectTablePosition(cursor, 32));    // channel 5 to 33: the second page
    EXPECT_EQ(PageBase(cursor), 32);
    EXPECT_FALSE(SelectTablePosition(cursor, 33));   // 33 to 34: same page
    EXPECT_EQ(ChannelPosition, 33);
    // Lines the list does not hold change nothing.
    EXPECT_FALSE(SelectTablePosition(cursor, -1));
    EXPECT_FALSE(SelectTablePosition(cursor, 64));
    EXPECT_EQ(ChannelPosition, 33);
    EXPECT_TRUE(SelectTablePosition(cursor, 0));
    EXPECT_EQ(PageBase(cursor), 0);
}

TEST_F(ChannelTableModelTest, AKeptPositionBeyondTheListBecomesItsLastLine)
{
    ChannelPosition = 50;
    DeviceModel.ChannelCount = 40;
    TableCursor cursor = OpenTable(kChannels);
    EXPECT_EQ(ChannelPosition, 39);
    EXPECT_EQ(PageBase(cursor), 32);
    EXPECT_EQ(PageLength(cursor), 8);
    // The page was the one shown at the start: no repaint for a line of it.
    EXPECT_FALSE(SelectTablePosition(cursor, 33));
    // A kept position equal to the list's length is one past its last line too.
    ChannelPosition = 40;
    OpenTable(kChannels);
    EXPECT_EQ(ChannelPosition, 39);
}

TEST_F(ChannelTableModelTest, ValuesAreStoredAndMarkTheSettings)
{
    TableCursor cursor = OpenTable(kChannels);
    SelectTablePosition(cursor, 7);
    EXPECT_FALSE(SetSelectedValue(cursor, 3));   // not an item of the list
    EXPECT_FALSE(SetSelectedValue(cursor, -1));
    EXPECT_EQ(SettingsModified, 0);
    EXPECT_TRUE(SetSelectedValue(cursor, 2));
    EXPECT_EQ(Channels[7], 2);
    EXPECT_EQ(SelectedValue(cursor), 2);
    EXPECT_EQ(SettingsModified, 1);

    SettingsModified = 0;
    EXPECT_TRUE(SetSameValue(cursor, 1));
    EXPECT_EQ(Channels[0], 1);
    EXPECT_EQ(Channels[63], 1);
    EXPECT_EQ(SettingsModified, 1);
}

TEST_F(ChannelTableModelTest, VideoOutputsLeaveOutputOneOn)
{
    TableCursor cursor = OpenTable(VideoOutputTable);
    EXPECT_EQ(ListedEntries(cursor), 15);   // outputs 2..16
    EXPECT_EQ(SelectedEntry(cursor), 1);
    SetSameValue(cursor, 0);
    EXPECT_EQ(DeviceModel.VideoOutputEnable[0], 1);
    EXPECT_EQ(DeviceModel.VideoOutputEnable[15], 0);

    SelectTablePosition(cursor, 1);   // output 3
    SetSelectedValue(cursor, 1);
    EXPECT_TRUE(SendSelectedEntry(cursor));
    EXPECT_EQ(OnlyFrame(), "OE03ON\r\n");
    // One command at a time: a second press while it is awaited sends nothing.
    EXPECT_FALSE(SendSelectedEntry(cursor));
    EXPECT_FALSE(SendWholeTable(cursor));
    EXPECT_EQ(Sent.serialFrames.size(), 1u);
    ResetTransaction();
    EXPECT_TRUE(SendWholeTable(cursor));
    EXPECT_EQ(Sent.serialFrames.back(), "OENFNFFFFFFFFFFFFF\r\n");
    EXPECT_EQ(TransactionState.sequencePhase, kPhaseSingle);
}

TEST_F(ChannelTableModelTest, DisplayPatternScreensFollowThePattern)
{
    EXPECT_FALSE(SelectDisplayPattern(33));
    EXPECT_FALSE(SelectDisplayPattern(-1));
    ASSERT_TRUE(SelectDisplayPattern(2));
    TableCursor cursor = OpenTable(DisplayPatternScreens);
    EXPECT_TRUE(AllPatternsAvailable());
    SelectTablePosition(cursor, 15);
    SetSelectedValue(cursor, 64 + 4);   // auto-switch pattern 5
    EXPECT_EQ(DeviceModel.DisplayPatternTable[2][15], 68);
    SendSelectedEntry(cursor);
    EXPECT_EQ(OnlyFrame(), "OP0316S05\r\n");

    // "画面切換え" shows the pattern; the free layout starts from it, and
    // that is a change to save. The same layout again changes nothing.
    ResetTransaction();
    SettingsModified = 0;
    EXPECT_TRUE(SwitchToSelectedPattern());
    EXPECT_EQ(Sent.serialFrames.back(), "OP03\r\n");
    EXPECT_EQ(DeviceModel.DisplayPatternTable[kFreePattern][15], 68);
    EXPECT_EQ(SettingsModified, 1);
    ResetTransaction();
    SettingsModified = 0;
    EXPECT_TRUE(SwitchToSelectedPattern());
    EXPECT_EQ(SettingsModified, 0);

    ResetTransaction();
    ASSERT_TRUE(SelectDisplayPattern(kFreePattern));
    EXPECT_FALSE(AllPatternsAvailable());
    EXPECT_EQ(SelectedValue(cursor), 68);
    SendSelectedEntry(cursor);
    EXPECT_EQ(Sent.serialFrames.back(), "O16S05\r\n");
    EXPECT_FALSE(SwitchToSelectedPattern());   // busy
}

TEST(TableValueTexts, ListAndPaintedTexts)
{
    EXPECT_EQ(Text(OnOffItem, 1), "ON");
    EXPECT_EQ(Text(OnOffItem, 0), "OFF");
    EXPECT_EQ(Text(OnOffPainted, 1), "ON ");
    EXPECT_EQ(Text(OnOffPainted, 0), "OFF");
    ResetProgramState();
    const auto source = DisplayPatternScreens.values.item;
    EXPECT_EQ(Text(source, 0), "IN01");
    EXPECT_EQ(Text(source, 63), "IN64");
    EXPECT_EQ(Text(source, 64), "SP01");
    EXPECT_EQ(Text(source, 95), "SP32");
    EXPECT_EQ(DisplayPatternScreens.values.count, 96);
}

TEST_F(ChannelTableModelTest, AutoSwitchTimesOfTheSelectedPattern)
{
    DeviceModel.ChannelCount = 32;
    DialogSelections.inputChannel = 40;   // kept from a 64-channel unit
    EXPECT_FALSE(SelectAutoSwitchPattern(32));
    ASSERT_TRUE(SelectAutoSwitchPattern(6));
    TableCursor cursor = OpenTable(AutoSwitchChannels);
    EXPECT_EQ(DialogSelections.inputChannel, 31);
    EXPECT_EQ(AutoSwitchChannels.values.count, 100);
    EXPECT_EQ(Text(AutoSwitchChannels.values.item, 0), "00");
    EXPECT_EQ(Text(AutoSwitchChannels.values.painted, 7), "07 秒");

    // The same time reaches the unit's channels only; the rest keep theirs.
    DeviceModel.AutoSwitchPatternTable[6][32] = 42;
    SetSameValue(cursor, 0);
    EXPECT_EQ(DeviceModel.AutoSwitchPatternTable[6][0], 0);
    EXPECT_EQ(DeviceModel.AutoSwitchPatternTable[6][31], 0);
    EXPECT_EQ(DeviceModel.AutoSwitchPatternTable[6][32], 42);
    EXPECT_EQ(DeviceModel.AutoSwitchPatternTable[5][0], 3);   // another pattern
    EXPECT_EQ(SettingsModified, 1);

    SelectTablePosition(cursor, 2);
    SetSelectedValue(cursor, 99);
    SendSelectedEntry(cursor);
    EXPECT_EQ(OnlyFrame(), "SP070399\r\n");
    ResetTransaction();
    SendWholeTable(cursor);
    EXPECT_EQ(Sent.serialFrames.back(), "SP07" + std::string(4, '0') + "99" + std::string(58, '0') + "\r\n");

    // Another pattern shows its own time for the same channel.
    ASSERT_TRUE(SelectAutoSwitchPattern(0));
    EXPECT_EQ(SelectedValue(cursor), DeviceModel.AutoSwitchPatternTable[0][2]);
}
