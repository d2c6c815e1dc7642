#include <string>

#include "app/dialog_selections.h"
#include "dialogs/alarm/alarm_tables.h"
#include "dialogs/overlay/date_time_tables.h"
#include "dialogs/routing/channel_table_model.h"
#include "files/settings_file.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "test_support.h"

namespace {

// One edit through a table, then its "設定" and its "全設定" on the wire.
struct TableCase {
    const char* name;
    const ChannelTable* table;
    const int* kept;   // where the row selection is kept between openings
    int line;          // the row list's line picked
    void (*edit)(const TableCursor& cursor);
    std::string one;
    std::string all;
};

const TableCase kCases[] = {
    {"alarm input: connector 3 to ch.40, after ch.05 for all", &AlarmInputTable, &DialogSelections.alarmConnector, 2,
     [](const TableCursor& c) {
         SetSameValue(c, 4);
         SetSelectedValue(c, 39);
     },
     "AIN03I40\r\n", "AIN" + Repeat("05", 2) + "40" + Repeat("05", 29) + "\r\n"},
    {"alarm video output: ch.18 output 3 ON", &AlarmVideoOutputTable, &DialogSelections.inputChannel, 17,
     [](const TableCursor& c) { SetSelectedFlag(c, 2, 1); },
     "AOM18NFNF\r\n", "AOM" + Repeat("NFFF", 17) + "NFNF" + Repeat("NFFF", 46) + "\r\n"},
    {"alarm signal output: ch.64 output 1 OFF, output 6 ON", &AlarmSignalOutputTable, &DialogSelections.inputChannel, 63,
     [](const TableCursor& c) {
         SetSelectedFlag(c, 0, 0);
         SetSelectedFlag(c, 5, 1);
     },
     "AOS64FFFFFN\r\n", "AOS" + Repeat("NFFFFF", 63) + "FFFFFN\r\n"},
    {"date/time input: all OFF, then ch.64 ON", &DateTimeInputTable, &DialogSelections.inputChannel, 63,
     [](const TableCursor& c) {
         SetSameValue(c, 0);
         SetSelectedValue(c, 1);
     },
     "TSI64ON\r\n", "TSI" + Repeat("F", 63) + "N\r\n"},
    {"date/time output: output 16 OFF", &DateTimeOutputTable, &DialogSelections.outputSide, 15,
     [](const TableCursor& c) { SetSelectedValue(c, 0); },
     "TSO16OF\r\n", "TSO" + Repeat("N", 15) + "F\r\n"},
};

using AlarmTablesTest = CoreTest;

} // namespace

TEST_F(AlarmTablesTest, EditsGoOutAsOneEntryAndAsTheWholeTable)
{
    for (const TableCase& c : kCases) {
        SCOPED_TRACE(c.name);
        SetUp();   // every case from the start state
        TableCursor cursor = OpenTable(*c.table);
        SelectTablePosition(cursor, c.line);
        EXPECT_EQ(*c.kept, c.line);
        c.edit(cursor);
        EXPECT_EQ(SettingsModified, 1);
        EXPECT_TRUE(SendSelectedEntry(cursor));
        ResetTransaction();
        EXPECT_TRUE(SendWholeTable(cursor));
        ASSERT_EQ(Sent.serialFrames.size(), 2u);
        EXPECT_EQ(Sent.serialFrames[0], c.one);
        EXPECT_EQ(Sent.serialFrames[1], c.all);
        EXPECT_EQ(TransactionState.sequencePhase, kPhaseSingle);
    }
}

TEST_F(AlarmTablesTest, AlarmInputPaintsAllConnectorsAndListsTheUnitsChannels)
{
    DeviceModel.ChannelCount = 40;
    TableCursor cursor = OpenTable(AlarmInputTable);
    EXPECT_EQ(ListedEntries(cursor), 32);
    EXPECT_EQ(PageLength(cursor), 32);
    EXPECT_FALSE(SelectTablePosition(cursor, 31));   // one page: no repaint
    EXPECT_EQ(PageBase(cursor), 0);
    EXPECT_EQ(ValueCount(AlarmInputTable), 40);
    // A channel the unit does not have is no line of the list.
    EXPECT_FALSE(SetSelectedValue(cursor, 40));
    EXPECT_FALSE(SetSameValue(cursor, 40));
    EXPECT_EQ(DeviceModel.AlarmInputChannel[31], 31);
    EXPECT_EQ(SettingsModified, 0);
}

TEST_F(AlarmTablesTest, AlarmOutputsPageBySixteenChannels)
{
    DialogSelections.inputChannel = 2;
    TableCursor cursor = OpenTable(AlarmSignalOutputTable);
    EXPECT_EQ(PageLength(cursor), 16);
    EXPECT_TRUE(SelectTablePosition(cursor, 16));    // ch.03 to ch.17
    EXPECT_EQ(PageBase(cursor), 16);
    EXPECT_FALSE(SelectTablePosition(cursor, 19));   // ch.17 to ch.20
    EXPECT_TRUE(SelectTablePosition(cursor, 63));
    EXPECT_EQ(PageBase(cursor), 48);
}

TEST_F(AlarmTablesTest, ARadioButtonThatIsNoFlagOfTheRowStoresNothing)
{
    TableCursor cursor = OpenTable(AlarmVideoOutputTable);
    EXPECT_FALSE(SetSelectedFlag(cursor, 4, 1));    // 4 outputs: no fifth
    EXPECT_FALSE(SetSelectedFlag(cursor, -1, 1));
    EXPECT_FALSE(SetSelectedFlag(cursor, 1, 2));
    EXPECT_EQ(SettingsModified, 0);
    EXPECT_EQ(SelectedFlag(cursor, 1), 0);
    EXPECT_TRUE(SetSelectedFlag(cursor, 1, 1));
    EXPECT_EQ(DeviceModel.AlarmVideoOutput[0][1], 1);
}
