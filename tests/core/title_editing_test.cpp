#include <cstring>
#include <string>

#include "app/status_timer.h"
#include "dialogs/overlay/title_editing.h"
#include "files/settings_file.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"
#include "test_support.h"

using TitleEditingTest = CoreTest;

TEST_F(TitleEditingTest, OneChannelAndPagesOfEight)
{
    StoreTitleText(1, "\x82\x62\x82\x67\x82\x4f\x82\x51", true);   // ＣＨ０２
    EXPECT_EQ(SettingsModified, 0);
    TableCursor cursor = OpenTable(TitleChannels);
    SelectTablePosition(cursor, 1);
    SendSelectedEntry(cursor);
    EXPECT_EQ(OnlyFrame(), "CT02234323482330233" "2" + Repeat("2121", 24) + "\r\n");

    // 3 → 9 shows another page, 9 → 12 does not.
    SelectTablePosition(cursor, 2);
    EXPECT_TRUE(SelectTablePosition(cursor, 8));
    EXPECT_FALSE(SelectTablePosition(cursor, 11));
    EXPECT_EQ(PageBase(cursor), 8);

    // A half-width letter: the title message, nothing sent, no error status.
    ResetTransaction();
    StoreTitleText(11, "A", false);
    EXPECT_EQ(SettingsModified, 1);
    SendSelectedEntry(cursor);
    EXPECT_EQ(Sent.serialFrames.size(), 1u);
    EXPECT_EQ(OnlyMessage().text, kTitleRefusedText);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
}

TEST_F(TitleEditingTest, AllTitlesEndAtTheFirstRefusedChannel)
{
    DeviceModel.ChannelCount = 32;
    OpenTitles();
    EXPECT_EQ(AllTitles.length, 32);
    StoreTitleText(2, "\x81\x96", false);   // ＊
    StartSequence(AllTitles);
    int percent = 0;
    for (int step = 1; step <= 2; ++step) {
        ASSERT_EQ(TickSequence(AllTitles, percent), kSequenceStepSent);
        ParseSerialReply(DeviceModel, "GO\r\n");
    }
    ASSERT_EQ(TickSequence(AllTitles, percent), kSequenceStepSent);
    EXPECT_EQ(Sent.serialFrames.size(), 2u);
    EXPECT_EQ(TransactionState.replyStatus, kReplyCommandError);
    StatusTimerTick();
    EXPECT_EQ(TickSequence(AllTitles, percent), kSequenceEnded);
    ASSERT_EQ(Messages.shown.size(), 2u);
    // The "＊" is named with its own reason.
    EXPECT_EQ(Messages.shown[0].text, kTitleAsteriskText);
    EXPECT_EQ(Messages.shown[1].text, "Command Error");
}
