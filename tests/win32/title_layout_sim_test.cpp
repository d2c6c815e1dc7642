// The title display, position, size and fine-position dialogs driven through
// their windows against the simulator on the serial link.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/overlay/title_layout.h"
#include "dialogs/overlay/titles.h"
#include "resources/resource.h"
#include "serial_sim_fixture.h"

using TitleLayoutTest = SerialSimTest;

TEST_F(TitleLayoutTest, EachTableSendsOneEntryAndTheWholeTable)
{
    const struct {
        void (*run)(HWND);
        const wchar_t* caption;
        int rows;
        const wchar_t* sameAtStart;
    } dialogs[] = {
        {RunTitleDisplayInputDialog, L"タイトル表示 （入力側） ", 64, L"ON"},
        {RunTitleDisplayOutputDialog, L"タイトル表示 (出力側) ", 16, L"ON"},
        {RunTitlePositionDialog, L"タイトル位置  ", 64, L"BOTTOM"},
        {RunTitleFontSizeDialog, L"フォントサイズ  ", 64, L"MEDIUM"},
    };
    for (const auto& d : dialogs) {
        EXPECT_TRUE(DriveDialog(d.run, nullptr, [&](HWND dialog) {
            EXPECT_EQ(Title(dialog), d.caption);
            const int rows = static_cast<int>(SendDlgItemMessageW(dialog, IDC_TABLE_CHANNEL_LIST, CB_GETCOUNT, 0, 0));
            EXPECT_EQ(rows, d.rows);
            EXPECT_EQ(Text(dialog, IDC_TABLE_SAME_LIST), d.sameAtStart);
            const int last = static_cast<int>(SendDlgItemMessageW(dialog, IDC_TABLE_VALUE_LIST, CB_GETCOUNT, 0, 0)) - 1;
            Pick(dialog, IDC_TABLE_CHANNEL_LIST, 2);
            Pick(dialog, IDC_TABLE_VALUE_LIST, last);
            Click(dialog, IDC_TABLE_SET);
            EXPECT_TRUE(WaitUntilAnswered());
            Pick(dialog, IDC_TABLE_SAME_LIST, 0);
            Click(dialog, IDC_TABLE_SET_ALL);
            EXPECT_TRUE(WaitUntilAnswered());
            PostMessageW(dialog, WM_COMMAND, IDC_TABLE_CLOSE, 0);
        }));
    }
    EXPECT_TRUE(DriveDialog(RunTitleFinePositionDialog, nullptr, [](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"タイトル位置微調整  ");
        EXPECT_EQ(Text(dialog, IDC_TITLE_TOP_LIST), L"08");
        Pick(dialog, IDC_TITLE_TOP_LIST, 15);
        Click(dialog, IDC_TITLE_TOP_SET);
        EXPECT_TRUE(WaitUntilAnswered());
        Click(dialog, IDC_TITLE_BOTTOM_SET);
        EXPECT_TRUE(WaitUntilAnswered());
        PostMessageW(dialog, WM_COMMAND, IDC_TITLE_FINE_CLOSE, 0);
    }));
    const std::vector<std::string> expected = {
        "CTI03ON",  "CTI" + std::string(64, 'F'),  "CTO03ON", "CTO" + std::string(16, 'F'),
        "CTPI03T",  "CTPI" + std::string(64, 'B'), "CTSI03S", "CTSI" + std::string(64, 'L'),
        "CTAT16",   "CTAB08",
    };
    EXPECT_EQ(SimulatorLog(), expected);
    EXPECT_EQ(DeviceModel.TitleFineTop, 15);
}

TEST_F(TitleLayoutTest, ATitleTypedIntoTheEditGoesOutAndTooLongATextIsCut)
{
    EXPECT_TRUE(DriveDialog(RunTitlesDialog, nullptr, [](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"タイトル ");
        Pick(dialog, IDC_TABLE_CHANNEL_LIST, 1);
        EXPECT_EQ(Text(dialog, IDC_TITLE_TEXT), L"　　　　　　　　ＣＨ０２");
        SetDlgItemTextW(dialog, IDC_TITLE_TEXT, L"ＣＨ０２");
        Click(dialog, IDC_TABLE_SET);
        EXPECT_TRUE(WaitUntilAnswered());
        // 30 full-width characters: the edit keeps 28 (56 bytes).
        SetDlgItemTextW(dialog, IDC_TITLE_TEXT, std::wstring(30, L'漢').c_str());
        EXPECT_EQ(Text(dialog, IDC_TITLE_TEXT), std::wstring(28, L'漢'));
        // "＊" cannot be kept: refused at once.
        SetDlgItemTextW(dialog, IDC_TITLE_TEXT, L"Ａ＊");
        EXPECT_EQ(Text(dialog, IDC_TITLE_TEXT), L"Ａ");
        PostMessageW(dialog, WM_COMMAND, IDC_TABLE_CLOSE, 0);
    }));
    std::string title = "CT022343234823302332";
    for (int k = 0; k < 24; ++k)
        title += "2121";
    EXPECT_EQ(SimulatorLog(), std::vector<std::string>{title});
    EXPECT_STREQ(DeviceModel.TitleText[1], "\x82\x60");
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text, "ＪＩＳ第１水準,第２水準以外の字が選択されてます");
}
