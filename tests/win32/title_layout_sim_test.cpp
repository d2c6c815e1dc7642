// The title display, position, size and fine-position dialogs driven through
// their windows against the simulator on the serial link.
#include <gtest/gtest.h>

#include <cwchar>
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
        const int beepsBefore = TitleEditBeeps;
        SetDlgItemTextW(dialog, IDC_TITLE_TEXT, std::wstring(30, L'漢').c_str());
        EXPECT_EQ(Text(dialog, IDC_TITLE_TEXT), std::wstring(28, L'漢'));
        EXPECT_EQ(TitleEditBeeps, beepsBefore + 1);
        // Into a full title: what the user typed or pasted is cut, never what
        // was there, and the caret stands after what was kept of it.
        HWND edit = GetDlgItem(dialog, IDC_TITLE_TEXT);
        const std::wstring full = L"ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ０１";
        const std::wstring roomForOne = full.substr(0, 27);
        struct Case {
            const wchar_t* what;
            std::wstring title;
            DWORD from, to;
            const wchar_t* insertion;
            std::wstring kept;
            DWORD caret;
        };
        const Case cases[] = {
            {L"typed in the middle", full, 5, 5, L"Ｘ", full, 5},
            {L"pasted at the start", roomForOne, 0, 0, L"ＸＹＺ", L"Ｘ" + roomForOne, 1},
            {L"pasted over a selection", full, 2, 4, L"ＸＹＺ", full.substr(0, 2) + L"ＸＹ" + full.substr(4), 4},
        };
        for (const Case& c : cases) {
            SetDlgItemTextW(dialog, IDC_TITLE_TEXT, c.title.c_str());
            const int beeps = TitleEditBeeps;
            SendMessageW(edit, EM_SETSEL, c.from, c.to);
            if (wcslen(c.insertion) == 1)
                SendMessageW(edit, WM_CHAR, c.insertion[0], 0);
            else
                SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(c.insertion));
            EXPECT_EQ(Text(dialog, IDC_TITLE_TEXT), c.kept) << c.what;
            DWORD start = 0, end = 0;
            SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            EXPECT_EQ(start, c.caret) << c.what;
            EXPECT_EQ(end, c.caret) << c.what;
            EXPECT_EQ(TitleEditBeeps, beeps + 1) << c.what;
        }
        // "＊" cannot be kept: refused at once, with its own message.
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
    EXPECT_EQ(RecordedMessages[0].text, "「＊」はタイトルに使えません。設定ファイルに保存できない文字です。");
}
