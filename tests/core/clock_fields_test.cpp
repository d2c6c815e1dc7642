#include <string>

#include "dialogs/overlay/clock_fields.h"
#include "files/settings_file.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "test_support.h"

using ClockFieldsTest = CoreTest;

TEST_F(ClockFieldsTest, ListsOpenOnThePcClockAndSendWhatTheyShow)
{
    int lines[kClockFields];
    ClockLinesFor({2024, 3, 5, 9, 7, 8}, lines);
    const char* const expected[kClockFields] = {"DSY24", "DSM03", "DSD05", "TSH09", "TSM07", "TSS08"};
    const char* const texts[kClockFields] = {"2024", "03", "05", "09", "07", "08"};
    for (int field = 0; field < kClockFields; ++field) {
        char text[8];
        ClockFieldText(static_cast<ClockField>(field), lines[field], text, sizeof text);
        EXPECT_STREQ(text, texts[field]);
        ResetTransaction();
        ASSERT_TRUE(SendClockField(static_cast<ClockField>(field), lines[field]));
        EXPECT_EQ(Sent.serialFrames.back(), std::string(expected[field]) + "\r\n");
        EXPECT_EQ(TransactionState.sequencePhase, kPhaseSingle);
    }
    // Nothing goes out while a reply is awaited.
    EXPECT_FALSE(SendClockField(kClockYear, lines[kClockYear]));
    EXPECT_EQ(Sent.serialFrames.size(), 6u);
}

TEST_F(ClockFieldsTest, ALineOutsideTheListSendsNothing)
{
    int lines[kClockFields];
    ClockLinesFor({2100, 12, 31, 23, 59, 59}, lines);
    EXPECT_EQ(lines[kClockYear], -1);
    EXPECT_EQ(lines[kClockMonth], 11);
    EXPECT_EQ(lines[kClockDay], 30);   // the 31st is the day list's last line
    struct {
        ClockField field;
        int line;
        int status;
    } const cases[] = {
        {kClockYear, -1, kReplyCommandError}, {kClockDay, 31, kReplyCommandError},
        {kClockSecond, 60, kReplyCommandError}, {kClockMonth, -1, kReplyGood},   // the month says nothing
    };
    for (const auto& c : cases) {
        ResetTransaction();
        SendClockField(c.field, c.line);
        EXPECT_EQ(TransactionState.replyStatus, c.status) << c.field;
    }
    EXPECT_TRUE(Sent.serialFrames.empty());
}

TEST_F(ClockFieldsTest, RangeAndSizeAreKeptInTheModel)
{
    SelectDateTimeFormat(8);   // no such line
    EXPECT_EQ(SettingsModified, 0);
    SelectDateTimeFormat(4);   // "月～分"
    SelectDateTimeSize(1);
    EXPECT_EQ(SettingsModified, 1);
    SendDateTimeFormatField();
    EXPECT_EQ(Sent.serialFrames.back(), "TSDR5\r\n");
    ResetTransaction();
    SendDateTimeSizeField();
    EXPECT_EQ(Sent.serialFrames.back(), "TSDSS\r\n");
    ResetTransaction();
    SendThirtySecondCorrection();
    EXPECT_EQ(Sent.serialFrames.back(), "TSA\r\n");
    EXPECT_EQ(DeviceModel.DateTimeFormat, 4);
}
