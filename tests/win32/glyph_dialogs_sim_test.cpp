// The glyph editor and glyph insertion driven through their real windows
// against the simulator on the serial link: mouse messages on the grid, the
// real common file dialogs, the unit's glyph reads and registrations.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/dialog_selections.h"
#include "app/ui_text.h"
#include "dialogs/glyph/glyph_editor.h"
#include "dialogs/glyph/glyph_editor_model.h"
#include "dialogs/glyph/glyph_insert.h"
#include "files/file_dialogs.h"
#include "files/settings_file.h"
#include "link/message_ops.h"
#include "protocol/glyph.h"
#include "resources/resource.h"
#include "serial_sim_fixture.h"

namespace {

void RunSmall(HWND owner) { RunGlyphEditor(owner, kGlyphSmall); }
void RunMedium(HWND owner) { RunGlyphEditor(owner, kGlyphMedium); }
void RunLarge(HWND owner) { RunGlyphEditor(owner, kGlyphLarge); }

// The screen's pointer put at a point of the dialog: the mouse moves the
// system makes up itself (after the capture of a press) then come from where
// the drag is, as with a real mouse, not from wherever the pointer was left.
void PointerAt(HWND dialog, POINT point)
{
    ClientToScreen(dialog, &point);
    SetCursorPos(point.x, point.y);
}

// A press, the moves of a drag, and the release, as the mouse sends them.
void Drag(HWND dialog, bool left, std::vector<POINT> points)
{
    const UINT down = left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
    const WPARAM held = left ? MK_LBUTTON : MK_RBUTTON;
    PointerAt(dialog, points.front());
    SendMessageW(dialog, down, held, MAKELPARAM(points.front().x, points.front().y));
    for (size_t i = 1; i < points.size(); ++i) {
        PointerAt(dialog, points[i]);
        SendMessageW(dialog, WM_MOUSEMOVE, held, MAKELPARAM(points[i].x, points[i].y));
    }
    SendMessageW(dialog, left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, MAKELPARAM(points.back().x, points.back().y));
}

void ClickAt(HWND dialog, int x, int y)
{
    Drag(dialog, true, {{x, y}});
}

// The colour on screen at the middle of a dot of the open editor.
COLORREF DotColour(HWND dialog, int row, int column)
{
    const GlyphRect r = GlyphDotRect(GlyphEditor.sizeType, row, column);
    HDC dc = GetDC(dialog);
    const COLORREF colour = GetPixel(dc, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ReleaseDC(dialog, dc);
    return colour;
}

constexpr COLORREF kLit = RGB(255, 255, 255);
constexpr COLORREF kDark = RGB(0, 0, 255);

bool DotShows(HWND dialog, int row, int column, COLORREF colour)
{
    return WaitUntil([&] { return DotColour(dialog, row, column) == colour; }, 2000, 20);
}

int Lines(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0));
}

bool WaitForLog(size_t lines)
{
    return WaitUntil([lines] { return SimulatorLog().size() >= lines && !TransactionState.busy; }, 5000, 20);
}

// Recorded as the fixture records, but the save question is answered Yes.
int RecordAndSayYes(const MessageRequest& request)
{
    RecordedMessages.push_back({request.text, request.caption, request.icon});
    return request.buttons == kButtonsYesNo ? kAnswerYes : kAnswerOk;
}

std::string ReadFileText(const std::wstring& path)
{
    std::string text;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file) {
        ReadWholeFile(file, text, 4096);
        fclose(file);
    }
    return text;
}

class GlyphDialogsTest : public SerialSimTest {
protected:
    ScratchFolder folder;
    void SetUp() override
    {
        SerialSimTest::SetUp();
        InstallFileDialogs(nullptr);   // as the program does at its start: files open by UTF-8 paths
    }
};

} // namespace

