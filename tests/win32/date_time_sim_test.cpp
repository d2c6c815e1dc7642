// The date and time dialog driven through its window against the simulator
// on the serial link.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "dialogs/overlay/date_time.h"
#include "files/settings_file.h"
#include "resources/resource.h"
#include "serial_sim_fixture.h"

using DateTimeDialogTest = SerialSimTest;

TEST_F(DateTimeDialogTest, EachSetSendsItsFieldAndTheSizeGroupStaysHidden)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_TRUE(DriveDialog(RunDateTimeDialog, nullptr, [&](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"日付・時刻  ");
        wchar_t year[8];
        swprintf(year, 8, L"%04d", now.wYear);
        EXPECT_EQ(Text(dialog, IDC_CLOCK_YEAR_LIST), year);
        EXPECT_EQ(Text(dialog, IDC_CLOCK_RANGE_LIST), L"年～秒");
        for (int id : {IDC_CLOCK_SIZE_GROUP, IDC_CLOCK_SIZE_LIST, IDC_CLOCK_SIZE_SET})
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, id)));

        // 2024-03-05 09:07:08, "月～分", then the correction.
        const int lines[][2] = {{IDC_CLOCK_YEAR_LIST, 24}, {IDC_CLOCK_MONTH_LIST, 2},  {IDC_CLOCK_DAY_LIST, 4},
                                {IDC_CLOCK_HOUR_LIST, 9},  {IDC_CLOCK_MINUTE_LIST, 7}, {IDC_CLOCK_SECOND_LIST, 8},
                                {IDC_CLOCK_RANGE_LIST, 4}};
        for (const auto& [list, line] : lines) {
            Pick(dialog, list, line);
            Click(dialog, list + 1);
            EXPECT_TRUE(WaitUntilAnswered());
        }
        Click(dialog, IDC_CLOCK_CORRECTION);
        EXPECT_TRUE(WaitUntilAnswered());
        PostMessageW(dialog, WM_COMMAND, IDC_CLOCK_CLOSE, 0);
    }));
    const std::vector<std::string> expected = {"DSY24", "DSM03", "DSD05", "TSH09", "TSM07", "TSS08", "TSDR5", "TSA"};
    EXPECT_EQ(SimulatorLog(), expected);
    EXPECT_EQ(DeviceModel.DateTimeFormat, 4);
    EXPECT_EQ(SettingsModified, 1);
    EXPECT_TRUE(RecordedMessages.empty());
}
