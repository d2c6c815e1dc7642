#include <string>

#include "app/dialog_selections.h"
#include "dialogs/overlay/title_tables.h"
#include "files/settings_file.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "test_support.h"

namespace {

std::string Painted(const ChannelTable& table, int value)
{
    char text[32];
    table.values.painted(value, text, sizeof text);
    return text;
}

} // namespace

using TitleTablesTest = CoreTest;

// Channel 3 gets the list's last value and goes out alone; then the
// same-value list's last value goes out for the whole table.
TEST_F(TitleTablesTest, OneEntryAndTheWholeTable)
{
    DeviceModel.ChannelCount = 32;   // the output side keeps its 16 rows
    const struct {
        const ChannelTable* table;
        int entries;
        int sameStart;
        const char* one;
        const char* all;
    } cases[] = {
        {&TitleDisplayInputTable, 32, 1, "CTI03ON", "CTI" "NNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNN"},
        {&TitleDisplayOutputTable, 16, 1, "CTO03ON", "CTO" "NNNNNNNNNNNNNNNN"},
        {&TitlePositionTable, 32, 0, "CTPI03T", "CTPI" "TTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTT"},
        {&TitleFontSizeTable, 32, 1, "CTSI03S", "CTSI" "SSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.one);
        ResetTransaction();
        TableCursor cursor = OpenTable(*c.table);
        EXPECT_EQ(ListedEntries(cursor), c.entries);
        EXPECT_EQ(c.table->values.sameStart, c.sameStart);
        const int last = c.table->values.count - 1;
        SelectTablePosition(cursor, 2);
        SetSelectedValue(cursor, last);
        SendSelectedEntry(cursor);
        EXPECT_EQ(Sent.serialFrames.back(), std::string(c.one) + "\r\n");
        ResetTransaction();
        SetSameValue(cursor, last);
        SendWholeTable(cursor);
        EXPECT_EQ(Sent.serialFrames.back(), std::string(c.all) + "\r\n");
    }
}

TEST_F(TitleTablesTest, PaintedTextsAreEquallyWide)
{
    EXPECT_EQ(Painted(TitlePositionTable, 1), "TOP   ");
    EXPECT_EQ(Painted(TitlePositionTable, 0), "BOTTOM");
    EXPECT_EQ(Painted(TitleFontSizeTable, 0), "LARGE ");
    EXPECT_EQ(Painted(TitleFontSizeTable, 2), "SMALL ");
    EXPECT_EQ(Painted(TitleFontSizeTable, 7), "LARGE ");   // a damaged value paints, sends "L"
}

TEST_F(TitleTablesTest, FineOffsets)
{
    EXPECT_EQ(TitleOffsetLine(kTitleOffsetTop), 7);   // "08"
    SelectTitleOffset(kTitleOffsetTop, 16);            // no such line
    EXPECT_EQ(SettingsModified, 0);
    SelectTitleOffset(kTitleOffsetTop, 15);
    EXPECT_EQ(SettingsModified, 1);
    SendTitleOffset(kTitleOffsetTop);
    EXPECT_EQ(OnlyFrame(), "CTAT16\r\n");
    EXPECT_FALSE(SendTitleOffset(kTitleOffsetBottom));   // busy
    ResetTransaction();
    SendTitleOffset(kTitleOffsetBottom);
    EXPECT_EQ(Sent.serialFrames.back(), "CTAB08\r\n");
}