TEST_F(GlyphDialogsTest, MouseDotsAreRegisteredAndGlyphsReadBack)
{
    const std::string oneDot = "000000" "40" + std::string(136, '0');   // dot (1, 1) alone
    EXPECT_TRUE(DriveDialog(RunSmall, nullptr, [&](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"外字登録  （SMALL）");
        EXPECT_EQ(Lines(dialog, IDC_GLYPH_SLOT_LIST), 256);
        EXPECT_EQ(Lines(dialog, IDC_GLYPH_SLAVE_LIST), 32);   // no "Broadcast"
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_GLYPH_SAMPLE_READ)));
        // The grid fits the face and no control lies on it.
        RECT client;
        GetClientRect(dialog, &client);
        EXPECT_GE(client.right, 500);
        EXPECT_GE(client.bottom, 500);
        for (int id = IDC_GLYPH_NEW; id <= IDC_GLYPH_CLOSE; ++id) {
            RECT r;
            GetWindowRect(GetDlgItem(dialog, id), &r);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_GE(r.left, 500) << id;
        }
        EXPECT_TRUE(DotShows(dialog, 1, 1, kDark));

        // The outer ring cannot be changed; a drag paints, the right button erases.
        ClickAt(dialog, 15, 15);
        ClickAt(dialog, 489, 489);
        EXPECT_FALSE(GlyphEditor.modified);
        Drag(dialog, true, {{31, 31}, {51, 31}, {71, 35}, {75, 38}});
        EXPECT_EQ(DeviceModel.GlyphBitmap[3], 0x70);   // dots 25, 26, 27
        EXPECT_TRUE(GlyphEditor.modified);
        EXPECT_TRUE(DotShows(dialog, 1, 2, kLit));
        Drag(dialog, false, {{51, 31}, {75, 38}});
        EXPECT_EQ(DeviceModel.GlyphBitmap[3], 0x40);
        EXPECT_TRUE(DotShows(dialog, 1, 3, kDark));
        EXPECT_TRUE(DotShows(dialog, 1, 1, kLit));
        for (int i = 0; i < 72; ++i)
            ASSERT_EQ(DeviceModel.GlyphBitmap[i], i == 3 ? 0x40 : 0x00) << i;

        Pick(dialog, IDC_GLYPH_SLOT_LIST, 4);
        Click(dialog, IDC_GLYPH_REGISTER);
        EXPECT_TRUE(WaitForLog(1));

        // New asks first (the fixture answers No), then clears the grid.
        Click(dialog, IDC_GLYPH_NEW);
        EXPECT_EQ(DeviceModel.GlyphBitmap[3], 0x00);
        EXPECT_TRUE(DotShows(dialog, 1, 1, kDark));

        Click(dialog, IDC_GLYPH_SLOT_READ);
        EXPECT_TRUE(WaitForLog(2));
        EXPECT_TRUE(DotShows(dialog, 1, 1, kLit));   // the registered glyph, repainted
        EXPECT_EQ(DeviceModel.GlyphBitmap[3], 0x40);

        SetDlgItemTextW(dialog, IDC_GLYPH_SAMPLE, L"Ａ");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_GLYPH_SAMPLE_READ)));
        Click(dialog, IDC_GLYPH_SAMPLE_READ);
        EXPECT_TRUE(WaitForLog(3));
        // The simulator's frame around the code, one dot inside the grid's edge.
        EXPECT_TRUE(GetGlyphDot(DeviceModel.GlyphBitmap, kGlyphSmall, 1, 10));
        EXPECT_TRUE(DotShows(dialog, 1, 10, kLit));
        EXPECT_TRUE(DotShows(dialog, 0, 10, kDark));
        EXPECT_FALSE(GlyphEditor.modified);   // a read is no change of the user's
        SetDlgItemTextW(dialog, IDC_GLYPH_SAMPLE, L"");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_GLYPH_SAMPLE_READ)));

        PostMessageW(dialog, WM_COMMAND, IDC_GLYPH_CLOSE, 0);
    }));
    const std::vector<std::string> expected = {"GRS005" + oneDot, "RFBMSA369", "RFBMS2341"};
    EXPECT_EQ(SimulatorLog(), expected);
    ASSERT_EQ(RecordedMessages.size(), 1u);   // the question of New only
    EXPECT_EQ(RecordedMessages[0].text, "ファイルが変更されています。保存しますか？");
    EXPECT_EQ(DeviceModel.GlyphBitmap[0], 0x00);   // Close clears the bitmap
    EXPECT_EQ(DialogSelections.glyphSlot, 4);     // kept for the next opening
}

TEST_F(GlyphDialogsTest, AGlyphFileIsSavedAndReadBackThroughTheRealDialogs)
{
    const std::wstring file = folder.path() + L"\\外字Ａ.txl";
    const std::wstring bad = folder.path() + L"\\short.txl";
    FILE* shortFile = _wfopen(bad.c_str(), L"wb");
    ASSERT_NE(shortFile, nullptr);
    fputs("FFFF\r\n", shortFile);
    fclose(shortFile);
    EXPECT_TRUE(DriveDialog(RunLarge, nullptr, [&](HWND dialog) {
        ClickAt(dialog, 21, 21);   // dot (1, 1): byte 6, bit 6
        {
            WindowWatcher watcher(L"#32770", L"名前を付けて保存",
                                  [&](HWND box) { AnswerFileDialog(box, folder.path() + L"\\外字Ａ"); });
            Click(dialog, IDC_GLYPH_SAVE_AS);
            EXPECT_TRUE(watcher.found());
        }
        EXPECT_EQ(Title(dialog), L"外字登録  （LARGE）" + file);   // the default extension was added
        EXPECT_FALSE(GlyphEditor.modified);

        Click(dialog, IDC_GLYPH_NEW);   // nothing unsaved: no question
        EXPECT_EQ(Title(dialog), L"外字登録  （LARGE）");
        EXPECT_EQ(DeviceModel.GlyphBitmap[6], 0x00);

        // A file that is not a LARGE glyph: refused, nothing changes.
        {
            WindowWatcher watcher(L"#32770", L"ファイルを開く", [&](HWND box) { AnswerFileDialog(box, bad); });
            Click(dialog, IDC_GLYPH_OPEN);
            EXPECT_TRUE(watcher.found());
        }
        EXPECT_EQ(Title(dialog), L"外字登録  （LARGE）");
        {
            WindowWatcher watcher(L"#32770", L"ファイルを開く", [&](HWND box) { AnswerFileDialog(box, file); });
            Click(dialog, IDC_GLYPH_OPEN);
            EXPECT_TRUE(watcher.found());
        }
        EXPECT_EQ(DeviceModel.GlyphBitmap[6], 0x40);
        EXPECT_TRUE(DotShows(dialog, 1, 1, kLit));
        EXPECT_EQ(Title(dialog), L"外字登録  （LARGE）" + file);
        PostMessageW(dialog, WM_COMMAND, IDC_GLYPH_CLOSE, 0);
    }));
    EXPECT_EQ(ReadFileText(file), "000000000000" "40" + std::string(562, '0') + "\r\n");
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0].text,
              "外字ファイルとして読み込めませんでした。\n576 桁の16進数の行がありません。\n外字は変更されていません。");
    EXPECT_TRUE(SimulatorLog().empty());
}

TEST_F(GlyphDialogsTest, CloseAsksAboutUnsavedDotsAndStaysWhenTheSaveDoesNotHappen)
{
    MessageSink = RecordAndSayYes;
    const std::wstring file = folder.path() + L"\\closing.txm";
    HWND editor = nullptr;
    EXPECT_TRUE(DriveDialog(RunMedium, nullptr, [&](HWND dialog) {
        editor = dialog;
        EXPECT_EQ(Title(dialog), L"外字登録  （MEDIUM）");
        ClickAt(dialog, 26, 26);
        {
            WindowWatcher watcher(L"#32770", L"名前を付けて保存",
                                  [](HWND box) { PostMessageW(box, WM_COMMAND, IDCANCEL, 0); });
            Click(dialog, IDC_GLYPH_CLOSE);
            EXPECT_TRUE(watcher.found());
        }
        EXPECT_TRUE(IsWindowVisible(dialog));   // Yes, then no save: the editor stays
        EXPECT_TRUE(GlyphEditor.modified);
        bool answered = false;
        {
            WindowWatcher watcher(L"#32770", L"名前を付けて保存", [&](HWND box) {
                answered = true;
                AnswerFileDialog(box, file);
            });
            PostMessageW(dialog, WM_CLOSE, 0, 0);   // the close box
        }
        EXPECT_TRUE(answered);
    }));
    WaitUntilGone(editor);
    EXPECT_FALSE(IsWindow(editor));
    ASSERT_EQ(RecordedMessages.size(), 2u);
    for (const RecordedMessage& m : RecordedMessages) {
        EXPECT_EQ(m.text, "ファイルが変更されています。保存しますか？");
        EXPECT_EQ(m.caption, "保存確認");
    }
    EXPECT_EQ(ReadFileText(file), "00000000" "40" + std::string(246, '0') + "\r\n");
}

TEST_F(GlyphDialogsTest, InsertionListsFollowTheFontSizeAndSetSends)
{
    EXPECT_TRUE(DriveDialog(RunGlyphInsertDialog, nullptr, [](HWND dialog) {
        EXPECT_EQ(Title(dialog), L"外字挿入  ");
        EXPECT_EQ(Text(dialog, IDC_INSERT_SIZE_LIST), L"LARGE");
        EXPECT_EQ(Lines(dialog, IDC_INSERT_SLOT_LIST), 70);
        EXPECT_EQ(Lines(dialog, IDC_INSERT_CHANNEL_LIST), DeviceModel.ChannelCount);
        EXPECT_EQ(Lines(dialog, IDC_INSERT_SLAVE_LIST), 32);
        Pick(dialog, IDC_INSERT_SIZE_LIST, 2);   // SMALL
        EXPECT_EQ(Lines(dialog, IDC_INSERT_SLOT_LIST), 256);
        EXPECT_EQ(Lines(dialog, IDC_INSERT_POSITION_LIST), 28);
        Pick(dialog, IDC_INSERT_SLOT_LIST, 199);
        Pick(dialog, IDC_INSERT_POSITION_LIST, 24);
        Pick(dialog, IDC_INSERT_SIZE_LIST, 0);   // LARGE
        EXPECT_EQ(Text(dialog, IDC_INSERT_SLOT_LIST), L"070");
        EXPECT_EQ(Text(dialog, IDC_INSERT_POSITION_LIST), L"14");
        EXPECT_EQ(Lines(dialog, IDC_INSERT_POSITION_LIST), 14);

        Pick(dialog, IDC_INSERT_SIZE_LIST, 2);
        Pick(dialog, IDC_INSERT_SLOT_LIST, 2);
        Pick(dialog, IDC_INSERT_CHANNEL_LIST, 11);
        Pick(dialog, IDC_INSERT_POSITION_LIST, 4);
        EXPECT_EQ(Text(dialog, IDC_INSERT_CHANNEL_LIST), L"ch.12");
        Click(dialog, IDC_INSERT_SET);
        EXPECT_TRUE(WaitForLog(1));
        PostMessageW(dialog, WM_COMMAND, IDC_INSERT_CLOSE, 0);
    }));
    EXPECT_EQ(SimulatorLog(), std::vector<std::string>{"G003C12I05"});
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_TRUE(RecordedMessages.empty());
}
